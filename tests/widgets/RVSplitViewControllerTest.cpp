#include "widgets/RVSplitViewController.h"
#include "widgets/RVSplitViewControllerDelegate.h"
#include "widgets/RVSplitViewItem.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/SplitView.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

namespace {

using pf::Ref;

class Recorder : public pf::Object, public RVSplitViewControllerDelegate {
public:
    void splitViewControllerDidCollapseItem(RVSplitViewController&, RVSplitViewItem& item) override
    {
        collapsed.append(item.identifier());
    }
    void splitViewControllerDidUncollapseItem(RVSplitViewController&, RVSplitViewItem& item) override
    {
        uncollapsed.append(item.identifier());
    }
    void splitViewControllerDidChangeItem(RVSplitViewController&, RVSplitViewItem&) override { ++changes; }
    QStringList collapsed;
    QStringList uncollapsed;
    int changes = 0;
};

// The document window's layout: two fixed sidebars of 250 to 350 around a flexible middle,
// side by side with 1-point dividers.
class SplitLayout : public ::testing::Test {
protected:
    void SetUp() override
    {
        splitView = std::make_unique<pf::SplitView>(QRectF(0, 0, 1000, 600));
        splitView->setVertical(true);
        splitView->setDividerStyle(pf::SplitViewDividerStyle::Thin);
        for (int i = 0; i < 3; ++i)
            splitView->addSubview(new pf::View(QRectF(0, 0, 100, 600)));
        controller = std::make_shared<RVSplitViewController>();
        controller->setSplitView(splitView.get());
        recorder = std::make_shared<Recorder>();
        controller->setDelegate(recorder);
        configureSidebar(0, QStringLiteral("left_sidebar"));
        configureSidebar(2, QStringLiteral("right_sidebar"));
        item(1)->setIdentifier(QStringLiteral("drawing"));
    }

    void configureSidebar(int index, const QString& identifier)
    {
        RVSplitViewItem* sidebar = item(index);
        sidebar->setBehaviour(RVSplitViewItem::kFixedBehaviour);
        sidebar->setMinSize(250);
        sidebar->setMaxSize(350);
        sidebar->setIdentifier(identifier);
    }

    RVSplitViewItem* item(int index) { return controller->splitViewItemAtIndex(index); }
    QRectF frame(int index) { return item(index)->view()->frame(); }

    void expectPanes(std::initializer_list<std::pair<double, double>> panes)
    {
        int i = 0;
        for (const auto& [x, width] : panes) {
            SCOPED_TRACE(i);
            if (item(i)->isCollapsed()) {
                EXPECT_TRUE(std::isnan(x));
            } else {
                EXPECT_DOUBLE_EQ(frame(i).x(), x);
                EXPECT_DOUBLE_EQ(frame(i).width(), width);
                EXPECT_DOUBLE_EQ(frame(i).height(), 600);
            }
            ++i;
        }
    }

    static constexpr double kCollapsed = std::numeric_limits<double>::quiet_NaN();

