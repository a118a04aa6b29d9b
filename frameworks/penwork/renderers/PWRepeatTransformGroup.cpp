#include "frameworks/penwork/renderers/PWRepeatTransformGroup.h"

#include "frameworks/penwork/renderers/PWOffscreenLayer.h"
#include "frameworks/penwork/renderers/PWRendererGeometry.h"
#include "frameworks/penwork/styles/PWRendererSupport.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <cmath>

namespace {

const QString kDeltaXArchiveKey = QStringLiteral("pw_repeatTransformGroup_deltaX");
const QString kDeltaYArchiveKey = QStringLiteral("pw_repeatTransformGroup_deltaY");
const QString kScaleXArchiveKey = QStringLiteral("pw_repeatTransformGroup_scaleX");
const QString kScaleYArchiveKey = QStringLiteral("pw_repeatTransformGroup_scaleY");
const QString kDeltaAngleArchiveKey = QStringLiteral("pw_repeatTransformGroup_deltaAngle");
const QString kRepeatsArchiveKey = QStringLiteral("pw_repeatTransformGroup_numberOfRepeats");
const QString kRelativeArchiveKey = QStringLiteral("pw_repeatTransformGroup_angleIsRelative");
const QString kReversedArchiveKey = QStringLiteral("pw_repeatTransformGroup_reversed");
const QString kBlendColourArchiveKey = QStringLiteral("pw_repeatTransformGroup_blendColour");

// Beyond these a repeat covers no pixel or more than any drawing: the repeats end there.
constexpr double kMinDeterminant = 1e-10;
constexpr double kMaxCoordinate = 1e7;

bool drawable(const QTransform& t)
{
    const double det = t.determinant();
    if (!std::isfinite(det) || std::abs(det) < kMinDeterminant || std::abs(det) > 1.0 / kMinDeterminant)
        return false;
    for (double v : {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()}) {
        if (!std::isfinite(v) || std::abs(v) > kMaxCoordinate)
            return false;
    }
    return true;
}

} // namespace

PF_DEFINE_CLASS(PWRepeatTransformGroup, PWRastGroup)
{
    using pw::renderers::validateNumber;
    using G = PWRepeatTransformGroup;
    b.protocol(pf::kCodingProtocol);
    b.property(G::kDeltaXKey, &G::deltaX, &G::setDeltaX);
    b.validator(G::kDeltaXKey, [](G&, QVariant* value, pf::Error* error) {
        return validateNumber(value, -G::kMaxDelta, G::kMaxDelta, QStringLiteral("The x offset"), error);
    });
    b.property(G::kDeltaYKey, &G::deltaY, &G::setDeltaY);
    b.validator(G::kDeltaYKey, [](G&, QVariant* value, pf::Error* error) {
        return validateNumber(value, -G::kMaxDelta, G::kMaxDelta, QStringLiteral("The y offset"), error);
    });
    b.property(G::kScaleXKey, &G::scaleX, &G::setScaleX);
    b.validator(G::kScaleXKey, [](G&, QVariant* value, pf::Error* error) {
        return validateNumber(value, G::kMinScale, G::kMaxScale, QStringLiteral("The x scale"), error);
    });
    b.property(G::kScaleYKey, &G::scaleY, &G::setScaleY);
    b.validator(G::kScaleYKey, [](G&, QVariant* value, pf::Error* error) {
        return validateNumber(value, G::kMinScale, G::kMaxScale, QStringLiteral("The y scale"), error);
    });
    b.property(G::kDeltaAngleKey, &G::deltaAngle, &G::setDeltaAngle);
    b.validator(G::kDeltaAngleKey, [](G&, QVariant* value, pf::Error* error) {
        return validateNumber(value, -1e9, 1e9, QStringLiteral("The rotation"), error);
    });
    b.property(G::kNumberOfRepeatsKey, &G::numberOfRepeats, &G::setNumberOfRepeats);
    b.validator(G::kNumberOfRepeatsKey, [](G&, QVariant* value, pf::Error* error) {
        if (!validateNumber(value, 0, G::kMaxRepeats, QStringLiteral("The number of repeats"), error))
            return false;
        *value = int(std::lround(value->toDouble()));
        return true;
    });
    b.property(G::kAngleIsRelativeKey, &G::angleIsRelative, &G::setAngleIsRelative);
    b.property(G::kReversedKey, &G::reversed, &G::setReversed);
    b.property(
        G::kBlendColourKey,
        std::function<QVariant(const G&)>([](const G& group) { return pw::renderers::colourToVariant(group.blendColour()); }),
        std::function<void(G&, const QVariant&)>([](G& group, const QVariant& value) {
            group.setBlendColour(
                pw::renderers::colourFromVariant(value, QStringLiteral("-[PWRepeatTransformGroup setBlendColour:]")));
        }));
}

PWRepeatTransformGroup::PWRepeatTransformGroup() = default;

