#include "LibraryTestSupport.h"

#include "../app/DocumentTestSupport.h"

#include "drawing/PWDrawingTool+LibraryItemKind.h"
#include "drawing/PWXSymbolTool.h"
#include "drawing/VNQLDrawingTools.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/tools/PWObjectCreationTool.h"
#include "inspectors/CVLToolsController.h"
#include "library/PWXFixedLengthLibraryCategory.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryPickerHistoryItem.h"
#include "library/PWXLibraryPickerItemView.h"
#include "library/PWXLibraryPickerPaletteController.h"
#include "platform/ui/Application.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/PathControl.h"
#include "platform/ui/PresentationHook.h"
#include "platform/ui/Window.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

using namespace library_test;
using Picker = PWXLibraryPickerPaletteController;

namespace {

class LibraryPicker : public LibraryTest {
protected:
    void SetUp() override
    {
        // A palette made by an earlier test (the application's launch makes one) shows a
        // registry that is gone.
        Picker::releaseSharedLibraryPicker();
        LibraryTest::SetUp();
        VNQLDrawingTools::registerTools();
        if (!PWDrawingTool::drawingToolWithName(PWXSymbolTool::kToolName))
            PWDrawingTool::registerDrawingTool(std::make_shared<PWXSymbolTool>(PWXSymbolMaster::defaultSymbolMaster()),
                                               PWXSymbolTool::kToolName);
        PWDrawingToolLibraryItemKind::install();
        clearDefaults();
        PWXLibrary::initializeRegistry();
        maps = makeLibrary("Maps");
        PWXLibrary::addLibraryToGroup(maps, PWXLibraryGroup::kUserGroupName, false);
        roads = maps->addCategoryWithName("Roads");
        red = addObject(*maps, namedStyle("Red"));
        blue = addObject(*maps, namedStyle("Blue", Qt::blue));
        buoy = addObject(*maps, namedMaster("Buoy"));
        roads->addItems({red, blue, buoy});
        pf::UserDefaults::standard().setObject(roads->identifier(), Picker::kDisplayedCategoryDefault);
    }
    void TearDown() override
    {
        Picker::releaseSharedLibraryPicker();
        CVLToolsController::releaseSharedToolsController();
        for (const auto& document : documents)
            quillory::test::closeDocument(document);
        clearDefaults();
        PWDrawingTool::selectionTool()->set();
        LibraryTest::TearDown();
    }
    static void clearDefaults()
    {
        for (const QString& key : {Picker::kVisibleDefault, Picker::kFrameDefault, Picker::kHideNonMatchingItemsDefault,
                                   Picker::kDisplayedCategoryDefault, Picker::kLastSelectionDefault,
                                   Picker::kConfirmDirectApplyDefault, Picker::kWindowPlacementDefault})
            pf::UserDefaults::standard().removeObjectForKey(key);
    }
    static QStringList names(const QList<pf::Ref<PWXLibraryItem>>& items)
    {
        QStringList list;
        for (const auto& item : items)
            list.append(item->name());
        return list;
    }
    static QStringList history(const QList<pf::Ref<PWXLibraryPickerHistoryItem>>& buffer)
    {
        QStringList list;
        for (const auto& entry : buffer)
            list.append(entry->displayString().section(QStringLiteral("\u2022"), -1));
        return list;
    }
    // The item a history menu shows at `index`, filled as the menu fills it before it opens.
    static pf::Ref<pf::MenuItem> historyMenuItem(Picker& picker, pf::Menu& menu, int index)
    {
        auto item = pf::MenuItem::make(QString());
        picker.updateItem(menu, *item, index, false);
        return item;
    }
    pf::Ref<RVCartavelDocument> mainDocument()
    {
        auto document = quillory::test::newDocument();
        document->makeWindowControllers();
        QWidget* window = document->windowControllers().first()->window();
        window->show();
        window->activateWindow();
        EXPECT_TRUE(quillory::test::waitUntil([&] { return pf::Application::shared()->mainWindow() == window; }));
        documents.append(document);
        return document;
    }

