#pragma once

#include "platform/foundation/Error.h"

#include <QByteArray>
#include <QImage>

namespace pf {

// Writes CMYK JPEG files with libjpeg, as Qt's writer cannot. The pixels are flattened over
// white and separated through ImageCmykConverter, like CMYK TIFF. The file follows Adobe's
// convention, which Photoshop, Qt and most readers expect: an APP14 marker and inverted ink
// values (255 is no ink). No chroma subsampling; the resolution goes in the JFIF density.
class ImageJpegCmykEncoder {
public:
    // `quality` runs from 0 (smallest file) to 100 (best quality), as libjpeg's does.
    static QByteArray encode(const QImage& image, int quality, Error* error = nullptr);
};

} // namespace pf
