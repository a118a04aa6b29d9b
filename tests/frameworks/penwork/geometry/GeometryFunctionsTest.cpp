// The framework's free geometry functions.
#include <gtest/gtest.h>

#include "frameworks/penwork/geometry/Geometry.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace {

void expectRect(const QRectF& actual, const QRectF& expected)
{
    EXPECT_NEAR(actual.x(), expected.x(), 1e-9);
    EXPECT_NEAR(actual.y(), expected.y(), 1e-9);
    EXPECT_NEAR(actual.width(), expected.width(), 1e-9);
    EXPECT_NEAR(actual.height(), expected.height(), 1e-9);
}

TEST(GeometryFunctions, RotationTransformTurnsAboutTheCentre)
{
    const double pi = std::numbers::pi;
    struct Case {
        const char* name;
        double radians;
        QPointF centre;
        QPointF point;
        QPointF expected;
    };
    const Case cases[] = {
        {"quarter turn about the origin: +x towards +y", pi / 2, {0, 0}, {1, 0}, {0, 1}},
        {"negative quarter turn", -pi / 2, {0, 0}, {1, 0}, {0, -1}},
        {"half turn about a point", pi, {10, 20}, {15, 20}, {5, 20}},
        {"quarter turn about a point", pi / 2, {10, 20}, {15, 20}, {10, 25}},
        {"the centre stays put", 1.234, {-3, 7}, {-3, 7}, {-3, 7}},
        {"eighth turn", pi / 4, {1, 1}, {1 + std::sqrt(2.0), 1}, {2, 2}},
        {"no turn", 0, {5, 5}, {8, -2}, {8, -2}},
        {"full turn", 2 * pi, {5, 5}, {8, -2}, {8, -2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QPointF mapped = pw::RotationTransform(c.radians, c.centre).map(c.point);
        EXPECT_NEAR(mapped.x(), c.expected.x(), 1e-9);
        EXPECT_NEAR(mapped.y(), c.expected.y(), 1e-9);
    }
}

TEST(GeometryFunctions, ScaledRectForSize)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const QRectF box(10, 20, 200, 100); // centre (110, 70)
    struct Case {
        const char* name;
        QSizeF size;
        QRectF rect;
        int scaling;
        QRectF expected;
    };
    const Case cases[] = {
        {"up or down: small grows", {20, 20}, box, pw::kImageScaleProportionallyUpOrDown, {60, 20, 100, 100}},
        {"up or down: large shrinks", {800, 200}, box, pw::kImageScaleProportionallyUpOrDown, {10, 45, 200, 50}},
        {"up or down: same proportions fill", {4, 2}, box, pw::kImageScaleProportionallyUpOrDown, box},
        {"down: small keeps its size", {20, 10}, box, pw::kImageScaleProportionallyDown, {100, 65, 20, 10}},
        {"down: exact fit keeps its size", {200, 100}, box, pw::kImageScaleProportionallyDown, box},
        {"down: too wide shrinks", {400, 100}, box, pw::kImageScaleProportionallyDown, {10, 45, 200, 50}},
        {"down: too tall shrinks", {50, 200}, box, pw::kImageScaleProportionallyDown, {97.5, 20, 25, 100}},
        {"axes independently fill", {20, 300}, box, pw::kImageScaleAxesIndependently, box},
        {"none keeps the size", {20, 10}, box, pw::kImageScaleNone, {100, 65, 20, 10}},
        {"none keeps a large size", {400, 300}, box, pw::kImageScaleNone, {-90, -80, 400, 300}},
        {"unknown scaling goes up or down", {20, 20}, box, 42, {60, 20, 100, 100}},
        {"default is up or down", {20, 20}, box, -1, {60, 20, 100, 100}},
        {"zero size", {0, 0}, box, pw::kImageScaleProportionallyUpOrDown, {110, 70, 0, 0}},
        {"zero width", {0, 50}, box, pw::kImageScaleAxesIndependently, {110, 70, 0, 0}},
        {"negative size", {-20, 10}, box, pw::kImageScaleNone, {110, 70, 0, 0}},
        {"size not a number", {nan, 10}, box, pw::kImageScaleProportionallyDown, {110, 70, 0, 0}},
        {"empty rectangle", {20, 10}, {50, 50, 0, 0}, pw::kImageScaleProportionallyUpOrDown, {50, 50, 0, 0}},
        {"flipped rectangle is normalised", {20, 20}, {210, 120, -200, -100}, pw::kImageScaleProportionallyUpOrDown,
         {60, 20, 100, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expectRect(pw::ScaledRectForSize(c.size, c.rect, c.scaling), c.expected);
    }
    expectRect(pw::ScaledRectForSize({20, 20}, box), {60, 20, 100, 100});
}

TEST(GeometryFunctions, CentreRectInRect)
{
    struct Case {
        const char* name;
        QRectF inner;
        QRectF outer;
        QRectF expected;
    };
    const Case cases[] = {
        {"smaller inside", {0, 0, 20, 10}, {0, 0, 100, 100}, {40, 45, 20, 10}},
        {"position of inner ignored", {500, -300, 20, 10}, {0, 0, 100, 100}, {40, 45, 20, 10}},
        {"larger overhangs", {0, 0, 200, 50}, {10, 10, 100, 100}, {-40, 35, 200, 50}},
        {"same size coincides", {3, 4, 100, 100}, {10, 10, 100, 100}, {10, 10, 100, 100}},
        {"empty inner sits at the centre", {0, 0, 0, 0}, {10, 10, 100, 50}, {60, 35, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expectRect(pw::CentreRectInRect(c.inner, c.outer), c.expected);
    }
}

TEST(GeometryFunctions, UnionOfTwoRects)
{
    struct Case {
        const char* name;
        QRectF a;
        QRectF b;
        QRectF expected;
    };
    const Case cases[] = {
        {"apart", {0, 0, 10, 10}, {20, 30, 5, 5}, {0, 0, 25, 35}},
        {"overlapping", {0, 0, 10, 10}, {5, -5, 10, 10}, {0, -5, 15, 15}},
        {"one inside the other", {0, 0, 100, 100}, {10, 10, 5, 5}, {0, 0, 100, 100}},
        {"null first", {}, {20, 30, 5, 5}, {20, 30, 5, 5}},
        {"null second", {20, 30, 5, 5}, {}, {20, 30, 5, 5}},
        {"zero width far away does not contribute", {500, 500, 0, 10}, {20, 30, 5, 5}, {20, 30, 5, 5}},
        {"zero height far away does not contribute", {20, 30, 5, 5}, {-500, -500, 10, 0}, {20, 30, 5, 5}},
        {"negative size does not contribute", {0, 0, -10, 10}, {20, 30, 5, 5}, {20, 30, 5, 5}},
        {"neither has area", {5, 5, 0, 3}, {7, 7, 2, 0}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QRectF unioned = pw::UnionOfTwoRects(c.a, c.b);
        expectRect(unioned, c.expected);
        expectRect(pw::UnionOfTwoRects(c.b, c.a), unioned);
    }
    EXPECT_TRUE(pw::UnionOfTwoRects({5, 5, 0, 3}, {7, 7, 2, 0}).isNull());
}

TEST(GeometryFunctions, NSRectFromTwoPoints)
{
    struct Case {
        const char* name;
        QPointF anchor;
        QPointF point;
        QRectF expected;
    };
    const Case cases[] = {
        {"down and right", {10, 20}, {30, 50}, {10, 20, 20, 30}},
        {"past the anchor to the left", {10, 20}, {4, 50}, {4, 20, 6, 30}},
        {"past the anchor upwards", {10, 20}, {30, 5}, {10, 5, 20, 15}},
        {"past the anchor both ways", {10, 20}, {-10, -20}, {-10, -20, 20, 40}},
        {"same point", {7, 7}, {7, 7}, {7, 7, 0, 0}},
        {"horizontal line", {0, 3}, {-5, 3}, {-5, 3, 5, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expectRect(pw::NSRectFromTwoPoints(c.anchor, c.point), c.expected);
        expectRect(pw::NSRectFromTwoPoints(c.point, c.anchor), c.expected);
    }
}

} // namespace
