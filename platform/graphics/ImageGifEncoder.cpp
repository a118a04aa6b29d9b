#include "platform/graphics/ImageGifEncoder.h"

#include "platform/graphics/ImageWriter.h"

#include <QHash>

#include <gif_lib.h>

#include <memory>
#include <vector>

namespace pf {

namespace {

constexpr int kOpaqueThreshold = 128;

int appendToByteArray(GifFileType* gif, const GifByteType* bytes, int length)
{
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), length);
    return length;
}

Error gifError(int code)
{
    return ImageWriter::encodingError(BitmapFileType::GIF, QString::fromLatin1(GifErrorString(code)));
}

// The palette and one index a pixel.
struct IndexedPixels {
    std::vector<GifColorType> palette;
    std::vector<GifByteType> indices;
    int transparentIndex = NO_TRANSPARENT_COLOR;
};

// Exact palette when the opaque pixels have few enough colours; empty otherwise.
bool indexExactly(const QImage& flat, const std::vector<bool>& clear, int capacity, IndexedPixels& out)
{
    QHash<QRgb, GifByteType> indexOf;
    const int width = flat.width();
    out.indices.resize(size_t(width) * size_t(flat.height()));
    for (int y = 0; y < flat.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(flat.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const size_t i = size_t(y) * size_t(width) + size_t(x);
            if (clear[i])
                continue;
            const QRgb colour = row[x] & RGB_MASK;
            auto found = indexOf.constFind(colour);
            if (found == indexOf.constEnd()) {
                if (indexOf.size() == capacity)
                    return false;
                found = indexOf.insert(colour, GifByteType(indexOf.size()));
                out.palette.push_back({GifByteType(qRed(colour)), GifByteType(qGreen(colour)), GifByteType(qBlue(colour))});
            }
            out.indices[i] = found.value();
        }
    }
    return true;
}

bool quantize(const QImage& flat, int capacity, IndexedPixels& out, Error* error)
{
    const size_t count = size_t(flat.width()) * size_t(flat.height());
    std::vector<GifByteType> red(count), green(count), blue(count);
    for (int y = 0; y < flat.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(flat.constScanLine(y));
        for (int x = 0; x < flat.width(); ++x) {
            const size_t i = size_t(y) * size_t(flat.width()) + size_t(x);
            red[i] = GifByteType(qRed(row[x]));
            green[i] = GifByteType(qGreen(row[x]));
            blue[i] = GifByteType(qBlue(row[x]));
        }
    }
    int paletteSize = capacity;
    std::vector<GifColorType> palette(256, GifColorType{0, 0, 0});
    out.indices.resize(count);
    if (GifQuantizeBuffer(unsigned(flat.width()), unsigned(flat.height()), &paletteSize, red.data(), green.data(),
                          blue.data(), out.indices.data(), palette.data()) != GIF_OK) {
        fail(error, ImageWriter::encodingError(BitmapFileType::GIF, QStringLiteral("The colours couldn't be reduced to a palette.")));
        return false;
    }
    palette.resize(size_t(std::clamp(paletteSize, 1, capacity)));
    out.palette = std::move(palette);
    return true;
}

} // namespace

QByteArray ImageGifEncoder::encode(const QImage& image, bool gray, Error* error)
{
    if (image.isNull()) {
        fail(error, ImageWriter::encodingError(BitmapFileType::GIF, QStringLiteral("There is no image to save.")));
        return {};
    }
    if (image.width() > kMaximumSide || image.height() > kMaximumSide) {
        fail(error, ImageWriter::encodingError(BitmapFileType::GIF,
                                               QStringLiteral("GIF images are at most %1 pixels wide and high.").arg(kMaximumSide)));
        return {};
    }
    const int width = image.width();
    const int height = image.height();

    // Which pixels are clear, decided on the original alpha, before compositing.
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    std::vector<bool> clear(size_t(width) * size_t(height), false);
    bool anyClear = false;
    if (argb.hasAlphaChannel()) {
        for (int y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
            for (int x = 0; x < width; ++x) {
                if (qAlpha(row[x]) < kOpaqueThreshold) {
                    clear[size_t(y) * size_t(width) + size_t(x)] = true;
                    anyClear = true;
                }
            }
        }
    }
    QImage flat = ImageWriter::flattenedOverWhite(argb);
    if (gray)
        flat = ImageWriter::grayscale(flat).convertToFormat(QImage::Format_RGB32);

    // One palette entry stays free for the transparent index.
    const int capacity = anyClear ? 255 : 256;
    IndexedPixels pixels;
    if (!indexExactly(flat, clear, capacity, pixels)) {
        pixels = {};
        if (!quantize(flat, capacity, pixels, error))
            return {};
    }
    if (anyClear) {
        pixels.transparentIndex = int(pixels.palette.size());
        pixels.palette.push_back({255, 255, 255});
        for (size_t i = 0; i < clear.size(); ++i) {
            if (clear[i])
                pixels.indices[i] = GifByteType(pixels.transparentIndex);
        }
    }
    // giflib wants a power-of-two palette of at least two entries.
    const int bits = std::max(1, GifBitSize(int(pixels.palette.size())));
    pixels.palette.resize(size_t(1) << bits, GifColorType{0, 0, 0});
    std::unique_ptr<ColorMapObject, void (*)(ColorMapObject*)> colourMap(
        GifMakeMapObject(int(pixels.palette.size()), pixels.palette.data()), GifFreeMapObject);
    if (!colourMap) {
        fail(error, gifError(E_GIF_ERR_NOT_ENOUGH_MEM));
        return {};
    }

    QByteArray bytes;
    int code = 0;
    GifFileType* gif = EGifOpen(&bytes, appendToByteArray, &code);
    if (!gif) {
        fail(error, gifError(code));
        return {};
    }
    // Closes the file on every path; a failure after a step has already been reported.
    auto finish = [&](bool ok) -> QByteArray {
        int closeCode = 0;
        const bool closed = EGifCloseFile(gif, &closeCode) == GIF_OK;
        if (!ok)
            return {};
        if (!closed) {
            fail(error, gifError(closeCode));
            return {};
        }
        return bytes;
    };
    EGifSetGifVersion(gif, true);
    if (EGifPutScreenDesc(gif, width, height, 8, 0, colourMap.get()) != GIF_OK) {
        fail(error, gifError(gif->Error));
        return finish(false);
    }
    if (pixels.transparentIndex != NO_TRANSPARENT_COLOR) {
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSAL_UNSPECIFIED;
        control.UserInputFlag = false;
        control.DelayTime = 0;
        control.TransparentColor = pixels.transparentIndex;
        GifByteType extension[4];
        const size_t length = EGifGCBToExtension(&control, extension);
        if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension) != GIF_OK) {
            fail(error, gifError(gif->Error));
            return finish(false);
        }
    }
    if (EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) != GIF_OK) {
        fail(error, gifError(gif->Error));
        return finish(false);
    }
    for (int y = 0; y < height; ++y) {
        if (EGifPutLine(gif, pixels.indices.data() + size_t(y) * size_t(width), width) != GIF_OK) {
            fail(error, gifError(gif->Error));
            return finish(false);
        }
    }
    return finish(true);
}

} // namespace pf
