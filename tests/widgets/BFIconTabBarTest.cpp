#include "widgets/BFIconTabBar.h"
#include "widgets/BFIconTabBarDelegate.h"

#include "WidgetTestSupport.h"

#include <gtest/gtest.h>

namespace {

using widgettest::mouse;

class Listener : public BFIconTabBarDelegate {
public:
    void tabBarChangedSelection(BFIconTabBar& bar) override { selections.append(bar.selectedIndexes().toList()); }
    QList<QList<qint64>> selections;
};

class IconTabBar : public ::testing::Test {
protected:
    void SetUp() override
    {
        bar.setFrame(QRectF(0, 0, 300, 34));
        QList<pf::Ref<BFIconTabBarItem>> items;
        for (int i = 0; i < 5; ++i)
            items.append(BFIconTabBarItem::itemWithIcon(nullptr, QStringLiteral("tab %1").arg(i)));
        bar.setItems(items);
        bar.setDelegate(&listener);
    }
    // The middle of tab `index` (a parentless bar's frame is in window coordinates).
    static QPointF tab(int index) { return QPointF(4.0 + index * 32 + 16, 17); }
    QList<qint64> selection() const { return bar.selectedIndexes().toList(); }

    BFIconTabBar bar;
    Listener listener;
};

TEST_F(IconTabBar, FindsTheTabUnderAnX)
{
    struct Case {
        double x;
        int index;
    };
    for (const Case c : {Case{3, -1}, Case{4, 0}, Case{35.9, 0}, Case{36, 1}, Case{99, 2}, Case{163.9, 4}, Case{164, -1}}) {
        EXPECT_EQ(bar.indexAtX(c.x), c.index) << c.x;
        EXPECT_EQ(bar.itemAtX(c.x) != nullptr, c.index >= 0) << c.x;
    }
    BFIconTabBar three;
    three.setItems(bar.items().mid(0, 3));
    EXPECT_EQ(three.indexAtX(99), 2);
    EXPECT_EQ(three.indexAtX(100), -1);
    bar.setItemWidth(0);
    EXPECT_EQ(bar.itemAtX(4), nullptr);
    EXPECT_EQ(bar.itemAtX(1000), nullptr);
}

TEST_F(IconTabBar, NewItemsSelectTheFirstTabWithoutNotifyingAndPruneTheSelection)
{
    EXPECT_EQ(selection(), QList<qint64>{0});
    EXPECT_TRUE(listener.selections.isEmpty());
    bar.setMultipleSelection(true);
    bar.selectIndexes(pf::IndexSet::range(2, 3), false);
    bar.setItems(bar.items().mid(0, 3));
    EXPECT_EQ(selection(), QList<qint64>{2});
    EXPECT_EQ(bar.selectedItems().size(), 1);
    bar.setItems({});
    EXPECT_EQ(bar.selectedIndex(), -1);
    EXPECT_EQ(bar.selectedItem(), nullptr);
    EXPECT_TRUE(bar.selectedItems().isEmpty());
    EXPECT_TRUE(listener.selections.isEmpty());
}

TEST_F(IconTabBar, SelectingFollowsTheSelectionMode)
{
    bar.selectIndex(3);
    EXPECT_EQ(selection(), QList<qint64>{3});
    bar.setMultipleSelection(true);
    bar.selectIndex(1);
    EXPECT_EQ(selection(), (QList<qint64>{1, 3}));
    bar.selectIndexes(pf::IndexSet(4), false);
    EXPECT_EQ(selection(), QList<qint64>{4});
    bar.selectIndexes(pf::IndexSet::range(0, 2), true);
    EXPECT_EQ(selection(), (QList<qint64>{0, 1, 4}));
    bar.deselectIndex(0);
    bar.deselectItem(bar.items()[4]);
    EXPECT_EQ(selection(), QList<qint64>{1});
    bar.selectIndex(3);
    bar.setMultipleSelection(false);
    EXPECT_EQ(selection(), QList<qint64>{1});
    bar.selectIndexes(pf::IndexSet::range(2, 2), true);
    EXPECT_EQ(selection(), QList<qint64>{2});
    bar.selectItem(BFIconTabBarItem::itemWithIcon(nullptr, QString()));
    EXPECT_EQ(selection(), QList<qint64>{2});
    bar.selectIndex(7);
    EXPECT_EQ(selection(), QList<qint64>{2});
    EXPECT_TRUE(listener.selections.isEmpty());
}

TEST_F(IconTabBar, SelectAllTakesEveryTabOrKeepsOne)
{
    bar.selectIndex(2);
    bar.selectAll();
    EXPECT_EQ(selection(), QList<qint64>{2});
    bar.deselectAll();
    bar.selectAll();
    EXPECT_EQ(selection(), QList<qint64>{0});
    bar.setMultipleSelection(true);
    bar.selectAll();
    EXPECT_EQ(selection(), (QList<qint64>{0, 1, 2, 3, 4}));
}

TEST_F(IconTabBar, PressingAndDraggingSelectsOneTabAtATime)
{
    bar.mouseDown(mouse(pf::LeftMouseDown, tab(1)));
    bar.mouseDragged(mouse(pf::LeftMouseDragged, tab(1) + QPointF(5, 0)));
    bar.mouseDragged(mouse(pf::LeftMouseDragged, tab(3)));
    bar.mouseUp(mouse(pf::LeftMouseUp, tab(3)));
    EXPECT_EQ(selection(), QList<qint64>{3});
    EXPECT_EQ(listener.selections, (QList<QList<qint64>>{{1}, {3}}));
}

TEST_F(IconTabBar, DraggingFromASelectedTabDeselectsAndFromAnUnselectedOneSelects)
{
    bar.setMultipleSelection(true);
    bar.selectIndexes(pf::IndexSet::range(0, 4), false);
    bar.mouseDown(mouse(pf::LeftMouseDown, tab(1)));
    bar.mouseDragged(mouse(pf::LeftMouseDragged, tab(2)));
    bar.mouseDragged(mouse(pf::LeftMouseDragged, tab(3)));
    bar.mouseUp(mouse(pf::LeftMouseUp, tab(3)));
    EXPECT_EQ(selection(), QList<qint64>{0});
    bar.mouseDown(mouse(pf::LeftMouseDown, tab(2)));
    bar.mouseDragged(mouse(pf::LeftMouseDragged, tab(4)));
    bar.mouseUp(mouse(pf::LeftMouseUp, tab(4)));
    EXPECT_EQ(selection(), (QList<qint64>{0, 2, 4}));
    EXPECT_EQ(listener.selections.size(), 5);
    // A press beside the tabs changes nothing.
    bar.mouseDown(mouse(pf::LeftMouseDown, QPointF(250, 17)));
    EXPECT_EQ(listener.selections.size(), 5);
}

TEST_F(IconTabBar, SendsItsActionOnEveryMouseChange)
{
    auto recorder = std::make_shared<widgettest::ActionRecorder>();
    bar.setTarget(recorder.get());
    bar.setAction(QStringLiteral("record:"));
    bar.mouseDown(mouse(pf::LeftMouseDown, tab(4)));
    bar.mouseUp(mouse(pf::LeftMouseUp, tab(4)));
    bar.selectIndex(0);
    ASSERT_EQ(recorder->count(), 1);
    EXPECT_EQ(pf::Control::fromSender(recorder->senders[0]), &bar);
}

} // namespace
