#include "DocumentTestSupport.h"

#include "app/CVLMouseLocationController.h"
#include "app/QuilloryDocumentMenus.h"
#include "app/QuillorySidebarMenu.h"
#include "app/VNQLDrawingWindowController.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/foundation/Variant.h"
#include "inspectors/VNQLTabView.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/MainMenu.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/PopUpButton.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/TextField.h"
#include "widgets/RVShadowClipView.h"
#include "widgets/RVSplitViewController.h"
#include "platform/ui/SplitView.h"

#include <QCoreApplication>
#include <QTemporaryDir>

namespace {

using namespace quillory::test;

const QString kLayers = RVCartavelDocument::kLayersTabIdentifier;
const QString kGeometry = RVCartavelDocument::kGeometryTabIdentifier;
const QString kText = RVCartavelDocument::kTextTabIdentifier;
const QString kStyle = RVCartavelDocument::kStyleTabIdentifier;
const QString kUndo = RVCartavelDocument::kUndoHistoryTabIdentifier;

QStringList identifiers(VNQLTabView* tabView)
{
    QStringList list;
    for (VNQLTabContentView* tab : tabView->tabViews())
        list.append(tab->tabIdentifier());
    return list;
}

QVariantMap sidebar(const QStringList& identifiers, const QVariant& selected = 0, const QVariant& options = 2)
{
    QVariantMap state{{QStringLiteral("identifierList"), identifiers}, {QStringLiteral("tabAlignment"), 0}};
    if (selected.isValid())
        state.insert(QStringLiteral("selectedTab"), selected);
    if (options.isValid())
        state.insert(QStringLiteral("tabOptions"), options);
    return state;
}

QVariantMap windowState(const QVariantMap& left, const QVariantMap& right)
{
    return {{RVCartavelDocument::kLeftSidebarIdentifier, left}, {RVCartavelDocument::kRightSidebarIdentifier, right}};
}

class DocumentWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        defaults().removeObjectForKey(kVNQLTabViewOptionsPreferencesKey);
        defaults().removeObjectForKey(RVCartavelDocument::kDefaultRestorableStateDefault);
        defaults().removeObjectForKey(RVCartavelDocument::kCentreDocumentViewDefaultState);
    }
    void TearDown() override
    {
        for (const auto& document : m_documents)
            document->close();
        defaults().removeObjectForKey(RVCartavelDocument::kDefaultRestorableStateDefault);
        defaults().removeObjectForKey(RVCartavelDocument::kCentreDocumentViewDefaultState);
    }

    static pf::UserDefaults& defaults() { return pf::UserDefaults::standard(); }

    // A new document with its window loaded, optionally from a given window state.
    pf::Ref<RVCartavelDocument> openWindow(const QVariantMap& state = {}, pf::Ref<RVCartavelDocument> document = nullptr)
    {
        if (!document)
            document = newDocument();
        if (!state.isEmpty())
            document->setWindowRestorationState(state);
        document->makeWindowControllers();
        EXPECT_TRUE(document->windowControllers().first()->window());
        m_documents.append(document);
        return document;
    }

    QList<pf::Ref<RVCartavelDocument>> m_documents;
};

TEST_F(DocumentWindow, WithoutSavedStateTheLeftSidebarHasTheFourDefaultTabs)
{
    auto document = openWindow();
    ASSERT_TRUE(document->sidebarTabView());
    EXPECT_EQ(identifiers(document->sidebarTabView()), (QStringList{kLayers, kGeometry, kText, kStyle}));
    EXPECT_EQ(document->sidebarTabView()->currentTab(), 0);
    EXPECT_EQ(identifiers(document->rightHandSidebarTabView()), QStringList());
    // Each tab holds a panel titled after it.
    EXPECT_EQ(document->tabWithIdentifier(kGeometry)->title(), QStringLiteral("Geometry"));
    EXPECT_TRUE(document->tabWithIdentifier(kGeometry)->viewController());
    EXPECT_FALSE(document->isSidebarCollapsed(RVCartavelDocument::kLeftSidebarIndex));
    EXPECT_TRUE(document->isSidebarCollapsed(RVCartavelDocument::kRightSidebarIndex));
    ASSERT_TRUE(document->sidebarToolbarSegmentedControl());
    EXPECT_TRUE(document->sidebarToolbarSegmentedControl()->isSelectedForSegment(0));
    EXPECT_FALSE(document->sidebarToolbarSegmentedControl()->isSelectedForSegment(1));
}

