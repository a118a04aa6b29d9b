// Easing functions and their tables, the varying offset path and the tapered outline.
#include <gtest/gtest.h>

#include "drawing/BezierPath+Shims.h"
#include "drawing/PWXEasing.h"

#include "frameworks/penwork/geometry/BezierPath+Outline.h"

#include <cmath>

namespace {

using namespace pwx;

TEST(MapStrokesEasing, FunctionsFollowTheirFormulasAndKeepTheirEnds)
{
    struct Case {
        TaperFunction f;
        double atQuarter;
    };
    const Case cases[] = {
        {EaseInOutCosine, (1.0 - std::cos(M_PI * 0.25)) * 0.5},
        {EaseOutQuadratic, 1.0 - 0.75 * 0.75},
        {EaseOutCubic, 1.0 - 0.75 * 0.75 * 0.75},
        {EaseInQuadratic, 0.0625},
        {EaseInCubic, 0.015625},
        {EaseLinear, 0.25},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(c.f(0.0), 0.0);
        EXPECT_DOUBLE_EQ(c.f(1.0), 1.0);
        EXPECT_DOUBLE_EQ(c.f(0.25), c.atQuarter);
    }
}

TEST(MapStrokesEasing, TablesPickByKindAndFallBackOutsideTheirRange)
{
    struct Case {
        int kind;
        TaperFunction tag, left, right, ramp;
    };
    const Case cases[] = {
        {-1, EaseInOutCosine, EaseInOutCosine, EaseInOutCosine, EaseLinear},
        {0, EaseInOutCosine, EaseInOutCosine, EaseInOutCosine, EaseInOutCosine},
        {1, EaseLinear, EaseLinear, EaseLinear, EaseLinear},
        {2, EaseOutCubic, EaseOutCubic, EaseInCubic, EaseInOutCosine},
        {3, EaseInQuadratic, EaseInQuadratic, EaseOutQuadratic, EaseOutQuadratic},
        {4, EaseInOutCosine, EaseInOutCosine, EaseInOutCosine, EaseOutCubic},
        {6, EaseInOutCosine, EaseInOutCosine, EaseInOutCosine, EaseInCubic},
        {7, EaseInOutCosine, EaseInOutCosine, EaseInOutCosine, EaseLinear},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        EXPECT_EQ(tagTaperFunctionForKind(c.kind), c.tag);
        EXPECT_EQ(leftTaperFunctionForKind(c.kind), c.left);
        EXPECT_EQ(rightTaperFunctionForKind(c.kind), c.right);
        EXPECT_EQ(rampFunctionForIndex(c.kind), c.ramp);
    }
    // The right-hand table mirrors the left-hand one.
    for (int kind = 1; kind <= 3; ++kind)
        for (double s : {0.1, 0.4, 0.8})
            EXPECT_NEAR(1.0 - rightTaperFunctionForKind(kind)(1.0 - s), leftTaperFunctionForKind(kind)(s), 1e-12);
}

pf::Ref<pf::BezierPath> polyline(const QList<QPointF>& points)
{
    return pf::BezierPath::pathWithPolygon(points, false);
}

TEST(MapStrokesShims, OffsetPathRunsSquareToTheDirectionByElementIndex)
{
    // Five elements along +x: the offset grows linearly with the index, towards +y.
    const auto path = polyline({{0, 0}, {10, 0}, {20, 0}, {30, 0}, {40, 0}});
    const auto offset = taperPathWithOffsets(*path, 0.0, 4.0, EaseLinear);
    ASSERT_EQ(offset->elementCount(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(offset->elementAt(i).points[0].x(), 10.0 * i, 1e-9);
        EXPECT_NEAR(offset->elementAt(i).points[0].y(), double(i), 1e-9);
    }
    // A taper function reshapes the run.
    const auto eased = taperPathWithOffsets(*path, 0.0, 4.0, EaseInQuadratic);
    EXPECT_NEAR(eased->elementAt(2).points[0].y(), 4.0 * 0.25, 1e-9);
}

TEST(MapStrokesShims, CurveControlPointsMoveWithTheirNeighbours)
{
    auto path = pf::BezierPath::path();
    path->moveTo(QPointF(0, 0));
    path->lineTo(QPointF(0, 10)); // travelling +y: the displacement points towards -x
    path->curveTo(QPointF(20, 10), QPointF(0, 20), QPointF(20, 20)); // end, control 1, control 2
    const auto offset = taperPathWithOffsets(*path, 2.0, 2.0);
    const auto& curve = offset->elementAt(2);
    // The first control point moves with the line before it, the rest with the curve's end.
    EXPECT_NEAR(curve.points[0].x(), -2.0, 1e-9);
    EXPECT_NEAR(curve.points[0].y(), 20.0, 1e-9);
    // The curve ends travelling -y, so its own displacement points towards +x.
    EXPECT_NEAR(curve.points[1].x(), 22.0, 1e-9);
    EXPECT_NEAR(curve.points[1].y(), 20.0, 1e-9);
    EXPECT_NEAR(curve.points[2].x(), 22.0, 1e-9);
    EXPECT_NEAR(curve.points[2].y(), 10.0, 1e-9);
}

TEST(MapStrokesShims, SubPathEndsTakeTheirOwnLastSegmentsDirection)
{
    // A closed square, then a second sub-path far away. Neither the close (which has no point)
    // nor the next sub-path's move may turn the end of a sub-path.
    auto path = pf::BezierPath::path();
    path->moveTo(QPointF(0, 0));
    path->lineTo(QPointF(10, 0));
    path->closePath();
    path->moveTo(QPointF(100, 100));
    path->lineTo(QPointF(110, 100));
    path->moveTo(QPointF(300, 0));
    path->lineTo(QPointF(310, 0));
    const auto offset = taperPathWithOffsets(*path, 1.0, 1.0);
    ASSERT_EQ(offset->elementCount(), path->elementCount());
    EXPECT_NEAR(offset->elementAt(1).points[0].x(), 10.0, 1e-9);
    EXPECT_NEAR(offset->elementAt(1).points[0].y(), 1.0, 1e-9);
    EXPECT_EQ(offset->elementAt(2).type, pf::BezierPath::ElementType::ClosePath);
    EXPECT_NEAR(offset->elementAt(4).points[0].y(), 101.0, 1e-9);
    EXPECT_NEAR(offset->elementAt(4).points[0].x(), 110.0, 1e-9);
}

TEST(MapStrokesShims, OutlinesOfEqualWidthsEmptyPathsAndWedges)
{
    const auto path = polyline({{0, 0}, {50, 0}, {100, 0}});
    // Equal widths without offsets: the plain outline, whatever the taper.
    EXPECT_TRUE(shimPath(*path, 6.0, 6.0, EaseInCubic)->isEqual(pw::strokedPathWithStrokeWidth(*path, 6.0).get()));

    const pf::BezierPath empty;
    EXPECT_TRUE(taperPathWithOffsets(empty, 0.0, 5.0)->isEmpty());
    EXPECT_TRUE(shimPath(empty, 0.0, 10.0)->isEmpty());
    EXPECT_TRUE(shimPath(empty, 4.0, 4.0)->isEmpty());

    // A wedge from a point to 10 wide: closed, half-width growing linearly with the index.
    const auto wedge = shimPath(*polyline({{0, 0}, {25, 0}, {50, 0}, {75, 0}, {100, 0}}), 0.0, 10.0, EaseLinear);
    EXPECT_EQ(wedge->elementAt(wedge->elementCount() - 1).type, pf::BezierPath::ElementType::ClosePath);
    EXPECT_TRUE(wedge->containsPoint(QPointF(50, 2.4)));
    EXPECT_FALSE(wedge->containsPoint(QPointF(50, 2.6)));
    EXPECT_TRUE(wedge->containsPoint(QPointF(95, -4.4)));
    EXPECT_NEAR(wedge->bounds().top(), -5.0, 1e-9);
    EXPECT_NEAR(wedge->bounds().bottom(), 5.0, 1e-9);
}

TEST(MapStrokesShims, InterpolationScopeRestoresTheSwitch)
{
    ASSERT_FALSE(shimPathsInterpolated());
    try {
        ShimInterpolationScope scope(true);
        EXPECT_TRUE(shimPathsInterpolated());
        throw std::runtime_error("way out");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(shimPathsInterpolated());

    // Smoothed edges still make a closed outline through the same widths.
    const auto path = polyline({{0, 0}, {25, 0}, {50, 0}, {75, 0}, {100, 0}});
    ShimInterpolationScope scope(true);
    const auto smooth = shimPath(*path, 0.0, 10.0, EaseLinear);
    EXPECT_TRUE(smooth->containsPoint(QPointF(50, 2.0)));
    EXPECT_FALSE(smooth->containsPoint(QPointF(50, 3.5)));
}

} // namespace
