#pragma once

#include <QColor>
#include <QImage>
#include <QSize>

namespace pf {

// Colour swatches for wells and menus: the colour drawn over a grey-and-white chequer, so
// that a translucent colour shows its transparency.
class ImageSwatch {
public:
    // The side of one chequer square in pixels; the top-left square is white.
    static constexpr int kSquareSize = 4;
    static inline const QColor kLightSquare = QColor(255, 255, 255);
    static inline const QColor kDarkSquare = QColor(204, 204, 204);

    // An opaque image of `size`; a null image for an empty size or one beyond the image
    // decoding limit. An invalid colour draws nothing over the chequer.
    static QImage swatchImage(const QColor& colour, const QSize& size);
};

} // namespace pf
