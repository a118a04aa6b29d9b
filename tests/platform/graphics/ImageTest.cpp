// Images: named images (registered, from the source, standard), template tinting, PDF data,
// drawing at a fraction, copies, resizing and drawing into an image.
#include "platform/graphics/BitmapImageRep.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/StandardImages.h"
#include "platform/graphics/SystemColor.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace {

pf::Ref<pf::Image> solid(QSize pixels, QColor colour)
{
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return pf::Image::fromQImage(image, QSizeF(pixels));
}

// A one-page PDF of `points`, red in its left half.
QByteArray pdfWithRedLeftHalf(QSizeF points)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(72);
    writer.setPageSize(QPageSize(points, QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&writer);
    painter.fillRect(QRectF(0, 0, points.width() / 2, points.height()), Qt::red);
    painter.end();
    return data;
}

// Draws `image` into a white canvas through an unflipped context, as a view would.
QImage drawn(const pf::Image& image, QSize canvasSize, const QRectF& in, double fraction = 1.0)
{
    QImage canvas(canvasSize, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.translate(0, canvasSize.height());
    painter.scale(1, -1);
    pf::GraphicsContextScope scope(painter, false);
    image.draw(in, {}, pf::CompositingOperation::SourceOver, fraction);
    return canvas;
}

class ImageTest : public ::testing::Test {
protected:
    void TearDown() override { pf::Image::setNamedImageSource({}); }
};

TEST_F(ImageTest, NamedImagesComeFromRegistrationThenSourceThenStandardNames)
{
    auto registered = solid(QSize(4, 4), Qt::blue);
    ASSERT_TRUE(registered->setName(QStringLiteral("TestBlue")));
    EXPECT_EQ(pf::Image::imageNamed(QStringLiteral("TestBlue")), registered);
    // A name is held by one image at a time.
    EXPECT_FALSE(solid(QSize(2, 2), Qt::red)->setName(QStringLiteral("TestBlue")));

    QStringList asked;
    pf::Image::setNamedImageSource([&asked](const QString& name) -> pf::Ref<pf::Image> {
        asked.append(name);
        return name == QLatin1String("CTBadge_1") ? solid(QSize(23, 23), Qt::red) : nullptr;
    });
    // The extension is ignored, and the image is loaded once and shared.
    pf::Ref<pf::Image> badge = pf::Image::imageNamed(QStringLiteral("CTBadge_1.pdf"));
    ASSERT_TRUE(badge);
    EXPECT_EQ(pf::Image::imageNamed(QStringLiteral("CTBadge_1")), badge);
    EXPECT_EQ(asked, QStringList{QStringLiteral("CTBadge_1")});

    for (const QString& name : pf::StandardImages::names()) {
        pf::Ref<pf::Image> standard = pf::Image::imageNamed(name);
        ASSERT_TRUE(standard) << name.toStdString();
        EXPECT_TRUE(standard->isValid()) << name.toStdString();
        EXPECT_EQ(standard->isTemplate(), name.endsWith(QLatin1String("Template"))) << name.toStdString();
    }
    EXPECT_FALSE(pf::Image::imageNamed(QStringLiteral("NoSuchImage")));
}

TEST_F(ImageTest, TemplatesTakeTheColourOfTheirStateAndKeepTheirAlpha)
{
    QImage shape(8, 8, QImage::Format_ARGB32_Premultiplied);
    shape.fill(Qt::transparent);
    QPainter(&shape).fillRect(QRect(0, 0, 4, 8), Qt::black);
    auto image = pf::Image::fromQImage(shape, QSizeF(8, 8));
    image->setTemplate(true);
    for (auto state : {pf::TemplateState::Normal, pf::TemplateState::Disabled, pf::TemplateState::On}) {
        const QColor tint = pf::SystemColor::templateTint(state).qColor();
        const QImage pixels = image->tinted(tint)->bitmap(QSize(8, 8));
        EXPECT_EQ(pixels.pixelColor(1, 4).rgb(), tint.rgb()) << int(state);
        EXPECT_EQ(pixels.pixelColor(6, 4).alpha(), 0) << int(state);
    }
    EXPECT_NE(pf::SystemColor::templateTint(pf::TemplateState::Disabled),
              pf::SystemColor::templateTint(pf::TemplateState::Normal));
}

TEST_F(ImageTest, PdfDataBecomesAnImageOfThePageSize)
{
    const QByteArray pdf = pdfWithRedLeftHalf(QSizeF(40, 20));
    pf::Error error;
    pf::Ref<pf::Image> image = pf::Image::fromData(pdf, &error);
    ASSERT_TRUE(image) << error.description().toStdString();
    EXPECT_NEAR(image->size().width(), 40, 0.5);
    EXPECT_NEAR(image->size().height(), 20, 0.5);
    // Rasterised at the size asked, and its own bytes come back for PDF output.
    const QImage pixels = image->bitmap(QSize(80, 40));
    EXPECT_EQ(pixels.size(), QSize(80, 40));
    EXPECT_GT(pixels.pixelColor(10, 20).red(), 200);
    EXPECT_LT(pixels.pixelColor(10, 20).green(), 60);
    EXPECT_LT(pixels.pixelColor(70, 20).alpha(), 30);
    EXPECT_EQ(image->PDFRepresentation(), pdf);

    EXPECT_FALSE(pf::Image::fromData(QByteArray("%PDF-1.4 not really"), &error));
    EXPECT_FALSE(error.isNull());
}

TEST_F(ImageTest, DrawsUprightIntoARectangleAtAFraction)
{
    // Red on top, blue below, as the image shows.
    QImage pixels(10, 10, QImage::Format_ARGB32_Premultiplied);
    pixels.fill(Qt::blue);
    QPainter(&pixels).fillRect(QRect(0, 0, 10, 5), Qt::red);
    auto image = pf::Image::fromQImage(pixels, QSizeF(10, 10));

    const QImage full = drawn(*image, QSize(20, 20), QRectF(0, 0, 20, 20));
    EXPECT_EQ(full.pixelColor(10, 2), QColor(Qt::red));
    EXPECT_EQ(full.pixelColor(10, 17), QColor(Qt::blue));

    const QImage faded = drawn(*image, QSize(20, 20), QRectF(0, 0, 20, 20), 0.5);
    EXPECT_NEAR(faded.pixelColor(10, 2).green(), 128, 3); // half red over white
    EXPECT_NEAR(faded.pixelColor(10, 2).red(), 255, 1);
}

TEST_F(ImageTest, CopiesAndResizedImagesAreIndependentOfTheOriginal)
{
    auto image = solid(QSize(10, 10), Qt::green);
    image->setTemplate(true);
    auto copy = image->copyImage();
    copy->setSize(QSizeF(5, 5));
    EXPECT_EQ(image->size(), QSizeF(10, 10));
    EXPECT_TRUE(copy->isTemplate());
    EXPECT_EQ(copy->name(), QString());
    auto resized = image->resized(QSizeF(16, 16));
    EXPECT_EQ(resized->size(), QSizeF(16, 16));
    EXPECT_EQ(resized->bitmap().size(), QSize(16, 16));
    EXPECT_FALSE(pf::Image::make(QSizeF(3, 3))->isValid());
}

TEST_F(ImageTest, LockFocusDrawsIntoTheImage)
{
    auto image = pf::Image::make(QSizeF(10, 10));
    image->lockFocus();
    ASSERT_TRUE(pf::GraphicsContext::current());
    // Unflipped: y grows upwards, so this is the bottom half.
    pf::GraphicsContext::current()->painter().fillRect(QRectF(0, 0, 10, 5), Qt::red);
    image->unlockFocus();
    EXPECT_EQ(pf::GraphicsContext::current(), nullptr);
    ASSERT_TRUE(image->isValid());
    const QImage pixels = image->bitmap(QSize(10, 10));
    EXPECT_EQ(pixels.pixelColor(5, 8), QColor(Qt::red));
    EXPECT_EQ(pixels.pixelColor(5, 1).alpha(), 0);
    EXPECT_FALSE(image->TIFFRepresentation().isEmpty());
}

} // namespace
