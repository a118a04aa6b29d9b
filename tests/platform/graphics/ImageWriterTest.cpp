// Writing images in every file type and colour model, and reading them back.
#include <gtest/gtest.h>

#include "platform/graphics/ImageReader.h"
#include "platform/graphics/ImageSource.h"
#include "platform/graphics/ImageTiffMemoryFile.h"
#include "platform/graphics/ImageWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <gif_lib.h>
#include <jpeglib.h>
#include <lcms2.h>

using pf::BitmapFileType;
using pf::ImageColorModel;

namespace {

constexpr int kBlock = 16;
constexpr int kDotsPerMeter300Dpi = 11811;

// Eight uniform 16 x 16 blocks, wide enough that JPEG's chroma subsampling stays inside one.
// The translucent variant makes one block clear, one faint (below GIF's opacity threshold)
// and one mostly opaque.
QList<QColor> blockColours(bool translucent)
{
    QList<QColor> colours = {QColor(255, 0, 0),   QColor(0, 160, 0),   QColor(0, 0, 255),    QColor(200, 100, 50),
                             QColor(255, 255, 255), QColor(0, 0, 0), QColor(128, 128, 128), QColor(64, 64, 64)};
    if (translucent) {
        colours[3].setAlpha(64);
        colours[4] = QColor(255, 0, 255, 0);
        colours[7].setAlpha(160);
    }
    return colours;
}

QPoint blockCentre(int index)
{
    return QPoint((index % 4) * kBlock + kBlock / 2, (index / 4) * kBlock + kBlock / 2);
}

QImage testImage(bool translucent)
{
    QImage image(4 * kBlock, 2 * kBlock, translucent ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const QList<QColor> colours = blockColours(translucent);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixelColor(x, y, colours[(y / kBlock) * 4 + x / kBlock]);
    image.setDotsPerMeterX(kDotsPerMeter300Dpi);
    image.setDotsPerMeterY(kDotsPerMeter300Dpi);
    return image;
}

QColor overWhite(const QColor& colour)
{
    const double a = colour.alphaF();
    auto channel = [a](int value) { return int(std::lround(value * a + 255 * (1 - a))); };
    return QColor(channel(colour.red()), channel(colour.green()), channel(colour.blue()));
}

bool isGray(const QColor& colour)
{
    return colour.red() == colour.green() && colour.green() == colour.blue();
}

struct RoundTrip {
    const char* name;
    BitmapFileType type;
    ImageColorModel model;
    bool translucent;
    int tolerance;         // per channel, against the expected colour
    int translucentTolerance; // for the colour of translucent pixels kept: reading premultiplies
    bool keepsAlpha;       // translucency survives; otherwise it is flattened over white
    bool clearsFaint;      // GIF: faint pixels become clear, the others opaque
    const char* propertyModel;
    const char* fileType;
    bool storesDpi;
};

const RoundTrip kRoundTrips[] = {
    {"PngRgb", BitmapFileType::PNG, ImageColorModel::RGB, false, 0, 0, false, false, "RGB", "png", true},
    {"PngRgbAlpha", BitmapFileType::PNG, ImageColorModel::RGB, true, 0, 0, true, false, "RGB", "png", true},
    {"PngGray", BitmapFileType::PNG, ImageColorModel::Gray, false, 0, 0, false, false, "Gray", "png", true},
    // Grey with alpha is stored as RGBA with equal channels.
    {"PngGrayAlpha", BitmapFileType::PNG, ImageColorModel::Gray, true, 0, 0, true, false, "RGB", "png", true},
    {"JpegRgb", BitmapFileType::JPEG, ImageColorModel::RGB, false, 14, 0, false, false, "RGB", "jpeg", true},
    {"JpegRgbAlpha", BitmapFileType::JPEG, ImageColorModel::RGB, true, 14, 0, false, false, "RGB", "jpeg", true},
    {"JpegGray", BitmapFileType::JPEG, ImageColorModel::Gray, false, 6, 0, false, false, "Gray", "jpeg", true},
    {"JpegCmyk", BitmapFileType::JPEG, ImageColorModel::CMYK, false, 4, 0, false, false, "CMYK", "jpeg", true},
    {"JpegCmykAlpha", BitmapFileType::JPEG, ImageColorModel::CMYK, true, 4, 0, false, false, "CMYK", "jpeg", true},
    {"TiffRgb", BitmapFileType::TIFF, ImageColorModel::RGB, false, 0, 0, false, false, "RGB", "tiff", true},
    {"TiffRgbAlpha", BitmapFileType::TIFF, ImageColorModel::RGB, true, 0, 4, true, false, "RGB", "tiff", true},
    {"TiffGray", BitmapFileType::TIFF, ImageColorModel::Gray, false, 0, 0, false, false, "Gray", "tiff", true},
    {"TiffGrayAlpha", BitmapFileType::TIFF, ImageColorModel::Gray, true, 0, 0, true, false, "Gray", "tiff", true},
    {"TiffCmyk", BitmapFileType::TIFF, ImageColorModel::CMYK, false, 1, 0, false, false, "CMYK", "tiff", true},
    {"TiffCmykAlpha", BitmapFileType::TIFF, ImageColorModel::CMYK, true, 1, 0, false, false, "CMYK", "tiff", true},
    {"BmpRgb", BitmapFileType::BMP, ImageColorModel::RGB, false, 0, 0, false, false, "RGB", "bmp", true},
    {"BmpRgbAlpha", BitmapFileType::BMP, ImageColorModel::RGB, true, 1, 0, false, false, "RGB", "bmp", true},
    {"BmpGray", BitmapFileType::BMP, ImageColorModel::Gray, false, 0, 0, false, false, "Gray", "bmp", true},
    {"GifRgb", BitmapFileType::GIF, ImageColorModel::RGB, false, 0, 0, false, false, "Indexed", "gif", false},
    {"GifRgbAlpha", BitmapFileType::GIF, ImageColorModel::RGB, true, 1, 0, false, true, "Indexed", "gif", false},
    {"GifGray", BitmapFileType::GIF, ImageColorModel::Gray, false, 0, 0, false, false, "Indexed", "gif", false},
};

void PrintTo(const RoundTrip& c, std::ostream* out)
{
    *out << c.name;
}

class ImageWriterRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(ImageWriterRoundTrip, KeepsPixelsColourModelAndProperties)
{
    const RoundTrip& c = GetParam();
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("image"));
    const QImage source = testImage(c.translucent);
    pf::ImageWriteOptions options;
    options.colorModel = c.model;
    options.compressionFactor = 0.9;
    pf::Error error;
    ASSERT_TRUE(pf::ImageWriter::write(source, path, c.type, options, &error)) << qPrintable(error.description());

    const QImage read = pf::ImageReader::read(path, &error);
    ASSERT_FALSE(read.isNull()) << qPrintable(error.description());
    ASSERT_EQ(read.size(), source.size());
    const QList<QColor> colours = blockColours(c.translucent);
    for (int i = 0; i < colours.size(); ++i) {
        const QColor original = colours[i];
        const QColor actual = read.pixelColor(blockCentre(i));
        SCOPED_TRACE(testing::Message() << "block " << i << " read " << qPrintable(actual.name(QColor::HexArgb)));
        QColor expected = original;
        if (c.clearsFaint) {
            if (original.alpha() < 128) {
                EXPECT_EQ(actual.alpha(), 0);
                continue;
            }
            expected = overWhite(original);
        } else if (!c.keepsAlpha) {
            expected = overWhite(original);
        }
        if (c.keepsAlpha) {
            EXPECT_NEAR(actual.alpha(), original.alpha(), c.tolerance);
            if (original.alpha() == 0)
                continue;
        } else {
            EXPECT_EQ(actual.alpha(), 255);
        }
        if (c.model == ImageColorModel::Gray) {
            EXPECT_TRUE(isGray(actual));
            // Only grey input has a grey value fixed independently of the conversion.
            if (!isGray(expected))
                continue;
        }
        const bool translucent = c.keepsAlpha && original.alpha() < 255;
        const int tolerance = c.tolerance + (translucent ? c.translucentTolerance : 0);
        EXPECT_NEAR(actual.red(), expected.red(), tolerance);
        EXPECT_NEAR(actual.green(), expected.green(), tolerance);
        EXPECT_NEAR(actual.blue(), expected.blue(), tolerance);
    }

    const QVariantMap properties = pf::ImageSource::properties(path, &error);
    ASSERT_FALSE(properties.isEmpty()) << qPrintable(error.description());
    EXPECT_EQ(properties.value(pf::kImagePropertyFileType).toString(), QLatin1String(c.fileType));
    EXPECT_EQ(properties.value(pf::kImagePropertyPixelWidth).toInt(), source.width());
    EXPECT_EQ(properties.value(pf::kImagePropertyPixelHeight).toInt(), source.height());
    EXPECT_EQ(properties.value(pf::kImagePropertyDepth).toInt(), 8);
    EXPECT_EQ(properties.value(pf::kImagePropertyColorModel).toString(), QLatin1String(c.propertyModel));
    EXPECT_EQ(properties.value(pf::kImagePropertyHasAlpha).toBool(), c.keepsAlpha || c.clearsFaint);
    if (c.storesDpi) {
        EXPECT_DOUBLE_EQ(properties.value(pf::kImagePropertyDPIWidth).toDouble(), 300.0);
        EXPECT_DOUBLE_EQ(properties.value(pf::kImagePropertyDPIHeight).toDouble(), 300.0);
    }
    EXPECT_FALSE(properties.contains(pf::kImagePropertyCaptureDate));
    EXPECT_FALSE(properties.contains(pf::kImagePropertyOrientation));
}

INSTANTIATE_TEST_SUITE_P(Formats, ImageWriterRoundTrip, testing::ValuesIn(kRoundTrips),
                         [](const testing::TestParamInfo<RoundTrip>& info) { return std::string(info.param.name); });

TEST(ImageWriter, CmykTiffIsSeparatedWithInkValuesAndProfile)
{
    pf::ImageWriteOptions options;
    options.colorModel = ImageColorModel::CMYK;
    pf::Error error;
    const QByteArray bytes = pf::ImageWriter::encode(testImage(false), BitmapFileType::TIFF, options, &error);
    ASSERT_FALSE(bytes.isNull()) << qPrintable(error.description());

    pf::ImageTiffMemoryFile file(bytes);
    TIFF* tiff = file.tiff();
    ASSERT_NE(tiff, nullptr);
    uint16_t photometric = 0, samples = 0, bits = 0, inkSet = 0, planar = 0;
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_INKSET, &inkSet);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    EXPECT_EQ(photometric, PHOTOMETRIC_SEPARATED);
    EXPECT_EQ(samples, 4);
    EXPECT_EQ(bits, 8);
    EXPECT_EQ(inkSet, INKSET_CMYK);
    EXPECT_EQ(planar, PLANARCONFIG_CONTIG);
    uint32_t profileSize = 0;
    void* profile = nullptr;
    ASSERT_TRUE(TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &profileSize, &profile));
    ASSERT_GT(profileSize, 128u);
    EXPECT_EQ(QByteArray(static_cast<const char*>(profile) + 16, 4), QByteArray("CMYK"));

    // Ink amounts (0 none, 255 full) at the centres of the red, white, black and grey blocks.
    struct Sample {
        int block;
        int c, m, y, k;
    };
    const Sample samplesExpected[] = {
        {0, 0, 255, 255, 0},
        {4, 0, 0, 0, 0},
        {5, 0, 0, 0, 255},
        {6, 0, 0, 0, 127},
    };
    const qint64 rowBytes = TIFFScanlineSize(tiff);
    ASSERT_EQ(rowBytes, 4 * 4 * kBlock);
    std::vector<unsigned char> pixels(size_t(rowBytes) * 2 * kBlock);
    for (int y = 0; y < 2 * kBlock; ++y)
        ASSERT_EQ(TIFFReadScanline(tiff, pixels.data() + y * rowBytes, uint32_t(y), 0), 1);
    for (const Sample& s : samplesExpected) {
        const QPoint at = blockCentre(s.block);
        const unsigned char* ink = pixels.data() + at.y() * rowBytes + at.x() * 4;
        SCOPED_TRACE(testing::Message() << "block " << s.block);
        EXPECT_NEAR(ink[0], s.c, 1);
        EXPECT_NEAR(ink[1], s.m, 1);
        EXPECT_NEAR(ink[2], s.y, 1);
        EXPECT_NEAR(ink[3], s.k, 1);
    }

    // The embedded profile describes those inks: through it they come back as the sRGB colours.
    cmsHPROFILE cmyk = cmsOpenProfileFromMem(profile, profileSize);
    ASSERT_NE(cmyk, nullptr);
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHTRANSFORM toRgb = cmsCreateTransform(cmyk, TYPE_CMYK_8, srgb, TYPE_RGB_8, INTENT_RELATIVE_COLORIMETRIC, 0);
    ASSERT_NE(toRgb, nullptr);
    const QList<QColor> colours = blockColours(false);
    for (int i = 0; i < colours.size(); ++i) {
        const QPoint at = blockCentre(i);
        unsigned char rgb[3];
        cmsDoTransform(toRgb, pixels.data() + at.y() * rowBytes + at.x() * 4, rgb, 1);
        SCOPED_TRACE(testing::Message() << "block " << i);
        EXPECT_NEAR(rgb[0], colours[i].red(), 3);
        EXPECT_NEAR(rgb[1], colours[i].green(), 3);
        EXPECT_NEAR(rgb[2], colours[i].blue(), 3);
    }
    cmsDeleteTransform(toRgb);
    cmsCloseProfile(srgb);
    cmsCloseProfile(cmyk);
}

