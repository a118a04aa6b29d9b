#include "platform/graphics/ImageSwatch.h"

#include "platform/graphics/ImageReader.h"

#include <QPainter>

namespace pf {

QImage ImageSwatch::swatchImage(const QColor& colour, const QSize& size)
{
    if (size.isEmpty() || !ImageReader::fitsDecodeLimit(size))
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.fill(kLightSquare);
    QPainter painter(&image);
    for (int y = 0; y < size.height(); y += kSquareSize) {
        for (int x = 0; x < size.width(); x += kSquareSize) {
            if (((x / kSquareSize) + (y / kSquareSize)) % 2 == 1)
                painter.fillRect(x, y, kSquareSize, kSquareSize, kDarkSquare);
        }
    }
    if (colour.isValid())
        painter.fillRect(image.rect(), colour);
    painter.end();
    return image;
}

} // namespace pf
