#include "frameworks/penwork/renderers/PWTilingFill.h"

#include "frameworks/penwork/renderers/PWRendererGeometry.h"
#include "frameworks/penwork/styles/PWRendererSupport.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"

#include <QBuffer>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
const QString kImageDataArchiveKey = QStringLiteral("pw_tilingFill_imageData");
const QString kOpacityArchiveKey = QStringLiteral("pw_tilingFill_opacity");
} // namespace

PF_DEFINE_CLASS(PWTilingFill, PWFill)
{
    b.protocol(pf::kCodingProtocol);
    b.property(PWTilingFill::kImageKey, &PWTilingFill::image, &PWTilingFill::setImage);
    b.property(PWTilingFill::kOpacityKey, &PWTilingFill::opacity, &PWTilingFill::setOpacity);
    b.validator(PWTilingFill::kOpacityKey, [](PWTilingFill&, QVariant* value, pf::Error* error) {
        return pw::renderers::validateNumber(value, 0.0, 1.0, QStringLiteral("The opacity"), error);
    });
    b.method("setImageData:", std::function<QVariant(PWTilingFill&, const QVariantList&)>(
                                  [](PWTilingFill& fill, const QVariantList& arguments) {
                                      return QVariant(fill.setImageData(arguments.value(0).toByteArray()));
                                  }));
}

PWTilingFill::PWTilingFill() = default;

bool PWTilingFill::setImageData(const QByteArray& data, pf::Error* error)
{
    QImage image;
    if (!data.isEmpty()) {
        image = QImage::fromData(data);
        if (image.isNull())
            return pf::fail(error, pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorCoderInvalidValue,
                                                   QStringLiteral("The tiling image could not be read."),
                                                   QStringLiteral("The data is not an image in a known format.")));
    }
    if (data == m_imageData)
        return true;
    if (!notifyWillChange(kImageKey))
        return pf::fail(error, pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorCoderInvalidValue,
                                               QStringLiteral("The tiling fill is locked.")));
    m_imageData = data;
    m_image = image;
    notifyDidChange(kImageKey);
    return true;
}

void PWTilingFill::setImage(const QImage& image)
{
    QByteArray png;
    if (!image.isNull()) {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG"))
            return;
    }
    setImageData(png);
}

void PWTilingFill::setOpacity(double opacity)
{
    if (std::isnan(opacity))
        return PF_LOG("PWTilingFill: opacity NaN refused");
    changeProperty(m_opacity, std::clamp(opacity, 0.0, 1.0), kOpacityKey);
}

void PWTilingFill::renderPath(const pf::BezierPath& path)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context || path.isEmpty() || m_image.isNull() || m_opacity <= 0.0)
        return;
    pf::GraphicsStateSaver saver(context);
    pw::renderers::setShadow(*context, shadow().get());
    const QPainterPath area = path.toQPainterPath();
    const QRectF bounds = path.bounds();
    context->draw([&](QPainter& painter) {
        painter.save();
        painter.setOpacity(painter.opacity() * m_opacity);
        QBrush tiles(m_image);
        tiles.setTransform(QTransform::fromTranslate(bounds.left(), bounds.top()));
        painter.fillPath(area, tiles);
        painter.restore();
    });
}

QString PWTilingFill::displayName() const
{
    return QStringLiteral("Tiling Fill");
}

QStringList PWTilingFill::observableKeyPaths() const
{
    return PWFill::observableKeyPaths() << kImageKey << kOpacityKey;
}

void PWTilingFill::registerActionNames() const
{
    PWFill::registerActionNames();
    setActionName(QStringLiteral("Change Tiling Image"), kImageKey);
    setActionName(QStringLiteral("#kind# Opacity"), kOpacityKey);
}

pf::Ref<pf::Object> PWTilingFill::copy() const
{
    return std::make_shared<PWTilingFill>(*this);
}

bool PWTilingFill::isEqual(const pf::Reflective* other) const
{
    if (!PWFill::isEqual(other))
        return false;
    const auto* fill = static_cast<const PWTilingFill*>(other);
    return fill->m_imageData == m_imageData && fill->m_opacity == m_opacity;
}

void PWTilingFill::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWFill::encodeWithCoder(coder);
    coder.encodeData(m_imageData, kImageDataArchiveKey);
    coder.encodeDouble(m_opacity, kOpacityArchiveKey);
}

void PWTilingFill::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWFill::initWithCoder(coder);
    m_imageData = coder.decodeData(kImageDataArchiveKey);
    m_image = pw::renderers::imageFromData(m_imageData);
    // Bytes that no longer read as an image are kept (saving again loses nothing); the fill
    // then draws nothing.
    m_opacity = coder.containsValueForKey(kOpacityArchiveKey)
                    ? pw::renderers::clampedValue(coder.decodeDouble(kOpacityArchiveKey), 0.0, 1.0, 1.0)
                    : 1.0;
}
