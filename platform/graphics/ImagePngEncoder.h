#pragma once

#include "platform/foundation/Error.h"

#include <QByteArray>
#include <QImage>

namespace pf {

// Writes PNG files with libpng, tuned for pictures of drawings: every row Paeth-filtered and
// deflated as runs (Z_RLE), which for flat colours and sharp edges is several times faster than
// the adaptive default and compresses as well or better. Rows are converted a small band at a
// time, so no second copy of the image is made, and tall images are compressed in strips of rows
// side by side on several processors.
//
// Images of Format_Grayscale8 are stored as grey, images with alpha as RGBA (un-premultiplied
// as Qt converts), all others as RGB. The resolution is stored from the image's dots per metre.
class ImagePngEncoder {
public:
    static QByteArray encode(const QImage& image, Error* error = nullptr);
};

} // namespace pf
