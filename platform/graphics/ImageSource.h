#pragma once

#include "platform/foundation/Error.h"

#include <QString>
#include <QVariantMap>

namespace pf {

// Keys of an image file's properties.
inline const QString kImagePropertyPixelWidth = QStringLiteral("PixelWidth");     // int
inline const QString kImagePropertyPixelHeight = QStringLiteral("PixelHeight");   // int
inline const QString kImagePropertyDepth = QStringLiteral("Depth");               // int, bits a sample
inline const QString kImagePropertyColorModel = QStringLiteral("ColorModel");     // "RGB", "Gray", "CMYK", "Indexed"
inline const QString kImagePropertyHasAlpha = QStringLiteral("HasAlpha");         // bool
inline const QString kImagePropertyFileType = QStringLiteral("FileType");         // "jpeg", "png", "tiff", "gif", "bmp", "svg"
inline const QString kImagePropertyDPIWidth = QStringLiteral("DPIWidth");         // double
inline const QString kImagePropertyDPIHeight = QStringLiteral("DPIHeight");       // double
inline const QString kImagePropertyCaptureDate = QStringLiteral("DateTimeOriginal"); // QDateTime, from Exif
inline const QString kImagePropertyOrientation = QStringLiteral("Orientation");   // int 1...8, from Exif

// What an image file says about itself. Pixel sizes are those stored in the file, before any
// orientation is applied. Keys the file has nothing for are absent: no capture date or
// orientation without Exif, no resolution for SVG or for a TIFF without a resolution unit.
class ImageSource {
public:
    // The properties, or an empty map and an error for a file that is not a readable image.
    static QVariantMap properties(const QString& path, Error* error = nullptr);
};

} // namespace pf
