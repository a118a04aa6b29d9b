// Offsets, outlines, smoothing, placement along a path and booleans.
#include "frameworks/penwork/geometry/BezierPath+Boolean.h"
#include "frameworks/penwork/geometry/BezierPath+Length.h"
#include "frameworks/penwork/geometry/BezierPath+Offset.h"
#include "frameworks/penwork/geometry/BezierPath+Outline.h"
#include "frameworks/penwork/geometry/BezierPath+Placement.h"
#include "frameworks/penwork/geometry/BezierPath+Smoothing.h"

#include "tests/frameworks/penwork/geometry/GoldenPaths.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPainterPathStroker>

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>

using pf::BezierPath;
using golden::quarterCircle;
using golden::sCurve;
using golden::straightLine;

namespace {

constexpr double kPi = std::numbers::pi;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

pf::Ref<BezierPath> polyline(std::initializer_list<QPointF> points, bool closed = false)
{
    return BezierPath::pathWithPolygon(QList<QPointF>(points), closed);
}




// The sub-paths as polygons, cubics sampled finely.
QList<QPolygonF> polygonsOf(const BezierPath& path)
{
    QList<QPolygonF> polygons;
    for (const auto& e : path.elements()) {
        switch (e.type) {
        case BezierPath::ElementType::MoveTo:
            polygons.append(QPolygonF{e.points[0]});
            break;
        case BezierPath::ElementType::LineTo:
            polygons.last().append(e.points[0]);
            break;
        case BezierPath::ElementType::CurveTo: {
            const QPointF p0 = polygons.last().last();
            for (int k = 1; k <= 256; ++k) {
                const double t = k / 256.0, u = 1 - t;
                polygons.last().append(u * u * u * p0 + 3 * u * u * t * e.points[0] + 3 * u * t * t * e.points[1]
                                       + t * t * t * e.points[2]);
            }
            break;
        }
        case BezierPath::ElementType::ClosePath:
            break;
        }
    }
    return polygons;
}

// The area enclosed, holes subtracted when they run the other way round (as outlines do).
double signedAreaSum(const BezierPath& path)
{
    double total = 0;
    for (const QPolygonF& polygon : polygonsOf(path)) {
        for (int i = 0; i < polygon.size(); ++i) {
            const QPointF& a = polygon[i];
            const QPointF& b = polygon[(i + 1) % polygon.size()];
            total += (a.x() * b.y() - b.x() * a.y()) / 2;
        }
    }
    return std::abs(total);
}

// The area of sub-paths that neither overlap nor nest, whichever way round each runs.
double separateAreas(const BezierPath& path)
{
    double total = 0;
    for (const QPolygonF& polygon : polygonsOf(path)) {
        double area = 0;
        for (int i = 0; i < polygon.size(); ++i) {
            const QPointF& a = polygon[i];
            const QPointF& b = polygon[(i + 1) % polygon.size()];
            area += (a.x() * b.y() - b.x() * a.y()) / 2;
        }
        total += std::abs(area);
    }
    return total;
}

void expectRectNear(const QRectF& actual, const QRectF& expected, double tolerance)
{
    EXPECT_NEAR(actual.left(), expected.left(), tolerance);
    EXPECT_NEAR(actual.top(), expected.top(), tolerance);
    EXPECT_NEAR(actual.right(), expected.right(), tolerance);
    EXPECT_NEAR(actual.bottom(), expected.bottom(), tolerance);
}

// Checks every sampled point of `parallel` lies `offset` from `original`, on the side the sign
// says (positive: left of travel in y-down coordinates). With `corners`, points may lie farther
// (on miters), never nearer.
void expectParallel(const BezierPath& original, const BezierPath& parallel, double offset, double tolerance,
                    bool corners = false)
{
    const double total = pw::length(parallel);
    ASSERT_GT(total, 0);
    for (int k = 0; k <= 40; ++k) {
        const QPointF point = pw::pointOnPathAtLength(parallel, total * k / 40);
        double distance = 0;
        const double along = pw::nearestLengthToPoint(original, point, 1e9, &distance);
        if (corners) {
            EXPECT_GT(distance, std::abs(offset) - tolerance) << "at " << point.x() << "," << point.y();
            if (distance > std::abs(offset) + tolerance)
                continue;
        } else {
            EXPECT_NEAR(distance, std::abs(offset), tolerance) << "at " << point.x() << "," << point.y();
        }
        double slope = 0;
        const QPointF foot = pw::pointOnPathAtLength(original, along, &slope);
        const QPointF away = point - foot;
        const double side = std::cos(slope) * away.y() - std::sin(slope) * away.x();
        if (k > 0 && k < 40)  // the ends' feet may be the path's ends
            EXPECT_EQ(side < 0, offset > 0) << "at " << point.x() << "," << point.y();
    }
}

} // namespace

