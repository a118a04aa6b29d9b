#include <gtest/gtest.h>

#include "inspectors/VNQLDragTabProxy.h"
#include "inspectors/VNQLTabContentViewController.h"
#include "inspectors/VNQLTabLayer.h"
#include "inspectors/VNQLTabView.h"
#include "inspectors/VNQLTabViewTitleView.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Event.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/Pasteboard.h"
#include "widgets/Color+VNQLApplicationColors.h"
#include "tests/support/TestSupport.h"

#include <QElapsedTimer>
#include <QFontMetricsF>

#include <cmath>
#include <QWidget>

#include <memory>

using pf::Ref;

namespace {

class InspPanelController : public VNQLTabContentViewController {
    PF_CLASS(InspPanelController)
public:
    explicit InspPanelController(const QString& identifier = {}) : VNQLTabContentViewController(identifier)
    {
        setTitle(identifier);
    }
    void loadView() override { setView(new QWidget); }
    void panelAction(const QVariant&) {}
};

// Fills tabs by identifier as the document does; a tab it does not know is removed again.
class Sidebars : public VNQLTabViewDelegate {
public:
    QStringList known{"Style", "Geometry", "Text", "Layers"};

    void tabViewDidAddTab(VNQLTabView* tabView, VNQLTabContentView* tab, int) override
    {
        ++added;
        if (tab->tabIdentifier().isEmpty())
            return;
        if (!known.contains(tab->tabIdentifier())) {
            tabView->removeTabFromView(tab);
            return;
        }
        tab->setContentViewWithController(std::make_shared<InspPanelController>(tab->tabIdentifier()));
    }
    void tabViewDidMoveTab(VNQLTabView*, VNQLTabContentView*, int toIndex) override { moves << toIndex; }
    void tabViewDidBecomeEmpty(VNQLTabView* tabView) override { emptied << tabView; }
    void tabViewDidChangeInterfaceState(VNQLTabView*) override { ++stateChanges; }

    int added = 0;
    int stateChanges = 0;
    QList<int> moves;
    QList<VNQLTabView*> emptied;
};

// A tab that needs a fixed width.
class InspFixedTab : public VNQLTabContentView {
public:
    explicit InspFixedTab(double width) : m_width(width) {}
    double widthNeededForTab() const override { return m_width; }

private:
    double m_width;
};

QStringList identifiers(const VNQLTabView& view)
{
    QStringList ids;
    for (VNQLTabContentView* tab : view.tabViews())
        ids << tab->tabIdentifier();
    return ids;
}

QString selectedIdentifier(const VNQLTabView& view)
{
    return view.selectedTab() ? view.selectedTab()->tabIdentifier() : QString();
}

class TabViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        pf::UserDefaults::standard().removeObjectForKey(kVNQLTabViewOptionsPreferencesKey);
        pf::UserDefaults::standard().removeObjectForKey(kVNQLTabViewAlignmentPreferencesKey);
        window = std::make_unique<pf::View>(QRectF(0, 0, 700, 400));
        left = makeSidebar(QRectF(0, 0, 300, 400));
        right = makeSidebar(QRectF(400, 0, 300, 400));
    }
    void TearDown() override { VNQLTabView::setDragRunnerForTesting({}); }

    VNQLTabView* makeSidebar(const QRectF& frame)
    {
        auto* view = new VNQLTabView(frame);
        window->addSubview(view);
        view->setDelegate(&sidebars);
        return view;
    }

    void fill(VNQLTabView* view, const QStringList& ids)
    {
        for (const QString& id : ids)
            view->addTabWithIdentifier(id);
        view->setCurrentTab(0);
    }

    // A mouse event at a point of the tab view.
    static pf::Event mouseAt(VNQLTabView* view, QPointF point, unsigned flags = 0)
    {
        pf::Event event;
        event.locationInWindow = view->convertPointToView(point, nullptr);
        event.modifierFlags = flags;
        return event;
    }

    static pf::DraggingInfo dragInfo(VNQLTabView* source, VNQLTabView* over, QPointF point)
    {
        auto pasteboard = std::make_shared<pf::Pasteboard>();
        pasteboard->declareTypes({kVNQLTabViewDragType});
        pasteboard->setPropertyList(kVNQLTabViewDragType, kVNQLTabViewDragType);
        return pf::DraggingInfo(pasteboard, source, pf::DragOperationPrivate, over->convertPointToView(point, nullptr),
                                over->window(), 1);
    }

    static QPointF centreOfTab(VNQLTabView* view, int index) { return view->rectOfTabAtIndex(index).center(); }

    Sidebars sidebars;
    std::unique_ptr<pf::View> window;
    VNQLTabView* left = nullptr;
    VNQLTabView* right = nullptr;
};

} // namespace

