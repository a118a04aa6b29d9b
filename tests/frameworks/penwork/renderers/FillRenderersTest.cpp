// Zig-zag, gradient, hatching and tiling fills: what they paint, and only inside the path.
#include <gtest/gtest.h>

#include "RenderersTestSupport.h"

#include "frameworks/penwork/renderers/PWGradientFill.h"
#include "frameworks/penwork/renderers/PWHatching.h"
#include "frameworks/penwork/renderers/PWTilingFill.h"
#include "frameworks/penwork/renderers/PWZigZagFill.h"

#include "platform/foundation/Exception.h"

#include <QBuffer>

#include <cmath>

namespace {

using namespace renderers_test;

const Shape kSquare = Shape::rect(QRectF(20, 20, 60, 60));

int grey(const QImage& image, int x, int y)
{
    return qGray(image.pixel(x, y));
}

TEST(RenderersZigZagFill, FillsTheZigZaggedOutline)
{
    PWZigZagFill fill;
    fill.setColour(pf::Color::green());
    fill.setAmplitude(5.0);
    fill.setWavelength(12.0);
    const QRectF bounds = fill.boundsNeededForObject(kSquare);
    EXPECT_NEAR(bounds.left(), 15.0, 1.0);
    EXPECT_NEAR(bounds.right(), 85.0, 1.0);
    const QImage image = draw(fill, kSquare);
    EXPECT_EQ(image.pixelColor(50, 50), QColor(Qt::green));
    EXPECT_TRUE(isWhite(image, 10, 50));
    const QRect ink = inkedArea(image);
    EXPECT_LT(ink.left(), 19); // peaks reach beyond the square
    EXPECT_TRUE(inkInside(image, bounds));
}

TEST(RenderersGradientFill, LinearRadialAndRelativeAngles)
{
    struct Case {
        const char* name;
        int type;
        double angle;       // radians
        bool relative;
        double objectAngle; // radians
        QPoint dark, light;
    };
    const Case cases[] = {
        // White to black, left to right.
        {"linear", PWGradientFill::Linear, 0.0, false, 0.0, {77, 50}, {23, 50}},
        // 90 degrees runs from the bottom edge up (counter-clockwise as seen).
        {"upwards", PWGradientFill::Linear, M_PI / 2, false, 0.0, {50, 23}, {50, 77}},
        // An object turned clockwise by a quarter turns a relative gradient with it.
        {"relative", PWGradientFill::Linear, 0.0, true, M_PI / 2, {50, 77}, {50, 23}},
        {"not relative", PWGradientFill::Linear, 0.0, false, M_PI / 2, {77, 50}, {23, 50}},
        // From white in the middle to black at half the side.
        {"radial", PWGradientFill::Radial, 0.0, false, 0.0, {79, 79}, {50, 50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PWGradientFill fill;
        fill.setGradientType(c.type);
        fill.setGradientAngle(c.angle);
        fill.setAngleIsRelative(c.relative);
        const Shape square = Shape::rect(QRectF(20, 20, 60, 60), c.objectAngle);
        const QImage image = draw(fill, square);
        EXPECT_LT(grey(image, c.dark.x(), c.dark.y()), 40);
        EXPECT_GT(grey(image, c.light.x(), c.light.y()), 215);
        EXPECT_TRUE(isWhite(image, 10, 10));
        EXPECT_TRUE(isWhite(image, 90, 90));
    }
}

TEST(RenderersGradientFill, RadialCentresMoveAndClamp)
{
    PWGradientFill fill;
    fill.setGradientType(PWGradientFill::Radial);
    fill.setStartingLocation(QPointF(0.25, 0.0));
    fill.setEndingLocation(QPointF(0.25, 0.0));
    const QImage image = draw(fill, kSquare);
    EXPECT_GT(grey(image, 65, 50), 215); // the white centre moved right by a quarter of the side
    EXPECT_LT(grey(image, 22, 50), 100);

    fill.setStartingLocation(QPointF(3.0, -2.0));
    EXPECT_EQ(fill.startingLocation(), QPointF(0.5, -0.5));
    fill.setEndingRadius(-1.0);
    EXPECT_EQ(fill.endingRadius(), 0.0);
    fill.setGradientType(7);
    EXPECT_EQ(fill.gradientType(), PWGradientFill::Radial);
    QVariant location = QVariant::fromValue(QPointF(-4.0, 0.1));
    EXPECT_TRUE(fill.validateValue(&location, PWGradientFill::kEndingLocationKey, nullptr));
    EXPECT_EQ(location.toPointF(), QPointF(-0.5, 0.1));

    EXPECT_EQ(fill.numberOfColours(), 2);
    EXPECT_EQ(fill.colourAtStopIndex(1), pf::Color::black());
    EXPECT_THROW(fill.colourAtStopIndex(2), pf::Exception);
    fill.setGradient(nullptr);
    EXPECT_EQ(fill.numberOfColours(), 0);
    EXPECT_TRUE(inkedArea(draw(fill, kSquare)).isNull());
}

TEST(RenderersHatching, LinesAtTheirSpacingAngleAndLeadInInsideThePath)
{
    struct Case {
        double angle, spacing, leadIn;
        bool relative;
        double objectAngle; // radians
        QPoint onLine, between;
    };
    const Case cases[] = {
        // Horizontal lines from the top of the square (y 20) every 10 points.
        {0, 10, 0, false, 0.0, {50, 30}, {50, 35}},
        {0, 10, 0.5, false, 0.0, {50, 35}, {50, 30}},
        // Vertical lines.
        {90, 10, 0, false, 0.0, {30, 50}, {35, 50}},
        // Horizontal lines turned with the object become vertical.
        {0, 10, 0, true, M_PI / 2, {30, 50}, {35, 50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        PWHatching hatching;
        hatching.setColour(pf::Color::red());
        hatching.setWidth(2.0);
        hatching.setAngleInDegrees(c.angle);
        hatching.setSpacing(c.spacing);
        hatching.setLeadInProportion(c.leadIn);
        hatching.setAngleIsRelativeToObject(c.relative);
        const Shape square = Shape::rect(QRectF(20, 20, 60, 60), c.objectAngle);
        const QImage image = draw(hatching, square);
        EXPECT_EQ(image.pixelColor(c.onLine), QColor(Qt::red));
        EXPECT_TRUE(isWhite(image, c.between.x(), c.between.y()));
        EXPECT_TRUE(QRectF(19, 19, 62, 62).contains(QRectF(inkedArea(image)))); // clipped to the path
        EXPECT_EQ(hatching.boundsNeededForObject(square), QRectF(20, 20, 60, 60));
    }
}

TEST(RenderersHatching, ZeroSpacingIsRaisedAndLineCountBounded)
{
    PWHatching hatching;
    hatching.setSpacing(0.0);
    EXPECT_EQ(hatching.spacing(), PWHatching::kMinSpacing);
    QVariant spacing(-4.0);
    EXPECT_TRUE(hatching.validateValue(&spacing, PWHatching::kSpacingKey, nullptr));
    EXPECT_EQ(spacing.toDouble(), PWHatching::kMinSpacing);
    const pf::Ref<pf::BezierPath> lines =
        hatching.hatchLinesForPath(*pf::BezierPath::pathWithRect(QRectF(0, 0, 1e6, 1e6)), 0.0, 1);
    EXPECT_LE(lines->subpathCount(), PWHatching::kMaxLines + 1);
    EXPECT_GT(lines->subpathCount(), 1000);
    // Rough and wobbly hatching is the same each time for the same object.
    hatching.setSpacing(6.0);
    hatching.setRoughness(0.8);
    hatching.setWobblyness(2.0);
    EXPECT_EQ(draw(hatching, kSquare), draw(hatching, kSquare));
}

QByteArray pngOf(const QColor& colour, const QSize& size)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return data;
}

TEST(RenderersTilingFill, TilesTheImageInsideThePathAtItsOpacity)
{
    PWTilingFill fill;
    EXPECT_TRUE(inkedArea(draw(fill, kSquare)).isNull()); // no image, nothing drawn
    ASSERT_TRUE(fill.setImageData(pngOf(Qt::blue, QSize(8, 8))));
    EXPECT_EQ(fill.image().size(), QSize(8, 8));
    QImage image = draw(fill, kSquare);
    EXPECT_EQ(image.pixelColor(25, 25), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(75, 75), QColor(Qt::blue));
    EXPECT_TRUE(isWhite(image, 15, 50));
    fill.setOpacity(0.5);
    image = draw(fill, kSquare);
    EXPECT_NEAR(image.pixelColor(50, 50).red(), 128, 3);
    fill.setOpacity(7.0);
    EXPECT_EQ(fill.opacity(), 1.0);

    pf::Error error;
    const QByteArray before = fill.imageData();
    EXPECT_FALSE(fill.setImageData(QByteArray("not an image"), &error));
    EXPECT_FALSE(error.isNull());
    EXPECT_EQ(fill.imageData(), before);
    EXPECT_EQ(fill.image().size(), QSize(8, 8));
}

} // namespace
