#include "platform/ui/SplitView.h"

#include "tests/support/NotificationRecorder.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace pf;

namespace {

// The first pane keeps between 250 and 350 points and may collapse; dividers beside a
// collapsed pane disappear.
class LimitingDelegate : public SplitViewDelegate {
public:
    double constrainMinCoordinate(SplitView&, double proposed, int index) override
    {
        return index == 0 ? std::max(proposed, 250.0) : proposed;
    }
    double constrainMaxCoordinate(SplitView&, double proposed, int index) override
    {
        return index == 0 ? std::min(proposed, 350.0) : proposed;
    }
    bool canCollapseSubview(SplitView& split, View* pane) override { return pane == split.subviews().first(); }
    bool shouldHideDividerAtIndex(SplitView&, int) override { return true; }
    void splitViewDidResizeSubviews(SplitView&) override { ++resizes; }
    int resizes = 0;
};

// Lays the panes out itself: every pane as wide as the first one was asked to be.
class LayingOutDelegate : public SplitViewDelegate {
public:
    bool resizeSubviewsWithOldSize(SplitView& split, QSizeF oldSize) override
    {
        oldSizes.append(oldSize);
        double x = 0;
        for (View* pane : split.subviews()) {
            pane->setFrame(QRectF(x, 0, 100, split.bounds().height()));
            x += 100 + split.dividerThickness();
        }
        return true;
    }
    QList<QSizeF> oldSizes;
};

class SplitViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        split.setVertical(true);
        split.setDividerStyle(SplitViewDividerStyle::Thin);
        for (double width : {100.0, 300.0, 100.0}) {
            auto* pane = new View(QRectF(0, 0, width, 50));
            split.addSubview(pane);
            panes.append(pane);
        }
        split.adjustSubviews();
    }
    // A drag of divider `index` from its place to `x`.
    void drag(int index, double x)
    {
        const QRectF divider = split.dividerRect(index);
        const auto at = [&](double along) {
            return split.convertPointToView(QPointF(along, divider.center().y()), nullptr);
        };
        split.mouseDown(Event::mouseEvent(LeftMouseDown, at(divider.left()), 0, 0, 0, 0, 1, 1));
        split.mouseDragged(Event::mouseEvent(LeftMouseDragged, at(x), 0, 0, 0, 0, 1, 1));
        split.mouseUp(Event::mouseEvent(LeftMouseUp, at(x), 0, 0, 0, 0, 1, 1));
    }
    double width(int pane) const { return panes[pane]->frame().width(); }

    SplitView split{QRectF(0, 0, 1000, 100)};
    QList<View*> panes;
};

TEST_F(SplitViewTest, AdjustSubviewsSharesTheLengthInProportionOnWholePixels)
{
    EXPECT_EQ(panes[0]->frame(), QRectF(0, 0, 200, 100));
    EXPECT_EQ(panes[1]->frame(), QRectF(201, 0, 598, 100));
    EXPECT_EQ(panes[2]->frame(), QRectF(800, 0, 200, 100));
    EXPECT_EQ(split.dividerRect(0), QRectF(200, 0, 1, 100));
    EXPECT_EQ(split.dividerRect(1), QRectF(799, 0, 1, 100));
    EXPECT_DOUBLE_EQ(split.minPossiblePositionOfDividerAtIndex(1), 201);
    EXPECT_DOUBLE_EQ(split.maxPossiblePositionOfDividerAtIndex(0), 798);
    // Resizing without a delegate keeps the proportions.
    split.setFrameSize(QSizeF(502, 100));
    EXPECT_EQ(width(0), 100);
    EXPECT_EQ(width(1), 300);
}

TEST_F(SplitViewTest, DraggingFollowsTheDelegatesLimitsAndCollapsesPastHalfway)
{
    LimitingDelegate delegate;
    split.setDelegate(&delegate);
    NotificationRecorder recorder(&split);
    drag(0, 300);
    EXPECT_EQ(width(0), 300);
    EXPECT_EQ(panes[1]->frame().left(), 301);
    EXPECT_EQ(panes[1]->frame().right(), 799); // the pane after keeps its end
    ASSERT_EQ(recorder.count(NSSplitViewDidResizeSubviewsNotification), 1);
    EXPECT_EQ(recorder.infos.first().value(NSSplitViewDividerIndex).toInt(), 0);
    EXPECT_EQ(delegate.resizes, 1);

    drag(0, 500);
    EXPECT_EQ(width(0), 350);
    drag(0, 200); // short of the minimum, but not halfway to the edge
    EXPECT_EQ(width(0), 250);
    EXPECT_FALSE(split.isSubviewCollapsed(panes[0]));

    drag(0, 100); // past halfway: collapsed, and its divider goes
    EXPECT_TRUE(split.isSubviewCollapsed(panes[0]));
    EXPECT_TRUE(split.isDividerHidden(0));
    EXPECT_TRUE(split.dividerRect(0).isEmpty());
    EXPECT_EQ(panes[1]->frame().left(), 0);

    // The other pane cannot collapse: dragging divider 1 to the end stops at the end.
    drag(1, 1000);
    EXPECT_FALSE(split.isSubviewCollapsed(panes[2]));
    EXPECT_EQ(width(2), 0);
    split.setDelegate(nullptr);
}

TEST_F(SplitViewTest, CollapsedPaneComesBackWithSetPosition)
{
    LimitingDelegate delegate;
    split.setDelegate(&delegate);
    panes[0]->setHidden(true);
    split.adjustSubviews();
    EXPECT_EQ(panes[1]->frame().left(), 0);
    EXPECT_EQ(panes[2]->frame().right(), 1000);
    EXPECT_DOUBLE_EQ(split.minPossiblePositionOfDividerAtIndex(0), 0);
    split.setPosition(260, 0);
    EXPECT_FALSE(split.isSubviewCollapsed(panes[0]));
    EXPECT_EQ(panes[0]->frame(), QRectF(0, 0, 260, 100));
    EXPECT_EQ(panes[1]->frame().left(), 261);
    split.setDelegate(nullptr);
}

TEST_F(SplitViewTest, DelegateThatLaysPanesOutReplacesTheDefault)
{
    LayingOutDelegate delegate;
    split.setDelegate(&delegate);
    NotificationRecorder recorder(&split);
    split.setFrameSize(QSizeF(800, 100));
    ASSERT_EQ(delegate.oldSizes.size(), 1);
    EXPECT_EQ(delegate.oldSizes.first(), QSizeF(1000, 100));
    EXPECT_EQ(panes[2]->frame(), QRectF(202, 0, 100, 100));
    EXPECT_EQ(recorder.count(NSSplitViewDidResizeSubviewsNotification), 1);
    split.setDelegate(nullptr);
}

TEST(SplitViewAxis, HorizontalPanesStackFromTheTop)
{
    SplitView split(QRectF(0, 0, 100, 300));
    auto* top = new View(QRectF(0, 0, 100, 100));
    auto* bottom = new View(QRectF(0, 0, 100, 100));
    split.addSubview(top);
    split.addSubview(bottom);
    split.adjustSubviews();
    split.setPosition(120, 0);
    EXPECT_EQ(top->frame(), QRectF(0, 0, 100, 120));
    EXPECT_EQ(bottom->frame(), QRectF(0, 129, 100, 171));
    EXPECT_DOUBLE_EQ(split.maxPossiblePositionOfDividerAtIndex(0), 291);
    split.setPosition(1000, 0);
    EXPECT_EQ(bottom->frame().height(), 0);
    // Flipped: the first pane is at the top in Qt too.
    EXPECT_EQ(top->geometry().top(), 0);
}

} // namespace