    pf::Ref<PWXLibrary> maps;
    pf::Ref<PWXLibraryCategory> roads;
    pf::Ref<PWXLibraryItem> red, blue, buoy;
    QList<pf::Ref<RVCartavelDocument>> documents;
};

TEST_F(LibraryPicker, ShowsTheStoredCategorySortedAndPicksAnnounceTheItem)
{
    auto picker = Picker::sharedLibraryPicker();
    ASSERT_EQ(picker->category(), roads);
    EXPECT_EQ(names(picker->filteredItems()), (QStringList{"Blue", "Buoy", "Red"}));
    EXPECT_EQ(picker->saveSettingsRootNameForItemViewController(), "CVLQ_LIB_PICKER");

    QList<QVariantMap> posted;
    const quint64 token = pf::NotificationCenter::defaultCenter().addObserver(
        "kPWXLibraryPickerSelectedObjectDidChange", nullptr, [&](const pf::Notification& note) { posted.append(note.userInfo); });
    picker->selectItem(red);
    pf::NotificationCenter::defaultCenter().removeObserver(token);
    ASSERT_EQ(posted.size(), 1);
    EXPECT_EQ(pf::objectCast<PWXLibraryItem>(posted[0].value("lib_object")), red);
    EXPECT_EQ(posted[0].value("aux_style_flag"), QVariant(false));
    EXPECT_EQ(picker->selectedItem(), red);
    EXPECT_TRUE(picker->applyButton()->isEnabled());
    EXPECT_EQ(pf::UserDefaults::standard().stringForKey("CVLQ_LIB_PICKER_LAST_SELECTION"), roads->identifier() + ".Red");
    EXPECT_EQ(pf::UserDefaults::standard().stringForKey("CVLQ_PICKER_DISPLAYED_CATEGORY"), roads->identifier());

    // A new palette comes back to the same category and pick.
    Picker::releaseSharedLibraryPicker();
    picker = Picker::sharedLibraryPicker();
    EXPECT_EQ(picker->category(), roads);
    EXPECT_EQ(picker->selectedItem(), red);
    picker->selectItem(nullptr);
    EXPECT_TRUE(pf::UserDefaults::standard().stringForKey("CVLQ_LIB_PICKER_LAST_SELECTION").isEmpty());
    EXPECT_FALSE(picker->applyButton()->isEnabled());
}

TEST_F(LibraryPicker, PathBarShowsWhereThePickedItemLives)
{
    pf::Ref<PWXLibraryItem> dotted = addObject(*maps, namedStyle("v1.2/b"));
    roads->addItem(dotted);
    auto picker = Picker::sharedLibraryPicker();
    picker->selectItem(picker->filteredItemWithID(dotted->uniqueKey()));
    EXPECT_EQ(picker->identifierForSelectedItem(), roads->identifier() + ".v1#$#2-b");
    EXPECT_EQ(picker->pathControlValue(), "/MY%20LIBRARY/Maps/Roads/v1.2-b");
    const auto& cells = picker->pathControl()->pathComponentCells();
    ASSERT_EQ(cells.size(), 4);
    EXPECT_EQ(cells[3]->title(), "v1.2-b");
    EXPECT_EQ(cells[2]->title(), "Roads");
    picker->selectItem(nullptr);
    EXPECT_EQ(picker->pathControlValue(), "/MY%20LIBRARY/Maps/Roads");
}

TEST_F(LibraryPicker, WithNoCollectionAtAllNoCategoryIsShown)
{
    for (const auto& library : PWXLibrary::allLibraries())
        PWXLibrary::removeLibraryFromGroup(library, library->group());
    pf::UserDefaults::standard().removeObjectForKey(Picker::kDisplayedCategoryDefault);
    ASSERT_TRUE(PWXLibrary::allLibraries().isEmpty());
    auto picker = Picker::sharedLibraryPicker();
    EXPECT_FALSE(picker->category());
    EXPECT_TRUE(picker->filteredItems().isEmpty());
    EXPECT_TRUE(picker->identifierForSelectedItem().isEmpty());
    EXPECT_FALSE(picker->pathControl()->isVisibleTo(picker->window()));
    picker->setFilterString("x");
    picker->setFilterScope(1);
    picker->setFilterString("y");
    picker->libraryChoiceAction(QVariant(QString("MY LIBRARY.Gone")));
    EXPECT_FALSE(picker->category());
}

TEST_F(LibraryPicker, HistoryGoesBackWithoutRecordingAndAFreshPickDropsWhatLayAhead)
{
    pf::Ref<PWXLibraryItem> green = addObject(*maps, namedStyle("Green", Qt::green));
    roads->addItem(green);
    auto picker = Picker::sharedLibraryPicker();
    auto pick = [&](const pf::Ref<PWXLibraryItem>& item) { picker->selectItem(picker->filteredItemWithID(item->uniqueKey())); };
    pick(red);
    pick(red);
    EXPECT_EQ(history(picker->backHistory()), QStringList{"Red"}) << "the same pick once";
    EXPECT_FALSE(picker->canGoBack());
    pick(blue);
    pick(buoy);
    EXPECT_EQ(picker->backHistory().first()->displayString(), QStringLiteral("Maps\u2022Roads\u2022Red"));

    picker->goBack();
    EXPECT_EQ(picker->selectedItem(), blue);
    picker->goBack();
    EXPECT_EQ(picker->selectedItem(), red);
    EXPECT_EQ(history(picker->backHistory()), QStringList{"Red"}) << "going back records nothing";
    EXPECT_EQ(history(picker->forwardHistory()), (QStringList{"Buoy", "Blue"}));
    EXPECT_FALSE(picker->canGoBack());
    EXPECT_TRUE(picker->canGoForward());

    picker->goForward();
    EXPECT_EQ(picker->selectedItem(), blue);
    EXPECT_EQ(history(picker->backHistory()), (QStringList{"Red", "Blue"})) << "going forward records";
    EXPECT_EQ(history(picker->forwardHistory()), QStringList{"Buoy"});

    pick(green);
    EXPECT_TRUE(picker->forwardHistory().isEmpty()) << "a pick made while idle empties what lay ahead";
    EXPECT_EQ(history(picker->backHistory()), (QStringList{"Red", "Blue", "Green"}));

    // The back menu lists the newest first, the present entry ticked; jumping to the oldest
    // moves the newer ones ahead, newest first.
    pf::Menu& back = *picker->backHistoryMenu();
    EXPECT_EQ(picker->numberOfItemsInMenu(back), 3);
    EXPECT_EQ(historyMenuItem(*picker, back, 0)->state(), pf::ControlState::On);
    pf::Ref<pf::MenuItem> oldest = historyMenuItem(*picker, back, 2);
    EXPECT_EQ(oldest->title(), QStringLiteral("Maps\u2022Roads\u2022Red"));
    EXPECT_EQ(oldest->state(), pf::ControlState::Off);
    EXPECT_EQ(oldest->tag(), 0);
    picker->goToHistoryItem(pf::toVariant(oldest));
    EXPECT_EQ(picker->selectedItem(), red);
    EXPECT_EQ(history(picker->backHistory()), QStringList{"Red"});
    EXPECT_EQ(history(picker->forwardHistory()), (QStringList{"Green", "Blue"}));
    // Jumping to the farthest entry ahead brings everything before it back, the entry last.
    pf::Ref<pf::MenuItem> farthest = historyMenuItem(*picker, *picker->forwardHistoryMenu(), 1);
    EXPECT_EQ(farthest->title(), QStringLiteral("Maps\u2022Roads\u2022Green"));
    picker->goToHistoryItem(pf::toVariant(farthest));
    EXPECT_EQ(picker->selectedItem(), green);
    EXPECT_EQ(history(picker->backHistory()), (QStringList{"Red", "Blue", "Green"}));
    EXPECT_TRUE(picker->forwardHistory().isEmpty());

    picker->clearHistory();
    EXPECT_EQ(history(picker->backHistory()), QStringList{"Green"});
}

TEST_F(LibraryPicker, HistoryKeepsTheLastTwentyAndForgetsRemovedCategories)
{
    pf::Ref<PWXLibraryCategory> many = maps->addCategoryWithName("Many");
    for (int i = 0; i < 25; ++i)
        many->addItem(addObject(*maps, namedStyle(QStringLiteral("S%1").arg(i, 2, 10, QLatin1Char('0')))));
    auto picker = Picker::sharedLibraryPicker();
    picker->setCategory(many);
    for (const auto& item : QList<pf::Ref<PWXLibraryItem>>(picker->filteredItems()))
        picker->selectItem(item);
    ASSERT_EQ(picker->backHistory().size(), 20);
    EXPECT_EQ(history(picker->backHistory()).first(), "S05");
    EXPECT_EQ(history(picker->backHistory()).last(), "S24");

    picker->setCategory(roads);
    picker->selectItem(picker->filteredItemWithID(red->uniqueKey()));
    picker->setCategory(many);
    maps->removeCategory(many);
    EXPECT_FALSE(picker->category()) << "the removed category is no longer shown";
    EXPECT_EQ(history(picker->backHistory()), QStringList{"Red"}) << "its entries are gone";
}

TEST_F(LibraryPicker, TheToolDecidesWhichItemsCanBePicked)
{
    auto picker = Picker::sharedLibraryPicker();
    // Blue, Buoy, Red: the clip art is position 1. The current tool (no document is open)
    // decides what its kind of item is.
    struct Case {
        const char* tool;
        bool hiding;
        std::optional<pf::IndexSet> disabled;
        QStringList listed;
    };
    const QStringList all{"Blue", "Buoy", "Red"};
    const pf::IndexSet styles = [] { pf::IndexSet s; s.add(0); s.add(2); return s; }();
    const Case cases[] = {
        {"Zoom", false, pf::IndexSet(), all},     // a tool that takes nothing: every item dimmed
        {"Oval", false, pf::IndexSet(1), all},    // styles: the clip art dimmed
        {"Clip-Art Stamp", false, styles, all},
        {"Select", false, std::nullopt, all},     // the selection tool takes everything
        {"Oval", true, std::nullopt, {"Blue", "Red"}},
        {"Clip-Art Stamp", true, std::nullopt, {"Buoy"}},
        {"Zoom", true, std::nullopt, all},
    };
    for (const Case& c : cases) {
        pf::UserDefaults::standard().setBool(c.hiding, "kLibraryPickerHideNonMatchingItems");
        EXPECT_EQ(Picker::hidesNonMatchingItems(), c.hiding);
        pf::Ref<PWDrawingTool> tool = PWDrawingTool::drawingToolWithName(QString::fromLatin1(c.tool));
        ASSERT_TRUE(tool) << c.tool;
        tool->set();
        picker->setUIStateForDrawingTool(tool);
        EXPECT_EQ(picker->itemView()->disabledItems(), c.disabled) << c.tool << " hiding " << c.hiding;
        EXPECT_EQ(names(picker->filteredItems()), c.listed) << c.tool << " hiding " << c.hiding;
    }
    Picker::setHidesNonMatchingItems(false);
    picker->setClassCode(1);
    // A dimmed item cannot be picked.
    picker->itemView()->userSelectedItemsAtIndexes(pf::IndexSet(1));
    EXPECT_FALSE(picker->selectedItem());

    // The stamp tool takes clip art and its symbol is picked.
    auto stamp = std::dynamic_pointer_cast<PWXSymbolTool>(PWDrawingTool::drawingToolWithName(PWXSymbolTool::kToolName));
    ASSERT_TRUE(stamp);
    stamp->setSymbolMaster(std::dynamic_pointer_cast<PWXSymbolMaster>(buoy->symbolMaster()));
    picker->setUIStateForDrawingTool(stamp);
    EXPECT_EQ(picker->classCode(), 2);
    EXPECT_EQ(picker->selectedItem(), buoy);
    EXPECT_EQ(picker->itemView()->disabledItems(), [] { pf::IndexSet s; s.add(0); s.add(2); return s; }());
}

TEST_F(LibraryPicker, APickBecomesTheToolsSymbolWithoutComingBackAsAnotherPick)
{
    auto tools = CVLToolsController::sharedToolsController();
    auto picker = Picker::sharedLibraryPicker();
    picker->setClassCode(32767);
    int posts = 0;
    // Whatever the tool does with the pick comes back as a tool change while it is announced.
    const quint64 token = pf::NotificationCenter::defaultCenter().addObserver(
        "kPWXLibraryPickerSelectedObjectDidChange", nullptr, [&](const pf::Notification&) {
            ++posts;
            auto oval = std::dynamic_pointer_cast<PWObjectCreationTool>(PWDrawingTool::drawingToolWithName("Oval"));
            ASSERT_TRUE(oval);
            oval->setStyle(std::dynamic_pointer_cast<PWStyle>(blue->style()));
            pf::NotificationCenter::defaultCenter().post(kCartavelToolControllerStyleChangedExternally, oval.get());
        });
    picker->selectItem(buoy);
    pf::NotificationCenter::defaultCenter().removeObserver(token);
    EXPECT_EQ(posts, 1);
    EXPECT_EQ(picker->selectedItem(), buoy);
    auto stamp = std::dynamic_pointer_cast<PWXSymbolTool>(PWDrawingTool::drawingToolWithName(PWXSymbolTool::kToolName));
    EXPECT_EQ(stamp->symbolMaster(), buoy->symbolMaster()) << "the tools palette made it the stamp's clip art";
}

TEST_F(LibraryPicker, ApplyingAStyleToTheSelectionAsksFirstUnlessTold)
{
    auto document = mainDocument();
    auto layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(document->activeLayer());
    ASSERT_TRUE(layer);
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(10, 10, 20, 20), namedStyle("Plain", Qt::gray));
    layer->addObject(shape);
    auto picker = Picker::sharedLibraryPicker();
    picker->setClassCode(32767);
    picker->selectItem(red);
    EXPECT_FALSE(picker->canApplyToSelection()) << "nothing selected";
    layer->addObjectToSelection(shape);
    ASSERT_TRUE(picker->canApplyToSelection());