void PWRepeatTransformGroup::setDeltaX(double delta)
{
    if (std::isnan(delta))
        return PF_LOG("PWRepeatTransformGroup: deltaX NaN refused");
    changeProperty(m_deltaX, std::clamp(delta, -kMaxDelta, kMaxDelta), kDeltaXKey);
}

void PWRepeatTransformGroup::setDeltaY(double delta)
{
    if (std::isnan(delta))
        return PF_LOG("PWRepeatTransformGroup: deltaY NaN refused");
    changeProperty(m_deltaY, std::clamp(delta, -kMaxDelta, kMaxDelta), kDeltaYKey);
}

void PWRepeatTransformGroup::setScaleX(double scale)
{
    if (std::isnan(scale))
        return PF_LOG("PWRepeatTransformGroup: scaleX NaN refused");
    changeProperty(m_scaleX, std::clamp(scale, kMinScale, kMaxScale), kScaleXKey);
}

void PWRepeatTransformGroup::setScaleY(double scale)
{
    if (std::isnan(scale))
        return PF_LOG("PWRepeatTransformGroup: scaleY NaN refused");
    changeProperty(m_scaleY, std::clamp(scale, kMinScale, kMaxScale), kScaleYKey);
}

void PWRepeatTransformGroup::setDeltaAngle(double radians)
{
    if (!std::isfinite(radians))
        return PF_LOG("PWRepeatTransformGroup: deltaAngle %f refused", radians);
    changeProperty(m_deltaAngle, radians, kDeltaAngleKey);
}

void PWRepeatTransformGroup::setNumberOfRepeats(int repeats)
{
    changeProperty(m_repeats, std::clamp(repeats, 0, kMaxRepeats), kNumberOfRepeatsKey);
}

void PWRepeatTransformGroup::setAngleIsRelative(bool relative)
{
    changeProperty(m_angleIsRelative, relative, kAngleIsRelativeKey);
}

void PWRepeatTransformGroup::setReversed(bool reversed)
{
    changeProperty(m_reversed, reversed, kReversedKey);
}

void PWRepeatTransformGroup::setBlendColour(const pf::Color& colour)
{
    changeProperty(m_blendColour, colour, kBlendColourKey);
}

QList<QTransform> PWRepeatTransformGroup::repeatTransformsForObject(const PWRenderable& object) const
{
    const QPointF centre = object.location();
    const double frame = m_angleIsRelative && std::isfinite(object.angle()) ? object.angle() : 0.0;
    QTransform step;
    step.translate(centre.x(), centre.y());
    step.rotateRadians(frame);
    step.translate(m_deltaX, m_deltaY);
    step.rotateRadians(m_deltaAngle);
    step.scale(m_scaleX, m_scaleY);
    step.rotateRadians(-frame);
    step.translate(-centre.x(), -centre.y());

    QList<QTransform> transforms{QTransform()};
    QTransform current;
    for (int k = 1; k <= m_repeats; ++k) {
        current = current * step;
        if (!drawable(current))
            break;
        transforms.append(current);
    }
    return transforms;
}

void PWRepeatTransformGroup::renderRepeat(const PWRenderable& object, const QTransform& transform, double tint)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    pf::GraphicsStateSaver saver(context);
    context->concat(transform);
    if (tint <= 0.0) {
        renderChildren(object);
        return;
    }
    // A tint needs the repeat's pixels: drawn alone, then washed with the colour where it drew.
    PWOffscreenLayer layer(*context, PWRastGroup::boundsNeededForObject(object));
    if (layer.isNull())
        return;
    layer.paint([&] { renderChildren(object); });
    {
        QPainter wash(&layer.image());
        wash.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        wash.setOpacity(std::min(1.0, tint));
        QColor colour = m_blendColour.qColor();
        colour.setAlphaF(1.0);
        wash.fillRect(layer.image().rect(), colour);
    }
    layer.composite();
}

void PWRepeatTransformGroup::render(const PWRenderable& object)
{
    if (!pf::GraphicsContext::current())
        return;
    const QList<QTransform> transforms = repeatTransformsForObject(object);
    const bool tinted = m_blendColour.isValid() && m_blendColour.alphaComponent() > 0.0 && m_repeats > 0;
    const int count = int(transforms.size());
    for (int i = 0; i < count; ++i) {
        const int k = m_reversed ? count - 1 - i : i;
        const double tint = tinted ? m_blendColour.alphaComponent() * double(k) / m_repeats : 0.0;
        renderRepeat(object, transforms[k], tint);
    }
}

QRectF PWRepeatTransformGroup::boundsNeededForObject(const PWRenderable& object) const
{
    const QRectF members = PWRastGroup::boundsNeededForObject(object);
    if (members.isNull())
        return members;
    QRectF bounds = members;
    for (const QTransform& transform : repeatTransformsForObject(object)) {
        const QRectF moved = transform.mapRect(members);
        bounds = QRectF(QPointF(std::min(bounds.left(), moved.left()), std::min(bounds.top(), moved.top())),
                        QPointF(std::max(bounds.right(), moved.right()), std::max(bounds.bottom(), moved.bottom())));
    }
    return bounds;
}

