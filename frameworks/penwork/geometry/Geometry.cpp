#include "frameworks/penwork/geometry/Geometry.h"

#include <algorithm>
#include <cmath>

namespace pw {

namespace {

bool hasArea(const QSizeF& size)
{
    return std::isfinite(size.width()) && std::isfinite(size.height()) && size.width() > 0 && size.height() > 0;
}

QRectF centredAt(const QSizeF& size, const QPointF& centre)
{
    return QRectF(centre.x() - size.width() / 2, centre.y() - size.height() / 2, size.width(), size.height());
}

} // namespace

QTransform RotationTransform(double radians, const QPointF& centre)
{
    // Points are moved to the origin, turned, and moved back.
    QTransform transform;
    transform.translate(centre.x(), centre.y());
    transform.rotateRadians(radians);
    transform.translate(-centre.x(), -centre.y());
    return transform;
}

QRectF ScaledRectForSize(const QSizeF& size, const QRectF& rect, int imageScaling)
{
    const QRectF box = rect.normalized();
    const QPointF centre = box.center();
    if (!hasArea(size))
        return QRectF(centre, QSizeF(0, 0));
    switch (imageScaling) {
    case kImageScaleAxesIndependently:
        return box;
    case kImageScaleNone:
        return centredAt(size, centre);
    case kImageScaleProportionallyDown:
        if (size.width() <= box.width() && size.height() <= box.height())
            return centredAt(size, centre);
        break;
    default:
        break;
    }
    return centredAt(size.scaled(box.size(), Qt::KeepAspectRatio), centre);
}

QRectF CentreRectInRect(const QRectF& inner, const QRectF& outer)
{
    return centredAt(inner.size(), outer.center());
}

QRectF UnionOfTwoRects(const QRectF& a, const QRectF& b)
{
    if (a.isEmpty())
        return b.isEmpty() ? QRectF() : b;
    if (b.isEmpty())
        return a;
    return a.united(b);
}

QRectF NSRectFromTwoPoints(const QPointF& a, const QPointF& b)
{
    return QRectF(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(a.x() - b.x()), std::abs(a.y() - b.y()));
}

} // namespace pw