TEST_F(DocumentWindow, SavedStateRoundTripsThroughThePackage)
{
    auto document = openWindow();
    VNQLTabView* left = document->sidebarTabView();
    left->moveTabAtIndex(0, 3);
    left->setCurrentTab(2);
    const QStringList order = identifiers(left);
    const QVariantMap saved = document->restorableStateInfo();
    ASSERT_TRUE(RVCartavelDocument::isValidWindowState(saved));
    EXPECT_TRUE(saved.contains(RVCartavelDocument::kSplitsKey));

    QTemporaryDir folder;
    const QString file = QDir(folder.path()).filePath(QStringLiteral("Layout.qlry"));
    ASSERT_TRUE(saveDocument(*document, file));
    pf::Ref<RVCartavelDocument> reopened = openDocument(file);
    ASSERT_TRUE(reopened);
    openWindow({}, reopened);
    EXPECT_EQ(identifiers(reopened->sidebarTabView()), order);
    EXPECT_EQ(reopened->sidebarTabView()->currentTab(), 2);
    // Applied once, then the live views are the state.
    EXPECT_TRUE(reopened->windowRestorationState().isEmpty());
}

TEST_F(DocumentWindow, PreferenceGivesNewWindowsTheLastLayout)
{
    auto first = openWindow();
    first->sidebarTabView()->moveTabAtIndex(3, 0);
    first->tabViewDidChangeInterfaceState(first->sidebarTabView());
    first->tabViewDidChangeInterfaceState(first->sidebarTabView());
    // A burst of changes leaves one delayed write, not yet made.
    EXPECT_TRUE(first->isPreferenceSavePending());
    EXPECT_TRUE(defaults().dictionaryForKey(RVCartavelDocument::kDefaultRestorableStateDefault).isEmpty());
    // Closing writes what is pending at once.
    first->close();
    m_documents.removeAll(first);
    EXPECT_FALSE(first->isPreferenceSavePending());
    EXPECT_FALSE(defaults().dictionaryForKey(RVCartavelDocument::kDefaultRestorableStateDefault).isEmpty());

    auto second = openWindow();
    EXPECT_EQ(identifiers(second->sidebarTabView()), (QStringList{kStyle, kLayers, kGeometry, kText}));
}

TEST_F(DocumentWindow, DelayedPreferenceSaveWritesTheLayoutAfterTheLastChange)
{
    auto document = openWindow();
    VNQLTabView* left = document->sidebarTabView();
    left->moveTabAtIndex(0, 1);
    document->tabViewDidChangeInterfaceState(left);
    left->moveTabAtIndex(0, 3);
    document->tabViewDidChangeInterfaceState(left);
    EXPECT_TRUE(defaults().dictionaryForKey(RVCartavelDocument::kDefaultRestorableStateDefault).isEmpty());
    EXPECT_TRUE(waitUntil([&] { return !document->isPreferenceSavePending(); }, 5000));
    const QVariantMap saved = defaults().dictionaryForKey(RVCartavelDocument::kDefaultRestorableStateDefault);
    EXPECT_EQ(saved.value(RVCartavelDocument::kLeftSidebarIdentifier).toMap().value(QStringLiteral("identifierList")).toStringList(),
              (QStringList{kLayers, kText, kStyle, kGeometry}));
}

