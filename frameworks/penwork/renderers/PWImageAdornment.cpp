#include "frameworks/penwork/renderers/PWImageAdornment.h"

#include "frameworks/penwork/renderers/PWCompositing.h"
#include "frameworks/penwork/renderers/PWRendererGeometry.h"
#include "frameworks/penwork/styles/PWRendererSupport.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <cmath>

namespace {

const QString kImageArchiveKey = QStringLiteral("pw_imageAdornment_image");
const QString kClippingArchiveKey = QStringLiteral("pw_imageAdornment_clipping");
const QString kScaleArchiveKey = QStringLiteral("pw_imageAdornment_scale");
const QString kOpacityArchiveKey = QStringLiteral("pw_imageAdornment_opacity");
const QString kAngleArchiveKey = QStringLiteral("pw_imageAdornment_angleInDegrees");
const QString kFittingArchiveKey = QStringLiteral("pw_imageAdornment_fittingOption");
const QString kOperationArchiveKey = QStringLiteral("pw_imageAdornment_operation");

pf::Error invalidValue(const QString& what)
{
    return pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorCoderInvalidValue, what);
}

bool validClipping(qint64 clipping)
{
    return clipping == PWImageAdornment::kNoClipping || clipping == PWImageAdornment::kClipToPath;
}

bool validFitting(qint64 option)
{
    return option >= 0 && option <= PWImageAdornment::kLastFittingOption;
}

// An integer property that takes only the values `valid` accepts.
template <class Valid>
std::function<bool(PWImageAdornment&, QVariant*, pf::Error*)> choiceValidator(Valid valid, const QString& what)
{
    return [valid, what](PWImageAdornment&, QVariant* value, pf::Error* error) {
        const double number = value->toDouble();
        if (!pf::isNumber(*value) || number != std::floor(number) || !valid(qint64(number)))
            return pf::fail(error, invalidValue(what));
        return true;
    };
}

} // namespace

PF_DEFINE_CLASS(PWImageAdornment, PWRasterizer)
{
    using pw::renderers::validateNumber;
    b.protocol(pf::kCodingProtocol);
    b.property(PWImageAdornment::kImageKey, &PWImageAdornment::image, &PWImageAdornment::setImage);
    b.validator(PWImageAdornment::kImageKey, [](PWImageAdornment&, QVariant* value, pf::Error* error) {
        if (value->isValid() && !value->canConvert<QImage>())
            return pf::fail(error, invalidValue(QStringLiteral("The adornment must be an image.")));
        return true;
    });
    b.property(PWImageAdornment::kClippingKey, &PWImageAdornment::clipping, &PWImageAdornment::setClipping);
    b.validator(PWImageAdornment::kClippingKey, choiceValidator(validClipping, QStringLiteral("Unknown clipping.")));
    b.property(PWImageAdornment::kScaleKey, &PWImageAdornment::scale, &PWImageAdornment::setScale);
    b.validator(PWImageAdornment::kScaleKey, [](PWImageAdornment&, QVariant* value, pf::Error* error) {
        return validateNumber(value, PWImageAdornment::kMinScale, PWImageAdornment::kMaxScale,
                              QStringLiteral("The scale"), error);
    });
    b.property(PWImageAdornment::kOpacityKey, &PWImageAdornment::opacity, &PWImageAdornment::setOpacity);
    b.validator(PWImageAdornment::kOpacityKey, [](PWImageAdornment&, QVariant* value, pf::Error* error) {
        return validateNumber(value, 0.0, 1.0, QStringLiteral("The opacity"), error);
    });
    b.property(PWImageAdornment::kAngleInDegreesKey, &PWImageAdornment::angleInDegrees,
               &PWImageAdornment::setAngleInDegrees);
    b.validator(PWImageAdornment::kAngleInDegreesKey, [](PWImageAdornment&, QVariant* value, pf::Error* error) {
        return validateNumber(value, -1e9, 1e9, QStringLiteral("The angle"), error);
    });
    b.property(PWImageAdornment::kFittingOptionKey, &PWImageAdornment::fittingOption,
               &PWImageAdornment::setFittingOption);
    b.validator(PWImageAdornment::kFittingOptionKey,
                choiceValidator(validFitting, QStringLiteral("Unknown fitting option.")));
    b.property(PWImageAdornment::kOperationKey, &PWImageAdornment::operation, &PWImageAdornment::setOperation);
    b.validator(PWImageAdornment::kOperationKey,
                choiceValidator([](qint64 v) { return v <= INT_MAX && pw::renderers::isCompositingValue(int(v)); },
                                QStringLiteral("Unknown compositing operation.")));
}

