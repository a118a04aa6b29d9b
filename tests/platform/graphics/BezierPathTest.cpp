// Paths: construction, geometry, flattening, reversal, archiving and painting.
#include <gtest/gtest.h>

#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/BezierPathGeom.h"

#include <2geom/bezier-curve.h>
#include <2geom/circle.h>
#include <2geom/path.h>

#include <QDataStream>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

namespace {

using pf::BezierPath;
using pf::Ref;
using Type = BezierPath::ElementType;

const double kKappa = 4.0 / 3.0 * std::tan(M_PI / 8.0);
const double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Expected {
    Type type;
    std::vector<QPointF> points;
};

double distance(const QPointF& a, const QPointF& b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

void expectElements(const BezierPath& path, const std::vector<Expected>& expected, double tolerance = 1e-9)
{
    ASSERT_EQ(path.elementCount(), int(expected.size())) << qPrintable(path.description());
    for (int i = 0; i < path.elementCount(); ++i) {
        SCOPED_TRACE(i);
        const BezierPath::Element& e = path.elementAt(i);
        ASSERT_EQ(e.type, expected[i].type);
        ASSERT_EQ(e.pointCount(), int(expected[i].points.size()));
        for (int p = 0; p < e.pointCount(); ++p)
            EXPECT_LE(distance(e.points[p], expected[i].points[p]), tolerance)
                << "point " << p << ": " << e.points[p].x() << ", " << e.points[p].y();
    }
}

QPointF cubicPoint(const QPointF& p0, const QPointF& c1, const QPointF& c2, const QPointF& p3, double t)
{
    const double s = 1 - t;
    return s * s * s * p0 + 3 * s * s * t * c1 + 3 * s * t * t * c2 + t * t * t * p3;
}

// Samples every curve of a path, with the point each curve starts from.
void forEachCurveSample(const BezierPath& path, int samples, const std::function<void(const QPointF&)>& visit)
{
    QPointF current;
    for (const BezierPath::Element& e : path.elements()) {
        if (e.type == Type::CurveTo) {
            for (int i = 0; i <= samples; ++i)
                visit(cubicPoint(current, e.points[0], e.points[1], e.points[2], double(i) / samples));
        }
        if (e.pointCount() > 0)
            current = e.points[e.pointCount() - 1];
    }
}

double distanceToPolyline(const QPointF& point, const BezierPath& polyline)
{
    double best = std::numeric_limits<double>::infinity();
    QPointF current;
    for (const BezierPath::Element& e : polyline.elements()) {
        if (e.type == Type::LineTo) {
            const QPointF chord = e.points[0] - current;
            const double length = QPointF::dotProduct(chord, chord);
            const double t = length > 0 ? std::clamp(QPointF::dotProduct(point - current, chord) / length, 0.0, 1.0) : 0.0;
            best = std::min(best, distance(point, current + t * chord));
        }
        if (e.pointCount() > 0)
            current = e.points[0];
    }
    return best;
}

int countOf(const BezierPath& path, Type type)
{
    return int(std::count_if(path.elements().begin(), path.elements().end(),
                             [type](const BezierPath::Element& e) { return e.type == type; }));
}

// --- Construction -------------------------------------------------------------------------------

TEST(BezierPathConstruction, ShapesHaveTheirElements)
{
    const double k = kKappa;
    const struct {
        const char* name;
        std::function<Ref<BezierPath>()> make;
        std::vector<Expected> elements;
    } cases[] = {
        {"rect", [] { return BezierPath::pathWithRect(QRectF(10, 20, 30, 40)); },
         {{Type::MoveTo, {{10, 20}}}, {Type::LineTo, {{40, 20}}}, {Type::LineTo, {{40, 60}}},
          {Type::LineTo, {{10, 60}}}, {Type::ClosePath, {}}}},
        {"rect of negative size", [] { return BezierPath::pathWithRect(QRectF(40, 60, -30, -40)); },
         {{Type::MoveTo, {{10, 20}}}, {Type::LineTo, {{40, 20}}}, {Type::LineTo, {{40, 60}}},
          {Type::LineTo, {{10, 60}}}, {Type::ClosePath, {}}}},
        {"oval", [] { return BezierPath::pathWithOval(QRectF(0, 0, 20, 10)); },
         {{Type::MoveTo, {{20, 5}}},
          {Type::CurveTo, {{20, 5 + 5 * k}, {10 + 10 * k, 10}, {10, 10}}},
          {Type::CurveTo, {{10 - 10 * k, 10}, {0, 5 + 5 * k}, {0, 5}}},
          {Type::CurveTo, {{0, 5 - 5 * k}, {10 - 10 * k, 0}, {10, 0}}},
          {Type::CurveTo, {{10 + 10 * k, 0}, {20, 5 - 5 * k}, {20, 5}}},
          {Type::ClosePath, {}}}},
        // Top right sharp, bottom left clamped from 30 to 25.
        {"rounded rect per corner",
         [] { return BezierPath::pathWithRoundedRect(QRectF(0, 0, 100, 50), 10, 0, 30, 5); },
         {{Type::MoveTo, {{10, 0}}},
          {Type::LineTo, {{100, 0}}},
          {Type::LineTo, {{100, 45}}},
          {Type::CurveTo, {{100, 45 + 5 * k}, {95 + 5 * k, 50}, {95, 50}}},
          {Type::LineTo, {{25, 50}}},
          {Type::CurveTo, {{25 - 25 * k, 50}, {0, 25 + 25 * k}, {0, 25}}},
          {Type::LineTo, {{0, 10}}},
          {Type::CurveTo, {{0, 10 - 10 * k}, {10 - 10 * k, 0}, {10, 0}}},
          {Type::ClosePath, {}}}},
        {"rounded rect with x and y radii",
         [] { return BezierPath::pathWithRoundedRect(QRectF(0, 0, 40, 20), 10, 5); },
         {{Type::MoveTo, {{10, 0}}},
          {Type::LineTo, {{30, 0}}},
          {Type::CurveTo, {{30 + 10 * k, 0}, {40, 5 - 5 * k}, {40, 5}}},
          {Type::LineTo, {{40, 15}}},
          {Type::CurveTo, {{40, 15 + 5 * k}, {30 + 10 * k, 20}, {30, 20}}},
          {Type::LineTo, {{10, 20}}},
          {Type::CurveTo, {{10 - 10 * k, 20}, {0, 15 + 5 * k}, {0, 15}}},
          {Type::LineTo, {{0, 5}}},
          {Type::CurveTo, {{0, 5 - 5 * k}, {10 - 10 * k, 0}, {10, 0}}},
          {Type::ClosePath, {}}}},
        {"rounded rect of radius zero is a rect",
         [] { return BezierPath::pathWithRoundedRect(QRectF(0, 0, 40, 20), 0, 0, 0, 0); },
         {{Type::MoveTo, {{0, 0}}}, {Type::LineTo, {{40, 0}}}, {Type::LineTo, {{40, 20}}},
          {Type::LineTo, {{0, 20}}}, {Type::ClosePath, {}}}},
        {"open polygon", [] { return BezierPath::pathWithPolygon({{0, 0}, {10, 0}, {5, 5}}, false); },
         {{Type::MoveTo, {{0, 0}}}, {Type::LineTo, {{10, 0}}}, {Type::LineTo, {{5, 5}}}}},
        {"closed polygon", [] { return BezierPath::pathWithPolygon({{0, 0}, {10, 0}, {5, 5}}, true); },
         {{Type::MoveTo, {{0, 0}}}, {Type::LineTo, {{10, 0}}}, {Type::LineTo, {{5, 5}}}, {Type::ClosePath, {}}}},
        {"empty polygon", [] { return BezierPath::pathWithPolygon({}, true); }, {}},
        {"square", [] { return BezierPath::pathWithRegularPolygon(QPointF(0, 0), 10, 4); },
         {{Type::MoveTo, {{0, -10}}}, {Type::LineTo, {{10, 0}}}, {Type::LineTo, {{0, 10}}},
          {Type::LineTo, {{-10, 0}}}, {Type::ClosePath, {}}}},
        {"star", [] { return BezierPath::pathWithStar(QPointF(0, 0), 10, 5, 2, 0); },
         {{Type::MoveTo, {{10, 0}}}, {Type::LineTo, {{0, 5}}}, {Type::LineTo, {{-10, 0}}},
          {Type::LineTo, {{0, -5}}}, {Type::ClosePath, {}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expectElements(*c.make(), c.elements);
    }
}

TEST(BezierPathConstruction, PolygonCornerCountsOutOfRangeRaise)
{
    EXPECT_THROW(BezierPath::pathWithRegularPolygon(QPointF(), 10, 2), pf::InvalidArgumentException);
    EXPECT_THROW(BezierPath::pathWithRegularPolygon(QPointF(), 10, BezierPath::kMaxPolygonCorners + 1),
                 pf::InvalidArgumentException);
    EXPECT_THROW(BezierPath::pathWithStar(QPointF(), 10, 5, 1), pf::InvalidArgumentException);
    EXPECT_THROW(BezierPath::pathWithStar(QPointF(), 10, 5, std::numeric_limits<int>::max()),
                 pf::InvalidArgumentException);
    EXPECT_EQ(BezierPath::pathWithRegularPolygon(QPointF(), 10, 7)->elementCount(), 8);
}

TEST(BezierPathConstruction, SegmentsWithoutCurrentPointStartSubpaths)
{
    BezierPath path;
    path.lineTo(QPointF(3, 4));
    expectElements(path, {{Type::MoveTo, {{3, 4}}}, {Type::LineTo, {{3, 4}}}});

    BezierPath curve;
    curve.curveTo(QPointF(10, 0), QPointF(1, 2), QPointF(5, 5));
    EXPECT_EQ(curve.elementAt(0).type, Type::MoveTo);
    EXPECT_EQ(curve.elementAt(0).points[0], QPointF(1, 2));

    // After a close, a line starts again from the closed sub-path's start.
    BezierPath closed;
    closed.moveTo(QPointF(1, 1));
    closed.lineTo(QPointF(5, 1));
    closed.closePath();
    closed.closePath(); // nothing more to close
    EXPECT_EQ(closed.currentPoint(), QPointF(1, 1));
    closed.lineTo(QPointF(1, 9));
    expectElements(closed, {{Type::MoveTo, {{1, 1}}}, {Type::LineTo, {{5, 1}}}, {Type::ClosePath, {}},
                            {Type::MoveTo, {{1, 1}}}, {Type::LineTo, {{1, 9}}}});
    EXPECT_EQ(closed.subpathCount(), 2);

    BezierPath empty;
    empty.closePath();
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(empty.currentPoint(), QPointF(0, 0));
}

TEST(BezierPathConstruction, RelativeOperationsCountFromTheCurrentPoint)
{
    BezierPath path;
    path.relativeMoveTo(QPointF(2, 3)); // from (0, 0)
    path.relativeLineTo(QPointF(10, 0));
    path.relativeCurveTo(QPointF(0, 10), QPointF(5, 0), QPointF(5, 10));
    expectElements(path, {{Type::MoveTo, {{2, 3}}},
                          {Type::LineTo, {{12, 3}}},
                          {Type::CurveTo, {{17, 3}, {17, 13}, {12, 13}}}});
    EXPECT_EQ(path.firstPoint(), QPointF(2, 3));
}

TEST(BezierPathConstruction, ElementAccessChecksTheIndex)
{
    auto path = BezierPath::pathWithRect(QRectF(0, 0, 10, 10));
    path->setAssociatedPoints(1, {QPointF(20, 0), QPointF(99, 99), QPointF(99, 99)});
    EXPECT_EQ(path->elementAt(1).points[0], QPointF(20, 0));
    // Points beyond the element's own count are not taken.
    EXPECT_EQ(path->elementAt(1).points[1], QPointF());
    EXPECT_EQ(path->elementAt(1).type, Type::LineTo);
    for (int index : {-1, 5}) {
        EXPECT_THROW(path->elementAt(index), pf::Exception);
        EXPECT_THROW(path->setAssociatedPoints(index, {}), pf::Exception);
    }
}

// --- Arcs ---------------------------------------------------------------------------------------

TEST(BezierPathArc, DirectionAndSweep)
{
    const QPointF centre(50, 50);
    const double r = 10;
    const struct {
        const char* name;
        double start, end;
        bool clockwise;
        std::vector<QPointF> curveEnds;
    } cases[] = {
        {"quarter anticlockwise", 0, 90, false, {{50, 60}}},
        {"quarter clockwise goes the long way", 0, 90, true, {{50, 40}, {40, 50}, {50, 60}}},
        {"end below start anticlockwise", 90, 0, false, {{40, 50}, {50, 40}, {60, 50}}},
        {"full circle", 0, 360, false, {{50, 60}, {40, 50}, {50, 40}, {60, 50}}},
        {"full circle clockwise over two turns", 0, 720, true, {{50, 40}, {40, 50}, {50, 60}, {60, 50}}},
        {"over a turn keeps the remainder", 0, 450, false, {{50, 60}}},
        {"300 degrees in four parts", 30, -30, false,
         {{50 + r * std::cos(M_PI / 180 * 105), 50 + r * std::sin(M_PI / 180 * 105)},
          {50 + r * std::cos(M_PI / 180 * 180), 50 + r * std::sin(M_PI / 180 * 180)},
          {50 + r * std::cos(M_PI / 180 * 255), 50 + r * std::sin(M_PI / 180 * 255)},
          {50 + r * std::cos(M_PI / 180 * 330), 50 + r * std::sin(M_PI / 180 * 330)}}},
        {"no sweep", 45, 45, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BezierPath path;
        path.appendArc(centre, r, c.start, c.end, c.clockwise);
        ASSERT_EQ(path.elementCount(), int(c.curveEnds.size()) + 1);
        EXPECT_EQ(path.elementAt(0).type, Type::MoveTo);
        const double start = qDegreesToRadians(c.start);
        EXPECT_LE(distance(path.elementAt(0).points[0], centre + r * QPointF(std::cos(start), std::sin(start))), 1e-9);
        for (size_t i = 0; i < c.curveEnds.size(); ++i) {
            ASSERT_EQ(path.elementAt(int(i) + 1).type, Type::CurveTo);
            EXPECT_LE(distance(path.elementAt(int(i) + 1).points[2], c.curveEnds[i]), 1e-9) << i;
        }
        // The cubic quarters stay within a few ten-thousandths of the radius of the circle.
        forEachCurveSample(path, 32, [&](const QPointF& p) { EXPECT_NEAR(distance(p, centre), r, 3e-4 * r); });
    }
}

TEST(BezierPathArc, ControlPointsFollowTheTangent)
{
    BezierPath path;
    path.appendArc(QPointF(0, 0), 10, 0, 90);
    expectElements(path, {{Type::MoveTo, {{10, 0}}}, {Type::CurveTo, {{10, 10 * kKappa}, {10 * kKappa, 10}, {0, 10}}}});

    BezierPath clockwise;
    clockwise.appendArc(QPointF(0, 0), 10, 0, -90, true);
    expectElements(clockwise,
                   {{Type::MoveTo, {{10, 0}}}, {Type::CurveTo, {{10, -10 * kKappa}, {10 * kKappa, -10}, {0, -10}}}});
}

TEST(BezierPathArc, JoinsTheCurrentPointWithALine)
{
    BezierPath path;
    path.moveTo(QPointF(0, 0));
    path.appendArc(QPointF(0, 0), 10, 0, 90);
    expectElements(path, {{Type::MoveTo, {{0, 0}}},
                          {Type::LineTo, {{10, 0}}},
                          {Type::CurveTo, {{10, 10 * kKappa}, {10 * kKappa, 10}, {0, 10}}}});
}

TEST(BezierPathArc, TangentArcFromPoint)
{
    BezierPath path;
    path.moveTo(QPointF(0, 0));
    path.appendArcFromPoint(QPointF(10, 0), QPointF(10, 10), 5);
    expectElements(path, {{Type::MoveTo, {{0, 0}}},
                          {Type::LineTo, {{5, 0}}},
                          {Type::CurveTo, {{5 + 5 * kKappa, 0}, {10, 5 - 5 * kKappa}, {10, 5}}}});

    // Turning the other way bends the arc the other way.
    BezierPath other;
    other.moveTo(QPointF(0, 0));
    other.appendArcFromPoint(QPointF(10, 0), QPointF(10, -10), 5);
    expectElements(other, {{Type::MoveTo, {{0, 0}}},
                           {Type::LineTo, {{5, 0}}},
                           {Type::CurveTo, {{5 + 5 * kKappa, 0}, {10, -5 + 5 * kKappa}, {10, -5}}}});

    // Collinear points, onwards or back, give a line to the first point.
    for (const QPointF& point2 : {QPointF(20, 0), QPointF(-5, 0)}) {
        BezierPath line;
        line.moveTo(QPointF(0, 0));
        line.appendArcFromPoint(QPointF(10, 0), point2, 5);
        expectElements(line, {{Type::MoveTo, {{0, 0}}}, {Type::LineTo, {{10, 0}}}});
    }
}

// --- Bounds and hit tests -------------------------------------------------------------------------

TEST(BezierPathGeometry, ExactBoundsFollowTheCurve)
{
    BezierPath bulge;
    bulge.moveTo(QPointF(0, 0));
    bulge.curveTo(QPointF(10, 0), QPointF(-4, 10), QPointF(10, 10));
    EXPECT_EQ(bulge.controlPointBounds(), QRectF(-4, 0, 14, 10));
    // y = 30 t (1 - t) peaks at 7.5; x = -12 t + 54 t^2 - 32 t^3 dips to -0.72 at t = 1/8.
    const QRectF exact = bulge.bounds();
    EXPECT_NEAR(exact.bottom(), 7.5, 1e-9);
    EXPECT_NEAR(exact.top(), 0, 1e-9);
    EXPECT_NEAR(exact.right(), 10, 1e-9);
    double minX = 0;
    forEachCurveSample(bulge, 10000, [&](const QPointF& p) { minX = std::min(minX, p.x()); });
    EXPECT_LT(exact.left(), -0.5);
    EXPECT_NEAR(exact.left(), minX, 1e-6);

    const QRectF oval = BezierPath::pathWithOval(QRectF(1, 2, 20, 10))->bounds();
    EXPECT_NEAR(oval.left(), 1, 1e-9);
    EXPECT_NEAR(oval.top(), 2, 1e-9);
    EXPECT_NEAR(oval.width(), 20, 1e-9);
    EXPECT_NEAR(oval.height(), 10, 1e-9);
}

TEST(BezierPathGeometry, BoundsOfEmptyAndPointPaths)
{
    EXPECT_TRUE(BezierPath().bounds().isNull());
    EXPECT_TRUE(BezierPath().controlPointBounds().isNull());

    BezierPath point;
    point.moveTo(QPointF(3, 4));
    for (const QRectF& box : {point.bounds(), point.controlPointBounds()}) {
        EXPECT_EQ(box.topLeft(), QPointF(3, 4));
        EXPECT_EQ(box.size(), QSizeF(0, 0));
    }

    // A move on its own still counts, even though a rectangle of no size does not unite.
    point.moveTo(QPointF(-1, 10));
    point.lineTo(QPointF(5, 10));
    EXPECT_EQ(point.bounds(), QRectF(QPointF(-1, 4), QPointF(5, 10)));
}

TEST(BezierPathGeometry, ContainmentByWindingRule)
{
    // Two circles running the same way: the inner one counts twice under non-zero.
    BezierPath ring;
    ring.appendOval(QRectF(0, 0, 100, 100));
    ring.appendOval(QRectF(25, 25, 50, 50));
    const struct {
        QPointF point;
        bool nonZero, evenOdd;
    } cases[] = {
        {{50, 50}, true, false},
        {{10, 50}, true, true},
        {{-5, 50}, false, false},
        {{99, 99}, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.point.x() << ", " << c.point.y());
        ring.setWindingRule(BezierPath::WindingRule::NonZero);
        EXPECT_EQ(ring.containsPoint(c.point), c.nonZero);
        ring.setWindingRule(BezierPath::WindingRule::EvenOdd);
        EXPECT_EQ(ring.containsPoint(c.point), c.evenOdd);
    }

    // An open sub-path encloses its area as if closed.
    auto open = BezierPath::pathWithPolygon({{0, 0}, {10, 0}, {0, 10}}, false);
    EXPECT_TRUE(open->containsPoint(QPointF(2, 2)));
    EXPECT_FALSE(open->containsPoint(QPointF(8, 8)));
}

TEST(BezierPathGeometry, StrokeHitTestUsesCapJoinAndMiter)
{
    BezierPath line;
    line.moveTo(QPointF(0, 0));
    line.lineTo(QPointF(100, 0));
    EXPECT_TRUE(line.strokeContainsPoint(QPointF(50, 4), 10));
    EXPECT_FALSE(line.strokeContainsPoint(QPointF(50, 6), 10));
    EXPECT_FALSE(line.strokeContainsPoint(QPointF(50, 0), 0));
    EXPECT_FALSE(line.strokeContainsPoint(QPointF(50, 0), kNaN));

    const struct {
        BezierPath::LineCap cap;
        bool beyondEnd, nearCorner;
    } caps[] = {
        {BezierPath::LineCap::Butt, false, false},
        {BezierPath::LineCap::Square, true, true},
        {BezierPath::LineCap::Round, true, false},
    };
    for (const auto& c : caps) {
        SCOPED_TRACE(int(c.cap));
        line.setLineCapStyle(c.cap);
        EXPECT_EQ(line.strokeContainsPoint(QPointF(-3, 0), 10), c.beyondEnd);
        EXPECT_EQ(line.strokeContainsPoint(QPointF(-4, 4), 10), c.nearCorner);
    }

    // A 60 degree corner: its miter is twice the width long, reaching (8.66, -5).
    BezierPath corner;
    corner.moveTo(QPointF(-100, 0));
    corner.lineTo(QPointF(0, 0));
    corner.lineTo(QPointF(-50, 50 * std::sqrt(3.0)));
    const QPointF nearTip(7.5, -4.2);
    const struct {
        BezierPath::LineJoin join;
        double miterLimit;
        bool hit;
    } joins[] = {
        {BezierPath::LineJoin::Miter, 10, true},
        {BezierPath::LineJoin::Miter, 2.1, true},
        {BezierPath::LineJoin::Miter, 1.9, false},
        {BezierPath::LineJoin::Bevel, 10, false},
        {BezierPath::LineJoin::Round, 10, false},
    };
    for (const auto& j : joins) {
        SCOPED_TRACE(testing::Message() << int(j.join) << " limit " << j.miterLimit);
        corner.setLineJoinStyle(j.join);
        corner.setMiterLimit(j.miterLimit);
        EXPECT_EQ(corner.strokeContainsPoint(nearTip, 10), j.hit);
    }
    corner.setLineJoinStyle(BezierPath::LineJoin::Round);
    EXPECT_TRUE(corner.strokeContainsPoint(QPointF(4.0, -2.0), 10)); // within 5 of the corner, beyond the bevel
}

// --- Flattening ---------------------------------------------------------------------------------

TEST(BezierPathFlattening, StaysWithinTheFlatness)
{
    BezierPath path;
    path.moveTo(QPointF(0, 0));
    path.curveTo(QPointF(100, 0), QPointF(0, 100), QPointF(100, 100));
    path.curveTo(QPointF(300, 40), QPointF(300, -200), QPointF(150, 300)); // a loop
    path.closePath();
    // On its chord's line, but running beyond both its ends.
    path.moveTo(QPointF(0, 500));
    path.curveTo(QPointF(10, 500), QPointF(40, 500), QPointF(-20, 500));

    int previousCount = 0;
    for (double flatness : {5.0, 1.0, 0.6, 0.1, 0.01}) {
        SCOPED_TRACE(flatness);
        const auto flat = path.flattened(flatness);
        EXPECT_EQ(countOf(*flat, Type::CurveTo), 0);
        EXPECT_EQ(flat->elementAt(0).type, Type::MoveTo);
        EXPECT_EQ(flat->subpathCount(), 2);
        EXPECT_EQ(countOf(*flat, Type::ClosePath), 1);
        double worst = 0;
        forEachCurveSample(path, 2000, [&](const QPointF& p) { worst = std::max(worst, distanceToPolyline(p, *flat)); });
        EXPECT_LE(worst, flatness * (1 + 1e-9));
        EXPECT_GT(flat->elementCount(), previousCount);
        previousCount = flat->elementCount();
    }
}

TEST(BezierPathFlattening, UnusableFlatnessFallsBackToTheDefault)
{
    auto path = BezierPath::pathWithOval(QRectF(0, 0, 200, 100));
    path->setLineWidth(3);
    const auto reference = path->flattened(BezierPath::defaultFlatness());
    for (double flatness : {0.0, -1.0, kNaN})
        EXPECT_TRUE(path->flattened(flatness)->isEqual(reference.get())) << flatness;
    EXPECT_EQ(reference->lineWidth(), 3);
    EXPECT_GT(path->flattened(0.01)->elementCount(), reference->elementCount());
    EXPECT_EQ(BezierPath::defaultFlatness(), 0.6);

    // The path's own flatness is used without an argument.
    path->setFlatness(0.01);
    EXPECT_TRUE(path->flattened()->isEqual(path->flattened(0.01).get()));
    path->setFlatness(-2);
    EXPECT_EQ(path->flatness(), BezierPath::defaultFlatness());
}

TEST(BezierPathFlattening, DegenerateCurvesTerminate)
{
    const double huge = 1e300;
    const struct {
        const char* name;
        QPointF start, control1, control2, end;
    } cases[] = {
        {"a point", {5, 5}, {5, 5}, {5, 5}, {5, 5}},
        {"controls on the chord", {0, 0}, {3, 0}, {7, 0}, {10, 0}},
        {"NaN controls", {0, 0}, {kNaN, kNaN}, {1, kNaN}, {10, 0}},
        {"infinite controls", {0, 0}, {INFINITY, 0}, {0, -INFINITY}, {10, 0}},
        {"huge coordinates", {-huge, -huge}, {huge, -huge}, {-huge, huge}, {huge, huge}},
        {"far controls", {0, 0}, {1e12, 1e12}, {-1e12, 1e12}, {1, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BezierPath path;
        path.moveTo(c.start);
        path.curveTo(c.end, c.control1, c.control2);
        const auto flat = path.flattened(1e-9);
        EXPECT_GE(flat->elementCount(), 2);
        EXPECT_LE(flat->elementCount(), 1 + (1 << 16));
        EXPECT_EQ(countOf(*flat, Type::CurveTo), 0);
    }
}

// --- Reversal -----------------------------------------------------------------------------------

TEST(BezierPathReversal, SubpathsReverseInPlace)
{
    BezierPath path;
    // A closed triangle, then an open line and curve.
    path.moveTo(QPointF(0, 0));
    path.lineTo(QPointF(10, 0));
    path.lineTo(QPointF(0, 10));
    path.closePath();
    path.moveTo(QPointF(20, 0));
    path.lineTo(QPointF(30, 0));
    path.curveTo(QPointF(40, 10), QPointF(32, 0), QPointF(40, 8));
    path.setLineWidth(4);

    const auto reversed = path.reversed();
    expectElements(*reversed, {{Type::MoveTo, {{0, 0}}},
                               {Type::LineTo, {{0, 10}}},
                               {Type::LineTo, {{10, 0}}},
                               {Type::ClosePath, {}},
                               {Type::MoveTo, {{40, 10}}},
                               {Type::CurveTo, {{40, 8}, {32, 0}, {30, 0}}},
                               {Type::LineTo, {{20, 0}}}});
    EXPECT_EQ(reversed->lineWidth(), 4);
    EXPECT_TRUE(reversed->reversed()->isEqual(&path));
}

TEST(BezierPathReversal, ClosedCurvesKeepTheirStart)
{
    const auto oval = BezierPath::pathWithOval(QRectF(0, 0, 20, 10));
    const auto reversed = oval->reversed();
    const double k = kKappa;
    expectElements(*reversed, {{Type::MoveTo, {{20, 5}}},
                               {Type::CurveTo, {{20, 5 - 5 * k}, {10 + 10 * k, 0}, {10, 0}}},
                               {Type::CurveTo, {{10 - 10 * k, 0}, {0, 5 - 5 * k}, {0, 5}}},
                               {Type::CurveTo, {{0, 5 + 5 * k}, {10 - 10 * k, 10}, {10, 10}}},
                               {Type::CurveTo, {{10 + 10 * k, 10}, {20, 5 + 5 * k}, {20, 5}}},
                               {Type::ClosePath, {}}});
    EXPECT_TRUE(reversed->reversed()->isEqual(oval.get()));

    // A closed sub-path whose closing line has no length reverses without a stray line.
    BezierPath square;
    square.moveTo(QPointF(0, 0));
    square.lineTo(QPointF(10, 0));
    square.lineTo(QPointF(10, 10));
    square.lineTo(QPointF(0, 0));
    square.closePath();
    expectElements(*square.reversed(), {{Type::MoveTo, {{0, 0}}},
                                        {Type::LineTo, {{10, 10}}},
                                        {Type::LineTo, {{10, 0}}},
                                        {Type::ClosePath, {}}});
}

TEST(BezierPathReversal, ReversedInnerCircleCutsAHole)
{
    BezierPath ring;
    ring.appendOval(QRectF(0, 0, 100, 100));
    ring.appendPath(*BezierPath::pathWithOval(QRectF(25, 25, 50, 50))->reversed());
    EXPECT_FALSE(ring.containsPoint(QPointF(50, 50)));
    EXPECT_TRUE(ring.containsPoint(QPointF(10, 50)));
}

// --- Appending and transforming -------------------------------------------------------------------

TEST(BezierPathAppend, WithAndWithoutTheFirstMove)
{
    const auto other = BezierPath::pathWithPolygon({{50, 50}, {20, 0}, {20, 10}}, false);

    BezierPath whole;
    whole.moveTo(QPointF(0, 0));
    whole.lineTo(QPointF(10, 0));
    whole.appendPath(*other);
    EXPECT_EQ(whole.subpathCount(), 2);
    EXPECT_EQ(whole.elementCount(), 5);

    BezierPath continued;
    continued.moveTo(QPointF(0, 0));
    continued.lineTo(QPointF(10, 0));
    continued.appendPathRemovingInitialMoveTo(*other);
    expectElements(continued, {{Type::MoveTo, {{0, 0}}}, {Type::LineTo, {{10, 0}}}, {Type::LineTo, {{20, 0}}},
                               {Type::LineTo, {{20, 10}}}});

    // An empty path has nothing to continue, so it keeps the move.
    BezierPath empty;
    empty.appendPathRemovingInitialMoveTo(*other);
    EXPECT_TRUE(empty.isEqual(other.get()));

    // Appending a path to itself.
    auto rect = BezierPath::pathWithRect(QRectF(0, 0, 1, 1));
    rect->appendPath(*rect);
    EXPECT_EQ(rect->elementCount(), 10);
    EXPECT_EQ(rect->subpathCount(), 2);
}

TEST(BezierPathAppend, TransformMapsEveryPoint)
{
    BezierPath path;
    path.moveTo(QPointF(1, 1));
    path.curveTo(QPointF(4, 1), QPointF(2, 3), QPointF(3, 3));
    path.closePath();
    const QTransform t = QTransform::fromTranslate(10, 20).scale(2, 3);
    const auto moved = path.transformed(t);
    expectElements(*moved, {{Type::MoveTo, {{12, 23}}}, {Type::CurveTo, {{14, 29}, {16, 29}, {18, 23}}}, {Type::ClosePath, {}}});
    EXPECT_EQ(path.elementAt(0).points[0], QPointF(1, 1));
    path.transform(t);
    EXPECT_TRUE(path.isEqual(moved.get()));
}

// --- Copying, equality and key-value coding -------------------------------------------------------

TEST(BezierPathObject, CopyIsFullAndIndependent)
{
    auto path = BezierPath::pathWithOval(QRectF(0, 0, 10, 10));
    path->setLineWidth(2.5);
    path->setLineCapStyle(BezierPath::LineCap::Round);
    path->setLineDash({4, 2}, 1);
    path->setWindingRule(BezierPath::WindingRule::EvenOdd);
    auto copy = std::dynamic_pointer_cast<BezierPath>(path->copy());
    ASSERT_TRUE(copy);
    EXPECT_TRUE(copy->isEqual(path.get()));
    EXPECT_EQ(copy->hash(), path->hash());
    copy->lineTo(QPointF(1, 1));
    EXPECT_EQ(path->elementCount(), 6);
    EXPECT_FALSE(copy->isEqual(path.get()));

    const std::function<void(BezierPath&)> changes[] = {
        [](BezierPath& p) { p.setLineWidth(3); },
        [](BezierPath& p) { p.setLineJoinStyle(BezierPath::LineJoin::Bevel); },
        [](BezierPath& p) { p.setMiterLimit(4); },
        [](BezierPath& p) { p.setFlatness(0.1); },
        [](BezierPath& p) { p.setLineDash({4, 3}, 1); },
        [](BezierPath& p) { p.setLineDash({4, 2}, 0); },
        [](BezierPath& p) { p.setWindingRule(BezierPath::WindingRule::NonZero); },
        [](BezierPath& p) { p.setAssociatedPoints(0, {QPointF(11, 5)}); },
    };
    for (size_t i = 0; i < std::size(changes); ++i) {
        BezierPath changed(*path);
        EXPECT_TRUE(changed.isEqual(path.get()));
        changes[i](changed);
        EXPECT_FALSE(changed.isEqual(path.get())) << i;
    }

    const QString text = path->description();
    EXPECT_TRUE(text.contains(QStringLiteral("pf::BezierPath")));
    EXPECT_TRUE(text.contains(QStringLiteral("6 elements")));
    EXPECT_TRUE(text.contains(QStringLiteral("10 5 moveto")));
    EXPECT_EQ(text.count(QStringLiteral("curveto")), 4);
}

TEST(BezierPathObject, DefaultsApplyToNewPathsOnly)
{
    BezierPath before;
    EXPECT_EQ(before.lineWidth(), 1.0);
    EXPECT_EQ(before.miterLimit(), 10.0);
    EXPECT_EQ(before.flatness(), 0.6);

    BezierPath::setDefaultLineWidth(3);
    BezierPath::setDefaultMiterLimit(4);
    BezierPath::setDefaultFlatness(0.2);
    BezierPath::setDefaultLineWidth(kNaN); // ignored
    BezierPath::setDefaultFlatness(0);
    BezierPath::setDefaultMiterLimit(-1);
    BezierPath after;
    EXPECT_EQ(after.lineWidth(), 3.0);
    EXPECT_EQ(after.miterLimit(), 4.0);
    EXPECT_EQ(after.flatness(), 0.2);
    EXPECT_EQ(before.lineWidth(), 1.0);
    BezierPath::setDefaultLineWidth(1);
    BezierPath::setDefaultMiterLimit(10);
    BezierPath::setDefaultFlatness(0.6);
}

TEST(BezierPathObject, KeyValueCodingOfTheSettings)
{
    auto path = BezierPath::path();
    path->setValueForKey(2.5, QStringLiteral("lineWidth"));
    path->setValueForKey(3.0, QStringLiteral("miterLimit"));
    path->setValueForKey(0.25, QStringLiteral("flatness"));
    path->setValueForKey(1, QStringLiteral("lineCapStyle"));
    path->setValueForKey(2, QStringLiteral("lineJoinStyle"));
    path->setValueForKey(1, QStringLiteral("windingRule"));
    EXPECT_EQ(path->lineWidth(), 2.5);
    EXPECT_EQ(path->miterLimit(), 3.0);
    EXPECT_EQ(path->flatness(), 0.25);
    EXPECT_EQ(path->lineCapStyle(), BezierPath::LineCap::Round);
    EXPECT_EQ(path->lineJoinStyle(), BezierPath::LineJoin::Bevel);
    EXPECT_EQ(path->windingRule(), BezierPath::WindingRule::EvenOdd);
    EXPECT_EQ(path->valueForKey(QStringLiteral("lineJoinStyle")).toInt(), 2);
    EXPECT_EQ(path->valueForKey(QStringLiteral("lineWidth")).toDouble(), 2.5);

    EXPECT_THROW(path->setValueForKey(3, QStringLiteral("lineCapStyle")), pf::InvalidArgumentException);
    EXPECT_THROW(path->setValueForKey(-1, QStringLiteral("windingRule")), pf::InvalidArgumentException);
    EXPECT_THROW(path->setValueForKey(QStringLiteral("round"), QStringLiteral("lineJoinStyle")),
                 pf::InvalidArgumentException);
    EXPECT_EQ(path->lineCapStyle(), BezierPath::LineCap::Round);
    EXPECT_TRUE(pf::Coding::isArchivable(BezierPath::staticClass()));
    EXPECT_EQ(pf::Class::named(QStringLiteral("pf::BezierPath")), &BezierPath::staticClass());
}

// --- Archiving ----------------------------------------------------------------------------------

Ref<BezierPath> roundTrip(const Ref<BezierPath>& path, pf::PropertyListFormat format, pf::Error* error)
{
    const QByteArray data = pf::KeyedArchiver::archivedData(path, format, error);
    return pf::KeyedUnarchiver::unarchiveObjectOfClass<BezierPath>(data, error);
}

TEST(BezierPathArchiving, RoundTripKeepsElementsAndSettings)
{
    auto path = BezierPath::pathWithRoundedRect(QRectF(0.1, 0.2, 30.3, 20.7), 3, 0, 5, 7);
    path->moveTo(QPointF(-1e-300, 1e300));
    path->lineTo(QPointF(1.0 / 3.0, 2.0 / 3.0));
    path->setLineWidth(0);
    path->setLineCapStyle(BezierPath::LineCap::Square);
    path->setLineJoinStyle(BezierPath::LineJoin::Round);
    path->setMiterLimit(2.5);
    path->setFlatness(0.05);
    path->setWindingRule(BezierPath::WindingRule::EvenOdd);
    path->setLineDash({5, 0, 1.5}, 2.25);
    for (auto format : {pf::PropertyListFormat::Binary, pf::PropertyListFormat::XML}) {
        pf::Error error;
        const auto decoded = roundTrip(path, format, &error);
        ASSERT_TRUE(decoded) << qPrintable(error.description());
        EXPECT_TRUE(decoded->isEqual(path.get()));
        // Bit for bit, not merely within QPointF's fuzzy equality.
        for (int i = 0; i < path->elementCount(); ++i) {
            for (int p = 0; p < 3; ++p) {
                EXPECT_EQ(decoded->elementAt(i).points[p].x(), path->elementAt(i).points[p].x());
                EXPECT_EQ(decoded->elementAt(i).points[p].y(), path->elementAt(i).points[p].y());
            }
        }
    }
    const auto empty = roundTrip(BezierPath::path(), pf::PropertyListFormat::Binary, nullptr);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->isEmpty());
}

// Writes whatever keys a test wants, under the path's class name.
class ForgedPath : public pf::Object, public pf::Coding {
    PF_CLASS(ForgedPath)
public:
    std::function<void(pf::KeyedArchiver&)> write;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override { write(coder); }
    void initWithCoder(pf::KeyedUnarchiver&) override {}
    QString classNameForArchiver() const override { return QStringLiteral("pf::BezierPath"); }
};
PF_DEFINE_CLASS_NAMED(ForgedPath, pf::Object, "BezierPathTest.ForgedPath") { b.protocol(pf::kCodingProtocol); }

Ref<BezierPath> decodeForged(const std::function<void(pf::KeyedArchiver&)>& write)
{
    auto forged = std::make_shared<ForgedPath>();
    forged->write = write;
    pf::Error error;
    const QByteArray data = pf::KeyedArchiver::archivedData(forged, pf::PropertyListFormat::Binary, &error);
    EXPECT_FALSE(data.isEmpty()) << qPrintable(error.description());
    auto decoded = pf::KeyedUnarchiver::unarchiveObjectOfClass<BezierPath>(data, &error);
    EXPECT_TRUE(decoded) << qPrintable(error.description());
    return decoded;
}

// The element layout: a type byte, then x, y pairs of little-endian doubles.
struct Blob {
    QByteArray bytes;
    Blob& element(quint8 type, std::initializer_list<QPointF> points = {})
    {
        bytes.append(char(type));
        for (const QPointF& p : points) {
            for (double v : {p.x(), p.y()}) {
                quint64 bits;
                std::memcpy(&bits, &v, sizeof bits);
                for (int i = 0; i < 8; ++i)
                    bytes.append(char((bits >> (8 * i)) & 0xff));
            }
        }
        return *this;
    }
};

TEST(BezierPathArchiving, ElementsFollowTheDocumentedLayout)
{
    const QByteArray blob = Blob()
                                .element(0, {{1, 2}})
                                .element(1, {{3, 4}})
                                .element(2, {{5, 6}, {7, 8}, {9, 10}})
                                .element(3)
                                .bytes;
    const auto decoded = decodeForged([&](pf::KeyedArchiver& coder) {
        coder.encodeData(blob, QStringLiteral("PWPath_elements"));
        coder.encodeInt64(4, QStringLiteral("PWPath_elementCount"));
    });
    ASSERT_TRUE(decoded);
    expectElements(*decoded, {{Type::MoveTo, {{1, 2}}},
                              {Type::LineTo, {{3, 4}}},
                              {Type::CurveTo, {{5, 6}, {7, 8}, {9, 10}}},
                              {Type::ClosePath, {}}});
    // Settings that are missing keep the defaults, not zero.
    EXPECT_EQ(decoded->lineWidth(), BezierPath::defaultLineWidth());
    EXPECT_EQ(decoded->miterLimit(), BezierPath::defaultMiterLimit());
    EXPECT_EQ(decoded->flatness(), BezierPath::defaultFlatness());
}

TEST(BezierPathArchiving, DamagedElementsDecodeToAnEmptyPath)
{
    const QByteArray good = Blob().element(0, {{1, 2}}).element(1, {{3, 4}}).element(3).bytes;
    const struct {
        const char* name;
        QByteArray blob;
        qint64 count;
    } cases[] = {
        {"truncated", good.left(good.size() - 2), 3},
        {"count too high", good, 4},
        {"count too low", good, 2},
        {"huge count", good, qint64(1) << 40},
        {"negative count", good, -1},
        {"unknown type", Blob().element(0, {{1, 2}}).element(7).bytes, 2},
        {"NaN point", Blob().element(0, {{1, 2}}).element(1, {{kNaN, 4}}).bytes, 2},
        {"infinite point", Blob().element(0, {{INFINITY, 2}}).bytes, 1},
        {"no first move", Blob().element(1, {{1, 2}}).bytes, 1},
        {"line after close", Blob().element(0, {{1, 2}}).element(1, {{3, 4}}).element(3).element(1, {{5, 6}}).bytes, 4},
        {"trailing bytes", good + QByteArray("xyz"), 3},
        {"not a blob", QByteArray(), 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto decoded = decodeForged([&](pf::KeyedArchiver& coder) {
            coder.encodeData(c.blob, QStringLiteral("PWPath_elements"));
            coder.encodeInt64(c.count, QStringLiteral("PWPath_elementCount"));
            coder.encodeDouble(3.0, QStringLiteral("PWPath_lineWidth"));
            coder.encodeInt32(2, QStringLiteral("PWPath_lineCapStyle"));
        });
        ASSERT_TRUE(decoded);
        EXPECT_TRUE(decoded->isEmpty());
        // The rest of the archive still counts.
        EXPECT_EQ(decoded->lineWidth(), 3.0);
        EXPECT_EQ(decoded->lineCapStyle(), BezierPath::LineCap::Square);
    }
}

TEST(BezierPathArchiving, UnusableSettingsKeepTheDefaults)
{
    const auto decoded = decodeForged([](pf::KeyedArchiver& coder) {
        coder.encodeDouble(kNaN, QStringLiteral("PWPath_lineWidth"));
        coder.encodeDouble(-1, QStringLiteral("PWPath_miterLimit"));
        coder.encodeDouble(INFINITY, QStringLiteral("PWPath_flatness"));
        coder.encodeInt32(9, QStringLiteral("PWPath_lineCapStyle"));
        coder.encodeInt32(-3, QStringLiteral("PWPath_lineJoinStyle"));
        coder.encodeString(QStringLiteral("evenodd"), QStringLiteral("PWPath_windingRule"));
        coder.encodeData(QByteArray(7, '\1'), QStringLiteral("PWPath_dashPattern"));
        coder.encodeDouble(kNaN, QStringLiteral("PWPath_dashPhase"));
    });
    ASSERT_TRUE(decoded);
    BezierPath fresh;
    EXPECT_TRUE(decoded->isEqual(&fresh)) << qPrintable(decoded->description());
}

// --- lib2geom -----------------------------------------------------------------------------------

TEST(BezierPathGeom, RoundTripThroughLib2geom)
{
    BezierPath path;
    path.appendRect(QRectF(0, 0, 10, 10));
    path.appendOval(QRectF(20, 0, 10, 6));
    path.moveTo(QPointF(50, 50));
    path.lineTo(QPointF(60, 50));
    path.curveTo(QPointF(70, 60), QPointF(65, 50), QPointF(70, 55));
    path.moveTo(QPointF(80, 80)); // a lone move

    const Geom::PathVector vector = pf::toGeomPathVector(path);
    ASSERT_EQ(vector.size(), 4u);
    EXPECT_TRUE(vector[0].closed());
    EXPECT_EQ(vector[0].size_open(), 3u);
    EXPECT_TRUE(vector[1].closed());
    EXPECT_FALSE(vector[2].closed());
    EXPECT_NE(dynamic_cast<const Geom::CubicBezier*>(&vector[2][1]), nullptr);
    EXPECT_TRUE(vector[3].empty());
    EXPECT_NEAR(vector[0].boundsExact()->width(), 10, 1e-12);

    const auto back = pf::bezierPathFromGeomPathVector(vector);
    EXPECT_TRUE(back->isEqual(&path)) << qPrintable(back->description());
}

TEST(BezierPathGeom, OtherCurvesBecomeCubics)
{
    // A circle is made of elliptical arcs in lib2geom.
    Geom::PathVector circle;
    circle.push_back(Geom::Path(Geom::Circle(Geom::Point(5, 5), 10)));
    const auto fromCircle = pf::bezierPathFromGeomPathVector(circle);
    EXPECT_EQ(fromCircle->elementAt(0).type, Type::MoveTo);
    EXPECT_EQ(fromCircle->elementAt(fromCircle->elementCount() - 1).type, Type::ClosePath);
    EXPECT_GE(countOf(*fromCircle, Type::CurveTo), 2);
    forEachCurveSample(*fromCircle, 50, [](const QPointF& p) {
        EXPECT_NEAR(distance(p, QPointF(5, 5)), 10, pf::kGeomCurveTolerance);
    });

    // A quadratic is raised to the same curve.
    Geom::Path quadratic(Geom::Point(0, 0));
    quadratic.appendNew<Geom::QuadraticBezier>(Geom::Point(10, 20), Geom::Point(20, 0));
    Geom::PathVector vector;
    vector.push_back(quadratic);
    const auto fromQuadratic = pf::bezierPathFromGeomPathVector(vector);
    ASSERT_EQ(fromQuadratic->elementCount(), 2);
    const BezierPath::Element& cubic = fromQuadratic->elementAt(1);
    ASSERT_EQ(cubic.type, Type::CurveTo);
    for (double t : {0.1, 0.25, 0.5, 0.9}) {
        const Geom::Point expected = quadratic[0].pointAt(t);
        EXPECT_LE(distance(cubicPoint(QPointF(0, 0), cubic.points[0], cubic.points[1], cubic.points[2], t),
                           QPointF(expected.x(), expected.y())),
                  1e-12);
    }
}

TEST(BezierPathGeom, NonFiniteSubpathsAreLeftOut)
{
    BezierPath path;
    path.moveTo(QPointF(0, 0));
    path.lineTo(QPointF(kNaN, 1));
    path.lineTo(QPointF(2, 2));
    path.appendRect(QRectF(0, 0, 1, 1));
    path.moveTo(QPointF(INFINITY, 0));
    const Geom::PathVector vector = pf::toGeomPathVector(path);
    ASSERT_EQ(vector.size(), 1u);
    EXPECT_EQ(vector[0].size_open(), 3u);
}

// --- Qt paths, pens and painting ----------------------------------------------------------------

TEST(BezierPathPainting, QPainterPathConversions)
{
    QPainterPath qt;
    qt.addRect(QRectF(0, 0, 10, 20));
    qt.addEllipse(QRectF(30, 0, 10, 10));
    qt.moveTo(50, 50);
    qt.lineTo(60, 60);
    qt.setFillRule(Qt::OddEvenFill);
    const auto path = BezierPath::fromQPainterPath(qt);
    EXPECT_EQ(path->windingRule(), BezierPath::WindingRule::EvenOdd);
    EXPECT_EQ(path->subpathCount(), 3);
    const std::vector<Type> types = {Type::MoveTo,  Type::LineTo,  Type::LineTo,  Type::LineTo,    Type::ClosePath,
                                     Type::MoveTo,  Type::CurveTo, Type::CurveTo, Type::CurveTo,   Type::CurveTo,
                                     Type::ClosePath, Type::MoveTo, Type::LineTo};
    ASSERT_EQ(path->elementCount(), int(types.size()));
    for (int i = 0; i < path->elementCount(); ++i)
        EXPECT_EQ(path->elementAt(i).type, types[i]) << i;

    const QPainterPath back = path->toQPainterPath();
    EXPECT_EQ(back.fillRule(), Qt::OddEvenFill);
    EXPECT_EQ(back.elementCount(), qt.elementCount());
    for (int i = 0; i < qt.elementCount(); ++i)
        EXPECT_EQ(QPointF(back.elementAt(i)), QPointF(qt.elementAt(i))) << i;
    EXPECT_TRUE(BezierPath::fromQPainterPath(back)->isEqual(path.get()));
}

// Drawing remembers the last conversion; what comes back must always be the path as it is now.
TEST(BezierPathPainting, QPainterPathFollowsEveryChangeAndCopy)
{
    auto path = BezierPath::pathWithRect(QRectF(0, 0, 10, 10));
    EXPECT_EQ(path->toQPainterPath().boundingRect(), QRectF(0, 0, 10, 10));
    // Changed in place after a conversion.
    path->setAssociatedPoints(0, {QPointF(-5, 0), {}, {}});
    EXPECT_EQ(path->toQPainterPath().boundingRect(), QRectF(-5, 0, 15, 10));
    path->lineTo(QPointF(40, 40));
    EXPECT_EQ(path->toQPainterPath().boundingRect(), QRectF(-5, 0, 45, 40));
    // A copy shares the elements until it changes; a new winding rule is a new fill rule.
    BezierPath copy(*path);
    copy.setWindingRule(BezierPath::WindingRule::EvenOdd);
    EXPECT_EQ(path->toQPainterPath().fillRule(), Qt::WindingFill);
    EXPECT_EQ(copy.toQPainterPath().fillRule(), Qt::OddEvenFill);
    copy.transform(QTransform::fromScale(2, 2));
    EXPECT_EQ(copy.toQPainterPath().boundingRect(), QRectF(-10, 0, 90, 80));
    EXPECT_EQ(path->toQPainterPath().boundingRect(), QRectF(-5, 0, 45, 40));
    // A path gone and another made in its place.
    path.reset();
    auto other = BezierPath::pathWithRect(QRectF(1, 2, 3, 4));
    EXPECT_EQ(other->toQPainterPath().boundingRect(), QRectF(1, 2, 3, 4));
    EXPECT_TRUE(BezierPath::path()->toQPainterPath().isEmpty());
}

// Rectangles take a quicker way to the raster engine when antialiased; every path must still
// fill its own area: a rectangle within a level or two of the general fill, anything else
// (a near-rectangle, an open outline, two sub-paths) exactly as the general fill.
TEST(BezierPathPainting, FillOfRectanglesAndNearRectangles)
{
    struct Case {
        const char* name;
        QList<QPointF> points;
        bool close;
        bool rectangle;
    };
    const QList<Case> cases = {
        {"along x", {{3.3, 4.6}, {40.2, 4.6}, {40.2, 30.1}, {3.3, 30.1}}, true, true},
        {"along y, back to the start", {{40.2, 30.1}, {40.2, 4.6}, {3.3, 4.6}, {3.3, 30.1}, {40.2, 30.1}}, true, true},
        {"skewed corner", {{3.3, 4.6}, {40.2, 4.6}, {44.2, 30.1}, {3.3, 30.1}}, true, false},
        {"last corner off", {{3.3, 4.6}, {40.2, 4.6}, {40.2, 30.1}, {9.0, 30.1}}, true, false},
        {"first side slanted", {{3.3, 4.6}, {40.2, 9.0}, {40.2, 30.1}, {3.3, 30.1}}, true, false},
        {"open", {{3.3, 4.6}, {40.2, 4.6}, {40.2, 30.1}, {3.3, 30.1}}, false, false},
        {"last line elsewhere", {{3.3, 4.6}, {40.2, 4.6}, {40.2, 30.1}, {3.3, 30.1}, {20, 20}}, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BezierPath path;
        path.moveTo(c.points[0]);
        for (qsizetype i = 1; i < c.points.size(); ++i)
            path.lineTo(c.points[i]);
        if (c.close)
            path.closePath();
        for (const bool antialias : {true, false}) {
            QImage drawn(50, 40, QImage::Format_ARGB32_Premultiplied), expected = drawn;
            drawn.fill(Qt::white);
            expected.fill(Qt::white);
            QPainter a(&drawn), b(&expected);
            for (QPainter* painter : {&a, &b}) {
                painter->setRenderHint(QPainter::Antialiasing, antialias);
                painter->translate(0.3, 0.45);
            }
            path.fill(a, QColor(200, 30, 90, 180));
            b.fillPath(path.toQPainterPath(), QColor(200, 30, 90, 180));
            a.end();
            b.end();
            int worst = 0;
            for (int y = 0; y < drawn.height(); ++y)
                for (int x = 0; x < drawn.width(); ++x) {
                    const QColor p = drawn.pixelColor(x, y), q = expected.pixelColor(x, y);
                    worst = std::max({worst, std::abs(p.red() - q.red()), std::abs(p.green() - q.green()),
                                      std::abs(p.blue() - q.blue())});
                }
            EXPECT_LE(worst, c.rectangle && antialias ? 4 : 0) << "antialias " << antialias;
        }
    }
    // Two sub-paths are never taken for one rectangle.
    BezierPath two;
    two.appendRect(QRectF(2, 2, 10, 10));
    two.appendRect(QRectF(30, 20, 10, 10));
    QImage image(50, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    two.fill(painter, QColor(Qt::black));
    painter.end();
    EXPECT_EQ(image.pixelColor(6, 6), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(35, 25), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(20, 15), QColor(Qt::white));
}

TEST(BezierPathPainting, PenCarriesTheStrokeSettings)
{
    BezierPath path;
    path.setLineWidth(4);
    path.setLineCapStyle(BezierPath::LineCap::Round);
    path.setLineJoinStyle(BezierPath::LineJoin::Miter);
    path.setMiterLimit(3);
    path.setLineDash({8, 4}, 2);
    QPen pen = path.pen(QBrush(Qt::red));
    EXPECT_EQ(pen.widthF(), 4);
    EXPECT_FALSE(pen.isCosmetic());
    EXPECT_EQ(pen.capStyle(), Qt::RoundCap);
    EXPECT_EQ(pen.joinStyle(), Qt::SvgMiterJoin);
    EXPECT_EQ(pen.miterLimit(), 3);
    EXPECT_EQ(pen.color(), QColor(Qt::red));
    EXPECT_EQ(pen.dashPattern(), QList<qreal>({2, 1}));
    EXPECT_EQ(pen.dashOffset(), 0.5);

    // An odd pattern repeats; a width of zero is a cosmetic pen counted in pixels.
    path.setLineWidth(0);
    path.setLineDash({3}, 1);
    pen = path.pen(QBrush(Qt::black));
    EXPECT_TRUE(pen.isCosmetic());
    EXPECT_EQ(pen.dashPattern(), QList<qreal>({3, 3}));
    EXPECT_EQ(pen.dashOffset(), 1);

    // Unusable dashes draw solid.
    for (const QList<double>& pattern : {QList<double>{0, 0}, QList<double>{4, -1}, QList<double>{kNaN, 2}}) {
        path.setLineDash(pattern, 0);
        EXPECT_TRUE(path.dashPattern().isEmpty());
        EXPECT_EQ(path.pen(QBrush(Qt::black)).style(), Qt::SolidLine);
    }
}

TEST(BezierPathPainting, StrokeDrawsTheDashes)
{
    const auto paintedAt = [](const BezierPath& path, const QList<int>& xs) {
        QImage image(120, 20, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        path.stroke(painter, QBrush(Qt::black));
        painter.end();
        QList<bool> painted;
        for (int x : xs)
            painted.append(qAlpha(image.pixel(x, 10)) > 128 || qAlpha(image.pixel(x, 11)) > 128);
        EXPECT_EQ(qAlpha(image.pixel(5, 2)), 0); // well outside the width
        return painted;
    };

    BezierPath line;
    line.moveTo(QPointF(0, 10.5));
    line.lineTo(QPointF(120, 10.5));
    line.setLineWidth(4);
    line.setLineDash({10, 10}, 0);
    EXPECT_EQ(paintedAt(line, {5, 15, 25, 35, 45}), QList<bool>({true, false, true, false, true}));
    line.setLineDash({10, 10}, 5);
    EXPECT_EQ(paintedAt(line, {2, 7, 12, 17, 22, 27}), QList<bool>({true, false, false, true, true, false}));
    // A cosmetic pen: dashes in pixels.
    line.setLineWidth(0);
    line.setLineDash({6, 6}, 0);
    EXPECT_EQ(paintedAt(line, {2, 8, 14, 20}), QList<bool>({true, false, true, false}));
}

TEST(BezierPathPainting, FillUsesTheWindingRule)
{
    BezierPath ring;
    ring.appendOval(QRectF(0, 0, 40, 40));
    ring.appendOval(QRectF(10, 10, 20, 20));
    ring.setWindingRule(BezierPath::WindingRule::EvenOdd);
    QImage image(40, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    ring.fill(painter, QBrush(Qt::black));
    painter.end();
    EXPECT_EQ(qAlpha(image.pixel(20, 20)), 0);
    EXPECT_EQ(qAlpha(image.pixel(5, 20)), 255);
    EXPECT_EQ(qAlpha(image.pixel(1, 1)), 0);
}

} // namespace
