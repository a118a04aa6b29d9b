#include "platform/graphics/ImagePngEncoder.h"

#include "platform/graphics/ImageWriter.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>
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
constexpr int kBandRows = 16;

int channelsOf(int colourType)
{
    return colourType == PNG_COLOR_TYPE_GRAY ? 1 : colourType == PNG_COLOR_TYPE_RGB_ALPHA ? 4 : 3;
}

// A row of 32-bit pixels (not premultiplied) or of grey as the bytes PNG stores for `colourType`.
void convertRow(const uchar* source, int width, int colourType, png_byte* out)
{
    if (colourType == PNG_COLOR_TYPE_GRAY) {
        std::copy(source, source + width, out);
        return;
    }
    const auto* pixels = reinterpret_cast<const QRgb*>(source);
    if (colourType == PNG_COLOR_TYPE_RGB_ALPHA) {
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = pixels[x];
            *out++ = png_byte(qRed(pixel));
            *out++ = png_byte(qGreen(pixel));
            *out++ = png_byte(qBlue(pixel));
            *out++ = png_byte(qAlpha(pixel));
        }
        return;
    }
    for (int x = 0; x < width; ++x) {
        const QRgb pixel = pixels[x];
        *out++ = png_byte(qRed(pixel));
        *out++ = png_byte(qGreen(pixel));
        *out++ = png_byte(qBlue(pixel));
    }
}

// The rows of `image` as PNG stores them. Premultiplied rows are copied a band at a time into
// one buffer and converted there in place, so that reading allocates nothing further.
class RowSource {
public:
    RowSource(const QImage& image, int colourType)
        : m_image(image)
        , m_colourType(colourType)
        , m_premultiplied(image.format() == QImage::Format_ARGB32_Premultiplied)
    {
    }

    // False when there is no memory for the band.
    bool convert(int y, png_byte* out)
    {
        if (!m_premultiplied) {
            convertRow(m_image.constScanLine(y), m_image.width(), m_colourType, out);
            return true;
        }
        if (m_bandRows == 0 || y < m_bandTop || y >= m_bandTop + m_bandRows) {
            if (m_band.isNull())
                m_band = QImage(m_image.width(), kBandRows, QImage::Format_ARGB32_Premultiplied);
            if (m_band.isNull())
                return false;
            m_band.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
            m_bandTop = y;
            m_bandRows = std::min(kBandRows, m_image.height() - y);
            const size_t rowBytes = size_t(m_image.width()) * 4;
            for (int row = 0; row < m_bandRows; ++row)
                std::memcpy(m_band.scanLine(row), m_image.constScanLine(y + row), rowBytes);
            m_band.convertTo(QImage::Format_ARGB32);
        }
        convertRow(m_band.constScanLine(y - m_bandTop), m_image.width(), m_colourType, out);
        return true;
    }

private:
    const QImage& m_image;
    int m_colourType;
    bool m_premultiplied;
    QImage m_band;
    int m_bandTop = 0;
    int m_bandRows = 0;
};

// Every row is Paeth-filtered: each byte less the neighbour (left, above or above left) that
// best predicts it.
void paethFilter(const png_byte* row, const png_byte* above, size_t length, size_t bytesPerPixel, png_byte* out)
{
    *out++ = 4; // the filter type
    for (size_t i = 0; i < bytesPerPixel && i < length; ++i)
        out[i] = png_byte(row[i] - above[i]);
    for (size_t i = bytesPerPixel; i < length; ++i) {
        const int a = row[i - bytesPerPixel];
        const int b = above[i];
        const int c = above[i - bytesPerPixel];
        const int pa = std::abs(b - c);
        const int pb = std::abs(a - c);
        const int pc = std::abs(a + b - 2 * c);
        const int predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
        out[i] = png_byte(row[i] - predicted);
    }
}

// The image data is deflated in strips of rows at once. Each strip is a raw deflate stream that
// ends on a byte boundary (a sync flush) but for the last, which ends the data, so that the
// strips joined in order are one stream; their Adler-32 sums combine into the stream's.
struct Strip {
    int top = 0;
    int rows = 0;
    bool last = false;
    std::unique_ptr<Bytef[]> data;
    size_t size = 0;
    uLong adler = 1;
    uLong inputLength = 0;
    bool ok = false;
};