    QStringList messages;
    bool suppress = false;
    QString answer = "Cancel";
    pf::PresentationHook::set([&](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        ASSERT_NE(box, nullptr);
        messages.append(box->text() + " | " + box->informativeText());
        if (box->checkBox())
            box->checkBox()->setChecked(suppress);
        for (QAbstractButton* button : box->buttons())
            if (button->text() == answer)
                button->click();
    });
    EXPECT_FALSE(picker->applyItemToSelection(red, false));
    EXPECT_NE(shape->style(), red->style());
    EXPECT_TRUE(picker->applyItemToSelection(red, true) || true); // an overlay: the wording below
    answer = "OK";
    suppress = true;
    EXPECT_TRUE(picker->applyItemToSelection(red, false));
    pf::PresentationHook::clear();
    ASSERT_EQ(messages.size(), 3);
    EXPECT_EQ(messages[0], "Apply Style or Symbol to selected objects? | 'Red' will be applied to all objects able to "
                           "accept it in the current selection, but will be undoable.");
    EXPECT_EQ(messages[1], "Apply Overlay Style to selected tracks? | 'Red' will be attached as an overlay style to "
                           "tracks in the current selection, but will be undoable.");
    EXPECT_EQ(shape->style(), red->style());
    EXPECT_TRUE(pf::UserDefaults::standard().boolForKey("kCartavelToolsWindowConfirmDirectApply"));

