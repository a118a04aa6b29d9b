#include "platform/graphics/BitmapImageRep.h"

namespace pf {

namespace {

constexpr double kMetresPerInch = 0.0254;

double dotsPerInch(int dotsPerMetre)
{
    const double dpi = dotsPerMetre * kMetresPerInch;
    // Qt fills in its 96 dpi default for images that never had a resolution; a missing or
    // absurd one reads as the platform's 72.
    return dpi >= 1.0 ? dpi : 72.0;
}

} // namespace

BitmapImageRep::BitmapImageRep(QImage image)
    : BitmapImageRep(image, pointSizeOf(image))
{
}

BitmapImageRep::BitmapImageRep(QImage image, QSizeF pointSize)
    : ImageRep(pointSize)
    , m_image(std::move(image))
{
}

QSizeF BitmapImageRep::pointSizeOf(const QImage& image)
{
    if (image.isNull())
        return {};
    return QSizeF(image.width() * 72.0 / dotsPerInch(image.dotsPerMeterX()),
                  image.height() * 72.0 / dotsPerInch(image.dotsPerMeterY()));
}

void BitmapImageRep::draw(QPainter& painter, const QRectF& target) const
{
    painter.drawImage(target, m_image, QRectF(m_image.rect()));
}

QImage BitmapImageRep::rasterize(QSize pixels) const
{
    if (pixels == m_image.size())
        return m_image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return ImageRep::rasterize(pixels);
}

} // namespace pf
