#include "LibraryTestSupport.h"

#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryGetInfoController.h"
#include "library/PWXLibraryPredicateEditor.h"
#include "library/PWXLibrarySharingController.h"
#include "library/PWXLibrarySharingDelegate.h"
#include "library/PWXLibrarySmartCategory.h"
#include "library/PWXLibrarySmartCategoryEditController.h"
#include "library/PWXLibrarySmartCategoryEditDelegate.h"
#include "platform/ui/Sheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

using namespace library_test;
using Op = PWXLibraryPredicate::Operator;

namespace {

class LibrarySheets : public LibraryTest {
protected:
    void SetUp() override
    {
        LibraryTest::SetUp();
        PWXLibrary::initializeRegistry();
        library = makeLibrary("Park");
        PWXLibrary::addLibraryToGroup(library, PWXLibraryGroup::kUserGroupName, false);
        parent = new QWidget;
        parent->resize(600, 400);
        parent->show();
    }
    void TearDown() override
    {
        delete parent;
        LibraryTest::TearDown();
    }
    pf::Ref<PWXLibrary> library;
    QWidget* parent = nullptr;
};

TEST_F(LibrarySheets, GetInfoShowsOneItemAndListsItsOwnCategoriesInNaturalOrder)
{
    pf::Ref<PWXLibraryItem> oak = addObject(*library, namedMaster("Oak"));
    oak->setUserDescription("a broad tree");
    for (const char* name : {"trees10", "Trees", "trees2"})
        library->addCategoryWithName(name)->addItem(oak);
    auto info = std::make_shared<PWXLibraryGetInfoController>();
    EXPECT_EQ(info->nameField()->text(), "No Selection");
    EXPECT_EQ(info->fieldNamed("size")->text(), "N/A");

    info->setContent({oak});
    EXPECT_EQ(info->nameField()->text(), "Oak");
    EXPECT_EQ(info->descriptionField()->text(), "a broad tree");
    EXPECT_EQ(info->fieldNamed("kind")->text(), "Clip Art");
    EXPECT_EQ(info->fieldNamed("uid")->text(), oak->uniqueKey());
    EXPECT_EQ(info->fieldNamed("where")->text(), "Park");
    EXPECT_EQ(info->fieldNamed("size")->text(), "20.00 x 10.00");
    EXPECT_EQ(info->fieldNamed("categories")->text(), "Trees,\ntrees2,\ntrees10") << "without All Items and the like";

    // The panel follows changes to the item it shows.
    oak->setName("Old Oak");
    EXPECT_EQ(info->nameField()->text(), "Old Oak");

    pf::Ref<PWXLibraryItem> red = addObject(*library, namedStyle("Red"));
    info->setContent({oak, red});
    EXPECT_EQ(info->nameField()->text(), "<Multiple Selection>");
    EXPECT_EQ(info->fieldNamed("uid")->text(), "");
    EXPECT_EQ(info->fieldNamed("categories")->text(), "N/A");
}

TEST_F(LibrarySheets, GetInfoSetsTheDescriptionOfEveryItemButNeverInAFactoryCollection)
{
    QList<pf::Ref<PWXLibraryItem>> items;
    for (const char* name : {"One", "Two", "Three"})
        items.append(addObject(*library, namedStyle(name)));
    auto info = std::make_shared<PWXLibraryGetInfoController>();
    info->setContent(items);
    EXPECT_FALSE(info->descriptionField()->isReadOnly());
    info->descriptionField()->setText("shared words");
    info->descriptionAction();
    for (const auto& item : items)
        EXPECT_EQ(item->userDescription(), "shared words");

    pf::Ref<PWXLibrary> factory = makeLibrary("Factory");
    pf::Ref<PWXLibraryItem> fixed = addObject(*factory, namedStyle("Fixed"));
    factory->setAllowsContentChanges(false);
    info->setContent({fixed});
    EXPECT_TRUE(info->descriptionField()->isReadOnly());
    info->descriptionField()->setText("typed anyway");
    info->descriptionAction();
    EXPECT_EQ(fixed->userDescription(), "");
    info->setContent({items.first(), fixed});
    EXPECT_TRUE(info->descriptionField()->isReadOnly()) << "one factory item among them is enough";
}

TEST_F(LibrarySheets, PredicateEditorShowsAndBuildsEachKindOfRule)
{
    PWXLibraryPredicateEditor editor;
    const QDateTime when(QDate(2024, 5, 1), QTime(12, 0));
    auto predicate = std::make_shared<PWXLibraryPredicate>(
        PWXLibraryPredicate::Compound::And,
        QList<PWXLibraryPredicate::Comparison>{{"name", Op::Like, QString("Oak*"), true},
                                               {"classCode", Op::NotEqual, 2},
                                               {"locked", Op::Equal, false},
                                               {"creationDate", Op::Greater, when}});
    editor.setPredicate(predicate);
    EXPECT_EQ(editor.ruleCount(), 4);
    EXPECT_EQ(editor.numberOfRows(), 5);
    EXPECT_TRUE(editor.predicate()->isEqualToPredicate(*predicate)) << editor.predicate()->predicateFormat().toStdString();

    // Changing a rule's property offers that property's comparisons and values.
    editor.keyPopUp(0)->setCurrentIndex(editor.keyPopUp(0)->findData("classCode"));
    EXPECT_NE(qobject_cast<QComboBox*>(editor.valueControl(0)), nullptr);
    EXPECT_EQ(editor.predicate()->comparisons().first().value, 1);

    // The last rule stays.
    for (int i = 0; i < 6; ++i)
        editor.removeRow(0);
    EXPECT_EQ(editor.ruleCount(), 1);
    editor.setPredicate(nullptr);
    EXPECT_EQ(editor.predicate()->comparisons().size(), 1);
    EXPECT_EQ(editor.predicate()->comparisons().first().key, "name");
}

TEST_F(LibrarySheets, TextRulesTakeWildcardsAndIgnoreCaseAndAccents)
{
    pf::Ref<PWXLibraryItem> item = addObject(*library, namedStyle("Café Road 12"));
    struct Case {
        Op op;
        const char* value;
        bool expected;
    };
    const Case cases[] = {
        {Op::Like, "cafe*", true},     {Op::Like, "*road ??", true}, {Op::Like, "*road ?", false},
        {Op::Like, "café road 12", true}, {Op::Like, "[c]afe*", false}, {Op::Contains, "CAFE", true},
        {Op::BeginsWith, "cafe", true}, {Op::EndsWith, "12", true},   {Op::Equal, "café road 12", false},
    };
    // The rules as the editor makes them from what the user chose and typed.
    PWXLibraryPredicateEditor editor;
    for (const Case& c : cases) {
        editor.setPredicate(PWXLibraryPredicate::comparison("name", c.op, QString()));
        qobject_cast<QLineEdit*>(editor.valueControl(0))->setText(QString::fromUtf8(c.value));
        pf::Ref<PWXLibraryPredicate> rule = editor.predicate();
        ASSERT_EQ(rule->comparisons().size(), 1);
        EXPECT_EQ(rule->comparisons().first().op, c.op) << c.value;
        EXPECT_EQ(rule->evaluateWithItem(*item), c.expected) << c.value;
        // Kept with the category and read back, the rule still ignores accents.
        pf::Ref<PWXLibraryPredicate> read = PWXLibraryPredicate::predicateWithArchivedData(rule->archivedData());
        ASSERT_TRUE(read);
        EXPECT_EQ(read->evaluateWithItem(*item), c.expected) << c.value;
    }
    // A comparison not marked so (as older category files hold) tells accents apart.
    EXPECT_FALSE(PWXLibraryPredicate::comparison("name", Op::BeginsWith, "cafe")->evaluateWithItem(*item));
    EXPECT_TRUE(PWXLibraryPredicate::comparison("name", Op::BeginsWith, "CAFÉ")->evaluateWithItem(*item));
}

struct RecordingEditDelegate : PWXLibrarySmartCategoryEditDelegate {
    QList<PWXLibrarySmartCategory*> finished;
    void smartCategoryEditorDidFinishEditingCategory(PWXLibrarySmartCategoryEditController*,
                                                     PWXLibrarySmartCategory* category) override
    {
        finished.append(category);
    }
};

TEST_F(LibrarySheets, SmartCategorySheetLimitsAtOnceAndCancelPutsTheLimitBack)
{
    for (int i = 0; i < 14; ++i)
        addObject(*library, namedStyle(QStringLiteral("Path %1").arg(i)));
    auto smart = std::make_shared<PWXLibrarySmartCategory>("Paths");
    library->addCategory(smart);
    smart->setPredicate(PWXLibraryPredicate::comparison("name", Op::BeginsWith, "Path"));
    ASSERT_EQ(smart->allElements().size(), 14);

    auto sheet = std::make_shared<PWXLibrarySmartCategoryEditController>();
    RecordingEditDelegate delegate;
    sheet->beginSmartCategoryEdit(smart, parent, &delegate);
    EXPECT_EQ(pf::Sheet::attachedSheet(parent), sheet->window());
    EXPECT_FALSE(sheet->limitCheckbox()->isChecked());
    sheet->limitCheckbox()->click();
    EXPECT_EQ(smart->countLimit(), 10u);
    EXPECT_EQ(smart->allElements().size(), 10) << "the category updates while the sheet is open";
    // A rule changed in the editor is not kept by Cancel.
    qobject_cast<QLineEdit*>(sheet->predicateEditor()->valueControl(0))->setText("Nothing");
    sheet->cancelAction();
    EXPECT_EQ(pf::Sheet::attachedSheet(parent), nullptr);
    EXPECT_EQ(smart->countLimit(), 0u);
    EXPECT_EQ(smart->predicate()->comparisons().first().value, "Path");
    EXPECT_TRUE(delegate.finished.isEmpty());

    // OK keeps the limit typed and the rules.
    sheet->beginSmartCategoryEdit(smart, parent, &delegate);
    sheet->limitCheckbox()->click();
    sheet->limitField()->setValue(3);
    qobject_cast<QLineEdit*>(sheet->predicateEditor()->valueControl(0))->setText("Path 1");
    sheet->okAction();
    EXPECT_EQ(smart->countLimit(), 3u);
    EXPECT_EQ(smart->predicate()->comparisons().first().value, "Path 1");
    EXPECT_EQ(delegate.finished, QList<PWXLibrarySmartCategory*>{smart.get()});
    EXPECT_EQ(smart->allElements().size(), 3);
    // Unticking takes the limit off.
    sheet->beginSmartCategoryEdit(smart, parent, &delegate);
    EXPECT_TRUE(sheet->limitCheckbox()->isChecked());
    EXPECT_EQ(sheet->limitField()->value(), 3);
    sheet->limitCheckbox()->click();
    sheet->okAction();
    EXPECT_EQ(smart->countLimit(), 0u);
}

TEST_F(LibrarySheets, SmartCategorySheetHeightFollowsTheRules)
{
    auto smart = std::make_shared<PWXLibrarySmartCategory>("Any");
    library->addCategory(smart);
    smart->setPredicate(std::make_shared<PWXLibraryPredicate>(
        PWXLibraryPredicate::Compound::Or,
        QList<PWXLibraryPredicate::Comparison>{{"name", Op::Contains, QString("a")},
                                               {"name", Op::Contains, QString("b")},
                                               {"name", Op::Contains, QString("c")}}));
    auto sheet = std::make_shared<PWXLibrarySmartCategoryEditController>();
    sheet->beginSmartCategoryEdit(smart, parent, nullptr);
    EXPECT_EQ(sheet->predicateEditor()->numberOfRows(), 4);
    EXPECT_EQ(sheet->sheetHeightForRows(), 150);
    EXPECT_EQ(sheet->window()->height(), 150);
    sheet->predicateEditor()->addRowAfter(0, {"name", Op::Contains, QString("d")});
    sheet->predicateEditor()->removeRow(3); // tells the sheet
    sheet->predicateEditor()->removeRow(2);
    EXPECT_EQ(sheet->window()->height(), 125);
    sheet->cancelAction();
}

struct OneLibrary : PWXLibrarySharingDelegate {
    pf::Ref<PWXLibrary> library;
    pf::Ref<PWXLibrary> libraryToUpload() const override { return library; }
};

TEST_F(LibrarySheets, SharingSheetKeepsCreditAndDescriptionOnlyWithOK)
{
    EXPECT_FALSE(PWXLibrarySharingController::sharingAvailable());
    library->setCreator("Ann");
    OneLibrary delegate;
    delegate.library = library;
    auto sheet = std::make_shared<PWXLibrarySharingController>();
    sheet->beginShareLibraryDialogWithParent(parent, &delegate);
    EXPECT_EQ(sheet->nameField()->text(), "Park");
    EXPECT_EQ(sheet->creditField()->text(), "Ann");
    sheet->creditField()->setText("Bea");
    sheet->descriptionField()->setText("Parks and paths");
    sheet->cancelAction();
    EXPECT_EQ(library->creator(), "Ann");
    EXPECT_EQ(library->userDescription(), "");

    sheet->beginShareLibraryDialogWithParent(parent, &delegate);
    EXPECT_EQ(sheet->creditField()->text(), "Ann") << "filled afresh";
    sheet->creditField()->setText("Bea");
    sheet->descriptionField()->setText("Parks and paths");
    sheet->submitAction();
    EXPECT_EQ(library->creator(), "Bea");
    EXPECT_EQ(library->userDescription(), "Parks and paths");
    EXPECT_EQ(pf::Sheet::attachedSheet(parent), nullptr);
}

} // namespace