// What libjpeg finds in a JPEG file, and its samples as stored.
struct JpegContents {
    bool decoded = false;
    J_COLOR_SPACE colorSpace = JCS_UNKNOWN;
    int components = 0;
    bool adobeMarker = false;
    int adobeTransform = -1;
    bool jfifMarker = false;
    int densityUnit = 0;
    int xDensity = 0;
    int yDensity = 0;
    int width = 0;
    std::vector<unsigned char> samples;
};

struct JpegTestErrors {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void readJpeg(const QByteArray& bytes, JpegContents& out)
{
    jpeg_decompress_struct info{};
    JpegTestErrors errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = [](j_common_ptr common) { std::longjmp(reinterpret_cast<JpegTestErrors*>(common->err)->jump, 1); };
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()), (unsigned long)(bytes.size()));
    jpeg_read_header(&info, TRUE);
    out.colorSpace = info.jpeg_color_space;
    out.components = info.num_components;
    out.adobeMarker = info.saw_Adobe_marker;
    out.adobeTransform = info.Adobe_transform;
    out.jfifMarker = info.saw_JFIF_marker;
    out.densityUnit = info.density_unit;
    out.xDensity = info.X_density;
    out.yDensity = info.Y_density;
    jpeg_start_decompress(&info);
    out.width = int(info.output_width);
    const size_t rowBytes = size_t(info.output_width) * size_t(info.output_components);
    out.samples.resize(rowBytes * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.samples.data() + rowBytes * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    out.decoded = true;
}