TEST(PathGeometryOffset, ParallelsLieAtTheOffsetOnTheSignedSide)
{
    struct Case {
        const char* name;
        pf::Ref<BezierPath> path;
        double offset;
        double length;  // < 0: not checked
    };
    const Case cases[] = {
        {"line left", straightLine(), 10, 100},
        {"line right", straightLine(), -10, 100},
        {"circle outside", quarterCircle(), 10, 55 * kPi},
        {"circle inside", quarterCircle(), -10, 45 * kPi},
        {"s curve left", sCurve(), 5, -1},
        {"s curve right", sCurve(), -5, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.path->setLineWidth(3);
        const auto parallel = pw::paralleloidPathWithOffset2(*c.path, c.offset, 0.01);
        EXPECT_EQ(parallel->lineWidth(), 3.0);
        EXPECT_EQ(parallel->subpathCount(), 1);
        expectParallel(*c.path, *parallel, c.offset, 0.02);
        if (c.length >= 0)
            EXPECT_NEAR(pw::length(*parallel), c.length, 0.02);
    }

    // Known points: a line along +x moves to -y; the circle's middle stays at 45 degrees.
    const auto up = pw::paralleloidPathWithOffset2(*straightLine(), 10, 0.01);
    EXPECT_EQ(up->firstPoint(), QPointF(0, -10));
    EXPECT_EQ(up->currentPoint(), QPointF(100, -10));
    const QPointF middle = pw::pointOnPathAtLength(*pw::paralleloidPathWithOffset2(*quarterCircle(), 10, 0.01), 27.5 * kPi);
    EXPECT_NEAR(middle.x(), 110 * std::sqrt(0.5), 0.02);
    EXPECT_NEAR(middle.y(), 110 * std::sqrt(0.5), 0.02);

    // An offset lost in the rounding of the coordinates is none: the path comes back as it is
    // (cutting the loops of a parallel lying on a damaged path once took a minute). One that is
    // not lost still moves the path.
    for (double lost : {std::numeric_limits<double>::denorm_min(), -1e-300, 1e-14})
        EXPECT_TRUE(pw::paralleloidPathWithOffset2(*sCurve(), lost, 0.01)->isEqual(sCurve().get())) << lost;
    EXPECT_FALSE(pw::paralleloidPathWithOffset2(*sCurve(), 1e-3, 0.01)->isEqual(sCurve().get()));

    // A damaged line width far larger than the path: the parallel is made, finite and around
    // the path at that distance (its loops weighed for minutes once; now they are not sought).
    const auto zigzag = polyline({{0, 0}, {20, 60}, {40, 0}, {60, 60}, {80, 0}, {80, 60}});
    zigzag->closePath();
    for (double huge : {2.5e207, 1e9}) {
        const auto far = pw::paralleloidPathWithOffset2(*zigzag, huge, 0.05);
        ASSERT_FALSE(far->isEmpty()) << huge;
        const QRectF bounds = far->bounds();
        EXPECT_TRUE(std::isfinite(bounds.width()) && std::isfinite(bounds.height())) << huge;
        EXPECT_GT(bounds.width(), huge) << huge;
        EXPECT_LT(bounds.width(), 2.1 * huge + 100) << huge;
    }
}

TEST(PathGeometryOffset, ClosedPathsJoinCornersWithinTheMiterLimit)
{
    auto square = BezierPath::pathWithRect(QRectF(0, 0, 100, 100));
    const auto outside = pw::paralleloidPathWithOffset2(*square, 10, 0.1);
    expectRectNear(outside->bounds(), QRectF(-10, -10, 120, 120), 1e-9);
    EXPECT_NEAR(signedAreaSum(*outside), 120.0 * 120.0, 1e-6);
    EXPECT_EQ(outside->elements().last().type, BezierPath::ElementType::ClosePath);

    square->setMiterLimit(1.2);  // a right angle needs sqrt(2): bevels
    EXPECT_NEAR(signedAreaSum(*pw::paralleloidPathWithOffset2(*square, 10, 0.1)), 120.0 * 120.0 - 200.0, 1e-6);

    const auto inside = pw::paralleloidPathWithOffset2(*square, -10, 0.1);
    expectRectNear(inside->bounds(), QRectF(10, 10, 80, 80), 1e-9);
    EXPECT_NEAR(signedAreaSum(*inside), 80.0 * 80.0, 1e-6);

    // A circle too small for a parallel inside it has none.
    const auto small = BezierPath::pathWithOval(QRectF(-5, -5, 10, 10));
    EXPECT_TRUE(pw::paralleloidPathWithOffset2(*small, -10, 0.01)->isEmpty());
    EXPECT_EQ(pw::paralleloidPathWithOffset2(*small, 10, 0.01)->subpathCount(), 1);
}

TEST(PathGeometryOffset, TightBendsLoseTheirLoops)
{
    // Two legs joined by corners rounded tighter (radius 5) than the offset (10): inside, the
    // parallel of each rounded corner is a swallowtail loop that must be cut away, leaving a sharp
    // corner at (90, 10) and (90, 30).
    auto bend = BezierPath::path();
    bend->moveTo({0, 0});
    bend->lineTo({95, 0});
    bend->appendArc({95, 5}, 5, -90, 0);
    bend->lineTo({100, 35});
    bend->appendArc({95, 35}, 5, 0, 90);
    bend->lineTo({0, 40});
    const auto inside = pw::paralleloidPathWithOffset2(*bend, -10, 0.01);
    ASSERT_EQ(inside->subpathCount(), 1);
    EXPECT_NEAR(pw::length(*inside), 90 + 20 + 90, 0.05);
    expectParallel(*bend, *inside, -10, 0.02);
    double distance = 0;
    pw::nearestLengthToPoint(*inside, {90, 10}, 1, &distance);
    EXPECT_LT(distance, 0.05);

    // A sharp zig-zag's inner corners overlap instead: still no loops.
    const auto zigzag = polyline({{0, 0}, {20, 100}, {40, 0}, {60, 100}, {80, 0}});
    const auto under = pw::paralleloidPathWithOffset2(*zigzag, -6, 0.01);
    expectParallel(*zigzag, *under, -6, 0.02, true);
}

TEST(PathGeometryOffset, LoopsOfThePathItselfStay)
{
    // The path crosses itself at (50, 0); the loop it makes is a real one and is kept.
    const auto crossing = polyline({{0, 0}, {100, 0}, {50, 50}, {50, -50}});
    const auto parallel = pw::paralleloidPathWithOffset2(*crossing, 2, 0.01);
    EXPECT_GT(pw::length(*parallel), 200);
}

TEST(PathGeometryOffset, DegenerateInputs)
{
    EXPECT_TRUE(pw::paralleloidPathWithOffset2(*BezierPath::path(), 5, 0.1)->isEmpty());
    auto point = BezierPath::path();
    point->moveTo({1, 1});
    EXPECT_TRUE(pw::paralleloidPathWithOffset2(*point, 5, 0.1)->isEmpty());
    EXPECT_TRUE(pw::paralleloidPathWithOffset2(*straightLine(), kNaN, 0.1)->isEmpty());
    EXPECT_TRUE(pw::paralleloidPathWithOffset2(*straightLine(), 0, 0.1)->isEqual(straightLine().get()));
    // A flatness that cannot be used falls back to the path's own.
    const auto rough = pw::paralleloidPathWithOffset2(*quarterCircle(), 10, kNaN);
    expectParallel(*quarterCircle(), *rough, 10, quarterCircle()->flatness() + 1e-3);
    const double flatness = BezierPath::defaultFlatness();
    pw::paralleloidPathWithOffset2(*quarterCircle(), 10, 0.001);
    EXPECT_EQ(BezierPath::defaultFlatness(), flatness);
}

TEST(PathGeometryOutline, AreaAndBoundsFollowWidthAndCaps)
{
    struct Case {
        const char* name;
        pf::Ref<BezierPath> path;
        BezierPath::LineCap cap;
        double width;
        double area;
        QRectF bounds;  // null: not checked
    };
    const Case cases[] = {
        {"line butt", straightLine(), BezierPath::LineCap::Butt, 10, 1000, QRectF(0, -5, 100, 10)},
        {"line square", straightLine(), BezierPath::LineCap::Square, 10, 1100, QRectF(-5, -5, 110, 10)},
        {"line round", straightLine(), BezierPath::LineCap::Round, 10, 1000 + 25 * kPi, QRectF(-5, -5, 110, 10)},
        {"circle butt", quarterCircle(), BezierPath::LineCap::Butt, 20, 1000 * kPi, QRectF(0, 0, 110, 110)},
        {"s curve butt", sCurve(), BezierPath::LineCap::Butt, 6, 6 * pw::length(*sCurve()), QRectF()},
        {"closed square", BezierPath::pathWithRect(QRectF(0, 0, 100, 100)), BezierPath::LineCap::Butt, 10,
         110.0 * 110.0 - 90.0 * 90.0, QRectF(-5, -5, 110, 110)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.path->setLineCapStyle(c.cap);
        const auto outline = pw::strokedPathWithStrokeWidth(*c.path, c.width);
        EXPECT_EQ(outline->lineCapStyle(), c.cap);
        EXPECT_NEAR(signedAreaSum(*outline), c.area, c.area * 2e-3);
        if (!c.bounds.isNull())
            expectRectNear(outline->bounds(), c.bounds, 0.05);
        for (int i = 0; i < outline->elementCount(); ++i) {
            if (outline->elementAt(i).type == BezierPath::ElementType::MoveTo && i > 0)
                EXPECT_EQ(outline->elementAt(i - 1).type, BezierPath::ElementType::ClosePath);
        }
        EXPECT_EQ(outline->elements().last().type, BezierPath::ElementType::ClosePath);
    }
    EXPECT_TRUE(pw::strokedPathWithStrokeWidth(*straightLine(), 0)->isEmpty());
    EXPECT_TRUE(pw::strokedPathWithStrokeWidth(*straightLine(), -1)->isEmpty());
    EXPECT_TRUE(pw::strokedPathWithStrokeWidth(*straightLine(), kNaN)->isEmpty());
    EXPECT_TRUE(pw::strokedPathWithStrokeWidth(*BezierPath::path(), 5)->isEmpty());
    // A width lost in the rounding of the coordinates has no area (its two sides coincide, and
    // merging them once took seconds); a thin one that is not lost still has its area.
    for (double lost : {std::numeric_limits<double>::denorm_min(), 1e-300, 1e-14})
        EXPECT_TRUE(pw::strokedPathWithStrokeWidth(*sCurve(), lost)->isEmpty()) << lost;
    EXPECT_NEAR(signedAreaSum(*pw::strokedPathWithStrokeWidth(*sCurve(), 1e-3)), 1e-3 * pw::length(*sCurve()), 1e-5);

    // A lone point is a dot with round caps and nothing with butt caps.
    auto point = BezierPath::path();
    point->moveTo({5, 5});
    point->setLineCapStyle(BezierPath::LineCap::Round);
    EXPECT_NEAR(signedAreaSum(*pw::strokedPathWithStrokeWidth(*point, 10)), 25 * kPi, 0.05);
    point->setLineCapStyle(BezierPath::LineCap::Butt);
    EXPECT_TRUE(pw::strokedPathWithStrokeWidth(*point, 10)->isEmpty());
}

TEST(PathGeometryOutline, StrokingTheOutlineShowsNoInnerLines)
{
    // A tight zig-zag: Qt's own stroke outline overlaps itself at every inner corner.
    QList<QPointF> points;
    for (int i = 0; i <= 20; ++i)
        points.append(QPointF(10 + 20 * i, i % 2 ? 150 : 50));
    const auto zigzag = BezierPath::pathWithPolygon(points, false);
    zigzag->setLineJoinStyle(BezierPath::LineJoin::Miter);
    const double width = 12;

    const double total = pw::length(*zigzag);
    auto darkInsidePixels = [&](const QPainterPath& outline) {
        QImage image(440, 200, QImage::Format_ARGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(QPen(Qt::black, 1.0));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(outline);
        }
        // Sample where the stroke surely covers, away from its true edge: near the centre line.
        int dark = 0, inside = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QPointF centre(x + 0.5, y + 0.5);
                double distance = 1e9;
                const double along = pw::nearestLengthToPoint(*zigzag, centre, 1e9, &distance);
                if (distance > width / 2 - 2.5 || along < 3 || along > total - 3)
                    continue;
                ++inside;
                if (qGray(image.pixel(x, y)) < 200)
                    ++dark;
            }
        }
        EXPECT_GT(inside, 2000);
        return dark;
    };

    QPainterPathStroker qtStroker;
    qtStroker.setWidth(width);
    qtStroker.setJoinStyle(Qt::SvgMiterJoin);
    qtStroker.setMiterLimit(zigzag->miterLimit());
    qtStroker.setCapStyle(Qt::FlatCap);
    QPainterPath raw = qtStroker.createStroke(zigzag->toQPainterPath());
    raw.setFillRule(Qt::WindingFill);
    EXPECT_GT(darkInsidePixels(raw), 0) << "the check no longer sees inner lines";

    const auto outline = pw::strokedPathWithStrokeWidth(*zigzag, width);
    EXPECT_EQ(outline->subpathCount(), 1);
    EXPECT_EQ(darkInsidePixels(outline->toQPainterPath()), 0);
    // Merging the overlaps keeps the area Qt's stroke fills.
    int rawInside = 0, outlineInside = 0;
    const QPainterPath merged = outline->toQPainterPath();
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 440; ++x) {
            rawInside += raw.contains(QPointF(x + 0.5, y + 0.5)) ? 1 : 0;
            outlineInside += merged.contains(QPointF(x + 0.5, y + 0.5)) ? 1 : 0;
        }
    }
    EXPECT_NEAR(outlineInside, rawInside, rawInside * 0.002);
}