    // Told not to ask: applied at once, and the use recorded.
    shape->setStyle(std::dynamic_pointer_cast<PWStyle>(blue->style()));
    picker->selectItem(red);
    picker->applyToSelectionAction();
    EXPECT_EQ(shape->style(), red->style());
    EXPECT_EQ(maps->recentlyUsedCategory()->items().last(), red);
}

TEST_F(LibraryPicker, FilterMatchesNamesAndKindsAndMayWidenToTheCollection)
{
    pf::Ref<PWXLibraryItem> elsewhere = addObject(*maps, namedStyle("Brown"));
    auto picker = Picker::sharedLibraryPicker();
    struct Case {
        int kind, mode;
        const char* text;
        QStringList listed;
    };
    const Case cases[] = {
        {0, 0, "RE", {"Red"}},           {0, 1, "b", {"Blue", "Buoy"}}, {0, 2, "b??y", {"Buoy"}},
        {0, 3, "e", {"Blue"}},           {1, 1, "b", {"Blue"}},         {2, 0, "", {"Buoy"}},
        {0, 1, "BL\u00dc", {"Blue"}},   {0, 2, "r\u00e9?", {"Red"}},   {0, 0, "", {"Blue", "Buoy", "Red"}},
    };
    for (const Case& c : cases) {
        picker->setFilterKind(c.kind);
        picker->setFilterStringMode(c.mode);
        picker->setFilterString(QString::fromUtf8(c.text));
        EXPECT_EQ(names(picker->filteredItems()), c.listed) << c.kind << " " << c.mode << " " << c.text;
        EXPECT_EQ(names(picker->itemView()->content()), c.listed);
    }
    picker->setFilterScope(1);
    picker->setFilterString("Br");
    EXPECT_EQ(picker->category(), maps->allItemsCategory()) << "the whole collection is searched";
    EXPECT_EQ(names(picker->filteredItems()), QStringList{"Brown"});
}

