#include "widgets/RVCollapsibleContainerView.h"
#include "widgets/RVCollapsibleContainerViewDelegate.h"

#include "platform/foundation/Exception.h"
#include "platform/ui/DraggingInfo.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Window.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using Container = RVCollapsibleContainerView;

class MoveRecorder : public RVCollapsibleContainerViewDelegate {
public:
    bool containerViewWillAcceptDroppedView(RVCollapsibleContainerView&, pf::View*, int index) override
    {
        askedIndex = index;
        return accept;
    }
    void containerViewDidMoveSubview(RVCollapsibleContainerView&, pf::View*, int index) override { movedTo = index; }
    bool accept = true;
    int askedIndex = -1;
    int movedTo = -1;
};

// Two top-level containers side by side in one window, with three 40-point panes in the first
// and two in the second.
class ContainerDrag : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* root = new pf::View(QRectF(0, 0, 600, 400));
        window.setContentView(root);
        window.setFrame(QRectF(100, 100, 600, 400));
        left = new Container(QRectF(0, 0, 280, 100));
        right = new Container(QRectF(300, 0, 280, 100));
        root->addSubview(left);
        root->addSubview(right);
        for (int i = 0; i < 3; ++i)
            panes.append(addPane(left, QStringLiteral("L%1").arg(i)));
        for (int i = 0; i < 2; ++i)
            others.append(addPane(right, QStringLiteral("R%1").arg(i)));
        left->setAllowsReordering(true);
        right->setAllowsReordering(true);
        left->setDelegate(&leftDelegate);
        right->setDelegate(&rightDelegate);
    }
    void TearDown() override
    {
        left->setDelegate(nullptr);
        right->setDelegate(nullptr);
        Container::setDraggingView(nullptr);
    }
    static Container* addPane(Container* to, const QString& title)
    {
        auto* pane = new Container(QRectF(0, 0, 280, 40));
        pane->setTitle(title);
        pane->addViewToContent(new pf::View(QRectF(0, 0, 280, 18)));
        to->addViewToContent(pane);
        return pane;
    }
    // A drag of `pane` from `source` at `point` in `over`'s coordinates.
    pf::DraggingInfo info(Container* source, Container* over, QPointF point)
    {
        return pf::DraggingInfo(pf::Pasteboard::drag(), source, pf::DragOperationGeneric,
                                over->convertPointToView(point, nullptr), &window, 1);
    }
    QStringList titles(Container* c) const
    {
        QStringList result;
        for (pf::View* view : c->hostedViews())
            result << qobject_cast<Container*>(view)->title();
        return result;
    }
    // Pane tops sit at 22 (title bar) + 0, 40, 80 in the container's own coordinates.
    bool drop(Container* source, Container* pane, Container* over, QPointF point)
    {
        Container::setDraggingView(pane);
        if (source == pane->parentContainerView())
            pane->setHidden(source == over);
        if (over->draggingEntered(info(source, over, point)) == pf::DragOperationNone)
            return false;
        // Entering may grow the container; the pointer is asked for again where it now is.
        const pf::DraggingInfo drag = info(source, over, point);
        over->draggingUpdated(drag);
        if (!over->prepareForDragOperation(drag))
            return false;
        const bool performed = over->performDragOperation(drag);
        pane->setHidden(false);
        return performed;
    }
    pf::Window window;
    Container* left = nullptr;
    Container* right = nullptr;
    QList<Container*> panes;
    QList<Container*> others;
    MoveRecorder leftDelegate;
    MoveRecorder rightDelegate;
};

TEST_F(ContainerDrag, SecondPaneDraggedAboveTheFirstsMiddleGoesFirst)
{
    EXPECT_TRUE(drop(left, panes[1], left, QPointF(10, 22 + 10)));
    EXPECT_EQ(titles(left), (QStringList{QStringLiteral("L1"), QStringLiteral("L0"), QStringLiteral("L2")}));
    EXPECT_EQ(leftDelegate.movedTo, 0);
    EXPECT_DOUBLE_EQ(panes[1]->frame().y(), 0);
    EXPECT_TRUE(Container::draggingView() == nullptr);
}

TEST_F(ContainerDrag, DroppingJustBelowItselfIsRefused)
{
    EXPECT_FALSE(drop(left, panes[0], left, QPointF(10, 22 + 30)));
    EXPECT_EQ(titles(left), (QStringList{QStringLiteral("L0"), QStringLiteral("L1"), QStringLiteral("L2")}));
    EXPECT_EQ(leftDelegate.movedTo, -1);
}

TEST_F(ContainerDrag, BelowEveryPaneMovesToTheEnd)
{
    EXPECT_TRUE(drop(left, panes[0], left, QPointF(10, 22 + 119)));
    EXPECT_EQ(titles(left), (QStringList{QStringLiteral("L1"), QStringLiteral("L2"), QStringLiteral("L0")}));
    EXPECT_EQ(leftDelegate.movedTo, 2);
}

TEST_F(ContainerDrag, IgnoredLeadingViewsStayPutAndIndicesCountAfterThem)
{
    left->setIgnoredViewCount(1);
    // Above the first pane's middle: the gap still opens only after the ignored one.
    EXPECT_TRUE(drop(left, panes[2], left, QPointF(10, 22 + 5)));
    EXPECT_EQ(titles(left), (QStringList{QStringLiteral("L0"), QStringLiteral("L2"), QStringLiteral("L1")}));
    EXPECT_EQ(leftDelegate.movedTo, 0);
    EXPECT_DOUBLE_EQ(panes[0]->frame().y(), 0);
}

