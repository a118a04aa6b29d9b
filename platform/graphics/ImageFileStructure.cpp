#include "platform/graphics/ImageFileStructure.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>

namespace pf {

namespace {

constexpr unsigned char kStartOfScan = 0xDA;
constexpr unsigned char kEndOfImage = 0xD9;

struct JpegSegment {
    qsizetype position = -1; // of the 0xFF that starts the marker
    unsigned char marker = 0;
};

// The first marker segment for which `stop` holds, walking the headers before the first scan;
// a position of -1 when the headers end first.
template<typename Stop>
JpegSegment findJpegSegment(const QByteArray& data, Stop stop)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
    const qsizetype size = data.size();
    qsizetype pos = 2;
    while (pos + 4 <= size) {
        if (bytes[pos] != 0xFF)
            return {};
        const unsigned char marker = bytes[pos + 1];
        if (marker == 0xFF) {
            ++pos;
            continue;
        }
        if (stop(marker))
            return {pos, marker};
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2;
            continue;
        }
        if (marker == kStartOfScan || marker == kEndOfImage)
            return {};
        const int length = (bytes[pos + 2] << 8) | bytes[pos + 3];
        if (length < 2)
            return {};
        pos += 2 + length;
    }
    return {};
}

bool isFrameMarker(unsigned char marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool isJpegComplete(const QByteArray& data)
{
    // Entropy-coded data never holds 0xFF 0xD9 (a data 0xFF is always followed by 0x00), so
    // a file cut inside its scans has no end-of-image marker after the first scan.
    const JpegSegment scan = findJpegSegment(data, [](unsigned char marker) { return marker == kStartOfScan; });
    if (scan.position < 0)
        return false;
    static const QByteArray endOfImage("\xFF\xD9", 2);
    return data.indexOf(endOfImage, scan.position) >= 0;
}

struct GifInput {
    const QByteArray* data;
    qsizetype position = 0;
};

int readGif(GifFileType* gif, GifByteType* buffer, int length)
{
    auto* input = static_cast<GifInput*>(gif->UserData);
    const qsizetype count = std::clamp<qsizetype>(input->data->size() - input->position, 0, length);
    std::memcpy(buffer, input->data->constData() + input->position, size_t(count));
    input->position += count;
    return int(count);
}

// The most pixels `bytes` of LZW data with codes of at least `codeBits` bits can stand for. The
// k-th code after a clear adds one entry to the table, so it stands for at most k pixels, and
// Qt's decoder refuses any code standing for more than kMaxPixelsPerCode.
qint64 mostGifPixels(qint64 bytes, int codeBits)
{
    constexpr qint64 kMaxPixelsPerCode = 8192;
    const qint64 codes = bytes * 8 / std::max(codeBits, 1);
    if (codes <= kMaxPixelsPerCode)
        return codes * (codes + 1) / 2;
    return kMaxPixelsPerCode * (kMaxPixelsPerCode + 1) / 2 + (codes - kMaxPixelsPerCode) * kMaxPixelsPerCode;
}

// Walks the records up to the end of the first image's compressed data without decoding it.
// The data must also be long enough to hold every pixel of the frame: one cut short (or a few
// bytes claiming a huge frame) would otherwise be decoded by filling the whole canvas around
// what little it holds.
bool isFirstGifFrameComplete(const QByteArray& data)
{
    GifInput input{&data};
    int code = 0;
    GifFileType* gif = DGifOpen(&input, readGif, &code);
    if (!gif)
        return false;
    bool complete = false;
    bool done = false;
    while (!done) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &record) != GIF_OK)
            break;
        if (record == EXTENSION_RECORD_TYPE) {
            int extensionCode = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &extensionCode, &block) != GIF_OK)
                break;
            while (block && DGifGetExtensionNext(gif, &block) == GIF_OK) {
            }
            if (block)
                break;
        } else if (record == IMAGE_DESC_RECORD_TYPE) {
            int codeSize = 0;
            GifByteType* block = nullptr;
            if (DGifGetImageDesc(gif) != GIF_OK)
                break;
            // The descriptor's last byte read is the LZW minimum code size; codes start one
            // bit wider.
            const int minimumCodeSize = quint8(data.at(input.position - 1));
            const qint64 pixels = qint64(gif->Image.Width) * gif->Image.Height;
            if (DGifGetCode(gif, &codeSize, &block) != GIF_OK)
                break;
            qint64 bytes = 0;
            bool failed = false;
            while (block && !failed) {
                bytes += block[0];
                failed = DGifGetCodeNext(gif, &block) != GIF_OK;
            }
            complete = !failed && mostGifPixels(bytes, minimumCodeSize + 1) >= pixels;
            done = true;
        } else {
            done = true; // the trailer, or garbage, before any image
        }
    }
    int closeCode = 0;
    DGifCloseFile(gif, &closeCode);
    return complete;
}

quint32 littleEndian(const QByteArray& data, qsizetype offset, int size)
{
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | quint8(data.at(offset + i));
    return value;
}

// Uncompressed bitmaps must hold every row the header announces; run-length and embedded
// JPEG or PNG data carry their own ends and are left to the reader.
bool isBmpComplete(const QByteArray& data)
{
    if (data.size() < 26)
        return false;
    const quint32 pixelOffset = littleEndian(data, 10, 4);
    const quint32 headerSize = littleEndian(data, 14, 4);
    qint64 width = 0;
    qint64 height = 0;
    quint32 bitsPerPixel = 0;
    quint32 compression = 0;
    if (headerSize == 12) {
        width = littleEndian(data, 18, 2);
        height = littleEndian(data, 20, 2);
        bitsPerPixel = littleEndian(data, 24, 2);
    } else {
        if (data.size() < 34)
            return false;
        width = qint32(littleEndian(data, 18, 4));
        height = qint32(littleEndian(data, 22, 4));
        bitsPerPixel = littleEndian(data, 28, 2);
        compression = littleEndian(data, 30, 4);
    }
    const bool uncompressed = compression == 0 || compression == 3 || compression == 6;
    if (!uncompressed)
        return true;
    const qint64 stride = ((std::abs(width) * bitsPerPixel + 31) / 32) * 4;
    const qint64 rows = std::abs(height);
    const qint64 available = qint64(data.size()) - qint64(pixelOffset);
    if (available < 0)
        return false;
    // Compared by division: the product of two sizes read from the file can overflow.
    return stride == 0 || rows <= available / stride;
}

} // namespace

bool ImageFileStructure::isComplete(const QByteArray& data, const QByteArray& format, QString* reason)
{
    bool complete = true;
    if (format == "jpeg")
        complete = isJpegComplete(data);
    else if (format == "gif")
        complete = isFirstGifFrameComplete(data);
    else if (format == "bmp")
        complete = isBmpComplete(data);
    if (!complete && reason)
        *reason = QStringLiteral("The %1 data ends before the image is complete.").arg(QString::fromLatin1(format.toUpper()));
    return complete;
}

int ImageFileStructure::jpegComponentCount(const QByteArray& data)
{
    const JpegSegment frame = findJpegSegment(data, isFrameMarker);
    if (frame.position < 0 || frame.position + 9 >= data.size())
        return 0;
    return quint8(data.at(frame.position + 9));
}

} // namespace pf
