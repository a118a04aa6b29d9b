#include "platform/graphics/ImagePngEncoder.h"

#include "platform/graphics/ImageWriter.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <vector>

namespace pf {

namespace {

struct Output {
    QByteArray bytes;
    QString problem;
};

void writeBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* output = static_cast<Output*>(png_get_io_ptr(png));
    // Appending does not grow the array ahead of need: without room made here, each chunk
    // libpng writes would copy all the bytes written before it.
    const qsizetype needed = output->bytes.size() + qsizetype(length);
    if (needed > output->bytes.capacity())
        output->bytes.reserve(std::max(needed, 2 * output->bytes.capacity()));
    output->bytes.append(reinterpret_cast<const char*>(data), qsizetype(length));
}

void flushNothing(png_structp) {}

void reportError(png_structp png, png_const_charp message)
{
    auto* output = static_cast<Output*>(png_get_error_ptr(png));
    output->problem = QString::fromUtf8(message);
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

// Premultiplied pixels are un-premultiplied by Qt itself, a band of rows at a time, so that the
// file holds exactly what converting the whole image would give, without a copy of all of it.
constexpr int kBandRows = 64;

// Row `y` of `band` (32-bit, not premultiplied, or grey) as the bytes PNG stores for `colourType`.
void convertRow(const QImage& band, int y, int colourType, std::vector<png_byte>& row)
{
    if (colourType == PNG_COLOR_TYPE_GRAY) {
        const uchar* source = band.constScanLine(y);
        std::copy(source, source + band.width(), row.begin());
        return;
    }
    const auto* pixels = reinterpret_cast<const QRgb*>(band.constScanLine(y));
    png_byte* out = row.data();
    for (int x = 0; x < band.width(); ++x) {
        const QRgb pixel = pixels[x];
        *out++ = png_byte(qRed(pixel));
        *out++ = png_byte(qGreen(pixel));
        *out++ = png_byte(qBlue(pixel));
        if (colourType == PNG_COLOR_TYPE_RGB_ALPHA)
            *out++ = png_byte(qAlpha(pixel));
    }
}

// What libpng works on. It reports errors by longjmp, so everything that must be released
// afterwards lives here, outside the frame that the jump leaves.
struct Job {
    QImage image;
    int colourType = PNG_COLOR_TYPE_RGB;
    std::vector<png_byte> row;
    QImage band;
    Output output;
};

// False when libpng reported an error (in job.output.problem).
bool writePng(png_structp png, png_infop info, Job& job)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    const QImage& image = job.image;
    png_set_write_fn(png, &job.output, writeBytes, flushNothing);
    png_set_IHDR(png, info, png_uint_32(image.width()), png_uint_32(image.height()), 8, job.colourType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (image.dotsPerMeterX() > 0 && image.dotsPerMeterY() > 0)
        png_set_pHYs(png, info, png_uint_32(image.dotsPerMeterX()), png_uint_32(image.dotsPerMeterY()),
                     PNG_RESOLUTION_METER);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_PAETH);
    png_set_compression_strategy(png, Z_RLE);
    png_write_info(png, info);
    const bool premultiplied = image.format() == QImage::Format_ARGB32_Premultiplied;
    for (int top = 0; top < image.height(); top += kBandRows) {
        const int rows = std::min(kBandRows, image.height() - top);
        job.band = QImage(image.constScanLine(top), image.width(), rows, image.bytesPerLine(), image.format());
        if (premultiplied)
            job.band = job.band.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < rows; ++y) {
            convertRow(job.band, y, job.colourType, job.row);
            png_write_row(png, job.row.data());
        }
    }
    png_write_end(png, info);
    return true;
}

} // namespace

QByteArray ImagePngEncoder::encode(const QImage& source, Error* error)
{
    if (source.isNull()) {
        fail(error, ImageWriter::encodingError(BitmapFileType::PNG, QStringLiteral("There is no image to save.")));
        return {};
    }
    const bool gray = source.format() == QImage::Format_Grayscale8;
    const bool alpha = !gray && source.hasAlphaChannel();
    Job job;
    // The rows are read as 32-bit pixels, with or without premultiplied alpha, or as grey.
    job.image = source;
    if (!gray && source.format() != QImage::Format_ARGB32 && source.format() != QImage::Format_ARGB32_Premultiplied
        && source.format() != QImage::Format_RGB32)
        job.image = source.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    job.colourType = gray ? PNG_COLOR_TYPE_GRAY : alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    job.row.resize(size_t(source.width()) * size_t(gray ? 1 : alpha ? 4 : 3));

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &job.output, reportError, ignoreWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, nullptr);
        fail(error, ImageWriter::encodingError(BitmapFileType::PNG, QStringLiteral("There is not enough memory.")));
        return {};
    }
    const bool written = writePng(png, info, job);
    png_destroy_write_struct(&png, &info);
    if (!written) {
        fail(error, ImageWriter::encodingError(BitmapFileType::PNG, job.output.problem));
        return {};
    }
    return job.output.bytes;
}

} // namespace pf