TEST(PathGeometrySmoothing, PassesThroughThePoints)
{
    const auto corner = polyline({{0, 0}, {100, 0}, {100, 100}});
    const auto straight = pw::bezierPathByInterpolatingPath(*corner, 0);
    EXPECT_TRUE(straight->isEqual(corner.get()));

    const auto smooth = pw::bezierPathByInterpolatingPath(*corner, 0.5);
    ASSERT_EQ(smooth->elementCount(), 3);
    const auto& first = smooth->elementAt(1);
    EXPECT_EQ(first.type, BezierPath::ElementType::CurveTo);
    EXPECT_EQ(first.points[2], QPointF(100, 0));
    EXPECT_NEAR(first.points[0].x(), 100.0 / 6, 1e-9);
    EXPECT_NEAR(first.points[0].y(), 0, 1e-9);
    EXPECT_NEAR(first.points[1].x(), 100 - 100.0 / 6, 1e-9);
    EXPECT_NEAR(first.points[1].y(), -100.0 / 6, 1e-9);
    EXPECT_EQ(smooth->elementAt(2).points[2], QPointF(100, 100));

    // Closed: wraps round and is smooth at the start too.
    const auto square = pw::bezierPathByInterpolatingPath(*BezierPath::pathWithRect(QRectF(0, 0, 10, 10)), 0.5);
    ASSERT_EQ(square->elementCount(), 6);
    EXPECT_EQ(square->elements().last().type, BezierPath::ElementType::ClosePath);
    const QPointF before = square->elementAt(4).points[1];
    const QPointF after = square->elementAt(1).points[0];
    const QPointF start(0, 0);
    EXPECT_NEAR((before - start).x() * (after - start).y() - (before - start).y() * (after - start).x(), 0, 1e-9);
    EXPECT_LT(QPointF::dotProduct(before - start, after - start), 0);

    // Control points are not kept, end points are.
    const auto curved = pw::bezierPathByInterpolatingPath(*sCurve(), 0.5);
    EXPECT_EQ(curved->currentPoint(), QPointF(100, 0));
    EXPECT_TRUE(pw::bezierPathByInterpolatingPath(*corner, kNaN)->isEmpty());
}