TEST_F(ContainerDrag, OtherContainersPanesNeedPermission)
{
    Container::setDraggingView(others[0]);
    EXPECT_EQ(left->draggingEntered(info(right, left, QPointF(10, 30))), pf::DragOperationNone);
    left->setAllowsDragsFromOtherViews(true);
    pf::Window elsewhere;
    auto* stranger = new Container(QRectF(0, 0, 200, 100));
    elsewhere.setContentView(stranger);
    EXPECT_FALSE(left->canAcceptDragFrom(info(stranger, left, QPointF(10, 30))));
    EXPECT_TRUE(left->canAcceptDragFrom(info(right, left, QPointF(10, 30))));
    EXPECT_TRUE(left->canAcceptDragFrom(info(left, left, QPointF(10, 30))));
}

TEST_F(ContainerDrag, PaneFromAnotherContainerBelowEveryPaneGoesToTheEnd)
{
    left->setAllowsDragsFromOtherViews(true);
    EXPECT_TRUE(drop(right, others[0], left, QPointF(10, 22 + 300)));
    EXPECT_EQ(titles(left), (QStringList{QStringLiteral("L0"), QStringLiteral("L1"), QStringLiteral("L2"), QStringLiteral("R0")}));
    EXPECT_EQ(titles(right), QStringList{QStringLiteral("R1")});
    EXPECT_EQ(leftDelegate.askedIndex, 3);
    EXPECT_EQ(others[0]->parentContainerView(), left);
    EXPECT_DOUBLE_EQ(left->frame().height(), 22 + 160);
}

TEST_F(ContainerDrag, PaneFromAnotherContainerGoesAtTheGap)
{
    left->setAllowsDragsFromOtherViews(true);
    EXPECT_TRUE(drop(right, others[1], left, QPointF(10, 22 + 50)));
    EXPECT_EQ(titles(left), (QStringList{QStringLiteral("L0"), QStringLiteral("R1"), QStringLiteral("L1"), QStringLiteral("L2")}));
    EXPECT_EQ(leftDelegate.askedIndex, 1);
    EXPECT_EQ(leftDelegate.movedTo, 1);
}

TEST_F(ContainerDrag, RefusedForeignDropIsNotPerformedAndLeavesNoGap)
{
    left->setAllowsDragsFromOtherViews(true);
    leftDelegate.accept = false;
    const double before = left->frame().height();
    EXPECT_FALSE(drop(right, others[0], left, QPointF(10, 22 + 10)));
    EXPECT_EQ(titles(right), (QStringList{QStringLiteral("R0"), QStringLiteral("R1")}));
    EXPECT_EQ(titles(left).size(), 3);
    ASSERT_TRUE(quillory::test::waitUntil([&] { return !panes[0]->isMoveAnimating(); }, 2000));
    EXPECT_DOUBLE_EQ(left->frame().height(), before);
    EXPECT_DOUBLE_EQ(panes[0]->frame().y(), 0);
    EXPECT_DOUBLE_EQ(panes[1]->frame().y(), 40);
}

TEST_F(ContainerDrag, ADragThatEndsNowhereForgetsThePaneAndSlidesBack)
{
    pf::DraggingSession::setExecHookForTesting([&](QDrag&, Qt::DropActions) {
        EXPECT_EQ(Container::draggingView(), panes[1]);
        EXPECT_TRUE(panes[1]->isHidden());
        left->arrangeSubviewsForDraggingLocation(QPointF(10, 22 + 10), 40, false);
        return Qt::IgnoreAction;
    });
    panes[1]->dragViewTitleBarWithEvent(pf::Event());
    pf::DraggingSession::setExecHookForTesting({});
    EXPECT_EQ(Container::draggingView(), nullptr);
    EXPECT_FALSE(panes[1]->isHidden());
    ASSERT_TRUE(quillory::test::waitUntil([&] { return !panes[0]->isMoveAnimating(); }, 2000));
    EXPECT_DOUBLE_EQ(panes[0]->frame().y(), 0);
    EXPECT_DOUBLE_EQ(panes[1]->frame().y(), 40);
}

TEST_F(ContainerDrag, MoveAnimationMovesTheOriginOnlyAndCanBeRedirected)
{
    Container* pane = panes[2];
    pane->setAnimatedFrame(QRectF(0, 200, 999, 40));
    EXPECT_TRUE(pane->isMoveAnimating());
    pane->setAnimatedFrame(QRectF(0, 120, 999, 40));
    ASSERT_TRUE(quillory::test::waitUntil([&] { return !pane->isMoveAnimating(); }, 2000));
    EXPECT_DOUBLE_EQ(pane->frame().y(), 120);
    EXPECT_DOUBLE_EQ(pane->frame().width(), 280);
}

TEST_F(ContainerDrag, TitleBarDragAsksTheParentOnlyWhenItAllowsReordering)
{
    left->setAllowsReordering(false);
    bool started = false;
    pf::DraggingSession::setExecHookForTesting([&](QDrag&, Qt::DropActions) {
        started = true;
        return Qt::IgnoreAction;
    });
    panes[0]->dragViewTitleBarWithEvent(pf::Event());
    EXPECT_FALSE(started);
    left->setAllowsReordering(true);
    panes[0]->dragViewTitleBarWithEvent(pf::Event());
    pf::DraggingSession::setExecHookForTesting({});
    EXPECT_TRUE(started);
    EXPECT_FALSE(panes[0]->isHidden());
    EXPECT_EQ(pf::Pasteboard::drag()->stringForType(kRVCollapsibleContainerViewInternalDragType), QStringLiteral("A"));
}

} // namespace
