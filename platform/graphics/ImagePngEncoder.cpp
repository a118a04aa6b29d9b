#include "platform/graphics/ImagePngEncoder.h"

#include "platform/graphics/ImageWriter.h"

#include <png.h>
#include <sys/mman.h>
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
// one buffer, made with the source, and converted there in place, so that reading allocates
// nothing further.
class RowSource {
public:
    RowSource(const QImage& image, int colourType)
        : m_image(image)
        , m_colourType(colourType)
        , m_premultiplied(image.format() == QImage::Format_ARGB32_Premultiplied)
    {
        if (m_premultiplied)
            m_band = QImage(image.width(), kBandRows, QImage::Format_ARGB32_Premultiplied);
    }

    // False when there was no memory for the band.
    bool isValid() const { return !m_premultiplied || !m_band.isNull(); }

    void convert(int y, png_byte* out)
    {
        if (!m_premultiplied) {
            convertRow(m_image.constScanLine(y), m_image.width(), m_colourType, out);
            return;
        }
        if (m_bandRows == 0 || y < m_bandTop || y >= m_bandTop + m_bandRows) {
            m_band.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
            m_bandTop = y;
            m_bandRows = std::min(kBandRows, m_image.height() - y);
            const size_t rowBytes = size_t(m_image.width()) * 4;
            for (int row = 0; row < m_bandRows; ++row)
                std::memcpy(m_band.scanLine(row), m_image.constScanLine(y + row), rowBytes);
            m_band.convertTo(QImage::Format_ARGB32);
        }
        convertRow(m_band.constScanLine(y - m_bandTop), m_image.width(), m_colourType, out);
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

// Room for a strip's compressed data, mapped for it alone: it is sized for the worst case, and
// only the pages written are ever touched. (From the heap, a block this size may lie in huge
// pages that are touched whole.)
class OutputMapping {
public:
    explicit OutputMapping(size_t size)
    {
        void* mapped = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (mapped != MAP_FAILED) {
            m_data = static_cast<Bytef*>(mapped);
            m_size = size;
        }
    }
    ~OutputMapping() { release(); }
    OutputMapping(const OutputMapping&) = delete;
    OutputMapping& operator=(const OutputMapping&) = delete;

    Bytef* data() const { return m_data; }
    void release()
    {
        if (m_data)
            munmap(m_data, m_size);
        m_data = nullptr;
        m_size = 0;
    }

private:
    Bytef* m_data = nullptr;
    size_t m_size = 0;
};

// The image data is deflated in strips of rows at once. Each strip is a raw deflate stream that
// ends on a byte boundary (a sync flush) but for the last, which ends the data, so that the
// strips joined in order are one stream; their Adler-32 sums combine into the stream's.
// Everything a strip needs is made before the strips run, in the calling thread, so that the
// threads that run them allocate nothing (each would otherwise take a heap of its own).
class Strip {
public:
    Strip(const QImage& image, int colourType, int top, int rows, bool last)
        : m_top(top)
        , m_rows(rows)
        , m_last(last)
        , m_bytesPerPixel(size_t(channelsOf(colourType)))
        , m_rowBytes(size_t(image.width()) * m_bytesPerPixel)
        , m_source(image, colourType)
    {
        if (!m_source.isValid() || deflateInit2(&m_stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_RLE) != Z_OK)
            return;
        m_streamReady = true;
        m_inputLength = uLong(rows) * uLong(m_rowBytes + 1);
        m_capacity = size_t(deflateBound(&m_stream, m_inputLength)) + 64;
        m_data = std::make_unique<OutputMapping>(m_capacity);
        m_above.assign(m_rowBytes, 0);
        m_row.resize(m_rowBytes);
        m_filtered.resize(m_rowBytes + 1);
    }
    ~Strip()
    {
        if (m_streamReady)
            deflateEnd(&m_stream);
    }
    Strip(const Strip&) = delete;
    Strip& operator=(const Strip&) = delete;

    void run()
    {
        if (!m_streamReady || !m_data || !m_data->data())
            return;
        m_stream.next_out = m_data->data();
        m_stream.avail_out = uInt(m_capacity);
        if (m_top > 0)
            m_source.convert(m_top - 1, m_above.data());
        bool ok = true;
        for (int y = m_top; ok && y < m_top + m_rows; ++y) {
            m_source.convert(y, m_row.data());
            paethFilter(m_row.data(), m_above.data(), m_rowBytes, m_bytesPerPixel, m_filtered.data());
            m_adler = adler32(m_adler, m_filtered.data(), uInt(m_filtered.size()));
            m_stream.next_in = m_filtered.data();
            m_stream.avail_in = uInt(m_filtered.size());
            const bool lastRow = y + 1 == m_top + m_rows;
            const int flush = !lastRow ? Z_NO_FLUSH : m_last ? Z_FINISH : Z_SYNC_FLUSH;
            const int result = deflate(&m_stream, flush);
            ok = m_stream.avail_in == 0 && (flush == Z_FINISH ? result == Z_STREAM_END : result == Z_OK);
            std::swap(m_above, m_row);
        }
        m_size = m_capacity - m_stream.avail_out;
        m_ok = ok;
    }

    bool ok() const { return m_ok; }
    const Bytef* data() const { return m_data->data(); }
    size_t size() const { return m_size; }
    uLong adler() const { return m_adler; }
    uLong inputLength() const { return m_inputLength; }
    void releaseData() { m_data.reset(); }

private:
    int m_top;
    int m_rows;
    bool m_last;
    size_t m_bytesPerPixel;
    size_t m_rowBytes;
    RowSource m_source;
    z_stream m_stream{};
    bool m_streamReady = false;
    std::unique_ptr<OutputMapping> m_data;
    size_t m_capacity = 0;
    size_t m_size = 0;
    uLong m_adler = 1;
    uLong m_inputLength = 0;
    std::vector<png_byte> m_above;
    std::vector<png_byte> m_row;
    std::vector<png_byte> m_filtered;
    bool m_ok = false;
};

// Strips for `image`: one per processor the machine offers (four at most: each holds its own
// compressor and output), of whole bands, one alone for small images.
std::vector<std::unique_ptr<Strip>> stripsFor(const QImage& image, int colourType)
{
    const int processors = int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    const int bands = (image.height() + kBandRows - 1) / kBandRows;
    const int count = std::clamp(bands, 1, processors);
    const int rowsPerStrip = (bands + count - 1) / count * kBandRows;
    std::vector<std::unique_ptr<Strip>> strips;
    for (int top = 0; top < image.height(); top += rowsPerStrip) {
        const int rows = std::min(rowsPerStrip, image.height() - top);
        strips.push_back(std::make_unique<Strip>(image, colourType, top, rows, top + rows == image.height()));
    }
    return strips;
}

// Deflates the strips side by side (in this thread alone when no other can be started).
void deflateStrips(std::vector<std::unique_ptr<Strip>>& strips)
{
    std::vector<std::thread> workers;
    workers.reserve(strips.size());
    for (size_t i = 1; i < strips.size(); ++i) {
        try {
            workers.emplace_back(&Strip::run, strips[i].get());
        } catch (const std::system_error&) {
            strips[i]->run();
        }
    }
    strips.front()->run();
    for (std::thread& worker : workers)
        worker.join();
}

// What libpng works on. It reports errors by longjmp, so everything that must be released
// afterwards lives here, outside the frame that the jump leaves.
struct Job {
    QImage image;
    int colourType = PNG_COLOR_TYPE_RGB;
    std::vector<std::unique_ptr<Strip>> strips;
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
    for (const auto& strip : job.strips) {
        if (!strip->ok())
            png_error(png, "The image data could not be compressed.");
        total += strip->size() + 12;
        adler = adler32_combine(adler, strip->adler(), z_off_t(strip->inputLength()));
    }
    job.output.bytes.reserve(job.output.bytes.size() + qsizetype(total) + 64);
    static const png_byte kZlibHeader[2] = {0x78, 0x9c};
    png_write_chunk(png, reinterpret_cast<png_const_bytep>("IDAT"), kZlibHeader, sizeof kZlibHeader);
    for (const auto& strip : job.strips) {
        png_write_chunk(png, reinterpret_cast<png_const_bytep>("IDAT"), strip->data(), strip->size());
        strip->releaseData();
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
    job.strips = stripsFor(job.image, job.colourType);
    deflateStrips(job.strips);

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