PF_DEFINE_CLASS(InspPanelController, VNQLTabContentViewController)
{
    b.method("panelAction:", &InspPanelController::panelAction);
}

TEST_F(TabViewTest, TabRectanglesFollowTheAlignment)
{
    // Four tabs needing 40 points in a strip 300 wide and 29 high: W = 76, M = 38.
    for (int i = 0; i < 4; ++i)
        left->addTab(new InspFixedTab(40));
    ASSERT_EQ(left->tabsRect(), QRectF(0, 0, 300, 29));
    struct Case {
        int alignment;
        double firstLeft;
        double width;
    };
    for (const Case& c : QList<Case>{{VNQLTabView::AlignCentre, 71, 40},
                                     {VNQLTabView::AlignRight, 143, 40},
                                     {VNQLTabView::AlignLeft, 0, 40},
                                     {VNQLTabView::AlignFill, 0, 76}}) {
        SCOPED_TRACE(c.alignment);
        left->setTabAlignment(c.alignment);
        EXPECT_EQ(left->rectOfTabAtIndex(0), QRectF(c.firstLeft, 3, c.width, 25));
        // Neighbours overlap by one point.
        EXPECT_EQ(left->rectOfTabAtIndex(1).left(), c.firstLeft + c.width - 1);
    }
    // Filling, the last tab reaches the strip's right edge.
    EXPECT_EQ(left->rectOfTabAtIndex(3).right(), 300);
    // A narrow need is raised to the least width.
    left->setTabAlignment(VNQLTabView::AlignLeft);
    left->addTab(new InspFixedTab(10));
    EXPECT_EQ(left->rectOfTabAtIndex(4).width(), 38);
    EXPECT_EQ(left->indexOfTabContainingPoint(QPointF(20, 10)), 0);
    EXPECT_EQ(left->indexOfTabContainingPoint(QPointF(299, 10)), VNQLTabView::kNoTab);
    // Centring sums what the tabs need, not the least width they are drawn at: four tabs of 40
    // and one of 10 in a strip of 300 (W = 61) leave ceil(300 - 170) + 4 = 134, half of it 67.
    left->setTabAlignment(VNQLTabView::AlignCentre);
    EXPECT_EQ(left->rectOfTabAtIndex(0).left(), 67);
}

TEST_F(TabViewTest, AStripWithoutTabsHasNoRectangles)
{
    EXPECT_TRUE(left->rectOfTabAtIndex(0).isEmpty());
    EXPECT_TRUE(left->rectOfTabAtIndex(VNQLTabView::kNoTab).isEmpty());
    EXPECT_EQ(left->indexOfTabContainingPoint(QPointF(150, 10)), VNQLTabView::kNoTab);
    left->titleView()->layoutTabs();
    left->titleView()->updateTooltips();
}

