#include "platform/graphics/ImageTiffEncoder.h"

#include "platform/graphics/ImageCmykConverter.h"
#include "platform/graphics/ImageTiffMemoryFile.h"

#include <vector>

namespace pf {

namespace {

struct Layout {
    uint16_t samples = 3;
    uint16_t photometric = PHOTOMETRIC_RGB;
    bool alpha = false;
};

Layout layoutFor(const QImage& image, ImageColorModel model)
{
    const bool alpha = image.hasAlphaChannel();
    switch (model) {
    case ImageColorModel::RGB:
        return {uint16_t(alpha ? 4 : 3), PHOTOMETRIC_RGB, alpha};
    case ImageColorModel::Gray:
        return {uint16_t(alpha ? 2 : 1), PHOTOMETRIC_MINISBLACK, alpha};
    case ImageColorModel::CMYK:
        break;
    }
    return {4, PHOTOMETRIC_SEPARATED, false};
}

Error tiffError(const ImageTiffMemoryFile& file, const QString& fallback)
{
    return ImageWriter::encodingError(BitmapFileType::TIFF,
                                      file.errorMessage().isEmpty() ? fallback : file.errorMessage());
}

} // namespace

QByteArray ImageTiffEncoder::encode(const QImage& image, ImageColorModel model, Error* error)
{
    if (image.isNull()) {
        fail(error, ImageWriter::encodingError(BitmapFileType::TIFF, QStringLiteral("There is no image to save.")));
        return {};
    }
    const Layout layout = layoutFor(image, model);
    // The pixels as the rows of the file will hold them, before separation.
    QImage source;
    QImage gray;
    switch (model) {
    case ImageColorModel::RGB:
        source = image.convertToFormat(layout.alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
        break;
    case ImageColorModel::Gray:
        gray = ImageWriter::grayscale(image);
        if (layout.alpha)
            source = image.convertToFormat(QImage::Format_RGBA8888);
        break;
    case ImageColorModel::CMYK:
        source = ImageWriter::flattenedOverWhite(image).convertToFormat(QImage::Format_RGBX8888);
        break;
    }

    ImageTiffMemoryFile file;
    TIFF* tiff = file.tiff();
    if (!tiff) {
        fail(error, tiffError(file, QStringLiteral("libtiff couldn't start a file.")));
        return {};
    }
    const int width = image.width();
    const int height = image.height();
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(height));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(8));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, layout.samples);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, layout.photometric);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG));
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, uint16_t(ORIENTATION_TOPLEFT));
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, uint16_t(COMPRESSION_LZW));
    TIFFSetField(tiff, TIFFTAG_PREDICTOR, uint16_t(PREDICTOR_HORIZONTAL));
    if (layout.alpha) {
        const uint16_t extra = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, uint16_t(1), &extra);
    }
    if (model == ImageColorModel::CMYK) {
        TIFFSetField(tiff, TIFFTAG_INKSET, uint16_t(INKSET_CMYK));
        const QByteArray& profile = ImageCmykConverter::profileData();
        if (!profile.isEmpty())
            TIFFSetField(tiff, TIFFTAG_ICCPROFILE, uint32_t(profile.size()), profile.constData());
    }
    if (image.dotsPerMeterX() > 0 && image.dotsPerMeterY() > 0) {
        TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, uint16_t(RESUNIT_INCH));
        TIFFSetField(tiff, TIFFTAG_XRESOLUTION, float(image.dotsPerMeterX() * 0.0254));
        TIFFSetField(tiff, TIFFTAG_YRESOLUTION, float(image.dotsPerMeterY() * 0.0254));
    }
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));

    std::vector<unsigned char> row(size_t(width) * layout.samples);
    for (int y = 0; y < height; ++y) {
        switch (model) {
        case ImageColorModel::RGB:
            std::copy_n(source.constScanLine(y), row.size(), row.begin());
            break;
        case ImageColorModel::Gray:
            if (layout.alpha) {
                const uchar* grayRow = gray.constScanLine(y);
                const uchar* rgba = source.constScanLine(y);
                for (int x = 0; x < width; ++x) {
                    row[size_t(x) * 2] = grayRow[x];
                    row[size_t(x) * 2 + 1] = rgba[x * 4 + 3];
                }
            } else {
                std::copy_n(gray.constScanLine(y), row.size(), row.begin());
            }
            break;
        case ImageColorModel::CMYK:
            if (!ImageCmykConverter::convert(source.constScanLine(y), row.data(), width)) {
                fail(error, ImageWriter::encodingError(BitmapFileType::TIFF,
                                                       QStringLiteral("The CMYK colour conversion couldn't be set up.")));
                return {};
            }
            break;
        }
        if (TIFFWriteScanline(tiff, row.data(), uint32_t(y), 0) < 0) {
            fail(error, tiffError(file, QStringLiteral("libtiff couldn't write row %1.").arg(y)));
            return {};
        }
    }
    if (!file.close()) {
        fail(error, tiffError(file, QStringLiteral("libtiff couldn't finish the file.")));
        return {};
    }
    return file.data();
}

} // namespace pf