QString PWRepeatTransformGroup::displayName() const
{
    return QStringLiteral("Repeater");
}

QStringList PWRepeatTransformGroup::observableKeyPaths() const
{
    return PWRastGroup::observableKeyPaths() << kDeltaXKey << kDeltaYKey << kScaleXKey << kScaleYKey << kDeltaAngleKey
                                             << kNumberOfRepeatsKey << kAngleIsRelativeKey << kReversedKey
                                             << kBlendColourKey;
}

void PWRepeatTransformGroup::registerActionNames() const
{
    PWRastGroup::registerActionNames();
    setActionName(QStringLiteral("#kind# X Offset"), kDeltaXKey);
    setActionName(QStringLiteral("#kind# Y Offset"), kDeltaYKey);
    setActionName(QStringLiteral("#kind# X Scale"), kScaleXKey);
    setActionName(QStringLiteral("#kind# Y Scale"), kScaleYKey);
    setActionName(QStringLiteral("#kind# Rotation"), kDeltaAngleKey);
    setActionName(QStringLiteral("#kind# Number Of Repeats"), kNumberOfRepeatsKey);
    setActionName(QStringLiteral("#kind# Relative Rotation"), kAngleIsRelativeKey);
    setActionName(QStringLiteral("#kind# Reverse Order"), kReversedKey);
    setActionName(QStringLiteral("#kind# Blend Colour"), kBlendColourKey);
}

pf::Ref<pf::Object> PWRepeatTransformGroup::copy() const
{
    return std::make_shared<PWRepeatTransformGroup>(*this);
}

bool PWRepeatTransformGroup::isEqual(const pf::Reflective* other) const
{
    if (!PWRastGroup::isEqual(other))
        return false;
    const auto* g = static_cast<const PWRepeatTransformGroup*>(other);
    return g->m_deltaX == m_deltaX && g->m_deltaY == m_deltaY && g->m_scaleX == m_scaleX && g->m_scaleY == m_scaleY &&
           g->m_deltaAngle == m_deltaAngle && g->m_repeats == m_repeats && g->m_angleIsRelative == m_angleIsRelative &&
           g->m_reversed == m_reversed && g->m_blendColour == m_blendColour;
}

void PWRepeatTransformGroup::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWRastGroup::encodeWithCoder(coder);
    coder.encodeDouble(m_deltaX, kDeltaXArchiveKey);
    coder.encodeDouble(m_deltaY, kDeltaYArchiveKey);
    coder.encodeDouble(m_scaleX, kScaleXArchiveKey);
    coder.encodeDouble(m_scaleY, kScaleYArchiveKey);
    coder.encodeDouble(m_deltaAngle, kDeltaAngleArchiveKey);
    coder.encodeInt32(m_repeats, kRepeatsArchiveKey);
    coder.encodeBool(m_angleIsRelative, kRelativeArchiveKey);
    coder.encodeBool(m_reversed, kReversedArchiveKey);
    coder.encodeObject(m_blendColour.isValid() ? std::make_shared<pf::Color>(m_blendColour) : nullptr,
                       kBlendColourArchiveKey);
}

void PWRepeatTransformGroup::initWithCoder(pf::KeyedUnarchiver& coder)
{
    using pw::renderers::clampedValue;
    PWRastGroup::initWithCoder(coder);
    m_deltaX = clampedValue(coder.decodeDouble(kDeltaXArchiveKey), -kMaxDelta, kMaxDelta, 10.0);
    m_deltaY = clampedValue(coder.decodeDouble(kDeltaYArchiveKey), -kMaxDelta, kMaxDelta, 0.0);
    // A missing scale reads as 0: it means no scaling, not a collapse to the least scale.
    m_scaleX = coder.containsValueForKey(kScaleXArchiveKey)
                   ? clampedValue(coder.decodeDouble(kScaleXArchiveKey), kMinScale, kMaxScale, 1.0)
                   : 1.0;
    m_scaleY = coder.containsValueForKey(kScaleYArchiveKey)
                   ? clampedValue(coder.decodeDouble(kScaleYArchiveKey), kMinScale, kMaxScale, 1.0)
                   : 1.0;
    const double angle = coder.decodeDouble(kDeltaAngleArchiveKey);
    m_deltaAngle = std::isfinite(angle) ? angle : 0.0;
    m_repeats = std::clamp(int(coder.decodeInt32(kRepeatsArchiveKey)), 0, kMaxRepeats);
    m_angleIsRelative = coder.decodeBool(kRelativeArchiveKey);
    m_reversed = coder.decodeBool(kReversedArchiveKey);
    const pf::Ref<pf::Color> colour = coder.decodeObjectOfClass<pf::Color>(kBlendColourArchiveKey);
    m_blendColour = colour ? *colour : pf::Color();
}