PWImageAdornment::PWImageAdornment() = default;

PWImageAdornment::PWImageAdornment(const QImage& image) : m_image(image) {}

void PWImageAdornment::setImage(const QImage& image)
{
    changeProperty(m_image, image, kImageKey);
}

void PWImageAdornment::setClipping(unsigned clipping)
{
    if (!validClipping(clipping))
        return PF_LOG("PWImageAdornment: clipping %u refused", clipping);
    changeProperty(m_clipping, clipping, kClippingKey);
}

void PWImageAdornment::setScale(double scale)
{
    if (std::isnan(scale))
        return PF_LOG("PWImageAdornment: scale NaN refused");
    changeProperty(m_scale, std::clamp(scale, kMinScale, kMaxScale), kScaleKey);
}

void PWImageAdornment::setOpacity(double opacity)
{
    if (std::isnan(opacity))
        return PF_LOG("PWImageAdornment: opacity NaN refused");
    changeProperty(m_opacity, std::clamp(opacity, 0.0, 1.0), kOpacityKey);
}

void PWImageAdornment::setAngleInDegrees(double degrees)
{
    if (!std::isfinite(degrees))
        return PF_LOG("PWImageAdornment: angle %f refused", degrees);
    changeProperty(m_angle, degrees, kAngleInDegreesKey);
}

void PWImageAdornment::setFittingOption(int option)
{
    if (!validFitting(option))
        return PF_LOG("PWImageAdornment: fitting option %d refused", option);
    changeProperty(m_fitting, option, kFittingOptionKey);
}

void PWImageAdornment::setOperation(unsigned operation)
{
    if (operation > unsigned(pw::renderers::kLastCompositingValue))
        return PF_LOG("PWImageAdornment: compositing operation %u refused", operation);
    changeProperty(m_operation, operation, kOperationKey);
}

QTransform PWImageAdornment::imageTransform(const QSizeF& size, const QPointF& centre, double radians) const
{
    QTransform placing;
    if (m_image.isNull())
        return placing;
    const double w = m_image.width();
    const double h = m_image.height();
    double sx = m_scale;
    double sy = m_scale;
    if (m_fitting == FitProportionally) {
        sx = sy = std::min(size.width() / w, size.height() / h);
    } else if (m_fitting == StretchToFill) {
        sx = size.width() / w;
        sy = size.height() / h;
    }
    placing.translate(centre.x(), centre.y());
    placing.rotateRadians(radians + m_angle * M_PI / 180.0);
    placing.scale(std::isfinite(sx) ? sx : 0.0, std::isfinite(sy) ? sy : 0.0);
    placing.translate(-w / 2.0, -h / 2.0);
    return placing;
}

void PWImageAdornment::drawImage(const pf::BezierPath& path, const QTransform& placing)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context || m_image.isNull() || m_opacity <= 0.0 || placing.determinant() == 0.0)
        return;
    pf::GraphicsStateSaver saver(context);
    if (m_clipping == kClipToPath)
        context->addClip(path);
    QPainter& painter = context->painter();
    painter.setCompositionMode(pw::renderers::compositionModeForValue(int(m_operation)));
    painter.setOpacity(painter.opacity() * m_opacity);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setTransform(placing, true);
    painter.drawImage(QPointF(0, 0), m_image);
}

void PWImageAdornment::render(const PWRenderable& object)
{
    if (!pf::GraphicsContext::current())
        return;
    const pf::Ref<pf::BezierPath> path = pathForObject(object);
    if (!path || path->isEmpty())
        return;
    drawImage(*path, imageTransform(object.size(), object.location(), object.angle()));
}

void PWImageAdornment::renderPath(const pf::BezierPath& path)
{
    if (path.isEmpty())
        return;
    const QRectF bounds = path.bounds();
    drawImage(path, imageTransform(bounds.size(), bounds.center(), 0.0));
}

