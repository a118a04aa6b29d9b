#include "../archiving/ArchivingTestSupport.h"

#include "frameworks/penwork/archiving/PWErrors.h"
#include "frameworks/penwork/output/PWRenderingOutput.h"
#include "platform/graphics/ImageReader.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <cmath>

using namespace archivingtest;

namespace {

struct Fixture {
    pf::Ref<PWDrawing> drawing = std::make_shared<PWDrawing>();
    pf::Ref<PWObjectDrawingLayer> redLayer = std::make_shared<PWObjectDrawingLayer>();
    pf::Ref<PWObjectDrawingLayer> blueLayer = std::make_shared<PWObjectDrawingLayer>();
    pf::Ref<PWDrawableShape> red;
    pf::Ref<PWDrawableShape> blue;
    pf::Ref<PWGridLayer> grid = std::make_shared<PWGridLayer>();
    pf::Ref<PWGuideLayer> guides = std::make_shared<PWGuideLayer>();

    // A 200 x 100 drawing: a red 40 x 20 rectangle at (50, 25), a blue 20 x 20 one at (150, 60),
    // each on its own layer, over a grid and under guides (neither of which prints).
    Fixture()
    {
        drawing->setDrawingSize({200, 100});
        drawing->addLayer(grid);
        drawing->addLayer(redLayer);
        drawing->addLayer(blueLayer);
        drawing->addLayer(guides);
        guides->addHorizontalGuide(50);
        red = PWDrawableShape::drawableShapeWithRect({50, 25, 40, 20}, PWStyle::styleWithFillColour(pf::Color::red(), pf::Color()));
        blue = PWDrawableShape::drawableShapeWithRect({150, 60, 20, 20}, PWStyle::styleWithFillColour(pf::Color::blue(), pf::Color()));
        redLayer->addObject(red);
        blueLayer->addObject(blue);
    }
};

QImage decode(const QByteArray& data)
{
    return pf::ImageReader::read(data).convertToFormat(QImage::Format_ARGB32);
}

// The page size written in a PDF's first media box, in points.
QSizeF mediaBoxSize(const QByteArray& pdf)
{
    const QRegularExpression box(QStringLiteral(R"(/MediaBox\s*\[\s*([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s*\])"));
    const auto match = box.match(QString::fromLatin1(pdf));
    if (!match.hasMatch())
        return {};
    return {match.captured(3).toDouble() - match.captured(1).toDouble(),
            match.captured(4).toDouble() - match.captured(2).toDouble()};
}

bool isRed(QRgb pixel) { return qRed(pixel) > 240 && qGreen(pixel) < 15 && qBlue(pixel) < 15 && qAlpha(pixel) > 240; }
bool isBlue(QRgb pixel) { return qBlue(pixel) > 240 && qRed(pixel) < 15 && qGreen(pixel) < 15 && qAlpha(pixel) > 240; }

} // namespace

TEST(PWOutRendering, RedRectangleLandsWhereItShouldAndNothingElsePrints)
{
    Fixture f;
    pf::Error error;
    // Twice the drawing's size: the rectangle covers pixels 100..180 by 50..90.
    const QImage image = PWRenderingOutput::image(*f.drawing, {0, 0, 200, 100}, {400, 200}, pf::Color(), &error)
                             .convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(image.isNull()) << qPrintable(error.description());
    EXPECT_EQ(image.size(), QSize(400, 200));
    EXPECT_NEAR(image.dotsPerMeterX() * 0.0254, 144.0, 0.5);
    int strayPixels = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            const bool inRed = x >= 101 && x < 179 && y >= 51 && y < 89;
            const bool inBlue = x >= 301 && x < 339 && y >= 121 && y < 159;
            const bool nearEdge = (x >= 98 && x < 182 && y >= 48 && y < 92) || (x >= 298 && x < 342 && y >= 118 && y < 162);
            if (inRed)
                ASSERT_TRUE(isRed(pixel)) << x << "," << y;
            else if (inBlue)
                ASSERT_TRUE(isBlue(pixel)) << x << "," << y;
            else if (!nearEdge && qAlpha(pixel) != 0)
                ++strayPixels; // grid lines or guides would land here
        }
    EXPECT_EQ(strayPixels, 0);
}