TEST_F(TabViewTest, TheDelegateFillsEachTabByItsIdentifier)
{
    fill(left, {"Style", "Geometry", "Mystery"});
    EXPECT_EQ(identifiers(*left), QStringList({"Style", "Geometry"}));
    VNQLTabContentView* tab = left->tabWithIdentifier("Geometry");
    ASSERT_TRUE(tab);
    EXPECT_EQ(tab->title(), QStringLiteral("Geometry"));
    ASSERT_TRUE(tab->viewController());
    EXPECT_EQ(tab->contentView(), tab->viewController()->view());
    EXPECT_EQ(left->tabWithIdentifier("Mystery"), nullptr);
    left->selectTabWithIdentifier("Geometry");
    EXPECT_EQ(left->currentTab(), 1);
    EXPECT_FALSE(tab->isHidden());
    EXPECT_TRUE(left->tabWithIdentifier("Style")->isHidden());
    EXPECT_TRUE(left->selectedTabContentViewController());
    left->setCurrentTab(7);
    EXPECT_EQ(left->currentTab(), 1);
}

TEST_F(TabViewTest, RemovingTabsKeepsASensibleSelection)
{
    fill(left, {"Style", "Geometry", "Text"});
    left->setCurrentTab(2);
    // Removing a tab before the selected one keeps that tab selected.
    left->removeTabFromView(left->tabWithIdentifier("Style"));
    EXPECT_EQ(selectedIdentifier(*left), QStringLiteral("Text"));
    EXPECT_EQ(left->currentTab(), 1);
    // Removing the selected tab selects tab 0.
    left->removeTabFromView(left->tabWithIdentifier("Text"));
    EXPECT_EQ(selectedIdentifier(*left), QStringLiteral("Geometry"));
    // A tab of another view is ignored.
    fill(right, {"Layers"});
    left->removeTabFromView(right->tabWithIdentifier("Layers"));
    EXPECT_EQ(right->numberOfTabs(), 1);
    // The last one leaves the view empty with no current tab.
    left->removeTabFromView(left->tabWithIdentifier("Geometry"));
    EXPECT_EQ(left->currentTab(), VNQLTabView::kNoTab);
    EXPECT_EQ(sidebars.emptied, QList<VNQLTabView*>{left});
}

TEST_F(TabViewTest, MovingTabsKeepsTheSelectedTabSelected)
{
    fill(left, {"Style", "Geometry", "Text"});
    left->setCurrentTab(1);
    left->moveTabAtIndex(1, 2);
    EXPECT_EQ(identifiers(*left), QStringList({"Style", "Text", "Geometry"}));
    EXPECT_EQ(left->currentTab(), 2);
    left->moveTabAtIndex(0, 2);
    EXPECT_EQ(identifiers(*left), QStringList({"Text", "Geometry", "Style"}));
    EXPECT_EQ(selectedIdentifier(*left), QStringLiteral("Geometry"));
    EXPECT_EQ(sidebars.moves, QList<int>({2, 2}));
    left->moveTabAtIndex(0, 3);
    left->moveTabAtIndex(-1, 0);
    EXPECT_EQ(sidebars.moves.size(), 2);
}

TEST_F(TabViewTest, TheLayoutRoundTripsThroughTheStateDictionaryAndArchive)
{
    fill(left, {"Style", "Geometry", "Text"});
    left->setCurrentTab(2);
    left->setTabOptions(VNQLTabView::ShowTitles | VNQLTabView::ShowIcons);
    left->setTabAlignment(VNQLTabView::AlignLeft);
    const QVariantMap info = left->restorableStateInfo();
    EXPECT_EQ(info.value("identifierList").toStringList(), QStringList({"Style", "Geometry", "Text"}));
    EXPECT_EQ(info.value("selectedTab").toULongLong(), 2u);

    fill(right, {"Layers"});
    pf::UserDefaults::standard().setInteger(VNQLTabView::ShowIcons, kVNQLTabViewOptionsPreferencesKey);
    const int changesBefore = sidebars.stateChanges;
    ASSERT_TRUE(right->restoreWithStateInfo(info));
    EXPECT_EQ(sidebars.stateChanges, changesBefore);
    EXPECT_EQ(identifiers(*right), QStringList({"Style", "Geometry", "Text"}));
    EXPECT_EQ(selectedIdentifier(*right), QStringLiteral("Text"));
    EXPECT_EQ(right->tabOptions(), VNQLTabView::ShowTitles | VNQLTabView::ShowIcons);
    EXPECT_EQ(right->tabAlignment(), VNQLTabView::AlignLeft);
    // Restoring does not write the preferences.
    EXPECT_EQ(pf::UserDefaults::standard().integerForKey(kVNQLTabViewOptionsPreferencesKey), VNQLTabView::ShowIcons);

    auto* third = makeSidebar(QRectF(0, 0, 300, 400));
    ASSERT_TRUE(third->restoreFromState(left->restorableState()));
    EXPECT_EQ(third->restorableStateInfo(), left->restorableStateInfo());
}

