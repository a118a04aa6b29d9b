#pragma once

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"

#include <QImage>
#include <QSizeF>

namespace pw {

// The image with its size in points set so that it fits a square of `side`, proportions kept.
// The pixels are kept; only the size the image draws at changes (through its device pixel
// ratio). A null image or a side that is not positive answers the image unchanged.
QImage imageWithFitToSize(const QImage& image, double side);

// A new image of `size` points filled with `background` and the image drawn over it, scaled to
// fit and centred. A size without area answers a null image.
QImage imageFromImage(const QImage& image, const QSizeF& size, const pf::Color& background);

// The path filled with the colour, as an image as large as the path's bounds (one pixel per
// point, times `scale`), the bounds' origin at the image's top-left corner. An empty path, or
// bounds without area, answer a null image.
QImage imageWithFillColour(const pf::BezierPath& path, const pf::Color& colour, double scale = 1.0);

} // namespace pw