TEST(PWOutRendering, LargeImagesDrawAndEncodeLikeSmallOnes)
{
    // Large images take their pixels from memory of their own: they start transparent, hold
    // the drawing where it belongs and encode to the same pixels.
    Fixture f;
    const QSize size(2400, 1200); // twelve pixels a point
    pf::Error error;
    const QImage image = PWRenderingOutput::image(*f.drawing, {0, 0, 200, 100}, size, pf::Color(), &error)
                             .convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), size) << qPrintable(error.description());
    EXPECT_EQ(qAlpha(image.pixel(10, 10)), 0);
    EXPECT_EQ(qAlpha(image.pixel(2390, 1190)), 0);
    EXPECT_TRUE(isRed(image.pixel(610, 310)));
    EXPECT_TRUE(isRed(image.pixel(1070, 530)));
    EXPECT_EQ(qAlpha(image.pixel(1090, 530)), 0) << "right of the red rectangle";
    EXPECT_TRUE(isBlue(image.pixel(1910, 830)));
    const QByteArray png = PWRenderingOutput::imageDataWithFormat(*f.drawing, int(pf::BitmapFileType::PNG), {}, {},
                                                                  pf::ImageColorModel::RGB, {0, 0, 200, 100}, size,
                                                                  pf::Color(), &error);
    ASSERT_FALSE(png.isEmpty()) << qPrintable(error.description());
    EXPECT_EQ(decode(png), image);
}

TEST(PWOutRendering, SourceRectangleChoosesThePartShown)
{
    Fixture f;
    const QImage image = PWRenderingOutput::image(*f.drawing, {40, 20, 20, 10}, {40, 20}, pf::Color::white())
                             .convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(40, 20));
    EXPECT_EQ(image.pixel(5, 5), qRgb(255, 255, 255)) << "left of the rectangle: the background";
    EXPECT_TRUE(isRed(image.pixel(30, 15)));
}

TEST(PWOutRendering, BitmapFormatsHaveTheRequestedPixelSize)
{
    Fixture f;
    f.drawing->setDrawingSize({100, 50});
    // The export's arithmetic for 144 dpi at scale 1: 100 x 50 points ask for 200 x 100 pixels.
    const QSize pixels(100 * 144 / 72, 50 * 144 / 72);
    const QList<QPair<int, const char*>> formats{{0, "TIFF"}, {1, "BMP"}, {2, "GIF"}, {3, "JPEG"}, {4, "PNG"}};
    for (const auto& [format, name] : formats) {
        SCOPED_TRACE(name);
        pf::Error error;
        const QByteArray data = PWRenderingOutput::imageDataWithFormat(
            *f.drawing, format, {{kPWImageCompressionFactor, 0.9}}, {}, pf::ImageColorModel::RGB, {0, 0, 100, 50},
            pixels, pf::Color::white(), &error);
        ASSERT_FALSE(data.isEmpty()) << qPrintable(error.description());
        const QImage image = decode(data);
        ASSERT_EQ(image.size(), pixels);
        EXPECT_GT(qRed(image.pixel(140, 70)), 200);
        EXPECT_LT(qGreen(image.pixel(140, 70)), 60);
        EXPECT_GT(qGreen(image.pixel(10, 10)), 200) << "the white background";
    }
}

TEST(PWOutRendering, TransparentBackgroundAndQualityOption)
{
    Fixture f;
    const QByteArray png = PWRenderingOutput::imageDataWithFormat(*f.drawing, 4, {}, {}, pf::ImageColorModel::RGB,
                                                                  {0, 0, 200, 100}, {200, 100}, pf::Color());
    EXPECT_EQ(qAlpha(decode(png).pixel(5, 5)), 0);
    const auto jpeg = [&](double quality) {
        return PWRenderingOutput::imageDataWithFormat(*f.drawing, 3, {{kPWImageCompressionFactor, quality}}, {},
                                                      pf::ImageColorModel::RGB, {0, 0, 200, 100}, {400, 200},
                                                      pf::Color::white());
    };
    EXPECT_LT(jpeg(0.05).size(), jpeg(1.0).size());
}