TEST(ImageWriter, CmykJpegIsAdobeCmykWithInvertedInkValues)
{
    // Pure inks, white and a mid grey, plus translucent red, which is flattened over white.
    struct Block {
        QColor colour;
        int c, m, y, k;
    };
    const Block blocks[] = {
        {QColor(0, 255, 255), 255, 0, 0, 0},   {QColor(255, 0, 255), 0, 255, 0, 0},
        {QColor(255, 255, 0), 0, 0, 255, 0},   {QColor(0, 0, 0), 0, 0, 0, 255},
        {QColor(255, 255, 255), 0, 0, 0, 0},   {QColor(128, 128, 128), 0, 0, 0, 127},
        {QColor(255, 0, 0, 128), 0, 127, 127, 0},
    };
    const int count = int(std::size(blocks));
    QImage image(count * kBlock, kBlock, QImage::Format_ARGB32);
    for (int i = 0; i < count; ++i)
        for (int y = 0; y < kBlock; ++y)
            for (int x = 0; x < kBlock; ++x)
                image.setPixelColor(i * kBlock + x, y, blocks[i].colour);
    image.setDotsPerMeterX(kDotsPerMeter300Dpi);
    image.setDotsPerMeterY(kDotsPerMeter300Dpi * 2);
    pf::ImageWriteOptions options;
    options.colorModel = ImageColorModel::CMYK;
    options.compressionFactor = 0.9;
    pf::Error error;
    QByteArray bytes = pf::ImageWriter::encode(image, BitmapFileType::JPEG, options, &error);
    ASSERT_FALSE(bytes.isNull()) << qPrintable(error.description());

    JpegContents contents;
    readJpeg(bytes, contents);
    ASSERT_TRUE(contents.decoded);
    EXPECT_EQ(contents.colorSpace, JCS_CMYK);
    EXPECT_EQ(contents.components, 4);
    EXPECT_TRUE(contents.adobeMarker);
    EXPECT_EQ(contents.adobeTransform, 0); // no colour transform: the samples are the inks
    EXPECT_TRUE(contents.jfifMarker);
    EXPECT_EQ(contents.densityUnit, 1);
    EXPECT_EQ(contents.xDensity, 300);
    EXPECT_EQ(contents.yDensity, 600);

    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "jpeg");
    const QImage read = reader.read();
    ASSERT_FALSE(read.isNull()) << qPrintable(reader.errorString());
    for (int i = 0; i < count; ++i) {
        const Block& b = blocks[i];
        const QPoint at(i * kBlock + kBlock / 2, kBlock / 2);
        const unsigned char* stored = contents.samples.data() + (size_t(at.y()) * size_t(contents.width) + size_t(at.x())) * 4;
        SCOPED_TRACE(testing::Message() << "block " << i);
        EXPECT_NEAR(255 - stored[0], b.c, 3);
        EXPECT_NEAR(255 - stored[1], b.m, 3);
        EXPECT_NEAR(255 - stored[2], b.y, 3);
        EXPECT_NEAR(255 - stored[3], b.k, 3);
        const QColor expected = overWhite(b.colour);
        const QColor actual = read.pixelColor(at);
        EXPECT_NEAR(actual.red(), expected.red(), 4);
        EXPECT_NEAR(actual.green(), expected.green(), 4);
        EXPECT_NEAR(actual.blue(), expected.blue(), 4);
    }
}

