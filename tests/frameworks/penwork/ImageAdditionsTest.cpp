#include <gtest/gtest.h>

#include "frameworks/penwork/ImageAdditions.h"

namespace {

QImage solid(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

} // namespace

TEST(ImageAdditions, FitToSizeKeepsPixelsAndProportions)
{
    struct Case { int width, height; double side; QSizeF expected; };
    const Case cases[] = {
        {200, 100, 50, QSizeF(50, 25)},
        {100, 400, 16, QSizeF(4, 16)},
        {10, 10, 150, QSizeF(150, 150)}, // small images grow to the square too
    };
    for (const Case& c : cases) {
        const QImage fitted = pw::imageWithFitToSize(solid(c.width, c.height, Qt::red), c.side);
        EXPECT_EQ(fitted.size(), QSize(c.width, c.height));
        EXPECT_NEAR(fitted.deviceIndependentSize().width(), c.expected.width(), 1e-9);
        EXPECT_NEAR(fitted.deviceIndependentSize().height(), c.expected.height(), 1e-9);
    }
    EXPECT_TRUE(pw::imageWithFitToSize(QImage(), 10).isNull());
    EXPECT_EQ(pw::imageWithFitToSize(solid(4, 4, Qt::red), 0).devicePixelRatio(), 1.0);
}

TEST(ImageAdditions, ImageFromImageCentresOverTheBackground)
{
    // A wide red image in a square: white bands above and below it.
    const QImage result = pw::imageFromImage(solid(100, 50, Qt::red), QSizeF(40, 40), pf::Color::white());
    ASSERT_EQ(result.size(), QSize(40, 40));
    EXPECT_EQ(result.pixelColor(20, 2), QColor(Qt::white));
    EXPECT_EQ(result.pixelColor(20, 20), QColor(Qt::red));
    EXPECT_EQ(result.pixelColor(20, 37), QColor(Qt::white));
    EXPECT_TRUE(pw::imageFromImage(solid(4, 4, Qt::red), QSizeF(0, 10), pf::Color::white()).isNull());
}

TEST(ImageAdditions, FilledPathImageCoversItsBounds)
{
    auto triangle = pf::BezierPath::pathWithPolygon({QPointF(10, 10), QPointF(30, 10), QPointF(10, 30)}, true);
    const QImage image = pw::imageWithFillColour(*triangle, pf::Color::red(), 2.0);
    ASSERT_EQ(image.size(), QSize(40, 40));
    EXPECT_EQ(image.pixelColor(4, 4), QColor(Qt::red));       // inside, near the right angle
    EXPECT_EQ(image.pixelColor(36, 36).alpha(), 0);           // beyond the hypotenuse
    EXPECT_TRUE(pw::imageWithFillColour(pf::BezierPath(), pf::Color::red()).isNull());
}