    std::unique_ptr<pf::SplitView> splitView;
    Ref<RVSplitViewController> controller;
    Ref<Recorder> recorder;
};

TEST_F(SplitLayout, FirstLayoutGivesFixedPanesTheirMinimum)
{
    ASSERT_EQ(controller->countOfSplitViewItems(), 3);
    EXPECT_EQ(splitView->delegate(), controller.get());
    controller->arrangeSplitViews();
    expectPanes({{0, 250}, {251, 498}, {750, 250}});
    EXPECT_DOUBLE_EQ(controller->sumOfFrameSizesToIndex(0), 250);
    EXPECT_DOUBLE_EQ(controller->positionOfDividerAtIndex(1), 250 + 1 + 498);
    EXPECT_DOUBLE_EQ(controller->sumOfFrameSizesToIndex(2), 1000);
}

TEST_F(SplitLayout, ResizingKeepsFixedPanesAndSharesTheRest)
{
    controller->arrangeSplitViews();
    item(0)->view()->setFrameSize(QSizeF(300, 600));
    splitView->setFrameSize(QSizeF(1200, 600));
    expectPanes({{0, 300}, {301, 648}, {950, 250}});
    EXPECT_GT(recorder->changes, 0);
}

TEST_F(SplitLayout, CollapsingReportsAndRelaysOut)
{
    controller->arrangeSplitViews();
    int posted = 0;
    const quint64 token = pf::NotificationCenter::defaultCenter().addObserver(
        kRVSplitViewControllerDidCollapse, controller.get(), [&](const pf::Notification&) { ++posted; });

    controller->setSplitViewItemCollapsed(true, 2);
    EXPECT_TRUE(item(2)->isCollapsed());
    expectPanes({{0, 250}, {251, 748}, {kCollapsed, 0}});
    EXPECT_EQ(recorder->collapsed, QStringList{QStringLiteral("right_sidebar")});
    EXPECT_EQ(posted, 1);
    // The item collapsed already: asking again reports nothing.
    controller->setSplitViewItemCollapsed(true, 2);
    EXPECT_EQ(posted, 1);

    controller->toggleCollapseStateWithTag(2);
    EXPECT_FALSE(item(2)->isCollapsed());
    EXPECT_EQ(recorder->uncollapsed, QStringList{QStringLiteral("right_sidebar")});
    expectPanes({{0, 250}, {251, 498}, {750, 250}});

    item(0)->setCanCollapse(false);
    controller->setSplitViewItemCollapsed(true, 0);
    EXPECT_FALSE(item(0)->isCollapsed());
    EXPECT_FALSE(controller->canCollapseSubview(*splitView, item(0)->view()));
    EXPECT_TRUE(controller->canCollapseSubview(*splitView, item(2)->view()));
    pf::NotificationCenter::defaultCenter().removeObserver(token);
}

TEST_F(SplitLayout, NarrowWindowGivesFlexiblePaneNothing)
{
    controller->arrangeSplitViews();
    EXPECT_NO_THROW(splitView->setFrameSize(QSizeF(400, 600)));
    expectPanes({{0, 250}, {251, 0}, {252, 250}});
    // Wide enough again, the middle pane comes back.
    splitView->setFrameSize(QSizeF(1000, 600));
    expectPanes({{0, 250}, {251, 498}, {750, 250}});
}

TEST_F(SplitLayout, DividerLimitsFollowNeighbours)
{
    controller->arrangeSplitViews();
    EXPECT_DOUBLE_EQ(controller->constrainMaxCoordinate(*splitView, 900, 0), 350);
    EXPECT_DOUBLE_EQ(controller->constrainMinCoordinate(*splitView, 0, 0), 250);
    // Divider 1: the right sidebar may grow to 350 and shrink to 250.
    EXPECT_DOUBLE_EQ(controller->constrainMinCoordinate(*splitView, 0, 1), 1000 - 350 - 1);
    EXPECT_DOUBLE_EQ(controller->constrainMaxCoordinate(*splitView, 999, 1), 1000 - 250 - 1);
    // A proposal inside the limits stands.
    EXPECT_DOUBLE_EQ(controller->constrainMaxCoordinate(*splitView, 300, 0), 300);

    pf::SplitView other(QRectF(0, 0, 10, 10));
    EXPECT_THROW(controller->constrainMinCoordinate(other, 0, 0), pf::Exception);
    EXPECT_THROW(controller->resizeSubviewsWithOldSize(other, QSizeF()), pf::Exception);
}

TEST_F(SplitLayout, FlexibleMaximumLeavesRoomEmpty)
{
    item(1)->setMaxSize(300);
    splitView->setFrameSize(QSizeF(902, 600));
    // 902 - 500 - 2 = 400 for the middle, held to 300; the rest stays empty at the end.
    expectPanes({{0, 250}, {251, 300}, {552, 250}});
}

TEST_F(SplitLayout, ProportionalLayoutWithoutOldRoomIsEqual)
{
    controller->arrangeSplitViewsWithOldSize(QSizeF(0, 0), true);
    expectPanes({{0, 250}, {251, 498}, {750, 250}});
    // The old room is the old length less the fixed panes: 498 x 498 / 500.
    controller->arrangeSplitViewsWithOldSize(QSizeF(1000, 600), true);
    EXPECT_DOUBLE_EQ(frame(1).width(), 496);
}

TEST_F(SplitLayout, StateRoundTripMatchesByIdentifier)
{
    controller->arrangeSplitViews();
    item(0)->view()->setFrameSize(QSizeF(320, 600));
    controller->setSplitViewItemCollapsed(true, 2);
    const QVariantMap state = controller->restorableStateInfo();
    EXPECT_EQ(state.value(QStringLiteral("vertical")).toBool(), true);
    QVariantList entries = state.value(QStringLiteral("items")).toList();
    ASSERT_EQ(entries.size(), 3);
    const QVariantMap left = entries[0].toMap();
    EXPECT_EQ(left.value(QStringLiteral("frame")).toString(), QStringLiteral("{{0, 0}, {320, 600}}"));
    EXPECT_EQ(left.value(QStringLiteral("behaviour")).toInt(), 1);
    EXPECT_DOUBLE_EQ(left.value(QStringLiteral("min_size")).toDouble(), 250);
    EXPECT_EQ(left.value(QStringLiteral("identifier")).toString(), QStringLiteral("left_sidebar"));
    EXPECT_TRUE(entries[2].toMap().value(QStringLiteral("collapsed")).toBool());

    // A fresh window, its items in another order of identifiers: state follows the names.
    SplitLayout::TearDown();
    SetUp();
    item(0)->setIdentifier(QStringLiteral("right_sidebar"));
    item(2)->setIdentifier(QStringLiteral("left_sidebar"));
    item(0)->setMinSize(-1);
    item(2)->setMaxSize(-1);
    controller->restoreWithStateInfo(state);
    EXPECT_TRUE(item(0)->isCollapsed());
    EXPECT_FALSE(item(2)->isCollapsed());
    EXPECT_DOUBLE_EQ(item(2)->restoredSize(), 320);
    EXPECT_DOUBLE_EQ(item(2)->maxSize(), 350);
    EXPECT_EQ(item(2)->identifier(), QStringLiteral("left_sidebar"));
    controller->arrangeSplitViews();
    // Two dividers are still counted while two panes are expanded.
    expectPanes({{kCollapsed, 0}, {0, 678}, {679, 320}});
}

TEST_F(SplitLayout, EntryWithoutIdentifierAppliesByPosition)
{
    QVariantMap entry{{QStringLiteral("min_size"), 10.0},     {QStringLiteral("max_size"), -1.0},
                      {QStringLiteral("behaviour"), 2},       {QStringLiteral("collapsed"), false},
                      {QStringLiteral("can_collapse"), false}, {QStringLiteral("frame"), QStringLiteral("{{0, 0}, {5, 6}}")}};
    QVariantList entries{entry, entry, entry};
    controller->restoreWithStateInfo(QVariantMap{{QStringLiteral("vertical"), true}, {QStringLiteral("items"), entries}});
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(item(i)->behaviour(), RVSplitViewItem::kFlexibleBehaviour);
        EXPECT_DOUBLE_EQ(item(i)->minSize(), 10);
        EXPECT_FALSE(item(i)->canCollapse());
        EXPECT_DOUBLE_EQ(item(i)->restoredSize(), 5);
    }
}

