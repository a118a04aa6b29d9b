// Colour swatches over a chequer.
#include <gtest/gtest.h>

#include "platform/graphics/ImageSwatch.h"

namespace {

using pf::ImageSwatch;

TEST(ImageSwatch, OpaqueColourCoversTheChequer)
{
    const QImage swatch = ImageSwatch::swatchImage(QColor(10, 120, 200), QSize(16, 12));
    ASSERT_EQ(swatch.size(), QSize(16, 12));
    for (const QPoint at : {QPoint(0, 0), QPoint(5, 1), QPoint(15, 11)})
        EXPECT_EQ(swatch.pixelColor(at), QColor(10, 120, 200));
}

TEST(ImageSwatch, TranslucentColourShowsTheChequer)
{
    const QImage swatch = ImageSwatch::swatchImage(QColor(255, 0, 0, 128), QSize(16, 16));
    const int square = ImageSwatch::kSquareSize;
    const QColor overLight = swatch.pixelColor(0, 0);
    const QColor overDark = swatch.pixelColor(square, 0);
    EXPECT_EQ(swatch.pixelColor(square, square), overLight);
    EXPECT_EQ(swatch.pixelColor(0, square), overDark);
    EXPECT_EQ(overLight.alpha(), 255);
    // Half red over white and over light grey.
    EXPECT_NEAR(overLight.red(), 255, 1);
    EXPECT_NEAR(overLight.green(), 127, 1);
    EXPECT_NEAR(overDark.red(), 229, 1);
    EXPECT_NEAR(overDark.green(), 102, 1);
}

TEST(ImageSwatch, ClearOrInvalidColourIsThePlainChequer)
{
    for (const QColor& colour : {QColor(Qt::transparent), QColor()}) {
        const QImage swatch = ImageSwatch::swatchImage(colour, QSize(8, 8));
        EXPECT_EQ(swatch.pixelColor(0, 0), ImageSwatch::kLightSquare);
        EXPECT_EQ(swatch.pixelColor(ImageSwatch::kSquareSize, 0), ImageSwatch::kDarkSquare);
        EXPECT_EQ(swatch.pixelColor(ImageSwatch::kSquareSize, ImageSwatch::kSquareSize), ImageSwatch::kLightSquare);
    }
    EXPECT_TRUE(ImageSwatch::swatchImage(Qt::red, QSize(0, 10)).isNull());
}

} // namespace