// A state of the wrong shape, from a file or the preferences, opens with the default tabs.
TEST_F(DocumentWindow, DamagedStatesFallBackToTheDefaultTabs)
{
    const QVariantMap good = sidebar({kText});
    const struct {
        const char* name;
        QVariant state;
    } cases[] = {
        {"not a dictionary", QStringLiteral("left")},
        {"empty", QVariantMap()},
        {"no right sidebar", QVariantMap{{RVCartavelDocument::kLeftSidebarIdentifier, good}}},
        {"sidebar is a list", QVariantMap{{RVCartavelDocument::kLeftSidebarIdentifier, QVariantList{kText}},
                                          {RVCartavelDocument::kRightSidebarIdentifier, good}}},
        {"splits is text", QVariantMap{{RVCartavelDocument::kLeftSidebarIdentifier, good},
                                       {RVCartavelDocument::kRightSidebarIdentifier, good},
                                       {RVCartavelDocument::kSplitsKey, QStringLiteral("wide")}}},
        {"only unknown tabs", windowState(sidebar({QStringLiteral("Nonsense")}), sidebar({kUndo}))},
        {"identifiers not text", windowState(sidebar({}), QVariantMap{{QStringLiteral("identifierList"), QVariantList{1, 2}}})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        defaults().setObject(c.state, RVCartavelDocument::kDefaultRestorableStateDefault);
        auto document = openWindow();
        EXPECT_EQ(identifiers(document->sidebarTabView()), (QStringList{kLayers, kGeometry, kText, kStyle}));
        EXPECT_EQ(document->sidebarTabView()->currentTab(), 0);
    }
}

TEST_F(DocumentWindow, DamagedSplitStateKeepsTheTabs)
{
    QVariantMap state = windowState(sidebar({kGeometry, kLayers}, 1), sidebar({kStyle}));
    state.insert(RVCartavelDocument::kSplitsKey, QVariantMap{{QStringLiteral("items"), 3}});
    auto document = openWindow(state);
    EXPECT_EQ(identifiers(document->sidebarTabView()), (QStringList{kGeometry, kLayers}));
    EXPECT_EQ(identifiers(document->rightHandSidebarTabView()), QStringList{kStyle});
}

// Unknown and undo-history tabs are dropped before the selection is looked up; the selection
// follows its tab, and a selection that is gone or missing selects tab 0.
TEST_F(DocumentWindow, RestoredTabsAreFilteredAndTheSelectionClamped)
{
    const QStringList saved = {kUndo, kLayers, QStringLiteral("Nonsense"), kText};
    const struct {
        const char* name;
        QStringList identifiers;
        QVariant selected;
        QVariant options;
        QStringList expected;
        qint64 current;
        int tabOptions;
    } cases[] = {
        {"selection follows its tab", saved, 3, 1, {kLayers, kText}, 1, 1},
        {"selection counted after filtering", {kUndo, kLayers, kText, kStyle}, 2, 2, {kLayers, kText, kStyle}, 1, 2},
        {"selected tab was dropped", saved, 0, 3, {kLayers, kText}, 0, 3},
        {"selection beyond the end", saved, 99, 2, {kLayers, kText}, 0, 2},
        {"no selection, options 0", saved, QVariant(), 0, {kLayers, kText}, 0, 2},
        {"no options", saved, 1, QVariant(), {kLayers, kText}, 0, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto document = openWindow(windowState(sidebar(c.identifiers, c.selected, c.options), sidebar({kGeometry})));
        EXPECT_EQ(identifiers(document->sidebarTabView()), c.expected);
        EXPECT_EQ(document->sidebarTabView()->currentTab(), c.current);
        EXPECT_EQ(document->sidebarTabView()->tabOptions(), c.tabOptions);
        EXPECT_EQ(identifiers(document->rightHandSidebarTabView()), QStringList{kGeometry});
    }
}

TEST_F(DocumentWindow, UndoHistoryTabIsRemovedAsSoonAsAdded)
{
    auto document = openWindow();
    document->rightHandSidebarTabView()->addTabWithIdentifier(kUndo);
    document->rightHandSidebarTabView()->addTabWithIdentifier(QStringLiteral("Nonsense"));
    EXPECT_EQ(document->rightHandSidebarTabView()->numberOfTabs(), 0);
    EXPECT_FALSE(document->tabWithIdentifier(kUndo));
}

TEST_F(DocumentWindow, EmptyingASidebarCollapsesItAndDeselectsItsSegment)
{
    auto document = openWindow(windowState(sidebar({kLayers}), sidebar({kStyle})));
    VNQLTabView* right = document->rightHandSidebarTabView();
    ASSERT_FALSE(document->isSidebarCollapsed(RVCartavelDocument::kRightSidebarIndex));
    ASSERT_TRUE(document->sidebarToolbarSegmentedControl()->isSelectedForSegment(1));
    right->removeTabFromView(right->tabViewAtIndex(0));
    EXPECT_TRUE(document->isSidebarCollapsed(RVCartavelDocument::kRightSidebarIndex));
    EXPECT_FALSE(document->sidebarToolbarSegmentedControl()->isSelectedForSegment(1));
    EXPECT_TRUE(document->sidebarToolbarSegmentedControl()->isSelectedForSegment(0));
}

TEST_F(DocumentWindow, SelectingATabOpensItsSidebar)
{
    auto document = openWindow(windowState(sidebar({kLayers, kGeometry}), sidebar({kStyle, kText})));
    document->toggleRightSidebarAction({});
    ASSERT_TRUE(document->isSidebarCollapsed(RVCartavelDocument::kRightSidebarIndex));
    EXPECT_FALSE(document->tabWithIdentifierIsSelected(kStyle));

    document->selectTextTabAction({});
    EXPECT_FALSE(document->isSidebarCollapsed(RVCartavelDocument::kRightSidebarIndex));
    EXPECT_EQ(document->rightHandSidebarTabView()->selectedTab()->tabIdentifier(), kText);
    EXPECT_TRUE(document->tabWithIdentifierIsSelected(kText));
    EXPECT_FALSE(document->tabWithIdentifierIsSelected(kStyle));
    EXPECT_EQ(document->tabWithIdentifier(kText)->tabView(), document->rightHandSidebarTabView());

    // No sidebar holds the attributes tab: nothing changes.
    document->selectAttributesTabAction({});
    EXPECT_TRUE(document->tabWithIdentifierIsSelected(kText));

    document->toggleLayersListVisible({});
    EXPECT_FALSE(document->layersSidebarVisible());
    document->selectGeometryTabAction({});
    EXPECT_TRUE(document->layersSidebarVisible());
    EXPECT_TRUE(document->tabWithIdentifierIsSelected(kGeometry));
}

TEST_F(DocumentWindow, WindowMenuFollowsTheSidebars)
{
    pf::Ref<pf::MainMenu> main = pf::MainMenu::makeStandard();
    QuillorySidebarMenu::addSidebarItems(*main);
    pf::Menu* menu = main->menuWithTitle(QStringLiteral("Window"));
    ASSERT_TRUE(menu);
    pf::MenuItem* left = menu->itemWithTag(QuillorySidebarMenu::kLeftSidebarTag);
    pf::MenuItem* right = menu->itemWithTag(QuillorySidebarMenu::kRightSidebarTag);
    pf::MenuItem* geometry = menu->itemWithTag(QuillorySidebarMenu::kGeometryTabTag);
    ASSERT_TRUE(left && right && geometry);
    EXPECT_EQ(geometry->action(), QStringLiteral("selectGeometryTabAction:"));

    auto document = openWindow();
    QuillorySidebarMenu::updateItems(*menu, document.get());
    EXPECT_EQ(left->title(), QStringLiteral("Hide Left Sidebar"));
    EXPECT_EQ(right->title(), QStringLiteral("Show Right Sidebar"));
    EXPECT_EQ(geometry->state(), pf::ControlState::Off);
    EXPECT_EQ(menu->itemWithTag(QuillorySidebarMenu::kLayersTabTag)->state(), pf::ControlState::On);
    document->selectGeometryTabAction({});
    document->toggleLeftSidebarAction({});
    QuillorySidebarMenu::updateItems(*menu, document.get());
    EXPECT_EQ(left->title(), QStringLiteral("Show Left Sidebar"));
    // A tab of a closed sidebar is not the one showing.
    EXPECT_EQ(geometry->state(), pf::ControlState::Off);
    document->toggleLeftSidebarAction({});
    QuillorySidebarMenu::updateItems(*menu, document.get());
    EXPECT_EQ(geometry->state(), pf::ControlState::On);
}

TEST_F(DocumentWindow, SidebarSwitchFollowsItsSegments)
{
    auto document = openWindow(windowState(sidebar({kLayers}), sidebar({kStyle})));
    pf::SegmentedControl* control = document->sidebarToolbarSegmentedControl();
    control->setSelected(false, 0);
    control->setSelected(true, 1);
    document->toggleSidebarsAction(QVariant::fromValue<QWidget*>(control));
    EXPECT_TRUE(document->isSidebarCollapsed(RVCartavelDocument::kLeftSidebarIndex));
    EXPECT_FALSE(document->isSidebarCollapsed(RVCartavelDocument::kRightSidebarIndex));
}

TEST_F(DocumentWindow, PageIsCentredUnlessThePreferenceSaysNot)
{
    auto centred = openWindow();
    ASSERT_TRUE(centred->shadowClipView());
    EXPECT_TRUE(centred->shadowClipView()->centresDocument());
    EXPECT_EQ(centred->shadowClipView()->documentView(), centred->mainView());

    defaults().setBool(true, RVCartavelDocument::kCentreDocumentViewDefaultState);
    auto corner = openWindow();
    EXPECT_FALSE(corner->shadowClipView()->centresDocument());
}

TEST_F(DocumentWindow, ZoomReadOutShowsTheScale)
{
    auto document = openWindow();
    ASSERT_TRUE(document->zoomScaleInfo());
    document->mainView()->setScale(2.0);
    pf::MenuItem* title = document->zoomScaleInfo()->itemAtIndex(document->zoomScaleInfo()->indexOfItemWithTag(-1));
    ASSERT_TRUE(title);
    EXPECT_EQ(title->title(), QStringLiteral("200%"));
    EXPECT_FALSE(title->isEnabled());
}

// View > Zoom In, Zoom Out, Actual Size and Zoom to Fit, with their keys, act on the window's
// drawing view and are enabled only where they would change it.
TEST_F(DocumentWindow, TheZoomCommandsActOnTheDrawingView)
{
    pf::Ref<pf::MainMenu> main = pf::MainMenu::makeStandard();
    QuilloryDocumentMenus::addDocumentMenus(*main);
    pf::Menu* view = main->menuWithTitle(QStringLiteral("View"));
    ASSERT_TRUE(view);
    struct Command {
        const char* action;
        const char* key;
    };
    auto withAction = [view](const char* action) -> pf::MenuItem* {
        for (const auto& entry : view->items())
            if (entry->action() == QLatin1String(action))
                return entry.get();
        return nullptr;
    };
    for (const Command& command : {Command{"zoomIn:", "Ctrl++"}, Command{"zoomOut:", "Ctrl+-"},
                                   Command{"zoomToActualSize:", "Ctrl+0"}, Command{"zoomFitInWindow:", "Ctrl+9"}}) {
        pf::MenuItem* entry = withAction(command.action);
        ASSERT_TRUE(entry) << command.action;
        EXPECT_EQ(entry->keyEquivalent(), QKeySequence(QString::fromLatin1(command.key))) << command.action;
    }
    pf::MenuItem* zoomIn = withAction("zoomIn:");
    EXPECT_TRUE(zoomIn->qAction()->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl+="))));

    auto document = openWindow();
    PWDrawingView* drawingView = document->mainView();
    ASSERT_TRUE(drawingView);
    auto item = [](const char* action) { return pf::MenuItem::make(QStringLiteral("Zoom"), QString::fromLatin1(action)); };
    drawingView->setScale(1.0);
    EXPECT_FALSE(document->validateMenuItem(*item("zoomToActualSize:")));
    EXPECT_TRUE(document->validateMenuItem(*item("zoomIn:")));
    document->zoomIn({});
    EXPECT_GT(drawingView->scale(), 1.0);
    EXPECT_TRUE(document->validateMenuItem(*item("zoomToActualSize:")));
    document->zoomToActualSize({});
    EXPECT_DOUBLE_EQ(drawingView->scale(), 1.0);
    document->zoomOut({});
    EXPECT_LT(drawingView->scale(), 1.0);
    drawingView->setScale(RVZoomView::kMaximumScale);
    EXPECT_FALSE(document->validateMenuItem(*item("zoomIn:")));
    EXPECT_TRUE(document->validateMenuItem(*item("zoomFitInWindow:")));
    document->zoomFitInWindow({});
    EXPECT_LT(drawingView->scale(), RVZoomView::kMaximumScale);
}

// Object > Group and Ungroup reach the drawing view wherever the focus is, and name their steps.
TEST_F(DocumentWindow, GroupAndUngroupAreCommandsWithUndoNames)
{
    auto document = openWindow();
    pf::Ref<PWObjectDrawingLayer> layer = document->activeObjectLayer();
    ASSERT_TRUE(layer);
    auto one = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 10, 10));
    auto two = PWDrawableShape::drawableShapeWithRect(QRectF(20, 0, 10, 10));
    layer->addObject(one);
    layer->addObject(two);
    layer->exchangeSelectionWithObjectsFromArray({one, two});
    QCoreApplication::processEvents();
    RVUndoManager& undo = *document->drawing()->undoManager();
    auto group = pf::MenuItem::make(QStringLiteral("Group"), QStringLiteral("group:"));
    auto ungroup = pf::MenuItem::make(QStringLiteral("Ungroup"), QStringLiteral("ungroup:"));
    EXPECT_TRUE(document->validateMenuItem(*group));
    EXPECT_FALSE(document->validateMenuItem(*ungroup));
    document->group(pf::toVariant(group));
    QCoreApplication::processEvents();
    ASSERT_EQ(layer->objects().size(), 1u);
    EXPECT_EQ(undo.undoActionName(), QStringLiteral("Group"));
    EXPECT_TRUE(document->validateMenuItem(*ungroup));
    document->ungroup(pf::toVariant(ungroup));
    QCoreApplication::processEvents();
    EXPECT_EQ(layer->objects().size(), 2u);
    EXPECT_EQ(undo.undoActionName(), QStringLiteral("Ungroup"));
    EXPECT_FALSE(document->validateMenuItem(*ungroup));
    undo.undo();
    EXPECT_EQ(layer->objects().size(), 1u);
}

// Revert to Saved reads the drawing again: the window shows the drawing read, not the old one.
TEST_F(DocumentWindow, RevertingShowsTheSavedDrawingInTheWindow)
{
    QTemporaryDir folder;
    auto document = openWindow();
    const QString file = folder.filePath(QStringLiteral("revert.qlry"));
    ASSERT_TRUE(saveDocument(*document, file));
    pf::Ref<PWObjectDrawingLayer> layer = document->activeObjectLayer();
    layer->addObject(PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 10, 10)));
    QCoreApplication::processEvents();
    const pf::Ref<PWDrawing> edited = document->drawing();
    pf::Error error;
    ASSERT_TRUE(document->revertToSavedVersion(&error)) << qPrintable(error.description());
    ASSERT_NE(document->drawing(), edited);
    ASSERT_TRUE(document->mainView()) << "the window's view shows the drawing read";
    EXPECT_TRUE(document->activeObjectLayer()->objects().empty());
}

