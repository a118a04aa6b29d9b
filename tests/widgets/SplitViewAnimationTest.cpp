#include "widgets/SplitView+Animation.h"

#include "platform/ui/Animator.h"
#include "platform/ui/SplitView.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<pf::SplitView> twoPanes(bool vertical, double firstLength)
{
    auto splitView = std::make_unique<pf::SplitView>(QRectF(0, 0, 600, 400));
    splitView->setVertical(vertical);
    splitView->setDividerStyle(pf::SplitViewDividerStyle::Thin);
    const QRectF first = vertical ? QRectF(0, 0, firstLength, 400) : QRectF(0, 0, 600, firstLength);
    const QRectF second = vertical ? QRectF(firstLength + 1, 0, 599 - firstLength, 400)
                                   : QRectF(0, firstLength + 1, 600, 399 - firstLength);
    splitView->addSubview(new pf::View(first));
    splitView->addSubview(new pf::View(second));
    return splitView;
}

TEST(SplitViewAnimationTest, SplitPositionAlongTheAxis)
{
    EXPECT_DOUBLE_EQ(splitPosition(*twoPanes(true, 200)), 200);
    EXPECT_DOUBLE_EQ(splitPosition(*twoPanes(false, 120)), 120);
    pf::SplitView empty;
    EXPECT_DOUBLE_EQ(splitPosition(empty), 0);

    auto splitView = twoPanes(true, 200);
    setSplitPosition(*splitView, 300);
    EXPECT_DOUBLE_EQ(splitPosition(*splitView), 300);
    EXPECT_DOUBLE_EQ(splitView->subviews()[1]->frame().x(), 301);
}

TEST(SplitViewAnimationTest, DefaultAnimation)
{
    pf::SplitView splitView;
    auto animation = splitViewDefaultAnimationForKey(splitView, kSplitPositionKey);
    ASSERT_TRUE(animation);
    EXPECT_DOUBLE_EQ(animation->duration(), 0.3);
    EXPECT_EQ(splitViewDefaultAnimationForKey(splitView, QStringLiteral("bogus")), nullptr);
    EXPECT_TRUE(splitViewDefaultAnimationForKey(splitView, QStringLiteral("frameSize")));
}

TEST(SplitViewAnimationTest, AnimatorSlidesToThePosition)
{
    auto splitView = twoPanes(true, 200);
    animateSplitPosition(*splitView, 360);
    EXPECT_TRUE(pf::Animator::isAnimating(splitView.get(), kSplitPositionKey));
    EXPECT_TRUE(quillory::test::waitUntil([&] { return splitPosition(*splitView) == 360; }, 3000));
    EXPECT_DOUBLE_EQ(splitView->animationForKey(kSplitPositionKey)->duration(), 0.3);
}

TEST(SplitViewAnimationTest, CollapseAndUncollapseLeftView)
{
    auto splitView = twoPanes(true, 200);
    pf::View* first = splitView->subviews()[0];
    pf::View* second = splitView->subviews()[1];

    uncollapseLeftView(*splitView);
    EXPECT_EQ(second->frame(), QRectF(201, 0, 399, 400));

    collapseLeftView(*splitView);
    EXPECT_TRUE(splitView->isSubviewCollapsed(first));
    EXPECT_EQ(second->frame(), QRectF(0, 0, 600, 400));
    collapseLeftView(*splitView);
    EXPECT_EQ(second->frame(), QRectF(0, 0, 600, 400));

    uncollapseLeftView(*splitView);
    EXPECT_FALSE(splitView->isSubviewCollapsed(first));
    EXPECT_EQ(second->frame(), QRectF(201, 0, 399, 400));
}

} // namespace
