#include "frameworks/penwork/renderers/PWOffscreenLayer.h"

#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <cmath>

PWOffscreenLayer::PWOffscreenLayer(pf::GraphicsContext& context, const QRectF& userBounds, int marginPixels)
    : m_context(context)
{
    QPainter& painter = context.painter();
    QPaintDevice* device = painter.device();
    if (!device || userBounds.isNull() || !userBounds.isValid())
        return;
    const QTransform toDevice = painter.deviceTransform();
    const double devicePerUser = std::sqrt(std::abs(toDevice.determinant()));
    if (!(devicePerUser > 0.0) || !std::isfinite(devicePerUser))
        return;
    m_pixelRatio = device->devicePixelRatioF() > 0 ? device->devicePixelRatioF() : 1.0;
    const int margin = std::max(0, marginPixels);

    QRectF visible(0, 0, device->width() * m_pixelRatio, device->height() * m_pixelRatio);
    if (painter.hasClipping())
        visible &= toDevice.mapRect(painter.clipBoundingRect());
    if (visible.isEmpty())
        return;
    const QRectF reach = visible.adjusted(-margin, -margin, margin, margin);
    const QRectF wanted = toDevice.mapRect(userBounds).adjusted(-1, -1, 1, 1) & reach;
    if (wanted.isEmpty())
        return;
    m_region = wanted.toAlignedRect();
    const double area = double(m_region.width()) * double(m_region.height());
    m_reduction = area > kMaxPixels ? std::sqrt(kMaxPixels / area) : 1.0;
    m_pixelsPerUnit = devicePerUser * m_reduction;
    m_image = QImage(std::max(1, int(std::ceil(m_region.width() * m_reduction))),
                     std::max(1, int(std::ceil(m_region.height() * m_reduction))),
                     QImage::Format_ARGB32_Premultiplied);
    if (m_image.isNull())
        return;
    m_image.fill(Qt::transparent);
    // The device's resolution, so that text measured in points comes out the same size.
    m_image.setDotsPerMeterX(int(std::lround(device->logicalDpiX() / 0.0254)));
    m_image.setDotsPerMeterY(int(std::lround(device->logicalDpiY() / 0.0254)));
}

void PWOffscreenLayer::paint(const std::function<void()>& draw)
{
    if (m_image.isNull() || !draw)
        return;
    QPainter& target = m_context.painter();
    QPainter painter(&m_image);
    painter.setRenderHints(target.renderHints());
    painter.setTransform(target.deviceTransform() * QTransform::fromTranslate(-m_region.x(), -m_region.y()) *
                         QTransform::fromScale(m_reduction, m_reduction));
    pf::GraphicsContextScope scope(painter, m_context.isFlipped(), m_context.isDrawingToScreen());
    draw();
}

void PWOffscreenLayer::composite(QPainter::CompositionMode mode, double opacity, const QImage* image) const
{
    const QImage& source = image ? *image : m_image;
    if (source.isNull() || !(opacity > 0.0))
        return;
    QPainter& painter = m_context.painter();
    painter.save();
    QPaintDevice* device = painter.device();
    bool invertible = false;
    const QTransform fromDevice = painter.deviceTransform().inverted(&invertible);
    if (device && device->devType() == QInternal::Widget && invertible) {
        // A widget's painter may draw into a backing store at the widget's offset, which its
        // device transform already holds: undoing that transform puts the pixels back where
        // the layer was measured.
        painter.setWorldTransform(fromDevice * painter.worldTransform());
    } else {
        // Device pixels: no view transform, and a world transform that undoes the pixel ratio
        // the painter applies on its own. The clip stays where it was set.
        painter.setViewTransformEnabled(false);
        painter.setWorldTransform(QTransform::fromScale(1.0 / m_pixelRatio, 1.0 / m_pixelRatio));
    }
    painter.setCompositionMode(mode);
    painter.setOpacity(painter.opacity() * std::min(1.0, opacity));
    if (m_reduction < 1.0)
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF target(m_region.x(), m_region.y(), m_image.width() / m_reduction, m_image.height() / m_reduction);
    painter.drawImage(target, source);
    painter.restore();
}
