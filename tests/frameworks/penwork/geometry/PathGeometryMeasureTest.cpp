// Length, points along a path, trimming and fragmenting.
#include "frameworks/penwork/geometry/BezierPath+Length.h"
#include "frameworks/penwork/geometry/BezierPath+Trimming.h"

#include "tests/frameworks/penwork/geometry/GoldenPaths.h"

#include <gtest/gtest.h>

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




// The S curve's length, integrated independently of lib2geom.
double sCurveLength()
{
    // Gauss-Legendre over many small intervals of |B'(t)|.
    const QPointF p0(0, 0), p1(40, -60), p2(60, 60), p3(100, 0);
    auto speed = [&](double t) {
        const double u = 1 - t;
        const QPointF d = 3 * u * u * (p1 - p0) + 6 * u * t * (p2 - p1) + 3 * t * t * (p3 - p2);
        return std::hypot(d.x(), d.y());
    };
    const double nodes[] = {-0.7745966692414834, 0.0, 0.7745966692414834};
    const double weights[] = {5.0 / 9.0, 8.0 / 9.0, 5.0 / 9.0};
    const int intervals = 4000;
    double total = 0;
    for (int i = 0; i < intervals; ++i) {
        const double a = double(i) / intervals, b = double(i + 1) / intervals;
        for (int k = 0; k < 3; ++k)
            total += weights[k] * speed(0.5 * (a + b) + 0.5 * (b - a) * nodes[k]) * 0.5 * (b - a);
    }
    return total;
}

void expectPointNear(const QPointF& actual, const QPointF& expected, double tolerance)
{
    EXPECT_NEAR(actual.x(), expected.x(), tolerance);
    EXPECT_NEAR(actual.y(), expected.y(), tolerance);
}

QPointF endPointOf(const BezierPath& path)
{
    return path.currentPoint();
}

} // namespace

TEST(PathGeometryLength, MeasuresLinesCirclesAndCurves)
{
    EXPECT_NEAR(pw::length(*straightLine()), 100.0, 1e-9);
    EXPECT_NEAR(pw::length(*quarterCircle()), 50 * kPi, 1e-3);
    EXPECT_NEAR(pw::length(*sCurve()), sCurveLength(), 1e-4);
}

TEST(PathGeometryLength, CountsClosingSegmentsAndNotMoves)
{
    auto path = BezierPath::pathWithRect(QRectF(0, 0, 10, 20));
    EXPECT_NEAR(pw::length(*path), 60.0, 1e-9);
    path->moveTo({500, 500});  // a lone point adds nothing
    path->moveTo({1000, 0});
    path->lineTo({1000, 5});
    EXPECT_NEAR(pw::length(*path), 65.0, 1e-9);

    EXPECT_EQ(pw::length(*BezierPath::path()), 0.0);
    auto broken = straightLine();
    broken->lineTo({kNaN, 3});
    EXPECT_EQ(pw::length(*broken), 0.0);
}