TEST(ImageWriter, GifOfManyColoursIsQuantisedCloseToTheSource)
{
    QImage gradient(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            gradient.setPixel(x, y, qRgb(x * 4, y * 4, 255 - x * 2));
    pf::Error error;
    const QByteArray bytes = pf::ImageWriter::encode(gradient, BitmapFileType::GIF, {}, &error);
    ASSERT_FALSE(bytes.isNull()) << qPrintable(error.description());
    const QImage read = pf::ImageReader::read(bytes, &error);
    ASSERT_FALSE(read.isNull()) << qPrintable(error.description());
    EXPECT_FALSE(read.hasAlphaChannel());
    int worst = 0;
    double total = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const QRgb a = gradient.pixel(x, y), b = read.pixel(x, y);
            const int errors[3] = {std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))};
            worst = std::max({worst, errors[0], errors[1], errors[2]});
            total += errors[0] + errors[1] + errors[2];
        }
    }
    const double mean = total / (64 * 64 * 3);
    RecordProperty("mean", std::to_string(mean));
    EXPECT_LE(mean, 8.0);
    EXPECT_LE(worst, 40);
}

struct GifBytes {
    QByteArray data;
    int position = 0;
};

int readGifBytes(GifFileType* gif, GifByteType* buffer, int length)
{
    auto* source = static_cast<GifBytes*>(gif->UserData);
    const int count = std::min(length, int(source->data.size()) - source->position);
    std::memcpy(buffer, source->data.constData() + source->position, size_t(count));
    source->position += count;
    return count;
}

