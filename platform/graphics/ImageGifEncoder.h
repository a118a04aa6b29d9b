#pragma once

#include "platform/foundation/Error.h"

#include <QByteArray>
#include <QImage>

namespace pf {

// Writes one-frame GIF files with giflib (Qt has no GIF writer). An image of at most 256
// colours keeps them exactly; a richer one is reduced to 256 by giflib's median-cut
// quantiser (GifQuantizeBuffer, 5 bits a primary). Pixels less than half opaque become a
// transparent palette index; the others are composited over white.
class ImageGifEncoder {
public:
    static constexpr int kMaximumSide = 65535;

    static QByteArray encode(const QImage& image, bool gray, Error* error = nullptr);
};

} // namespace pf