namespace {

class HalfSize : public pw::TaperDelegate {
public:
    double taperFactorAtDistance(double distance, const BezierPath&, double totalLength) override
    {
        asked.append(distance);
        EXPECT_NEAR(totalLength, 100, 1e-9);
        return distance < 50 ? 0.5 : 1.0;
    }
    QList<double> asked;
};

// A tick from the origin towards -y, as tags are drawn.
pf::Ref<BezierPath> tick()
{
    return polyline({{0, 0}, {0, -5}});
}

} // namespace

TEST(PathGeometryPlacement, CopiesFollowIntervalPhaseAndTangent)
{
    struct Case {
        const char* name;
        double interval;
        double phase;
        int copies;
    };
    const Case cases[] = {
        {"every 10 from 5", 10, 5, 10},
        {"from 0 to the end inclusive", 10, 0, 11},
        {"negative phase", 10, -25, 10},
        {"phase at the end", 10, 100, 1},
        {"phase beyond", 10, 101, 0},
        {"interval 0", 0, 0, 0},
        {"negative interval", -10, 0, 0},
        {"NaN interval", kNaN, 0, 0},
        {"NaN phase", 10, kNaN, 0},
        {"tiny interval is bounded", 1e-12, 0, 100000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto placed = pw::bezierPathWithPathAtInterval(*straightLine(), *tick(), c.interval, c.phase, false);
        EXPECT_EQ(placed->subpathCount(), c.copies);
    }

    const auto placed = pw::bezierPathWithPathAtInterval(*straightLine(), *tick(), 10, 5, true);
    EXPECT_EQ(placed->elementAt(0).points[0], QPointF(5, 0));
    EXPECT_NEAR(placed->elementAt(1).points[0].x(), 5, 1e-9);
    EXPECT_NEAR(placed->elementAt(1).points[0].y(), -5, 1e-9);  // on the left of travel
    EXPECT_NEAR(placed->elementAt(3).points[0].y(), 5, 1e-9);   // the second is mirrored

    // Going down the screen, the left of travel is +x.
    const auto down = pw::bezierPathWithPathAtInterval(*polyline({{0, 0}, {0, 100}}), *tick(), 50, 25, false);
    ASSERT_EQ(down->subpathCount(), 2);
    EXPECT_NEAR(down->elementAt(1).points[0].x(), 5, 1e-9);
    EXPECT_NEAR(down->elementAt(1).points[0].y(), 25, 1e-9);

    // Round a quarter circle the tick stays square to the path.
    const auto round = pw::bezierPathWithPathAtInterval(*quarterCircle(), *tick(), 25 * kPi, 25 * kPi, false);
    ASSERT_EQ(round->subpathCount(), 2);
    const QPointF tip = round->elementAt(1).points[0];
    EXPECT_NEAR(std::hypot(tip.x(), tip.y()), 105, 1e-3);
}

TEST(PathGeometryPlacement, DelegateScalesEachCopy)
{
    HalfSize delegate;
    const auto placed = pw::bezierPathWithPathAtInterval(*straightLine(), *tick(), 20, 10, false, &delegate);
    EXPECT_EQ(delegate.asked, (QList<double>{10, 30, 50, 70, 90}));
    ASSERT_EQ(placed->subpathCount(), 5);
    EXPECT_NEAR(placed->elementAt(1).points[0].y(), -2.5, 1e-9);
    EXPECT_NEAR(placed->elementAt(5).points[0].y(), -5, 1e-9);

    pw::TaperDelegate plain;
    EXPECT_EQ(plain.taperFactorAtDistance(3, *straightLine(), 100), 1.0);
}

TEST(PathGeometryBoolean, TwoOverlappingSquares)
{
    const auto a = BezierPath::pathWithRect(QRectF(0, 0, 100, 100));
    const auto b = BezierPath::pathWithRect(QRectF(50, 50, 100, 100));
    a->setLineWidth(4);
    struct Case {
        const char* name;
        std::function<pf::Ref<BezierPath>(const BezierPath&, const BezierPath&)> operation;
        double area;
    };
    const Case cases[] = {
        {"union", pw::unionPath, 17500},
        {"intersection", pw::intersectionPath, 2500},
        {"difference", pw::differencePath, 7500},
        {"exclusive or", pw::exclusiveOrPath, 15000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = c.operation(*a, *b);
        EXPECT_NEAR(separateAreas(*result), c.area, 1e-6);
        EXPECT_EQ(result->lineWidth(), 4.0);
        EXPECT_EQ(result->windingRule(), BezierPath::WindingRule::EvenOdd);
    }
    expectRectNear(pw::intersectionPath(*a, *b)->bounds(), QRectF(50, 50, 50, 50), 1e-9);
    EXPECT_TRUE(pw::intersectionPath(*a, *BezierPath::path())->isEmpty());
    EXPECT_NEAR(separateAreas(*pw::unionPath(*a, *BezierPath::path())), 10000, 1e-6);
}

TEST(PathGeometryBoolean, EachInputFillsByItsOwnWindingRule)
{
    // Two overlapping squares in one path, running the same way round.
    auto both = BezierPath::pathWithRect(QRectF(0, 0, 100, 100));
    both->appendRect(QRectF(50, 50, 100, 100));
    const auto far = BezierPath::pathWithRect(QRectF(1000, 1000, 10, 10));
    EXPECT_NEAR(separateAreas(*pw::differencePath(*both, *far)), 17500, 1e-6);
    both->setWindingRule(BezierPath::WindingRule::EvenOdd);
    // Even-odd leaves the overlap out: a hole, which runs the other way round.
    EXPECT_NEAR(signedAreaSum(*pw::differencePath(*both, *far)), 15000, 1e-6);
    // An open path is closed by a straight line, as when filled.
    const auto triangle = polyline({{0, 0}, {100, 0}, {0, 100}});
    EXPECT_NEAR(separateAreas(*pw::intersectionPath(*triangle, *BezierPath::pathWithRect(QRectF(0, 0, 100, 100)))),
                5000, 1e-6);
}