TEST(ImageWriter, GifTransparencyUsesOnePaletteIndex)
{
    QImage image(8, 8, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setPixelColor(2, 3, QColor(10, 20, 30));
    image.setPixelColor(5, 5, QColor(200, 0, 0, 140));
    pf::Error error;
    GifBytes bytes{pf::ImageWriter::encode(image, BitmapFileType::GIF, {}, &error)};
    ASSERT_FALSE(bytes.data.isNull()) << qPrintable(error.description());

    int code = 0;
    GifFileType* gif = DGifOpen(&bytes, readGifBytes, &code);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    ASSERT_EQ(gif->ImageCount, 1);
    GraphicsControlBlock control{};
    ASSERT_EQ(DGifSavedExtensionToGCB(gif, 0, &control), GIF_OK);
    const ColorMapObject* palette = gif->SColorMap;
    ASSERT_NE(palette, nullptr);
    const GifByteType* indices = gif->SavedImages[0].RasterBits;
    auto colourAt = [&](int x, int y) {
        const GifColorType c = palette->Colors[indices[y * 8 + x]];
        return QColor(c.Red, c.Green, c.Blue);
    };
    EXPECT_NE(control.TransparentColor, NO_TRANSPARENT_COLOR);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool opaque = (x == 2 && y == 3) || (x == 5 && y == 5);
            EXPECT_EQ(indices[y * 8 + x] == control.TransparentColor, !opaque) << x << "," << y;
        }
    EXPECT_EQ(colourAt(2, 3), QColor(10, 20, 30));
    EXPECT_EQ(colourAt(5, 5), overWhite(QColor(200, 0, 0, 140)));
    int code2 = 0;
    DGifCloseFile(gif, &code2);

    const QImage read = pf::ImageReader::read(bytes.data, &error);
    ASSERT_FALSE(read.isNull());
    EXPECT_EQ(read.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(read.pixelColor(2, 3), QColor(10, 20, 30));
}

TEST(ImageWriter, JpegQualityFollowsTheCompressionFactor)
{
    QImage noise(64, 64, QImage::Format_RGB32);
    quint32 seed = 1;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            seed = seed * 1664525u + 1013904223u;
            noise.setPixel(x, y, seed >> 8);
        }
    for (const ImageColorModel model : {ImageColorModel::RGB, ImageColorModel::CMYK}) {
        SCOPED_TRACE(model == ImageColorModel::RGB ? "RGB" : "CMYK");
        pf::ImageWriteOptions small, large;
        small.colorModel = large.colorModel = model;
        small.compressionFactor = 0.1;
        large.compressionFactor = 1.0;
        const QByteArray smallBytes = pf::ImageWriter::encode(noise, BitmapFileType::JPEG, small);
        const QByteArray largeBytes = pf::ImageWriter::encode(noise, BitmapFileType::JPEG, large);
        ASSERT_FALSE(smallBytes.isEmpty());
        EXPECT_LT(smallBytes.size() * 2, largeBytes.size());
    }
}

