#include "widgets/CGShinyGradient.h"
#include "widgets/RVShinyGradientShading.h"

#include "platform/foundation/Exception.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using pf::Color;

void expectColourNear(const Color& actual, const Color& expected, double tolerance = 1e-3)
{
    EXPECT_NEAR(actual.redComponent(), expected.redComponent(), tolerance);
    EXPECT_NEAR(actual.greenComponent(), expected.greenComponent(), tolerance);
    EXPECT_NEAR(actual.blueComponent(), expected.blueComponent(), tolerance);
    EXPECT_NEAR(actual.alphaComponent(), expected.alphaComponent(), tolerance);
}

TEST(ShinyGradientShadingTest, GreyGetsYellowTintedGlow)
{
    const RVShinyGradientShading shading(Color::withWhite(0.5));
    // A grey made from a white level still has its three components and alpha.
    expectColourNear(shading.baseColour(), Color(0.5, 0.5, 0.5, 1.0));
    EXPECT_NEAR(shading.glowColour().saturationComponent(), 0.1, 1e-3);
    EXPECT_NEAR(shading.glowColour().hueComponent(), 1.0 / 6.0, 1e-3);
    // k = 0.6 at the target hue: brightness 0.6 * 1 + 0.4 * 0.5.
    EXPECT_NEAR(shading.glowColour().brightnessComponent(), 0.8, 1e-3);
}

TEST(ShinyGradientShadingTest, GlowTargets)
{
    struct Case {
        Color colour;
        double glowHue;
    };
    // Hue 0.6 (blue): k = (cos((0.6 - 1/6) * 4.398) + 1) * 0.3; pulled towards yellow.
    const double kBlue = (std::cos((0.6 - 1.0 / 6.0) * 4.39822971502571) + 1) * 0.3;
    // Hue 0.75 (violet) is pulled towards magenta (5/6).
    const double kViolet = (std::cos((0.75 - 5.0 / 6.0) * 4.39822971502571) + 1) * 0.3;
    // Hue 0.98 counts as -0.02 before it is pulled towards yellow, then wraps.
    const double kRed = (std::cos((-0.02 - 1.0 / 6.0) * 4.39822971502571) + 1) * 0.3;
    const Case cases[] = {
        {Color::withHue(0.6, 1, 1), 1.0 / 6.0 * kBlue + 0.6 * (1 - kBlue)},
        {Color::withHue(0.75, 1, 1), 5.0 / 6.0 * kViolet + 0.75 * (1 - kViolet)},
        {Color::withHue(0.98, 1, 1), 1.0 / 6.0 * kRed - 0.02 * (1 - kRed)},
    };
    for (const Case& c : cases) {
        const RVShinyGradientShading shading(c.colour);
        double expected = c.glowHue < 0 ? c.glowHue + 1 : c.glowHue;
        EXPECT_NEAR(shading.glowColour().hueComponent(), expected, 2e-3) << c.colour.hueComponent();
    }
}

TEST(ShinyGradientShadingTest, WashSwitchAndGlow)
{
    const Color base(0.2, 0.4, 0.8);
    const RVShinyGradientShading shading(base);
    const double luminance = 0.299 * 0.2 + 0.587 * 0.4 + 0.114 * 0.8;
    EXPECT_NEAR(shading.initialWhite(), 0.6 * std::pow(luminance, 0.2), 1e-5);
    EXPECT_NEAR(shading.finalWhite(), 0.3 * std::pow(luminance, 0.2), 1e-5);

    // t = 0 is washed by (almost exactly) the initial white; just before the middle by the final.
    const double w0 = shading.initialWhite();
    expectColourNear(shading.colourAt(0), Color(0.2 * (1 - w0) + w0, 0.4 * (1 - w0) + w0, 0.8 * (1 - w0) + w0), 2e-3);
    const double w1 = shading.finalWhite();
    expectColourNear(shading.colourAt(0.4999), Color(0.2 * (1 - w1) + w1, 0.4 * (1 - w1) + w1, 0.8 * (1 - w1) + w1),
                     2e-3);
    expectColourNear(shading.colourAt(0.5), base, 1e-4);
    expectColourNear(shading.colourAt(1.0), shading.glowColour(), 2e-3);
}

QRgb pixel(bool fromMinY, int y)
{
    QImage image(20, 40, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setOpacity(0.25);
    CGContextDrawShinyGradient(&painter, QRectF(0, 10, 20, 20), Color(0.2, 0.4, 0.8), fromMinY);
    EXPECT_DOUBLE_EQ(painter.opacity(), 0.25);
    painter.end();
    return image.pixel(10, y);
}

TEST(ShinyGradientDrawingTest, DirectionClipAndState)
{
    // From min y, the washed (lighter) half is at the top of the image.
    EXPECT_GT(qRed(pixel(true, 11)), qRed(pixel(true, 28)));
    EXPECT_LT(qRed(pixel(false, 11)), qRed(pixel(false, 28)));
    // Drawn opaque, and nothing outside the rect.
    EXPECT_EQ(qAlpha(pixel(true, 20)), 255);
    EXPECT_EQ(qAlpha(pixel(true, 5)), 0);
    EXPECT_EQ(qAlpha(pixel(true, 35)), 0);
}

TEST(ShinyGradientDrawingTest, MissingContextOrColourRaises)
{
    QImage image(4, 4, QImage::Format_ARGB32);
    QPainter painter(&image);
    EXPECT_THROW(CGContextDrawShinyGradient(nullptr, QRectF(0, 0, 4, 4), Color(1, 0, 0), true), pf::Exception);
    EXPECT_THROW(CGContextDrawShinyGradient(&painter, QRectF(0, 0, 4, 4), Color(), true), pf::Exception);
}

} // namespace
