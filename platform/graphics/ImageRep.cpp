#include "platform/graphics/ImageRep.h"

namespace pf {

QImage ImageRep::rasterize(QSize pixels) const
{
    if (pixels.isEmpty())
        return {};
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    draw(painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
    return image;
}

} // namespace pf
