#pragma once

#include <QSizeF>

namespace pf {

// Sizes of an image scaled to a box, keeping its proportions. An image or box without area
// (or with a negative or non-finite side) has no meaningful scale and answers an empty size.
class ImageScaling {
public:
    // The largest size of `size`'s proportions that fits inside `box`.
    static QSizeF fitSize(const QSizeF& size, const QSizeF& box);
    // The smallest size of `size`'s proportions that covers `box`.
    static QSizeF coverSize(const QSizeF& size, const QSizeF& box);
};

} // namespace pf