TEST_F(DocumentWindow, MouseLocationReadsOutInDrawingUnits)
{
    auto document = openWindow();
    pf::Ref<CVLMouseLocationController> mouser = document->mouseLocationController();
    ASSERT_TRUE(mouser);
    ASSERT_TRUE(mouser->xLocationField() && mouser->yLocationField() && mouser->unitsField());
    auto post = [&](double x, double y) {
        pf::NotificationCenter::defaultCenter().post(kPWDrawingMouseMovedLocation, document->mainView(),
                                                     {{kPWDrawingMouseLocationInDrawingUnits, QPointF(x, y)},
                                                      {kPWDrawingMouseLocationAbbreviatedUnits, QStringLiteral("cm")}});
    };
    post(1.5, 2.25);
    EXPECT_DOUBLE_EQ(mouser->xLocationField()->doubleValue(), 1.5);
    EXPECT_DOUBLE_EQ(mouser->yLocationField()->doubleValue(), 2.25);
    EXPECT_EQ(mouser->unitsField()->stringValue(), QStringLiteral("cm"));

    // Dragging reports too; another view's movements do not.
    pf::NotificationCenter::defaultCenter().post(kPWDrawingMouseDraggedLocation, document->mainView(),
                                                 {{kPWDrawingMouseLocationInDrawingUnits, QPointF(3, 4)}});
    EXPECT_DOUBLE_EQ(mouser->xLocationField()->doubleValue(), 3);
    PWDrawingView other;
    pf::NotificationCenter::defaultCenter().post(kPWDrawingMouseMovedLocation, &other,
                                                 {{kPWDrawingMouseLocationInDrawingUnits, QPointF(9, 9)}});
    EXPECT_DOUBLE_EQ(mouser->xLocationField()->doubleValue(), 3);
}

TEST_F(DocumentWindow, ValidSelectionNeedsSelectedObjectsInTheActiveLayer)
{
    auto document = openWindow();
    auto layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(document->activeLayer());
    ASSERT_TRUE(layer);
    EXPECT_FALSE(document->hasValidSelection());
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(10, 10, 20, 20));
    layer->addObject(shape);
    EXPECT_FALSE(document->hasValidSelection());
    layer->addObjectToSelection(shape);
    EXPECT_TRUE(document->hasValidSelection());
}

TEST_F(DocumentWindow, ClosingLetsGoOfTheWindow)
{
    auto document = openWindow();
    QPointer<VNQLTabView> left = document->sidebarTabView();
    document->close();
    m_documents.removeAll(document);
    EXPECT_FALSE(document->sidebarTabView());
    EXPECT_FALSE(document->splitViewController());
    EXPECT_FALSE(document->mouseLocationController());
    EXPECT_FALSE(document->drawing());
    if (left) {
        EXPECT_EQ(left->delegate(), nullptr);
    }
}

} // namespace