TEST_F(LibraryPicker, CategoryChangesReloadTheListAndRenamesOnlyThePath)
{
    // The oval tool draws with Red: the pick follows it whenever the list reloads.
    auto oval = std::dynamic_pointer_cast<PWObjectCreationTool>(PWDrawingTool::drawingToolWithName("Oval"));
    ASSERT_TRUE(oval);
    oval->setStyle(std::dynamic_pointer_cast<PWStyle>(red->style()));
    oval->set();
    auto picker = Picker::sharedLibraryPicker();
    picker->selectItem(red);
    roads->setName("Lanes");
    EXPECT_EQ(picker->pathControlValue(), "/MY%20LIBRARY/Maps/Lanes/Red");
    EXPECT_EQ(picker->selectedItem(), red);
    pf::Ref<PWXLibraryItem> green = addObject(*maps, namedStyle("Green", Qt::green));
    roads->addItem(green);
    EXPECT_EQ(names(picker->itemView()->content()), (QStringList{"Blue", "Buoy", "Green", "Red"}));
    EXPECT_EQ(picker->selectedItem(), red) << "the tool's style is picked again";
    EXPECT_EQ(picker->itemView()->disabledItems(), pf::IndexSet(1)) << "and the clip art dimmed again";
}

TEST_F(LibraryPicker, HeightIsAWholeNumberOfRowsAndFramesComeBackOnAScreen)
{
    auto picker = Picker::sharedLibraryPicker();
    auto* window = qobject_cast<pf::Window*>(picker->window());
    ASSERT_TRUE(window);
    window->show();
    const double row = picker->itemView()->rowHeight();
    ASSERT_GT(row, 0);
    const double a = picker->windowWillResize(*window, QSizeF(260, 400)).height();
    const double b = picker->windowWillResize(*window, QSizeF(260, 400 + row * 0.3)).height();
    const double c = picker->windowWillResize(*window, QSizeF(260, 400 + row)).height();
    const double tiny = picker->windowWillResize(*window, QSizeF(260, 10)).height();
    EXPECT_EQ(a, b);
    EXPECT_DOUBLE_EQ(c - a, row);
    EXPECT_DOUBLE_EQ(std::fmod(a - tiny, row), 0.0);
    EXPECT_GT(tiny, 10) << "at least one row";
    EXPECT_EQ(picker->windowWillResize(*window, QSizeF(333, 400)).width(), 333);

    // A palette left on a screen that is gone comes back onto one.
    picker->saveWindowPosition();
    EXPECT_FALSE(pf::UserDefaults::standard().stringForKey("kCartavelLibraryPickerWindowPlacement").isEmpty());
    Picker::releaseSharedLibraryPicker();
    pf::UserDefaults::standard().setObject(QStringLiteral("{9000, 9000}"), Picker::kWindowPlacementDefault);
    pf::UserDefaults::standard().setObject(QStringLiteral("9000 9000 260 380 0 0 800 600"), Picker::kFrameDefault);
    pf::UserDefaults::standard().setBool(true, Picker::kVisibleDefault);
    Picker::restoreLibraryPickerState();
    picker = Picker::sharedLibraryPicker();
    EXPECT_TRUE(picker->window()->isVisible());
    bool onAScreen = false;
    for (QScreen* screen : QGuiApplication::screens())
        onAScreen |= screen->geometry().intersects(picker->window()->frameGeometry());
    EXPECT_TRUE(onAScreen) << picker->window()->frameGeometry().x() << "," << picker->window()->frameGeometry().y();

    pf::UserDefaults::standard().removeObjectForKey("kQLRYLibraryPickerFrame");
    Picker::saveLibraryPickerState();
    EXPECT_TRUE(pf::UserDefaults::standard().boolForKey("kQLRYLibraryPickerVisible"));
    EXPECT_EQ(pf::UserDefaults::standard().stringForKey("kQLRYLibraryPickerFrame"),
              qobject_cast<pf::Window*>(picker->window())->stringWithSavedFrame());
    Picker::releaseSharedLibraryPicker();
    Picker::saveLibraryPickerState();
    EXPECT_FALSE(pf::UserDefaults::standard().boolForKey("kQLRYLibraryPickerVisible"));
}

} // namespace
