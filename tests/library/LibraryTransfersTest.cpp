#include "LibraryTestSupport.h"

#include "drawing/PWXSymbol.h"
#include "drawing/VNQLDrawingExtensions.h"
#include "frameworks/penwork/archiving/PWDrawableObjectPasteboard.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryManagerTransferHost.h"
#include "library/PWXLibraryManagerTransfers.h"
#include "library/PWXLibrarySmartCategory.h"
#include "platform/ui/DraggingInfo.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/PresentationHook.h"
#include "widgets/RVProgressController.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>

using namespace library_test;

namespace {

// Stands for the manager window: what the user has selected, and what the transfers asked.
struct RecordingHost : PWXLibraryManagerTransferHost {
    pf::Ref<PWXLibrary> library;
    pf::Ref<PWXLibraryCategory> category;
    pf::Ref<PWXLibraryElement> outlineElement;
    QList<pf::Ref<PWXLibraryItem>> selected;
    pf::Ref<PWXLibrary> installed;
    pf::Ref<PWXLibrary> selectedLibrary() const override { return library; }
    pf::Ref<PWXLibraryCategory> lastSelectedCategory() const override { return category; }
    pf::Ref<PWXLibraryElement> selectedOutlineElement() const override { return outlineElement; }
    void selectItems(const QList<pf::Ref<PWXLibraryItem>>& items) override { selected = items; }
    void libraryWasInstalled(const pf::Ref<PWXLibrary>& library) override { installed = library; }
};

// Answers every alert with the button of that title, and keeps "title | text" of each.
class AlertAnswers {
public:
    explicit AlertAnswers(QString button = {}, bool suppress = false)
    {
        pf::PresentationHook::set([this, button, suppress](QWidget* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            ASSERT_NE(box, nullptr);
            messages.append(box->text() + " | " + box->informativeText());
            if (suppress && box->checkBox())
                box->checkBox()->setChecked(true);
            for (QAbstractButton* b : box->buttons())
                if (button.isEmpty() || b->text() == button) {
                    b->click();
                    return;
                }
            box->buttons().first()->click();
        });
    }
    ~AlertAnswers() { pf::PresentationHook::clear(); }
    QStringList messages;
};

class LibraryTransfers : public LibraryTest {
protected:
    void SetUp() override
    {
        LibraryTest::SetUp();
        PWXLibrary::initializeRegistry();
        transfers = std::make_shared<PWXLibraryManagerTransfers>();
        transfers->setHost(&host);
        maps = userLibrary("Maps");
        parent = maps->addCategoryWithName("Parent");
        a = parent->addCategoryWithName("A");
        sub = a->addCategoryWithName("Sub");
        b = maps->addCategoryWithName("B");
        readOnly = maps->addCategoryWithName("Fixed");
        readOnly->setReadOnly(true);
        red = addObject(*maps, namedStyle("Red"));
        blue = addObject(*maps, namedStyle("Blue", Qt::blue));
        a->addItems({red, blue});
        other = userLibrary("Other");
        host.library = maps;
        host.category = a;
        host.outlineElement = a;
    }
    void TearDown() override
    {
        transfers->setHost(nullptr);
        LibraryTest::TearDown();
    }

    static pf::Ref<PWXLibrary> userLibrary(const QString& name)
    {
        pf::Ref<PWXLibrary> library = makeLibrary(name);
        PWXLibrary::addLibraryToGroup(library, PWXLibraryGroup::kUserGroupName, false);
        return library;
    }

    static pf::Ref<pf::Pasteboard> itemsPasteboard(const QList<pf::Ref<PWXLibraryItem>>& items)
    {
        auto pasteboard = pf::Pasteboard::withName(QStringLiteral("transfer-test-items"));
        EXPECT_TRUE(PWXLibraryItem::writeLibraryItems(items, pasteboard.get()));
        return pasteboard;
    }

    unsigned operation(const pf::Ref<pf::Pasteboard>& pasteboard, const pf::Ref<PWXLibraryElement>& target,
                       unsigned mask = pf::DragOperationEvery)
    {
        pf::DraggingInfo info(pasteboard, nullptr, mask, QPointF(), nullptr, 1);
        return transfers->dragOperationForDraggingInfo(&info, target);
    }