TEST_F(SplitLayout, FailedRestoreChangesNothing)
{
    const QVariantMap good = controller->restorableStateInfo();
    QVariantMap twoItems = good;
    twoItems.insert(QStringLiteral("items"), good.value(QStringLiteral("items")).toList().mid(0, 2));
    QVariantMap otherOrientation = good;
    otherOrientation.insert(QStringLiteral("vertical"), false);
    QVariantMap damagedEntry = good;
    QVariantList entries = good.value(QStringLiteral("items")).toList();
    QVariantMap changed = entries[0].toMap();
    changed.insert(QStringLiteral("min_size"), 5.0);
    entries[0] = changed;
    entries[2] = QStringLiteral("not a dictionary");
    damagedEntry.insert(QStringLiteral("items"), entries);

    const struct {
        QVariant state;
        const char* reason;
    } cases[] = {
        {QVariant(), "no data to restore split view state (1)"},
        {QVariantMap(), "no data to restore split view state (2)"},
        {twoItems, "count of items does not match restoration info"},
        {otherOrientation, "orientation of split view does not match restoration info"},
        {damagedEntry, "no data to restore split item"},
    };
    for (const auto& c : cases) {
        try {
            controller->restoreWithStateInfo(c.state);
            ADD_FAILURE() << "no exception for " << c.reason;
        } catch (const pf::Exception& e) {
            EXPECT_EQ(e.reason(), QString::fromLatin1(c.reason));
        }
        EXPECT_DOUBLE_EQ(item(0)->minSize(), 250) << c.reason;
    }
}

