#include "frameworks/penwork/ImageAdditions.h"

#include "platform/graphics/ImageScaling.h"

#include <QPainter>

#include <cmath>

namespace pw {

namespace {

// Pixels per point, kept within what an image can hold.
constexpr double kMaximumImageSide = 16384;

QSizeF pointSize(const QImage& image)
{
    return QSizeF(image.size()) / image.devicePixelRatio();
}

} // namespace

QImage imageWithFitToSize(const QImage& image, double side)
{
    if (image.isNull() || !(side > 0) || !std::isfinite(side))
        return image;
    const QSizeF pixels(image.size());
    const double ratio = std::max(pixels.width(), pixels.height()) / side;
    QImage fitted = image;
    fitted.setDevicePixelRatio(ratio);
    return fitted;
}

QImage imageFromImage(const QImage& image, const QSizeF& size, const pf::Color& background)
{
    if (!(size.width() > 0) || !(size.height() > 0) || size.width() > kMaximumImageSide
        || size.height() > kMaximumImageSide)
        return QImage();
    QImage result(QSize(int(std::ceil(size.width())), int(std::ceil(size.height()))), QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.fillRect(QRectF(QPointF(0, 0), size), background.brush());
    if (!image.isNull()) {
        const QSizeF drawn = pf::ImageScaling::fitSize(pointSize(image), size);
        const QRectF target(QPointF((size.width() - drawn.width()) / 2, (size.height() - drawn.height()) / 2), drawn);
        painter.drawImage(target, image, QRectF(QPointF(0, 0), QSizeF(image.size())));
    }
    return result;
}

QImage imageWithFillColour(const pf::BezierPath& path, const pf::Color& colour, double scale)
{
    const QRectF bounds = path.bounds();
    if (path.isEmpty() || !(bounds.width() > 0) || !(bounds.height() > 0) || !(scale > 0))
        return QImage();
    const double width = std::ceil(bounds.width() * scale);
    const double height = std::ceil(bounds.height() * scale);
    if (width > kMaximumImageSide || height > kMaximumImageSide)
        return QImage();
    QImage image(QSize(int(width), int(height)), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    painter.translate(-bounds.topLeft());
    path.fill(painter, colour.brush());
    return image;
}

} // namespace pw