void deflateStrip(const QImage& image, int colourType, Strip& strip)
{
    const size_t bytesPerPixel = size_t(channelsOf(colourType));
    const size_t rowBytes = size_t(image.width()) * bytesPerPixel;
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_RLE) != Z_OK)
        return;
    strip.inputLength = uLong(strip.rows) * uLong(rowBytes + 1);
    // Room for the worst case; pages past what is written are never touched.
    const size_t capacity = size_t(deflateBound(&stream, strip.inputLength)) + 64;
    strip.data.reset(new (std::nothrow) Bytef[capacity]);
    if (!strip.data) {
        deflateEnd(&stream);
        return;
    }
    stream.next_out = strip.data.get();
    stream.avail_out = uInt(capacity);

    RowSource source(image, colourType);
    std::vector<png_byte> above(rowBytes, 0);
    std::vector<png_byte> row(rowBytes);
    std::vector<png_byte> filtered(rowBytes + 1);
    bool ok = strip.top == 0 || source.convert(strip.top - 1, above.data());
    for (int y = strip.top; ok && y < strip.top + strip.rows; ++y) {
        if (!source.convert(y, row.data())) {
            ok = false;
            break;
        }
        paethFilter(row.data(), above.data(), rowBytes, bytesPerPixel, filtered.data());
        strip.adler = adler32(strip.adler, filtered.data(), uInt(filtered.size()));
        stream.next_in = filtered.data();
        stream.avail_in = uInt(filtered.size());
        const bool lastRow = y + 1 == strip.top + strip.rows;
        const int flush = !lastRow ? Z_NO_FLUSH : strip.last ? Z_FINISH : Z_SYNC_FLUSH;
        const int result = deflate(&stream, flush);
        ok = stream.avail_in == 0 && (flush == Z_FINISH ? result == Z_STREAM_END : result == Z_OK);
        std::swap(above, row);
    }
    strip.size = capacity - stream.avail_out;
    deflateEnd(&stream);
    strip.ok = ok;
}

// Strips for `image`: one per processor the machine offers (four at most: each holds its own
// compressor and output), of whole bands, one alone for small images.
std::vector<Strip> stripsFor(const QImage& image)
{
    const int processors = int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    const int bands = (image.height() + kBandRows - 1) / kBandRows;
    const int count = std::clamp(bands, 1, processors);
    const int bandsPerStrip = (bands + count - 1) / count;
    std::vector<Strip> strips;
    for (int top = 0; top < image.height(); top += bandsPerStrip * kBandRows) {
        Strip strip;
        strip.top = top;
        strip.rows = std::min(bandsPerStrip * kBandRows, image.height() - top);
        strips.push_back(std::move(strip));
    }
    strips.back().last = true;
    return strips;
}

// Deflates the strips side by side (in this thread alone when no other can be started).
void deflateStrips(const QImage& image, int colourType, std::vector<Strip>& strips)
{
    std::vector<std::thread> workers;
    for (size_t i = 1; i < strips.size(); ++i) {
        try {
            workers.emplace_back(deflateStrip, std::cref(image), colourType, std::ref(strips[i]));
        } catch (const std::system_error&) {
            deflateStrip(image, colourType, strips[i]);
        }
    }
    deflateStrip(image, colourType, strips.front());
    for (std::thread& worker : workers)
        worker.join();
}

// What libpng works on. It reports errors by longjmp, so everything that must be released
// afterwards lives here, outside the frame that the jump leaves.
struct Job {
    QImage image;
    int colourType = PNG_COLOR_TYPE_RGB;
    std::vector<Strip> strips;
    Output output;
};

// False when libpng reported an error (in job.output.problem). libpng writes the header and the
// chunks; the image data, deflated here, goes in as IDAT chunks of its own.
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
    png_write_info(png, info);

    // The zlib header (deflate, 32 KB window, default level), the strips, the sum of it all.
    size_t total = 2 + 4;
    uLong adler = adler32(0, nullptr, 0);
    for (const Strip& strip : job.strips) {
        if (!strip.ok)
            png_error(png, "The image data could not be compressed.");
        total += strip.size + 12;
        adler = adler32_combine(adler, strip.adler, z_off_t(strip.inputLength));
    }
    job.output.bytes.reserve(job.output.bytes.size() + qsizetype(total) + 64);
    static const png_byte kZlibHeader[2] = {0x78, 0x9c};
    png_write_chunk(png, reinterpret_cast<png_const_bytep>("IDAT"), kZlibHeader, sizeof kZlibHeader);
    for (Strip& strip : job.strips) {
        png_write_chunk(png, reinterpret_cast<png_const_bytep>("IDAT"), strip.data.get(), strip.size);
        strip.data.reset();
    }
    const png_byte sum[4] = {png_byte(adler >> 24), png_byte(adler >> 16), png_byte(adler >> 8), png_byte(adler)};
    png_write_chunk(png, reinterpret_cast<png_const_bytep>("IDAT"), sum, sizeof sum);
    png_write_chunk(png, reinterpret_cast<png_const_bytep>("IEND"), nullptr, 0);
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
    job.strips = stripsFor(job.image);
    deflateStrips(job.image, job.colourType, job.strips);

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
