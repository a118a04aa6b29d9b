#pragma once

#include "platform/foundation/Error.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace pf {

// Decodes the image files the program opens: JPEG, PNG, TIFF, GIF and BMP through Qt's image
// readers, SVG rasterised through QSvgRenderer. Anything undecodable, truncated or claiming a
// size beyond kDecodeLimitBytes answers a null image and an error; nothing is allocated for a
// header's claim before it is checked. Safe to call from any thread.
class ImageReader {
public:
    // The most one decoded image may take, at four bytes a pixel: 512 MiB is a 11585 x 11585
    // picture, far beyond what the program shows, yet a file cannot make it allocate more.
    // Files larger than this are refused before they are read.
    static constexpr qint64 kDecodeLimitBytes = qint64(512) * 1024 * 1024;

    // `vectorPixelSize` is the size an SVG is rendered at (stretched to fill it); an empty size
    // renders it at its own size. Bitmaps are decoded at their own size and turned upright as
    // their Exif or TIFF orientation says.
    static QImage read(const QString& path, Error* error = nullptr, const QSize& vectorPixelSize = {});
    static QImage read(const QByteArray& data, Error* error = nullptr, const QSize& vectorPixelSize = {});

    // The bytes of the regular file at `path`, refused when larger than kDecodeLimitBytes.
    static QByteArray fileData(const QString& path, Error* error = nullptr);

    // Whether an image of `size` pixels may be decoded.
    static bool fitsDecodeLimit(const QSize& size);

    // The format Qt detects in `data` ("png", "jpeg", "tiff", "gif", "bmp", "svg"), or an empty
    // array for anything the program does not open.
    static QByteArray formatOf(const QByteArray& data);
    // formatOf, failing with an error that names `path` for empty data or an unknown format.
    static QByteArray checkedFormatOf(const QByteArray& data, const QString& path, Error* error = nullptr);

    // Decodes JPEG, PNG, TIFF, GIF or BMP `data` of the given format (as formatOf answers it),
    // checking the size in its header first; `path` only names the file in errors.
    static QImage decodeBitmap(const QByteArray& data, const QByteArray& format, const QString& path,
                               bool autoTransform, Error* error = nullptr);

    // The error for data that is not a readable image; `path` may be empty for in-memory data.
    static Error unreadableError(const QString& path, const QString& reason);
};

} // namespace pf