TEST(ImageWriter, RefusesWhatTheTypeCannotHold)
{
    struct Refusal {
        const char* name;
        QImage image;
        BitmapFileType type;
        ImageColorModel model;
    };
    const QImage image = testImage(false);
    const Refusal refusals[] = {
        {"null image", QImage(), BitmapFileType::PNG, ImageColorModel::RGB},
        {"CMYK PNG", image, BitmapFileType::PNG, ImageColorModel::CMYK},
        {"CMYK BMP", image, BitmapFileType::BMP, ImageColorModel::CMYK},
        {"CMYK GIF", image, BitmapFileType::GIF, ImageColorModel::CMYK},
        {"unknown type", image, BitmapFileType(9), ImageColorModel::RGB},
        {"GIF wider than its format", QImage(70000, 1, QImage::Format_RGB32), BitmapFileType::GIF, ImageColorModel::RGB},
        // libjpeg's own failure, which must come back as an error rather than end the process.
        {"CMYK JPEG wider than its format", QImage(70000, 1, QImage::Format_RGB32), BitmapFileType::JPEG, ImageColorModel::CMYK},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        pf::ImageWriteOptions options;
        options.colorModel = r.model;
        pf::Error error;
        EXPECT_TRUE(pf::ImageWriter::encode(r.image, r.type, options, &error).isNull());
        EXPECT_EQ(error.code(), pf::kErrorFileWrite);
        EXPECT_FALSE(error.localizedFailureReason().isEmpty());
    }
}

TEST(ImageWriter, FailedWriteKeepsTheOldFile)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("picture.png"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old contents");
    }
    pf::ImageWriteOptions cmyk;
    cmyk.colorModel = ImageColorModel::CMYK;
    pf::Error error;
    EXPECT_FALSE(pf::ImageWriter::write(testImage(false), path, BitmapFileType::PNG, cmyk, &error));
    EXPECT_EQ(error.code(), pf::kErrorFileWrite);
    EXPECT_EQ(error.userInfo().value(pf::NSFilePathErrorKey).toString(), path);
    EXPECT_FALSE(pf::ImageWriter::write(QImage(), path, BitmapFileType::TIFF, {}, &error));

    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old contents"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("picture.png")});

    // A successful write replaces it.
    ASSERT_TRUE(pf::ImageWriter::write(testImage(false), path, BitmapFileType::PNG, {}, &error));
    EXPECT_EQ(pf::ImageReader::read(path).size(), testImage(false).size());
}

} // namespace