TEST_F(SplitLayout, DamagedValuesFallBackToDefaults)
{
    QVariantList entries = controller->restorableStateInfo().value(QStringLiteral("items")).toList();
    QVariantMap damaged = entries[0].toMap();
    damaged.insert(QStringLiteral("min_size"), QStringLiteral("wide"));
    damaged.insert(QStringLiteral("max_size"), std::numeric_limits<double>::quiet_NaN());
    damaged.insert(QStringLiteral("behaviour"), 7);
    damaged.insert(QStringLiteral("frame"), QStringLiteral("{{0, 0}, {nan, 5}}"));
    entries[0] = damaged;
    QVariantMap negative = entries[2].toMap();
    negative.insert(QStringLiteral("min_size"), -40.0);
    negative.insert(QStringLiteral("frame"), QStringLiteral("{{0, 0}, {-30, 600}}"));
    entries[2] = negative;
    controller->restoreWithStateInfo(QVariantMap{{QStringLiteral("vertical"), true}, {QStringLiteral("items"), entries}});

    EXPECT_DOUBLE_EQ(item(0)->minSize(), RVSplitViewItem::kNoLimit);
    EXPECT_DOUBLE_EQ(item(0)->maxSize(), RVSplitViewItem::kNoLimit);
    EXPECT_EQ(item(0)->behaviour(), RVSplitViewItem::kFlexibleBehaviour);
    EXPECT_DOUBLE_EQ(item(0)->restoredSize(), 0);
    EXPECT_DOUBLE_EQ(item(2)->minSize(), RVSplitViewItem::kNoLimit);
    EXPECT_DOUBLE_EQ(item(2)->restoredSize(), 0);
    EXPECT_EQ(item(2)->behaviour(), RVSplitViewItem::kFixedBehaviour);
}

TEST(RVSplitViewItemTest, ConstrainLength)
{
    const struct {
        double min, max, in, out;
        bool changed;
    } cases[] = {
        {-1, -1, 42, 42, false}, {250, -1, 100, 250, true}, {-1, 350, 400, 350, true},
        {250, 350, 300, 300, false}, {300, 200, 100, 200, true}, {0, -1, -5, 0, true},
    };
    for (const auto& c : cases) {
        RVSplitViewItem item;
        item.setMinSize(c.min);
        item.setMaxSize(c.max);
        double length = c.in;
        EXPECT_EQ(item.constrainLength(&length), c.changed) << c.min << " " << c.max << " " << c.in;
        EXPECT_DOUBLE_EQ(length, c.out);
    }
    RVSplitViewItem item;
    EXPECT_FALSE(item.constrainLength(nullptr));
}

TEST_F(SplitLayout, ItemArchiveKeepsFrameAndCollapsedAsSaved)
{
    controller->arrangeSplitViews();
    controller->setSplitViewItemCollapsed(true, 0);
    const QByteArray data = pf::KeyedArchiver::archivedData(controller->splitViewItems()[0]);
    auto decoded = pf::KeyedUnarchiver::unarchiveObjectOfClass<RVSplitViewItem>(data);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->identifier(), QStringLiteral("left_sidebar"));
    EXPECT_DOUBLE_EQ(decoded->minSize(), 250);
    EXPECT_DOUBLE_EQ(decoded->maxSize(), 350);
    EXPECT_EQ(decoded->behaviour(), RVSplitViewItem::kFixedBehaviour);
    EXPECT_TRUE(decoded->canCollapse());
    EXPECT_TRUE(decoded->savedCollapsed());
    EXPECT_EQ(decoded->savedViewFrame(), QRectF(0, 0, 250, 600));
    EXPECT_EQ(decoded->view(), nullptr);
}

TEST_F(SplitLayout, NewSplitViewReplacesItems)
{
    pf::SplitView other(QRectF(0, 0, 300, 300));
    other.addSubview(new pf::View(QRectF(0, 0, 10, 10)));
    controller->setSplitView(&other);
    EXPECT_EQ(splitView->delegate(), nullptr);
    EXPECT_EQ(other.delegate(), controller.get());
    EXPECT_EQ(controller->countOfSplitViewItems(), 1);
    EXPECT_EQ(controller->itemForView(other.subviews()[0]), item(0));
    controller->setSplitView(nullptr);
}

} // namespace
