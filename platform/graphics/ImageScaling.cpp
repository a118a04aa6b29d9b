#include "platform/graphics/ImageScaling.h"

#include <cmath>

namespace pf {

namespace {

bool hasArea(const QSizeF& size)
{
    return std::isfinite(size.width()) && std::isfinite(size.height()) && size.width() > 0 && size.height() > 0;
}

QSizeF scaled(const QSizeF& size, const QSizeF& box, Qt::AspectRatioMode mode)
{
    if (!hasArea(size) || !hasArea(box))
        return QSizeF(0, 0);
    return size.scaled(box, mode);
}

} // namespace

QSizeF ImageScaling::fitSize(const QSizeF& size, const QSizeF& box)
{
    return scaled(size, box, Qt::KeepAspectRatio);
}

QSizeF ImageScaling::coverSize(const QSizeF& size, const QSizeF& box)
{
    return scaled(size, box, Qt::KeepAspectRatioByExpanding);
}

} // namespace pf
