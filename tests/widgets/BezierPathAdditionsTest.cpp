#include "widgets/BezierPath+RVAdditions.h"
#include "widgets/BezierPath+RoundRectangles.h"

#include <gtest/gtest.h>

#include <numbers>

namespace {

using pf::BezierPath;

// Angles and radii are single precision.
void expectRectNear(const QRectF& actual, const QRectF& expected)
{
    EXPECT_NEAR(actual.left(), expected.left(), 1e-5);
    EXPECT_NEAR(actual.top(), expected.top(), 1e-5);
    EXPECT_NEAR(actual.right(), expected.right(), 1e-5);
    EXPECT_NEAR(actual.bottom(), expected.bottom(), 1e-5);
}

TEST(BezierPathAdditionsTest, TargetIsInsetOvalAndTwoLines)
{
    const QRectF rect(10, 20, 40, 80);
    auto target = bezierPathWithTargetInRect(rect);
    EXPECT_EQ(target->subpathCount(), 3);
    expectRectNear(target->bounds(), rect);
    EXPECT_TRUE(target->containsPoint(QPointF(30, 60)));
    // Outside the oval (inset 10 and 20) although inside the rect.
    EXPECT_FALSE(target->containsPoint(QPointF(12, 30)));
    EXPECT_TRUE(target->strokeContainsPoint(QPointF(11, 60), 1.0));
    EXPECT_TRUE(target->strokeContainsPoint(QPointF(30, 99), 1.0));
}

TEST(BezierPathAdditionsTest, CapsuleShapes)
{
    auto square = bezierPathWithRoundEndedRectInRect(QRectF(0, 0, 20, 20));
    EXPECT_TRUE(square->isEqual(BezierPath::pathWithOval(QRectF(0, 0, 20, 20)).get()));

    for (const QRectF& rect : {QRectF(0, 0, 20, 60), QRectF(5, 5, 60, 20)}) {
        auto capsule = bezierPathWithRoundEndedRectInRect(rect);
        expectRectNear(capsule->bounds(), rect);
        EXPECT_TRUE(capsule->containsPoint(rect.center()));
        // Round ends: corners are cut away, the middle of each long side is not.
        EXPECT_FALSE(capsule->containsPoint(rect.topLeft() + QPointF(1, 1)));
        EXPECT_FALSE(capsule->containsPoint(rect.bottomRight() - QPointF(1, 1)));
        EXPECT_TRUE(capsule->containsPoint(QPointF(rect.center().x(), rect.top() + 0.5)));
        EXPECT_TRUE(capsule->containsPoint(QPointF(rect.left() + 0.5, rect.center().y())));
    }
}

TEST(BezierPathAdditionsTest, RoundRectClampsRadius)
{
    const QRectF rect(0, 0, 100, 20);
    auto wide = roundRectInRect(rect, 50);
    expectRectNear(wide->bounds(), rect);
    // Radius 10 (half the height): the ends are half circles.
    EXPECT_TRUE(wide->containsPoint(QPointF(0.5, 10)));
    EXPECT_FALSE(wide->containsPoint(QPointF(1, 1)));
    EXPECT_TRUE(wide->containsPoint(QPointF(50, 0.5)));
    EXPECT_TRUE(wide->containsPoint(QPointF(12, 1)));

    EXPECT_TRUE(roundRectInRect(rect, 0)->isEqual(BezierPath::pathWithRect(rect).get()));
    EXPECT_TRUE(roundRectInRect(rect, -3)->isEqual(BezierPath::pathWithRect(rect).get()));
}

TEST(BezierPathAdditionsTest, OffsetTargetPlacesCapsule)
{
    const QRectF rect(0, 0, 40, 40);
    EXPECT_TRUE(bezierPathWithOffsetTargetInRect(rect, 0)->isEqual(bezierPathWithTargetInRect(rect).get()));

    auto left = bezierPathWithOffsetTargetInRect(rect, -1);
    auto right = bezierPathWithOffsetTargetInRect(rect, 1);
    auto farRight = bezierPathWithOffsetTargetInRect(rect, 7);
    EXPECT_EQ(left->subpathCount(), 3);
    expectRectNear(left->bounds(), rect);
    // The capsule spans x 0..30 (left) or 10..40 (right), y 10..30.
    EXPECT_TRUE(left->containsPoint(QPointF(3, 22)));
    EXPECT_FALSE(left->containsPoint(QPointF(37, 22)));
    EXPECT_TRUE(right->containsPoint(QPointF(37, 22)));
    EXPECT_FALSE(right->containsPoint(QPointF(3, 22)));
    EXPECT_FALSE(right->containsPoint(QPointF(20, 8)));
    EXPECT_TRUE(farRight->isEqual(right.get()));
}

TEST(BezierPathAdditionsTest, IrisRingHasHoleAndTab)
{
    const QSizeF tab(6, 4);
    auto ring = bezierPathWithIrisRingWithRadius(20, 4, tab);
    EXPECT_EQ(ring->windingRule(), BezierPath::WindingRule::EvenOdd);
    EXPECT_FALSE(ring->containsPoint(QPointF(0, 0)));
    EXPECT_TRUE(ring->containsPoint(QPointF(0, 20)));
    EXPECT_TRUE(ring->containsPoint(QPointF(-20, 0)));
    EXPECT_FALSE(ring->containsPoint(QPointF(0, 23)));
    // The tab sticks out along +x: from 22 to 28 plus its round end of radius 2.
    EXPECT_TRUE(ring->containsPoint(QPointF(26, 0)));
    EXPECT_TRUE(ring->containsPoint(QPointF(29.5, 0)));
    EXPECT_FALSE(ring->containsPoint(QPointF(26, 3)));

    auto turned = bezierPathWithIrisRingWithRadius(20, 4, float(std::numbers::pi / 2), tab);
    EXPECT_TRUE(turned->containsPoint(QPointF(0, 26)));
    EXPECT_FALSE(turned->containsPoint(QPointF(26, 0)));
}

TEST(BezierPathAdditionsTest, IrisTabAlone)
{
    const QSizeF tab(6, 4);
    auto plain = bezierPathWithIrisTabWithRadius(20, 4, tab);
    expectRectNear(plain->bounds(), QRectF(22, -2, 6, 4));
    auto turned = bezierPathWithIrisTabWithRadius(20, 4, float(std::numbers::pi / 2), tab);
    expectRectNear(turned->bounds(), QRectF(-2, 22, 4, 6));
}

TEST(RoundedCornersTest, MaskChoosesCorners)
{
    const QRectF rect(0, 0, 40, 20);
    EXPECT_TRUE(bezierPathWithRoundedRect(rect, 5, 0)->isEqual(BezierPath::pathWithRect(rect).get()));
    EXPECT_TRUE(bezierPathWithRoundedRect(rect, 5, 15)->isEqual(BezierPath::pathWithRoundedRect(rect, 5, 5).get()));
    EXPECT_TRUE(bezierPathWithRoundedRect(rect, 0, 5)->isEqual(BezierPath::pathWithRect(rect).get()));

    struct Corner {
        int bit;
        QPointF nearCorner;
    };
    const Corner corners[] = {
        {1, QPointF(0.5, 0.5)},
        {2, QPointF(0.5, 19.5)},
        {4, QPointF(39.5, 0.5)},
        {8, QPointF(39.5, 19.5)},
    };
    for (int mask : {1, 2, 4, 8, 1 | 8, 2 | 4, 7}) {
        auto path = bezierPathWithRoundedRect(rect, 5, mask);
        expectRectNear(path->bounds(), rect);
        for (const Corner& corner : corners)
            EXPECT_EQ(path->containsPoint(corner.nearCorner), !(mask & corner.bit))
                << "mask " << mask << " corner " << corner.bit;
    }
}

TEST(RoundedCornersTest, RadiusClampedToHalfTheShorterSide)
{
    const QRectF rect(0, 0, 100, 20);
    auto path = bezierPathWithRoundedRect(rect, 50, 1 | 2);
    // Limited to 10: the left end is one half circle that stays inside the rect.
    expectRectNear(path->bounds(), rect);
    EXPECT_TRUE(path->containsPoint(QPointF(0.5, 10)));
    EXPECT_TRUE(path->containsPoint(QPointF(99.5, 0.5)));
    EXPECT_TRUE(path->containsPoint(QPointF(30, 10)));
}

} // namespace