    bool drop(const pf::Ref<pf::Pasteboard>& pasteboard, const pf::Ref<PWXLibraryElement>& target,
              unsigned mask = pf::DragOperationEvery)
    {
        pf::DraggingInfo info(pasteboard, nullptr, mask, QPointF(), nullptr, 1);
        return transfers->acceptDrop(&info, target);
    }

    static QStringList names(const QList<pf::Ref<PWXLibraryItem>>& items)
    {
        QStringList list;
        for (const auto& item : items)
            list.append(item->name());
        list.sort();
        return list;
    }

    RecordingHost host;
    pf::Ref<PWXLibraryManagerTransfers> transfers;
    pf::Ref<PWXLibrary> maps, other;
    pf::Ref<PWXLibraryCategory> parent, a, sub, b, readOnly;
    pf::Ref<PWXLibraryItem> red, blue;
};

TEST_F(LibraryTransfers, ItemDragOperationsFollowSourceTargetAndModifier)
{
    pf::Ref<PWXLibrary> factory = makeLibrary("Factory");
    factory->setAllowsContentChanges(false);
    pf::Ref<pf::Pasteboard> pasteboard = itemsPasteboard({red});
    struct Case {
        const char* what;
        pf::Ref<PWXLibraryElement> target;
        unsigned mask;
        unsigned expected;
    };
    const Case cases[] = {
        {"unrelated category of the same collection links", b, pf::DragOperationEvery, pf::DragOperationLink},
        {"a sub-category of the source links", sub, pf::DragOperationEvery, pf::DragOperationLink},
        {"a category holding the source moves", parent, pf::DragOperationEvery, pf::DragOperationMove},
        {"the source category itself is refused", a, pf::DragOperationEvery, pf::DragOperationNone},
        {"the collection row of the same collection is refused", maps, pf::DragOperationEvery, pf::DragOperationNone},
        {"a read-only category is refused", readOnly, pf::DragOperationEvery, pf::DragOperationNone},
        {"another collection takes a move", other, pf::DragOperationEvery, pf::DragOperationMove},
        {"a drag offering only copy copies", other, pf::DragOperationCopy, pf::DragOperationCopy},
        {"the item browser's copy and delete copies", other, pf::DragOperationCopy | pf::DragOperationDelete,
         pf::DragOperationCopy},
        {"a collection without content changes is refused", factory, pf::DragOperationEvery, pf::DragOperationNone},
        {"a group row is refused", PWXLibraryGroup::userGroup(), pf::DragOperationEvery, pf::DragOperationNone},
        {"no row is refused", nullptr, pf::DragOperationEvery, pf::DragOperationNone},
    };
    for (const Case& c : cases)
        EXPECT_EQ(operation(pasteboard, c.target, c.mask), c.expected) << c.what;

    // Out of a collection that may not lose items (a factory one), items are copied.
    host.library = factory;
    host.category = nullptr;
    EXPECT_EQ(operation(pasteboard, other), pf::DragOperationCopy);

    // Within a collection whose categories are fixed nothing is filed anew.
    host.library = maps;
    host.category = a;
    maps->setAllowsCategoryChanges(false);
    EXPECT_EQ(operation(pasteboard, b), pf::DragOperationNone);
    maps->setAllowsCategoryChanges(true);

    // A drag whose first accepted type is the bare element type is refused everywhere.
    auto bare = pf::Pasteboard::withName(QStringLiteral("transfer-test-bare"));
    bare->declareTypes({kPWXLibraryElementPasteboardType, kPWXLibraryItemPasteboardType});
    bare->setData(pasteboard->dataForType(kPWXLibraryItemPasteboardType), kPWXLibraryItemPasteboardType);
    for (const pf::Ref<PWXLibraryElement>& target : QList<pf::Ref<PWXLibraryElement>>{b, parent, other, maps})
        EXPECT_EQ(operation(bare, target), pf::DragOperationNone);
    EXPECT_FALSE(drop(bare, b));
}

TEST_F(LibraryTransfers, ItemDropsLinkWithinACollectionAndMoveOrCopyBetweenCollections)
{
    // Link onto an unrelated category: both categories hold the items.
    ASSERT_TRUE(drop(itemsPasteboard({red, blue}), b));
    EXPECT_EQ(names(b->items()), (QStringList{"Blue", "Red"}));
    EXPECT_EQ(names(a->items()), (QStringList{"Blue", "Red"}));

    // Onto a sub-category of the category shown: they move down into it.
    ASSERT_TRUE(drop(itemsPasteboard({red}), sub));
    EXPECT_EQ(names(sub->items()), QStringList{"Red"});
    EXPECT_EQ(names(a->items()), QStringList{"Blue"});

    // To another collection: moved, the source loses them.
    ASSERT_TRUE(drop(itemsPasteboard({blue}), other));
    EXPECT_TRUE(other->itemWithName("Blue"));
    EXPECT_FALSE(maps->itemWithName("Blue"));
    EXPECT_EQ(names(host.selected), QStringList{"Blue"}) << "the moved items are shown selected";

    // With only copy offered: copied, the source keeps it.
    ASSERT_TRUE(drop(itemsPasteboard({red}), other, pf::DragOperationCopy));
    EXPECT_TRUE(other->itemWithName("Red"));
    EXPECT_TRUE(maps->itemWithName("Red"));
    EXPECT_NE(other->itemWithName("Red")->uniqueKey(), red->uniqueKey());
}

TEST_F(LibraryTransfers, MovingItemsStopsAtTheFirstFailure)
{
    pf::Ref<PWXLibraryItem> held = addObject(*other, namedStyle("Held"));
    // The second item is already in the target: the first stays moved, the third is not tried.
    pf::Ref<PWXLibraryItem> third = addObject(*maps, namedStyle("Third"));
    EXPECT_FALSE(transfers->moveItems({red, held, third}, other, nullptr, false));
    EXPECT_TRUE(other->itemWithName("Red"));
    EXPECT_FALSE(other->itemWithName("Third"));
    EXPECT_TRUE(maps->itemWithName("Third"));
}

TEST_F(LibraryTransfers, CategoryDragsNeverLandInsideThemselves)
{
    pf::Ref<pf::Pasteboard> pasteboard = pf::Pasteboard::withName(QStringLiteral("transfer-test-category"));
    EXPECT_FALSE(transfers->writeItemsToPasteboard({red}, *pasteboard)) << "only categories are dragged";
    ASSERT_TRUE(transfers->writeItemsToPasteboard({a}, *pasteboard));
    EXPECT_EQ(pasteboard->types(), QStringList{kPWXLibraryCategoryInternalPasteboardType});

    auto smart = std::make_shared<PWXLibrarySmartCategory>("Smart");
    maps->addCategory(smart);
    EXPECT_EQ(operation(pasteboard, a), pf::DragOperationNone) << "onto itself";
    EXPECT_EQ(operation(pasteboard, sub), pf::DragOperationNone) << "onto its own descendant";
    EXPECT_EQ(operation(pasteboard, parent), pf::DragOperationNone) << "onto its present container";
    EXPECT_EQ(operation(pasteboard, smart), pf::DragOperationNone) << "into a smart category";
    EXPECT_EQ(operation(pasteboard, readOnly), pf::DragOperationNone);
    EXPECT_EQ(operation(pasteboard, b), pf::DragOperationMove);
    EXPECT_EQ(operation(pasteboard, maps), pf::DragOperationMove) << "to the top of its collection";
    EXPECT_EQ(operation(pasteboard, other), pf::DragOperationCopy);

    EXPECT_FALSE(drop(pasteboard, sub));
    EXPECT_EQ(a->container(), parent.get());
    ASSERT_TRUE(drop(pasteboard, b));
    EXPECT_EQ(a->container(), b.get());
    EXPECT_TRUE(b->containsElement(sub.get()));
    EXPECT_FALSE(transfers->draggingCategory()) << "forgotten once dropped";
}

TEST_F(LibraryTransfers, CopyingACategoryCopiesItsItemsAndRebuildsItsSubCategories)
{
    pf::Ref<PWXLibraryCategory> roads = maps->addCategoryWithName("Roads");
    pf::Ref<PWXLibraryItem> green = addObject(*maps, namedStyle("Green", Qt::green));
    roads->addItems({red, green});
    pf::Ref<PWXLibraryCategory> minor = roads->addCategoryWithName("Minor");
    minor->addItems({red, blue}); // red is filed twice: one copy serves both
    auto smart = std::make_shared<PWXLibrarySmartCategory>("Greens");
    roads->addCategory(smart);
    smart->setPredicate(PWXLibraryPredicate::comparison("name", PWXLibraryPredicate::Operator::Contains, "Green"));
    other->addCategoryWithName("Roads");
    other->addCategoryWithName("Roads-1");

    pf::UserDefaults::standard().setBool(true, PWXLibraryManagerTransfers::kConfirmCategoryCopyDefault);
    ASSERT_TRUE(transfers->copyCategory(roads, other));
    pf::UserDefaults::standard().removeObjectForKey(PWXLibraryManagerTransfers::kConfirmCategoryCopyDefault);

    pf::Ref<PWXLibraryCategory> copied = other->categoryWithName("Roads-2");
    ASSERT_TRUE(copied);
    EXPECT_EQ(names(copied->items()), (QStringList{"Green", "Red"}));
    pf::Ref<PWXLibraryCategory> minorCopy = copied->categoryWithName("Minor");
    ASSERT_TRUE(minorCopy);
    EXPECT_EQ(names(minorCopy->items()), (QStringList{"Blue", "Red"}));
    EXPECT_EQ(other->itemCount(), 3) << "each item copied once";
    EXPECT_EQ(minorCopy->items().size(), 2);
    auto smartCopy = std::dynamic_pointer_cast<PWXLibrarySmartCategory>(copied->categoryWithName("Greens"));
    ASSERT_TRUE(smartCopy);
    ASSERT_TRUE(smartCopy->predicate());
    EXPECT_TRUE(smartCopy->predicate()->isEqualToPredicate(*smart->predicate()));
    EXPECT_EQ(names(smartCopy->allElements()), QStringList{"Green"});
    // The source keeps everything.
    EXPECT_EQ(maps->itemCount(), 3);
    EXPECT_NE(other->itemWithName("Red")->uniqueKey(), red->uniqueKey());
}

TEST_F(LibraryTransfers, CopyingACategoryAsksFirstAndKeepsTheSuppressionChoice)
{
    pf::Ref<pf::Pasteboard> pasteboard = pf::Pasteboard::withName(QStringLiteral("transfer-test-copy"));
    ASSERT_TRUE(transfers->writeItemsToPasteboard({a}, *pasteboard));
    {
        AlertAnswers answers("Cancel", true);
        EXPECT_FALSE(drop(pasteboard, other));
        ASSERT_EQ(answers.messages.size(), 1);
        EXPECT_EQ(answers.messages[0],
                  "Copy Category | 2 items from the category \u201CA\u201D will be copied to the collection \u201COther\u201D");
    }
    EXPECT_FALSE(other->categoryWithName("A"));
    EXPECT_TRUE(pf::UserDefaults::standard().boolForKey("kPWXLibraryConfirmCategoryCopy")) << "kept whatever the answer";
    {
        AlertAnswers answers;
        ASSERT_TRUE(drop(pasteboard, other));
        EXPECT_TRUE(answers.messages.isEmpty()) << "suppressed";
    }
    pf::UserDefaults::standard().removeObjectForKey(PWXLibraryManagerTransfers::kConfirmCategoryCopyDefault);
    ASSERT_TRUE(other->categoryWithName("A"));
    EXPECT_EQ(names(other->categoryWithName("A")->items()), (QStringList{"Blue", "Red"}));
    // Refused: into its own collection, or a category with nothing in it.
    EXPECT_FALSE(transfers->copyCategory(a, maps));
    EXPECT_FALSE(transfers->copyCategory(readOnly, other));
}

TEST_F(LibraryTransfers, DrawingsDroppedOnACollectionBecomeClipArtInNewSymbols)
{
    VNQLDrawingExtensions::install();
    auto pasteboard = pf::Pasteboard::withName(QStringLiteral("transfer-test-drawables"));
    QList<pf::Ref<PWDrawableObject>> shapes;
    for (int i = 0; i < 2; ++i)
        shapes.append(PWDrawableShape::drawableShapeWithRect(QRectF(i * 20, 0, 10, 10), namedStyle("Fill")));
    ASSERT_TRUE(PWDrawableObjectPasteboard::writeObjects(shapes, *pasteboard));
    EXPECT_EQ(operation(pasteboard, readOnly), pf::DragOperationNone);
    EXPECT_EQ(operation(pasteboard, other), pf::DragOperationCopy);

    ASSERT_TRUE(drop(pasteboard, other));
    pf::Ref<PWXLibraryCategory> made = other->categoryWithName("New Symbols");
    ASSERT_TRUE(made);
    EXPECT_EQ(names(made->items()), (QStringList{"untitled clip art", "untitled clip art-1"}));

    // Damaged drawing data is refused and leaves no empty category behind.
    auto damaged = pf::Pasteboard::withName(QStringLiteral("transfer-test-damaged"));
    damaged->setData("not an archive", kPWDrawableObjectPasteboardType);
    pf::Ref<PWXLibrary> third = userLibrary("Third");
    EXPECT_FALSE(drop(damaged, third));
    EXPECT_FALSE(third->categoryWithName("New Symbols"));
}

TEST_F(LibraryTransfers, ClipArtImportTellsWhenSomeObjectsAreNoClipArt)
{
    VNQLDrawingExtensions::install();
    pf::Ref<PWXSymbolMaster> master = namedMaster("Buoy");
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 10, 10), namedStyle("Fill"));
    AlertAnswers answers;
    ASSERT_TRUE(transfers->importItemsAsSymbols({pf::Ref<pf::Object>(shape)}, other, nullptr));
    EXPECT_TRUE(answers.messages.isEmpty());
    const QList<pf::Ref<pf::Object>> mixed = {pf::Ref<pf::Object>(shape), pf::Ref<pf::Object>(master->symbolWithLocation(QPointF()))};
    ASSERT_TRUE(transfers->importItemsAsSymbols(mixed, other, nullptr));
    ASSERT_EQ(answers.messages.size(), 1);
    EXPECT_TRUE(answers.messages[0].contains("The remaining 1 were converted"));
}

