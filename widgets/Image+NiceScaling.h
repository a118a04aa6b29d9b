#pragma once

#include "platform/foundation/Object.h"
#include "platform/graphics/GraphicsContext.h"

#include <QSizeF>

namespace pf {
class Image;
}

// New images of a given size made from an image: the whole image fitted inside (letter-boxed,
// centred) or the image covering the size and cropped, aligned as asked. Sizes are in points;
// ratios are rounded to single precision. An image or a target without area has no scaled
// size (an empty size) and gives no image.

// Where a covering image sits on its canvas (platform coordinates: y up).
enum RVImageCoverAlignment : int {
    kCoverAlignCentre = 0,
    kCoverAlignTopCentre = 1,
    kCoverAlignTopLeft = 2,
    kCoverAlignTopRight = 3,
    kCoverAlignMiddleLeft = 4,
    kCoverAlignBottomCentre = 5,
    kCoverAlignBottomLeft = 6,
    kCoverAlignBottomRight = 7,
    kCoverAlignMiddleRight = 8,
};

QSizeF scaledSizeToFitSize(QSizeF size, QSizeF target);
QSizeF scaledSizeToCoverSize(QSizeF size, QSizeF target);
QSizeF scaledSizeToFitSize(const pf::Image& image, QSizeF target);
QSizeF scaledSizeToCoverSize(const pf::Image& image, QSizeF target);
// Where a covering size `cover` is placed on a canvas of `target` for the alignment (unknown
// alignments are bottom left).
QPointF coverOriginForAlignment(QSizeF cover, QSizeF target, int alignment);

// With the box option the fitted rectangle is filled white first and outlined in black after.
pf::Ref<pf::Image> scaledImageToFitSize(const pf::Image& image, QSizeF target,
                                        pf::ImageInterpolation interpolation = pf::ImageInterpolation::High,
                                        bool box = false);
// With the box option the canvas is outlined in black.
pf::Ref<pf::Image> scaledImageToCoverSize(const pf::Image& image, QSizeF target,
                                          pf::ImageInterpolation interpolation = pf::ImageInterpolation::High,
                                          bool box = false, int alignment = kCoverAlignCentre);
