#pragma once

#include "platform/foundation/Error.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace pf {

// Bitmap file types, numbered as documents and defaults store them.
enum class BitmapFileType : int {
    TIFF = 0,
    BMP = 1,
    GIF = 2,
    JPEG = 3,
    PNG = 4,
};

enum class ImageColorModel {
    RGB,
    Gray,
    CMYK,
};

struct ImageWriteOptions {
    ImageColorModel colorModel = ImageColorModel::RGB;
    // JPEG only: 0 gives the smallest file, 1 the best quality.
    double compressionFactor = 0.75;
};

// Encodes images as bitmap files. What each type keeps:
//   PNG  RGB or grey through ImagePngEncoder; alpha kept (grey with alpha is stored as RGBA
//        with equal channels, as files written before have it).
//   JPEG RGB, grey or CMYK; alpha flattened over white; quality from the compression factor.
//        CMYK is converted from sRGB as for TIFF and written through libjpeg in Adobe's
//        form, because Qt's JPEG writer has no CMYK form in this Qt version.
//   TIFF RGB, grey or CMYK through libtiff, LZW compressed; alpha kept for RGB and grey;
//        CMYK is converted from sRGB with lcms2 and flattened over white.
//   BMP  RGB or grey (an 8-bit grey palette); alpha flattened over white.
//   GIF  RGB or grey through giflib, one frame with a 256-colour palette; pixels less than
//        half opaque become the transparent index, the rest are flattened over white.
// Resolution is taken from the image's dots per metre and stored by PNG, JPEG, TIFF and BMP.
// Images with more than 8 bits a sample are reduced to 8. Safe to call from any thread.
class ImageWriter {
public:
    // The encoded file, or a null array and an error.
    static QByteArray encode(const QImage& image, BitmapFileType type, const ImageWriteOptions& options = {},
                             Error* error = nullptr);
    // Encodes, then replaces the file at `path` atomically; on failure an existing file is
    // left as it was.
    static bool write(const QImage& image, const QString& path, BitmapFileType type,
                      const ImageWriteOptions& options = {}, Error* error = nullptr);

    // `image` composited over opaque white, keeping its resolution.
    static QImage flattenedOverWhite(const QImage& image);
    // `image` as 8-bit grey, its alpha ignored (not composited).
    static QImage grayscale(const QImage& image);

    // The name of a file type for messages ("PNG").
    static QString typeName(BitmapFileType type);
    // An encoding failure of `type`, with `reason` as the failure reason.
    static Error encodingError(BitmapFileType type, const QString& reason);
};

} // namespace pf