TEST(ImageWriterPng, StoresPixelsAsQtConvertsThemWithTheResolution)
{
    // Translucent pixels of every alpha, premultiplied as rendering leaves them; and opaque ones.
    QImage translucent(64, 4, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < translucent.height(); ++y)
        for (int x = 0; x < translucent.width(); ++x)
            translucent.setPixel(x, y, qPremultiply(qRgba(x * 4, 255 - x * 4, y * 60, x * 4 + y)));
    QImage opaque = translucent.convertToFormat(QImage::Format_RGB32);
    for (QImage* image : {&translucent, &opaque}) {
        image->setDotsPerMeterX(2835);
        image->setDotsPerMeterY(3937);
        pf::Error error;
        const QByteArray png = pf::ImageWriter::encode(*image, BitmapFileType::PNG, {}, &error);
        ASSERT_FALSE(png.isEmpty()) << qPrintable(error.description());
        const QImage read = QImage::fromData(png, "PNG");
        ASSERT_EQ(read.size(), image->size());
        EXPECT_EQ(read.hasAlphaChannel(), image->hasAlphaChannel());
        EXPECT_EQ(read.dotsPerMeterX(), 2835);
        EXPECT_EQ(read.dotsPerMeterY(), 3937);
        const QImage expected = image->convertToFormat(QImage::Format_ARGB32);
        const QImage actual = read.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < expected.height(); ++y)
            for (int x = 0; x < expected.width(); ++x)
                ASSERT_EQ(actual.pixel(x, y), expected.pixel(x, y)) << x << ", " << y;
    }
}

namespace {

// The image data of a PNG file, inflated with its checksum checked; empty when it does not inflate.
QByteArray inflatedImageData(const QByteArray& png, qsizetype expectedSize)
{
    QByteArray stream;
    for (qsizetype at = 8; at + 12 <= png.size();) {
        const quint32 length = qFromBigEndian<quint32>(png.constData() + at);
        if (png.mid(at + 4, 4) == "IDAT")
            stream += png.mid(at + 8, qsizetype(length));
        at += 12 + qsizetype(length);
    }
    QByteArray sized(4, 0);
    qToBigEndian<quint32>(quint32(expectedSize), sized.data());
    return qUncompress(sized + stream);
}

} // namespace

// Tall images are compressed in strips side by side; the strips must join into one stream whose
// every row, filtered against the row above across the joins, reads back as it was.
TEST(ImageWriterPng, TallImagesReadBackWholeInEveryColourType)
{
    const QImage::Format formats[] = {QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB32,
                                      QImage::Format_Grayscale8};
    for (const QImage::Format format : formats) {
        // Rows that differ from the rows above them, and bands of flat colour that deflate as runs.
        QImage source(257, 1000, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < source.height(); ++y)
            for (int x = 0; x < source.width(); ++x) {
                const int alpha = (y / 50) % 2 ? 255 : (x * 7 + y) % 256;
                const QRgb colour = (y / 100) % 3 == 0 ? qRgba(200, 40, 90, alpha)
                                                       : qRgba((x * 13 + y * 3) % 256, (x ^ y) % 256, (y * 5) % 256, alpha);
                source.setPixel(x, y, qPremultiply(colour));
            }
        const QImage image = source.convertToFormat(format);
        pf::Error error;
        const QByteArray png = pf::ImageWriter::encode(image, BitmapFileType::PNG, {}, &error);
        ASSERT_FALSE(png.isEmpty()) << qPrintable(error.description());
        const int channels = format == QImage::Format_Grayscale8 ? 1 : image.hasAlphaChannel() ? 4 : 3;
        const qsizetype dataSize = qsizetype(image.height()) * (1 + image.width() * channels);
        EXPECT_EQ(inflatedImageData(png, dataSize).size(), dataSize);
        const QImage read = QImage::fromData(png, "PNG");
        ASSERT_EQ(read.size(), image.size()) << format;
        EXPECT_EQ(read.hasAlphaChannel(), image.hasAlphaChannel());
        const QImage expected = image.convertToFormat(QImage::Format_ARGB32);
        const QImage actual = read.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < expected.height(); ++y)
            ASSERT_EQ(std::memcmp(actual.constScanLine(y), expected.constScanLine(y), size_t(expected.width()) * 4), 0)
                << "format " << format << ", row " << y;
    }
}