TEST_F(TabViewTest, ALayoutOfTheWrongShapeChangesNothing)
{
    fill(left, {"Style", "Geometry"});
    const QVariantList ids{QStringLiteral("Text")};
    struct Case {
        const char* name;
        QVariantMap info;
    };
    const QList<Case> cases = {
        {"empty", {}},
        {"no identifiers", {{"selectedTab", 0}}},
        {"empty identifier list", {{"identifierList", QVariantList()}}},
        {"identifiers not a list", {{"identifierList", QStringLiteral("Text")}}},
        {"identifiers not strings", {{"identifierList", QVariantList{1, 2}}}},
        {"selection not a number", {{"identifierList", ids}, {"selectedTab", QStringLiteral("one")}}},
        {"options not a number", {{"identifierList", ids}, {"tabOptions", QVariantList()}}},
        {"alignment not a number", {{"identifierList", ids}, {"tabAlignment", QVariantMap()}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(left->restoreWithStateInfo(c.info));
        EXPECT_EQ(identifiers(*left), QStringList({"Style", "Geometry"}));
        EXPECT_EQ(left->currentTab(), 0);
    }
    EXPECT_FALSE(left->restoreFromState(QByteArray()));
    EXPECT_FALSE(left->restoreFromState(QByteArray("not an archive")));
    EXPECT_EQ(identifiers(*left), QStringList({"Style", "Geometry"}));
}

TEST_F(TabViewTest, RestoringFiltersUnknownTabsAndRepairsTheSelectionAndOptions)
{
    struct Case {
        const char* name;
        QVariantMap info;
        QStringList tabs;
        QString selected;
        int options;
        int alignment;
    };
    const QVariantList ids{QStringLiteral("Style"), QStringLiteral("Undo"), QStringLiteral("Text")};
    const QList<Case> cases = {
        {"selection after an unknown tab", {{"identifierList", ids}, {"selectedTab", 2}}, {"Style", "Text"}, "Text", 2, 0},
        {"selection of an unknown tab", {{"identifierList", ids}, {"selectedTab", 1}}, {"Style", "Text"}, "Text", 2, 0},
        {"selection out of range", {{"identifierList", ids}, {"selectedTab", 9}}, {"Style", "Text"}, "Text", 2, 0},
        {"no selection", {{"identifierList", ids}}, {"Style", "Text"}, "Style", 2, 0},
        {"selection of none", {{"identifierList", ids}, {"selectedTab", pf::kNotFound}}, {"Style", "Text"}, "Style", 2, 0},
        {"options 0", {{"identifierList", ids}, {"tabOptions", 0}, {"tabAlignment", 2}}, {"Style", "Text"}, "Style", 2, 2},
        {"options and alignment out of range",
         {{"identifierList", ids}, {"tabOptions", 12}, {"tabAlignment", 40}}, {"Style", "Text"}, "Style", 2, 0},
        {"text only", {{"identifierList", ids}, {"tabOptions", 1}}, {"Style", "Text"}, "Style", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(left->restoreWithStateInfo(c.info));
        EXPECT_EQ(identifiers(*left), c.tabs);
        EXPECT_EQ(selectedIdentifier(*left), c.selected);
        EXPECT_EQ(left->tabOptions(), c.options);
        EXPECT_EQ(left->tabAlignment(), c.alignment);
        EXPECT_EQ(left->tabViews().first()->isTitleVisible(), bool(c.options & 1));
    }
    // Emptying the view on the way is not reported; a restore that keeps no tab is.
    EXPECT_TRUE(sidebars.emptied.isEmpty());
    EXPECT_TRUE(left->restoreWithStateInfo({{"identifierList", QVariantList{QStringLiteral("Undo")}}}));
    EXPECT_EQ(sidebars.emptied, QList<VNQLTabView*>{left});
}

TEST_F(TabViewTest, OptionsComeFromThePreferencesAndChangeThemForLaterSidebars)
{
    pf::UserDefaults::standard().setInteger(0, kVNQLTabViewOptionsPreferencesKey);
    auto* fresh = makeSidebar(QRectF(0, 0, 200, 200));
    EXPECT_EQ(fresh->tabOptions(), VNQLTabView::ShowIcons);
    fill(fresh, {"Style"});
    EXPECT_FALSE(fresh->tabViews().first()->isTitleVisible());
    EXPECT_TRUE(fresh->tabViews().first()->isIconVisible());

    fresh->setTabOptions(VNQLTabView::ShowTitles);
    EXPECT_TRUE(fresh->tabViews().first()->isTitleVisible());
    EXPECT_FALSE(fresh->tabViews().first()->isIconVisible());
    EXPECT_EQ(left->tabOptions(), VNQLTabView::ShowIcons);
    EXPECT_EQ(makeSidebar(QRectF(0, 0, 200, 200))->tabOptions(), VNQLTabView::ShowTitles);

    // The strip's menu checks the options and alignment in force.
    auto menu = VNQLTabView::makeStandardMenu();
    for (const auto& item : menu->items()) {
        if (item->isSeparatorItem())
            continue;
        EXPECT_TRUE(fresh->validateMenuItem(*item));
    }
    EXPECT_EQ(menu->itemAtIndex(2)->state(), pf::ControlState::On);  // text only
    EXPECT_EQ(menu->itemAtIndex(0)->state(), pf::ControlState::Off); // icon and text
    EXPECT_EQ(menu->itemWithTitle("Centre Tabs")->state(), pf::ControlState::On);
    EXPECT_EQ(menu->itemWithTitle("Fill Tab Bar")->state(), pf::ControlState::Off);
}

TEST_F(TabViewTest, TheStripMenuListsTheTabsAndSelectsByName)
{
    fill(left, {"Style", "Geometry"});
    auto menu = left->titleView()->menuWithTabs();
    ASSERT_TRUE(menu);
    pf::MenuItem* item = menu->itemWithTitle("Geometry");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->action(), QStringLiteral("selectTabWithName:"));
    left->selectTabWithName(pf::toVariant(pf::Ref<pf::Object>(menu->items().at(menu->indexOfItem(item)))));
    EXPECT_EQ(selectedIdentifier(*left), QStringLiteral("Geometry"));
    EXPECT_TRUE(menu->itemWithTitle("Icon Only"));
    left->setAddTabTitlesToMenu(false);
    EXPECT_EQ(left->titleView()->menuWithTabs()->itemWithTitle("Geometry"), nullptr);
}

TEST_F(TabViewTest, TabContentControllersValidateTheirOwnActions)
{
    InspPanelController controller("Geometry");
    auto item = pf::MenuItem::make("Act", "panelAction:");
    EXPECT_TRUE(controller.validateUserInterfaceItem(*item));
    item->setAction("otherAction:");
    EXPECT_FALSE(controller.validateUserInterfaceItem(*item));
    EXPECT_THROW(left->addTabWithContentViewController(nullptr), pf::Exception);
    EXPECT_THROW(left->addTab(nullptr), pf::Exception);
    EXPECT_THROW(VNQLDragTabProxy(nullptr), pf::Exception);
}

TEST_F(TabViewTest, AClickSelectsAndAHeldPressStartsADrag)
{
    fill(left, {"Style", "Geometry", "Text"});
    int drags = 0;
    VNQLTabView::setDragRunnerForTesting([&](VNQLTabView&, const pf::Event&) {
        ++drags;
        return unsigned(pf::DragOperationNone);
    });

    // A quick click.
    left->mouseDown(mouseAt(left, centreOfTab(left, 1)));
    EXPECT_TRUE(left->tabViewAtIndex(1)->isHighlighted());
    left->mouseUp(mouseAt(left, centreOfTab(left, 1)));
    EXPECT_EQ(left->currentTab(), 1);
    EXPECT_FALSE(left->tabViewAtIndex(1)->isHighlighted());

    // Leaving the tab before half a second cancels the drag; releasing outside selects nothing.
    left->mouseDown(mouseAt(left, centreOfTab(left, 2)));
    left->mouseDragged(mouseAt(left, QPointF(150, 200)));
    EXPECT_FALSE(left->tabViewAtIndex(2)->isHighlighted());
    QElapsedTimer timer;
    timer.start();
    quillory::test::waitUntil([&] { return timer.elapsed() > 700; }, 1000);
    left->mouseUp(mouseAt(left, QPointF(150, 200)));
    EXPECT_EQ(drags, 0);
    EXPECT_EQ(left->currentTab(), 1);

    // Holding the press starts the drag.
    left->mouseDown(mouseAt(left, centreOfTab(left, 2)));
    EXPECT_TRUE(quillory::test::waitUntil([&] { return drags == 1; }, 2000));
    left->mouseUp(mouseAt(left, centreOfTab(left, 2)));
    // With Command held it starts at once.
    left->mouseDown(mouseAt(left, centreOfTab(left, 0), pf::CommandKeyMask));
    EXPECT_EQ(drags, 2);
}

TEST_F(TabViewTest, DraggingAlongTheStripReordersAndARefusedDropPutsTheTabBack)
{
    fill(left, {"Style", "Geometry", "Text"});
    VNQLTabView::setDragRunnerForTesting([&](VNQLTabView& source, const pf::Event&) {
        VNQLTabViewTitleView* strip = source.titleView();
        // Past the middle of the right-hand neighbour.
        const QRectF next = source.rectOfTabAtIndex(1);
        EXPECT_EQ(strip->draggingEntered(dragInfo(&source, &source, next.center())), pf::DragOperationPrivate);
        strip->draggingUpdated(dragInfo(&source, &source, next.center() + QPointF(5, 0)));
        return unsigned(pf::DragOperationPrivate);
    });
    left->mouseDown(mouseAt(left, centreOfTab(left, 0), pf::CommandKeyMask));
    EXPECT_EQ(identifiers(*left), QStringList({"Geometry", "Style", "Text"}));
    EXPECT_EQ(selectedIdentifier(*left), QStringLiteral("Style"));
    EXPECT_FALSE(left->tabWithIdentifier("Style")->isHidden());
    EXPECT_FALSE(left->tabWithIdentifier("Style")->existingTabLayer()->isHidden());

    // Dropped outside any strip: back where the press began.
    VNQLTabView::setDragRunnerForTesting([&](VNQLTabView& source, const pf::Event&) {
        source.titleView()->draggingUpdated(dragInfo(&source, &source, source.rectOfTabAtIndex(2).center() + QPointF(5, 0)));
        EXPECT_EQ(identifiers(source), QStringList({"Geometry", "Text", "Style"}));
        return unsigned(pf::DragOperationNone);
    });
    left->mouseDown(mouseAt(left, centreOfTab(left, 1), pf::CommandKeyMask));
    EXPECT_EQ(identifiers(*left), QStringList({"Geometry", "Style", "Text"}));
    EXPECT_EQ(left->draggingView(), nullptr);
}

TEST_F(TabViewTest, ATabDroppedOnTheOtherSidebarMovesThereWithItsPanel)
{
    fill(left, {"Style", "Geometry"});
    fill(right, {"Text", "Layers"});
    const int addedBefore = sidebars.added;
    VNQLTabContentView* geometry = left->tabWithIdentifier("Geometry");
    const Ref<pf::ViewController> controller = geometry->viewController();
    VNQLTabView::setDragRunnerForTesting([&](VNQLTabView& source, const pf::Event&) {
        VNQLTabViewTitleView* strip = right->titleView();
        const QPointF over = centreOfTab(right, 1);
        EXPECT_EQ(strip->draggingEntered(dragInfo(&source, right, over)), pf::DragOperationPrivate);
        EXPECT_TRUE(right->hasExternalDrag());
        EXPECT_EQ(right->numberOfTabs(), 3);
        EXPECT_TRUE(strip->prepareForDragOperation(dragInfo(&source, right, over)));
        EXPECT_TRUE(strip->performDragOperation(dragInfo(&source, right, over)));
        return unsigned(pf::DragOperationPrivate);
    });
    left->mouseDown(mouseAt(left, centreOfTab(left, 1), pf::CommandKeyMask));

    EXPECT_EQ(identifiers(*left), QStringList({"Style"}));
    EXPECT_EQ(selectedIdentifier(*left), QStringLiteral("Style"));
    EXPECT_EQ(identifiers(*right), QStringList({"Text", "Geometry", "Layers"}));
    EXPECT_EQ(selectedIdentifier(*right), QStringLiteral("Geometry"));
    EXPECT_EQ(geometry->tabView(), right);
    EXPECT_EQ(geometry->superview(), right);
    EXPECT_EQ(geometry->viewController(), controller);
    EXPECT_FALSE(geometry->isHidden());
    EXPECT_TRUE(right->tabWithIdentifier("Text")->isHidden());
    EXPECT_EQ(sidebars.added, addedBefore);
    EXPECT_FALSE(right->hasExternalDrag());

    // The only tab of a sidebar moved away leaves it empty.
    VNQLTabView::setDragRunnerForTesting([&](VNQLTabView& source, const pf::Event&) {
        right->titleView()->draggingEntered(dragInfo(&source, right, QPointF(290, 10)));
        right->titleView()->performDragOperation(dragInfo(&source, right, QPointF(290, 10)));
        return unsigned(pf::DragOperationPrivate);
    });
    left->mouseDown(mouseAt(left, centreOfTab(left, 0), pf::CommandKeyMask));
    EXPECT_EQ(left->numberOfTabs(), 0);
    EXPECT_EQ(sidebars.emptied, QList<VNQLTabView*>{left});
    EXPECT_EQ(identifiers(*right).last(), QStringLiteral("Style"));
}

TEST_F(TabViewTest, ATabDraggedAcrossTheOtherSidebarAndBackLeavesItAsItWas)
{
    fill(left, {"Style", "Geometry"});
    fill(right, {"Text", "Layers"});
    right->setCurrentTab(1);
    VNQLTabView::setDragRunnerForTesting([&](VNQLTabView& source, const pf::Event&) {
        VNQLTabViewTitleView* strip = right->titleView();
        strip->draggingEntered(dragInfo(&source, right, centreOfTab(right, 0)));
        strip->draggingUpdated(dragInfo(&source, right, centreOfTab(right, 0)));
        EXPECT_EQ(right->selectedTab()->tabLayer(), nullptr); // the gap of the stand-in
        strip->draggingExited(nullptr);
        return unsigned(pf::DragOperationNone);
    });
    left->mouseDown(mouseAt(left, centreOfTab(left, 1), pf::CommandKeyMask));
    EXPECT_EQ(identifiers(*right), QStringList({"Text", "Layers"}));
    EXPECT_EQ(selectedIdentifier(*right), QStringLiteral("Layers"));
    EXPECT_FALSE(right->tabWithIdentifier("Layers")->isHidden());
    EXPECT_EQ(identifiers(*left), QStringList({"Style", "Geometry"}));
    EXPECT_EQ(selectedIdentifier(*left), QStringLiteral("Geometry"));
}

TEST_F(TabViewTest, ADropFromAnotherWindowIsRefusedWhileDragsStayInTheirWindow)
{
    fill(left, {"Style"});
    pf::View otherWindow(QRectF(0, 0, 300, 400));
    auto* elsewhere = new VNQLTabView(QRectF(0, 0, 300, 400));
    otherWindow.addSubview(elsewhere);
    fill(elsewhere, {"Text"});
    VNQLTabView::setDragRunnerForTesting([&](VNQLTabView& source, const pf::Event&) {
        EXPECT_EQ(elsewhere->titleView()->draggingEntered(dragInfo(&source, elsewhere, QPointF(10, 10))),
                  pf::DragOperationNone);
        elsewhere->setDragsLimitedToSameWindow(false);
        EXPECT_EQ(elsewhere->titleView()->draggingEntered(dragInfo(&source, elsewhere, QPointF(10, 10))),
                  pf::DragOperationPrivate);
        elsewhere->titleView()->draggingExited(nullptr);
        return unsigned(pf::DragOperationNone);
    });
    left->mouseDown(mouseAt(left, centreOfTab(left, 0), pf::CommandKeyMask));
    EXPECT_EQ(identifiers(*elsewhere), QStringList({"Text"}));
    EXPECT_EQ(identifiers(*left), QStringList({"Style"}));
    EXPECT_EQ(left->draggingSourceOperationMask(pf::DraggingContext::OutsideApplication), pf::DragOperationNone);
}

TEST_F(TabViewTest, ATabTakesItsIconFromTheControllersResource)
{
    EXPECT_FALSE(VNQLTabView::emptyTabViewImage().isNull());
    left->setTabOptions(VNQLTabView::ShowTitles | VNQLTabView::ShowIcons);
    auto controller = std::make_shared<InspPanelController>("Geometry");
    controller->setTabIcon(QStringLiteral("VNCR_Stamp.png"));
    controller->setTabTooltip(QStringLiteral("Sizes and positions"));
    VNQLTabContentView* tab = left->addTabWithContentViewController(controller);
    ASSERT_FALSE(tab->icon().isNull());
    // Without a "_selected" resource the selected tab shows the plain icon.
    EXPECT_EQ(tab->selectedIcon(), tab->icon());
    EXPECT_EQ(tab->toolTipText(), QStringLiteral("Sizes and positions"));
    EXPECT_EQ(tab->widthNeededForTab(), std::ceil(50 + QFontMetricsF(VNQLTabContentView::defaultTitleFont()).horizontalAdvance("Geometry")));
    left->setTabOptions(VNQLTabView::ShowIcons);
    EXPECT_EQ(tab->widthNeededForTab(), 50);

    auto missing = std::make_shared<InspPanelController>("Text");
    missing->setTabIcon(QStringLiteral("no_such_icon.png"));
    EXPECT_TRUE(left->addTabWithContentViewController(missing)->icon().isNull());
}

TEST_F(TabViewTest, ASidebarPaintsItsStripTabsAndPanel)
{
    fill(left, {"Style", "Geometry"});
    left->setBordered(true);
    const QImage image = left->cacheDisplayInRect(left->bounds());
    ASSERT_FALSE(image.isNull());
    const QPointF scale(image.width() / left->bounds().width(), image.height() / left->bounds().height());
    auto pixel = [&](double x, double y) { return image.pixelColor(int(x * scale.x()), int(y * scale.y())).rgb(); };
    // Beside the centred tabs the strip shows its own background; below it the panel's.
    EXPECT_EQ(pixel(5, 12), VNQLUnderpageBackgroundColour().qColor().rgb());
    EXPECT_EQ(pixel(150, 200), VNQLWindowBackgroundColour().qColor().rgb());
    // A tab is drawn where its rectangle is.
    const QRectF tab = left->rectOfTabAtIndex(1);
    EXPECT_NE(pixel(tab.center().x(), tab.top() + 4), VNQLUnderpageBackgroundColour().qColor().rgb());
}
