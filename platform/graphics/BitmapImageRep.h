#pragma once

#include "platform/graphics/ImageRep.h"

namespace pf {

// Pixels with a resolution: the size in points follows from the image's dots per inch
// (72 when it records none), unless given.
class BitmapImageRep : public ImageRep {
public:
    explicit BitmapImageRep(QImage image);
    BitmapImageRep(QImage image, QSizeF pointSize);

    const QImage& image() const { return m_image; }
    int pixelsWide() const override { return m_image.width(); }
    int pixelsHigh() const override { return m_image.height(); }

    void draw(QPainter& painter, const QRectF& target) const override;
    QImage rasterize(QSize pixels) const override;

    // The point size of `image` at its recorded resolution.
    static QSizeF pointSizeOf(const QImage& image);

private:
    QImage m_image;
};

} // namespace pf