TEST(PathGeometryLength, PointsAndSlopesAlongThePath)
{
    struct Case {
        const char* name;
        pf::Ref<BezierPath> path;
        double length;
        QPointF point;
        double slope;
    };
    const double r = std::sqrt(0.5) * 100;
    const Case cases[] = {
        {"line start", straightLine(), 0, {0, 0}, 0},
        {"line middle", straightLine(), 25, {25, 0}, 0},
        {"line before start", straightLine(), -5, {0, 0}, 0},
        {"line past end", straightLine(), 500, {100, 0}, 0},
        {"line NaN", straightLine(), kNaN, {0, 0}, 0},
        {"circle start", quarterCircle(), 0, {100, 0}, kPi / 2},
        {"circle half", quarterCircle(), 25 * kPi, {r, r}, 3 * kPi / 4},
        {"circle end", quarterCircle(), 50 * kPi, {0, 100}, kPi},
        {"square second side", BezierPath::pathWithRect(QRectF(0, 0, 10, 10)), 15, {10, 5}, kPi / 2},
        {"square closing side", BezierPath::pathWithRect(QRectF(0, 0, 10, 10)), 35, {0, 5}, -kPi / 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        double slope = 99;
        expectPointNear(pw::pointOnPathAtLength(*c.path, c.length, &slope), c.point, 1e-3);
        // pi and -pi are the same direction
        EXPECT_NEAR(std::remainder(slope - c.slope, 2 * kPi), 0.0, 1e-3);
    }

    double slope = 99;
    EXPECT_EQ(pw::pointOnPathAtLength(*BezierPath::path(), 10, &slope), QPointF());
    EXPECT_EQ(slope, 0.0);
    auto point = BezierPath::path();
    point->moveTo({3, 4});
    EXPECT_EQ(pw::pointOnPathAtLength(*point, 10, &slope), QPointF(3, 4));
}

TEST(PathGeometryLength, OneMeasureAnswersAsTheFreeFunctions)
{
    const auto path = sCurve();
    const pw::PathMeasure measure(*path);
    EXPECT_DOUBLE_EQ(measure.length(), pw::length(*path));
    for (double at : {-5.0, 0.0, 17.5, measure.length() / 2, measure.length(), measure.length() + 3, std::nan("")}) {
        SCOPED_TRACE(at);
        double slope = 1.0, expectedSlope = 2.0;
        const QPointF point = measure.pointAtLength(at, &slope);
        const QPointF expected = pw::pointOnPathAtLength(*path, at, &expectedSlope);
        expectPointNear(point, expected, 1e-12);
        EXPECT_DOUBLE_EQ(slope, expectedSlope);
    }
    const auto piece = measure.pieceFromLength(10, 40);
    EXPECT_NEAR(pw::length(*piece), 40, 1e-4);
    EXPECT_TRUE(measure.pieceFromLength(10, std::nan(""))->isEmpty());
}

TEST(PathGeometryLength, SegmentsOfNoLengthBorrowADirection)
{
    auto path = BezierPath::path();
    path->moveTo({0, 0});
    path->lineTo({0, 0});
    path->lineTo({0, 10});
    double slope = 0;
    pw::pointOnPathAtLength(*path, 0, &slope);
    EXPECT_NEAR(slope, kPi / 2, 1e-9);
}

TEST(PathGeometryLength, NearestLengthToPoint)
{
    double distance = 0;
    EXPECT_NEAR(pw::nearestLengthToPoint(*straightLine(), {30, 5}, 10, &distance), 30.0, 1e-6);
    EXPECT_NEAR(distance, 5.0, 1e-6);
    EXPECT_EQ(pw::nearestLengthToPoint(*straightLine(), {30, 5}, 4, &distance), -1.0);
    EXPECT_NEAR(distance, 5.0, 1e-6);
    EXPECT_NEAR(pw::nearestLengthToPoint(*straightLine(), {-20, 0}, 30), 0.0, 1e-9);
    EXPECT_EQ(pw::nearestLengthToPoint(*straightLine(), {30, 5}, kNaN), -1.0);

    const QPointF outside(200 * std::cos(kPi / 6), 200 * std::sin(kPi / 6));
    EXPECT_NEAR(pw::nearestLengthToPoint(*quarterCircle(), outside, 150, &distance), 100 * kPi / 6, 1e-3);
    EXPECT_NEAR(distance, 100.0, 1e-3);

    // The second sub-path's lengths follow the first's; a closing side is found as well.
    auto two = BezierPath::pathWithRect(QRectF(0, 0, 10, 10));
    two->moveTo({100, 0});
    two->lineTo({200, 0});
    EXPECT_NEAR(pw::nearestLengthToPoint(*two, {150, 1}, 5), 90.0, 1e-6);
    EXPECT_NEAR(pw::nearestLengthToPoint(*two, {-1, 3}, 5), 37.0, 1e-6);

    EXPECT_EQ(pw::nearestLengthToPoint(*BezierPath::path(), {0, 0}, 1e9, &distance), -1.0);
    EXPECT_TRUE(std::isinf(distance));
}

TEST(PathGeometryTrimming, PiecesHaveTheirLengthsAndEnds)
{
    const double r = std::sqrt(0.5) * 100;
    struct Case {
        const char* name;
        std::function<pf::Ref<BezierPath>()> make;
        double length;
        QPointF first;
        QPointF last;
    };
    const Case cases[] = {
        {"line to 30", [] { return pw::bezierPathByTrimmingToLength(*straightLine(), 30); }, 30, {0, 0}, {30, 0}},
        {"line from 30", [] { return pw::bezierPathByTrimmingFromLength(*straightLine(), 30); }, 70, {30, 0}, {100, 0}},
        {"line piece", [] { return pw::bezierPathByTrimmingFromLength(*straightLine(), 20, 50); }, 50, {20, 0}, {70, 0}},
        {"line piece past end", [] { return pw::bezierPathByTrimmingFromLength(*straightLine(), 80, 50); }, 20, {80, 0}, {100, 0}},
        {"line negative start", [] { return pw::bezierPathByTrimmingFromLength(*straightLine(), -10, 30); }, 30, {0, 0}, {30, 0}},
        {"line both ends", [] { return pw::bezierPathByTrimmingFromBothEnds(*straightLine(), 10); }, 80, {10, 0}, {90, 0}},
        {"circle to half", [] { return pw::bezierPathByTrimmingToLength(*quarterCircle(), 25 * kPi); }, 25 * kPi, {100, 0}, {r, r}},
        {"circle from half", [] { return pw::bezierPathByTrimmingFromLength(*quarterCircle(), 25 * kPi); }, 25 * kPi, {r, r}, {0, 100}},
        {"circle both ends", [] { return pw::bezierPathByTrimmingFromBothEnds(*quarterCircle(), 25 * kPi / 2); },
         25 * kPi, {100 * std::cos(kPi / 8), 100 * std::sin(kPi / 8)}, {100 * std::cos(3 * kPi / 8), 100 * std::sin(3 * kPi / 8)}},
        {"square across the close", [] { return pw::bezierPathByTrimmingFromLength(*BezierPath::pathWithRect(QRectF(0, 0, 10, 10)), 35, 10); },
         5, {0, 5}, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto piece = c.make();
        EXPECT_NEAR(pw::length(*piece), c.length, 1e-3);
        expectPointNear(piece->firstPoint(), c.first, 1e-3);
        expectPointNear(endPointOf(*piece), c.last, 1e-3);
    }

    const auto sHalf = pw::bezierPathByTrimmingToLength(*sCurve(), sCurveLength() / 2);
    EXPECT_NEAR(pw::length(*sHalf), sCurveLength() / 2, 1e-4);
    // The S curve is symmetric about its middle point (50, 0).
    expectPointNear(endPointOf(*sHalf), {50, 0}, 1e-4);
}

TEST(PathGeometryTrimming, OvershootsAreEmptyOrCopies)
{
    enum Expect { Empty, Copy };
    struct Case {
        const char* name;
        std::function<pf::Ref<BezierPath>(const BezierPath&)> trim;
        Expect expect;
    };
    const Case cases[] = {
        {"to 0", [](const BezierPath& p) { return pw::bezierPathByTrimmingToLength(p, 0); }, Empty},
        {"to negative", [](const BezierPath& p) { return pw::bezierPathByTrimmingToLength(p, -1); }, Empty},
        {"to the length", [](const BezierPath& p) { return pw::bezierPathByTrimmingToLength(p, 40); }, Copy},
        {"to beyond", [](const BezierPath& p) { return pw::bezierPathByTrimmingToLength(p, 1e300); }, Copy},
        {"to NaN", [](const BezierPath& p) { return pw::bezierPathByTrimmingToLength(p, kNaN); }, Empty},
        {"from 0", [](const BezierPath& p) { return pw::bezierPathByTrimmingFromLength(p, 0); }, Copy},
        {"from negative", [](const BezierPath& p) { return pw::bezierPathByTrimmingFromLength(p, -5); }, Copy},
        {"from the length", [](const BezierPath& p) { return pw::bezierPathByTrimmingFromLength(p, 40); }, Empty},
        {"from NaN", [](const BezierPath& p) { return pw::bezierPathByTrimmingFromLength(p, kNaN); }, Empty},
        {"piece of 0", [](const BezierPath& p) { return pw::bezierPathByTrimmingFromLength(p, 5, 0); }, Empty},
        {"piece from the end", [](const BezierPath& p) { return pw::bezierPathByTrimmingFromLength(p, 40, 5); }, Empty},
        {"piece of everything", [](const BezierPath& p) { return pw::bezierPathByTrimmingFromLength(p, -3, 100); }, Copy},
        {"piece NaN", [](const BezierPath& p) { return pw::bezierPathByTrimmingFromLength(p, kNaN, 5); }, Empty},
        {"both ends half", [](const BezierPath& p) { return pw::bezierPathByTrimmingFromBothEnds(p, 20); }, Empty},
        {"both ends 0", [](const BezierPath& p) { return pw::bezierPathByTrimmingFromBothEnds(p, 0); }, Copy},
        {"both ends NaN", [](const BezierPath& p) { return pw::bezierPathByTrimmingFromBothEnds(p, kNaN); }, Empty},
    };
    auto square = BezierPath::pathWithRect(QRectF(0, 0, 10, 10));
    square->setLineWidth(7);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = c.trim(*square);
        EXPECT_EQ(result->lineWidth(), 7.0);
        if (c.expect == Empty)
            EXPECT_TRUE(result->isEmpty());
        else
            EXPECT_TRUE(result->isEqual(square.get()));
    }
    EXPECT_EQ(square->elementCount(), 5);  // untouched

    // Only part of a closed sub-path is open.
    const auto part = pw::bezierPathByTrimmingToLength(*square, 30);
    EXPECT_NE(part->elements().last().type, BezierPath::ElementType::ClosePath);
    EXPECT_TRUE(pw::bezierPathByTrimmingToLength(*BezierPath::path(), 5)->isEmpty());
}

TEST(PathGeometryTrimming, LengthsRunAcrossSubpaths)
{
    auto path = straightLine();
    path->moveTo({0, 50});
    path->lineTo({100, 50});
    const auto piece = pw::bezierPathByTrimmingFromLength(*path, 90, 20);
    EXPECT_EQ(piece->subpathCount(), 2);
    EXPECT_NEAR(pw::length(*piece), 20.0, 1e-9);
    expectPointNear(piece->firstPoint(), {90, 0}, 1e-9);
    expectPointNear(endPointOf(*piece), {10, 50}, 1e-9);

    const auto [before, after] = pw::splitPathAtLength(*path, 150);
    EXPECT_NEAR(pw::length(*before), 150.0, 1e-9);
    EXPECT_NEAR(pw::length(*after), 50.0, 1e-9);
    expectPointNear(after->firstPoint(), {50, 50}, 1e-9);

    const auto [none, all] = pw::splitPathAtLength(*path, 0);
    EXPECT_TRUE(none->isEmpty());
    EXPECT_TRUE(all->isEqual(path.get()));
    const auto [nanBefore, nanAfter] = pw::splitPathAtLength(*path, kNaN);
    EXPECT_TRUE(nanBefore->isEmpty());
    EXPECT_TRUE(nanAfter->isEmpty());
}

TEST(PathGeometryTrimming, FragmentsAreEqualLinesOnThePath)
{
    const auto fragments = pw::bezierPathWithFragmentedLineSegments(*quarterCircle(), 1.0);
    // Each of the four cubics is 12.5 pi long: 40 pieces each.
    ASSERT_EQ(fragments->elementCount(), 1 + 160);
    double shortest = 1e9, longest = 0;
    for (int i = 1; i < fragments->elementCount(); ++i) {
        const auto& element = fragments->elementAt(i);
        ASSERT_EQ(element.type, BezierPath::ElementType::LineTo);
        EXPECT_NEAR(std::hypot(element.points[0].x(), element.points[0].y()), 100.0, 1e-4);
        const double piece = QLineF(fragments->elementAt(i - 1).points[0], element.points[0]).length();
        shortest = std::min(shortest, piece);
        longest = std::max(longest, piece);
    }
    EXPECT_LT(longest / shortest, 1.0 + 1e-5);
    EXPECT_NEAR(longest, 12.5 * kPi / 40, 1e-4);

    const auto square = pw::bezierPathWithFragmentedLineSegments(*BezierPath::pathWithRect(QRectF(0, 0, 10, 10)), 3);
    EXPECT_EQ(square->elementCount(), 1 + 16 + 1);  // 4 pieces a side, closing side included, and the close
    EXPECT_EQ(square->elements().last().type, BezierPath::ElementType::ClosePath);

    EXPECT_TRUE(pw::bezierPathWithFragmentedLineSegments(*quarterCircle(), 0)->isEmpty());
    EXPECT_TRUE(pw::bezierPathWithFragmentedLineSegments(*quarterCircle(), kNaN)->isEmpty());
    // A length that would ask for billions of pieces is bounded.
    EXPECT_LE(pw::bezierPathWithFragmentedLineSegments(*straightLine(), 1e-9)->elementCount(), 1'000'001);
}