QRectF PWImageAdornment::boundsNeededForObject(const PWRenderable& object) const
{
    const pf::Ref<pf::BezierPath> path = pathForObject(object);
    if (!path || path->isEmpty() || m_image.isNull())
        return QRectF();
    const QTransform placing = imageTransform(object.size(), object.location(), object.angle());
    QRectF area = placing.mapRect(QRectF(QPointF(0, 0), QSizeF(m_image.size()))).adjusted(-1, -1, 1, 1);
    if (m_clipping == kClipToPath)
        area &= path->bounds().adjusted(-1, -1, 1, 1);
    return area;
}

QString PWImageAdornment::displayName() const
{
    return QStringLiteral("Image Fill");
}

QStringList PWImageAdornment::observableKeyPaths() const
{
    return PWRasterizer::observableKeyPaths() << kClippingKey << kImageKey << kScaleKey << kOpacityKey
                                              << kAngleInDegreesKey << kFittingOptionKey << kOperationKey;
}

void PWImageAdornment::registerActionNames() const
{
    PWRasterizer::registerActionNames();
    setActionName(QStringLiteral("#kind# Image"), kImageKey);
    setActionName(QStringLiteral("#kind# Clipping"), kClippingKey);
    setActionName(QStringLiteral("#kind# Scale"), kScaleKey);
    setActionName(QStringLiteral("#kind# Opacity"), kOpacityKey);
    setActionName(QStringLiteral("#kind# Angle"), kAngleInDegreesKey);
    setActionName(QStringLiteral("#kind# Fitting"), kFittingOptionKey);
    setActionName(QStringLiteral("#kind# Compositing"), kOperationKey);
}

pf::Ref<pf::Object> PWImageAdornment::copy() const
{
    return std::make_shared<PWImageAdornment>(*this);
}

bool PWImageAdornment::isEqual(const pf::Reflective* other) const
{
    if (!PWRasterizer::isEqual(other))
        return false;
    const auto* a = static_cast<const PWImageAdornment*>(other);
    return a->m_image == m_image && a->m_clipping == m_clipping && a->m_scale == m_scale &&
           a->m_opacity == m_opacity && a->m_angle == m_angle && a->m_fitting == m_fitting &&
           a->m_operation == m_operation;
}

void PWImageAdornment::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWRasterizer::encodeWithCoder(coder);
    coder.encodeData(pw::renderers::imageToData(m_image), kImageArchiveKey);
    coder.encodeInt32(qint32(m_clipping), kClippingArchiveKey);
    coder.encodeDouble(m_scale, kScaleArchiveKey);
    coder.encodeDouble(m_opacity, kOpacityArchiveKey);
    coder.encodeDouble(m_angle, kAngleArchiveKey);
    coder.encodeInt32(m_fitting, kFittingArchiveKey);
    coder.encodeInt32(qint32(m_operation), kOperationArchiveKey);
}

void PWImageAdornment::initWithCoder(pf::KeyedUnarchiver& coder)
{
    using pw::renderers::clampedValue;
    PWRasterizer::initWithCoder(coder);
    m_image = pw::renderers::imageFromData(coder.decodeData(kImageArchiveKey));
    const qint32 clipping = coder.decodeInt32(kClippingArchiveKey);
    m_clipping = validClipping(clipping) ? unsigned(clipping) : kNoClipping;
    m_scale = coder.containsValueForKey(kScaleArchiveKey)
                  ? clampedValue(coder.decodeDouble(kScaleArchiveKey), kMinScale, kMaxScale, 1.0)
                  : 1.0;
    m_opacity = coder.containsValueForKey(kOpacityArchiveKey)
                    ? clampedValue(coder.decodeDouble(kOpacityArchiveKey), 0.0, 1.0, 1.0)
                    : 1.0;
    const double angle = coder.decodeDouble(kAngleArchiveKey);
    m_angle = std::isfinite(angle) ? angle : 0.0;
    const qint32 fitting = coder.decodeInt32(kFittingArchiveKey);
    m_fitting = validFitting(fitting) ? fitting : FitProportionally;
    const qint32 operation =
        coder.containsValueForKey(kOperationArchiveKey) ? coder.decodeInt32(kOperationArchiveKey) : 2;
    m_operation = pw::renderers::isCompositingValue(operation) ? unsigned(operation) : 2u;
}
