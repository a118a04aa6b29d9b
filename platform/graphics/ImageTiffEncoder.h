#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/ImageWriter.h"

#include <QByteArray>
#include <QImage>

namespace pf {

// Writes TIFF files with libtiff: 8 bits a sample, LZW with horizontal prediction, one
// image, the resolution in dots per inch. RGB and grey keep alpha as an unassociated extra
// sample; CMYK is separated through ImageCmykConverter, flattened over white, and carries
// the ICC profile of that conversion.
class ImageTiffEncoder {
public:
    static QByteArray encode(const QImage& image, ImageColorModel model, Error* error = nullptr);
};

} // namespace pf