TEST_F(LibraryTransfers, PasteIsRefusedWhereNothingMayBeAdded)
{
    pf::Ref<pf::Pasteboard> pasteboard = itemsPasteboard({red});
    EXPECT_TRUE(transfers->canPasteIntoLibrary(other, nullptr, *pasteboard));
    EXPECT_FALSE(transfers->canPasteIntoLibrary(other, other->allItemsCategory(), *pasteboard)) << "read-only";
    EXPECT_FALSE(transfers->canPasteIntoLibrary(nullptr, nullptr, *pasteboard));
    auto empty = pf::Pasteboard::withName(QStringLiteral("transfer-test-empty"));
    empty->clearContents();
    EXPECT_FALSE(transfers->canPasteIntoLibrary(other, nullptr, *empty));
    other->setAllowsContentChanges(false);
    EXPECT_FALSE(transfers->pasteIntoLibrary(other, nullptr, *pasteboard, true));
    EXPECT_FALSE(other->itemWithName("Red"));
}

// --- Collections from elsewhere and to zip archives -------------------------------------------

// Waits for the export to report back.
static bool waitForExport(const PWXLibraryManagerTransfers& transfers)
{
    QElapsedTimer timer;
    timer.start();
    while (transfers.exportInProgress() && timer.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return !transfers.exportInProgress();
}

TEST_F(LibraryTransfers, ExportedCollectionsImportAgainUnderAFreeName)
{
    red->setUserDescription("a red fill");
    QTemporaryDir outside;
    const QUrl archive = QUrl::fromLocalFile(outside.filePath("Maps.zip"));
    transfers->exportLibrary(maps, archive);
    EXPECT_TRUE(transfers->exportInProgress());
    ASSERT_TRUE(waitForExport(*transfers));
    ASSERT_EQ(transfers->lastExportedArchive(), archive);
    EXPECT_FALSE(transfers->progressController()) << "the progress window is gone";

    // "Maps" is installed already: the user is told, installs under another name, and hears of it.
    AlertAnswers answers("Install");
    ASSERT_TRUE(transfers->confirmAndImportLibraryFile(archive.toLocalFile(), true));
    ASSERT_EQ(answers.messages.size(), 3);
    EXPECT_EQ(answers.messages[0], "Install Styles And Symbols Collection | The collection \u201CMaps\u201D can be installed. "
                                   "Would you like to install it now?");
    EXPECT_TRUE(answers.messages[1].startsWith("Collection Name In Use | A collection with the name \u201CMaps\u201D"));
    ASSERT_TRUE(host.installed);
    EXPECT_NE(host.installed, maps);
    EXPECT_NE(host.installed->name(), "Maps");
    EXPECT_EQ(answers.messages[2], QStringLiteral("Collection Imported | The collection \u201C%1\u201D was successfully imported "
                                                  "into \u201CMY LIBRARY\u201D and may now be used.")
                                       .arg(host.installed->name()));
    EXPECT_EQ(names(host.installed->items()), (QStringList{"Blue", "Red"}));
    EXPECT_EQ(host.installed->itemWithName("Red")->userDescription(), "a red fill");
    pf::Ref<PWXLibraryCategory> copiedA = std::dynamic_pointer_cast<PWXLibraryCategory>(
        host.installed->itemWithIdentifier(host.installed->identifier() + ".Parent.A"));
    ASSERT_TRUE(copiedA);
    EXPECT_EQ(names(copiedA->items()), (QStringList{"Blue", "Red"}));
}

TEST_F(LibraryTransfers, CollectionsThatCannotBeInstalledAreRefusedWithTheirAlert)
{
    QTemporaryDir outside;
    QDir(outside.path()).mkpath("Broken.symlibrary");
    QFile junk(outside.filePath("junk.zip"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("PK\x03\x04 but nothing more");
    junk.close();
    struct Case {
        QString path;
        QString message;
    };
    const Case cases[] = {
        {outside.filePath("Broken.symlibrary"),
         "Invalid Collection | The collection \u201CBroken\u201D does not appear to be valid, and can't be imported."},
        {outside.filePath("junk.zip"),
         "Invalid Collection | The collection \u201Cjunk\u201D does not appear to be valid, and can't be imported."},
        {maps->path(), "Collection Already Installed | A collection called \u201CMaps\u201D has already been installed."},
    };
    const int before = PWXLibrary::userLibraries().size();
    for (const Case& c : cases) {
        AlertAnswers answers;
        EXPECT_FALSE(transfers->confirmAndImportLibraryFile(c.path, true)) << c.path.toStdString();
        EXPECT_EQ(answers.messages, QStringList{c.message});
    }
    EXPECT_EQ(PWXLibrary::userLibraries().size(), before);
    EXPECT_FALSE(host.installed);

    // Cancelling the confirmation installs nothing.
    QTemporaryDir scratch;
    const QString copy = QDir(scratch.path()).filePath("Other.symlibrary");
    ASSERT_TRUE(pf::FileManager::defaultManager().copyItem(other->path(), copy, nullptr));
    AlertAnswers answers("Cancel");
    EXPECT_FALSE(transfers->confirmAndImportLibraryFile(copy, true));
    EXPECT_EQ(answers.messages.size(), 1);
    EXPECT_EQ(PWXLibrary::userLibraries().size(), before);
}

TEST_F(LibraryTransfers, AFailedExportIsToldOnceAfterTheProgressWindowWent)
{
    QTemporaryDir outside;
    QStringList messages;
    bool progressShownAtAlert = true;
    pf::PresentationHook::set([&](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        ASSERT_NE(box, nullptr);
        messages.append(box->text() + " | " + box->informativeText());
        progressShownAtAlert = transfers->progressController() != nullptr;
        box->buttons().first()->click();
    });
    transfers->exportLibrary(maps, QUrl::fromLocalFile(outside.filePath("no/such/folder/Maps.zip")));
    ASSERT_TRUE(transfers->progressController());
    ASSERT_TRUE(waitForExport(*transfers));
    pf::PresentationHook::clear();
    EXPECT_EQ(messages, QStringList{"Export Failed | The collection \u201CMaps\u201D could not be exported because an error occurred."});
    EXPECT_FALSE(progressShownAtAlert);
    EXPECT_TRUE(transfers->lastExportedArchive().isEmpty());
}

} // namespace