TEST(PWOutRendering, BadRequestsAreRefusedWithAnError)
{
    Fixture f;
    struct Case {
        const char* name;
        int format;
        QRectF rect;
        QSize size;
        QByteArray pdf;
    };
    const double nan = std::nan("");
    const QList<Case> cases{
        {"unknown format", 7, {0, 0, 10, 10}, {10, 10}, {}},
        {"negative format", -1, {0, 0, 10, 10}, {10, 10}, {}},
        {"too wide", 4, {0, 0, 10, 10}, {40000, 10}, {}},
        {"too many pixels", 4, {0, 0, 10, 10}, {30000, 30000}, {}},
        {"negative size", 4, {0, 0, 10, 10}, {-5, 10}, {}},
        {"not finite", 4, {nan, 0, 10, 10}, {10, 10}, {}},
        {"foreign PDF", 4, {0, 0, 10, 10}, {10, 10}, QByteArray("%PDF-1.4\n% made elsewhere\n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pf::Error error;
        EXPECT_TRUE(PWRenderingOutput::imageDataWithFormat(*f.drawing, c.format, {}, c.pdf, pf::ImageColorModel::RGB,
                                                           c.rect, c.size, pf::Color(), &error)
                        .isEmpty());
        EXPECT_EQ(error.domain(), kPWErrorDomain);
        EXPECT_EQ(error.code(), kPWErrorOutputFailed);
    }
}

TEST(PWOutRendering, PdfOfALayerOrObjectRastersThatSourceOnly)
{
    Fixture f;
    const QByteArray layerPdf = PWRenderingOutput::pdf(*f.redLayer);
    ASSERT_TRUE(layerPdf.startsWith("%PDF"));
    QImage image = decode(PWRenderingOutput::imageDataWithFormat(*f.drawing, 4, {}, layerPdf, pf::ImageColorModel::RGB,
                                                                 {0, 0, 200, 100}, {200, 100}, pf::Color()));
    ASSERT_EQ(image.size(), QSize(200, 100));
    EXPECT_TRUE(isRed(image.pixel(70, 35)));
    EXPECT_EQ(qAlpha(image.pixel(160, 70)), 0) << "the blue layer is not part of the red layer's output";

    // An object's PDF: with no source rectangle, the object's bounds at a pixel a point.
    const QByteArray objectPdf = PWRenderingOutput::pdf(*f.blue);
    image = decode(PWRenderingOutput::imageDataWithFormat(*f.drawing, 4, {}, objectPdf, pf::ImageColorModel::RGB, {},
                                                          {}, pf::Color()));
    EXPECT_EQ(image.size(), f.blue->bounds().size().toSize());
    EXPECT_TRUE(isBlue(image.pixel(image.width() / 2, image.height() / 2)));
}

TEST(PWOutRendering, PdfPagesHaveTheSizeAsked)
{
    Fixture f;
    const QByteArray whole = PWRenderingOutput::pdf(*f.drawing);
    ASSERT_TRUE(whole.startsWith("%PDF"));
    EXPECT_TRUE(whole.trimmed().endsWith("%%EOF"));
    EXPECT_EQ(mediaBoxSize(whole), QSizeF(200, 100));
    EXPECT_EQ(mediaBoxSize(PWRenderingOutput::pdfDataWithMediaBox(*f.drawing, {10, 10, 50, 40})), QSizeF(50, 40));
    EXPECT_EQ(mediaBoxSize(PWRenderingOutput::pdf(*f.redLayer)), QSizeF(200, 100));
    EXPECT_EQ(mediaBoxSize(PWRenderingOutput::pdf(*f.red)), f.red->bounds().size());
    // A layer that does not print, and a layer in no drawing, have nothing to show.
    EXPECT_TRUE(PWRenderingOutput::pdf(*f.grid).isEmpty());
    PWObjectDrawingLayer loose;
    EXPECT_TRUE(PWRenderingOutput::pdf(loose).isEmpty());
}

TEST(PWOutRendering, ThumbnailIsASmallJpegOfTheDrawing)
{
    Fixture f;
    f.drawing->setDrawingSize({600, 300});
    const QByteArray data = PWRenderingOutput::thumbnailData(*f.drawing);
    ASSERT_TRUE(data.startsWith("\xFF\xD8"));
    const QImage image = decode(data);
    EXPECT_EQ(image.size(), QSize(256, 128));
    EXPECT_GT(qRed(image.pixel(int(70 * 256 / 600.0), int(35 * 256 / 600.0))), 200);
    f.drawing->setDrawingSize({0, 0});
    EXPECT_TRUE(PWRenderingOutput::thumbnailData(*f.drawing).isEmpty());
}

TEST(PWOutRendering, DrawingFromImageDataHoldsTheImage)
{
    const auto drawing = PWRenderingOutput::drawingWithImageData(pngData({30, 20}, Qt::green), QStringLiteral("Photo"));
    ASSERT_TRUE(drawing);
    EXPECT_EQ(drawing->drawingSize(), QSizeF(30, 20));
    const auto layer = std::dynamic_pointer_cast<PWObjectOwnerLayer>(drawing->activeLayer());
    ASSERT_TRUE(layer);
    EXPECT_EQ(layer->layerName(), QStringLiteral("Photo"));
    ASSERT_EQ(layer->countOfObjects(), 1);
    EXPECT_TRUE(layer->objects().front()->isKindOf(PWImageShape::staticClass()));
    EXPECT_EQ(layer->objects().front()->logicalBounds(), QRectF(0, 0, 30, 20));
    EXPECT_FALSE(drawing->undoManager()->canUndo());

    const QImage shown = PWRenderingOutput::image(*drawing, {0, 0, 30, 20}, {30, 20}, pf::Color()).convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(shown.pixel(15, 10), qRgb(0, 255, 0));

    for (const QByteArray& bad : {QByteArray(), QByteArray("plain words"), pngData({30, 20}, Qt::green).left(40),
                                  QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" height=\"4\"/>")})
        EXPECT_FALSE(PWRenderingOutput::drawingWithImageData(bad, QStringLiteral("x")));
}
