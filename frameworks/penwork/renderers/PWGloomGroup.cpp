#include "frameworks/penwork/renderers/PWGloomGroup.h"

#include "frameworks/penwork/renderers/PWImageBlur.h"
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

const QString kRadiusArchiveKey = QStringLiteral("pw_gloomGroup_radius");
const QString kIntensityArchiveKey = QStringLiteral("pw_gloomGroup_intensity");
const QString kClippingArchiveKey = QStringLiteral("pw_gloomGroup_clipping");
const QString kTypeArchiveKey = QStringLiteral("pw_gloomGroup_type");

pf::Error invalidValue(const QString& what)
{
    return pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorCoderInvalidValue, what);
}

bool validChoice(const QVariant& value, int lo, int hi)
{
    const double number = value.toDouble();
    return pf::isNumber(value) && number == std::floor(number) && number >= lo && number <= hi;
}

// How far the halo spreads beyond the members, in points.
double haloReach(double radius)
{
    return radius > 0.0 ? 3.0 * radius + 1.0 : 0.0;
}

} // namespace

PF_DEFINE_CLASS(PWGloomGroup, PWRastGroup)
{
    using pw::renderers::validateNumber;
    b.protocol(pf::kCodingProtocol);
    b.property(PWGloomGroup::kRadiusKey, &PWGloomGroup::radius, &PWGloomGroup::setRadius);
    b.validator(PWGloomGroup::kRadiusKey, [](PWGloomGroup&, QVariant* value, pf::Error* error) {
        return validateNumber(value, 0.0, PWGloomGroup::kMaxRadius, QStringLiteral("The radius"), error);
    });
    b.property(PWGloomGroup::kIntensityKey, &PWGloomGroup::intensity, &PWGloomGroup::setIntensity);
    b.validator(PWGloomGroup::kIntensityKey, [](PWGloomGroup&, QVariant* value, pf::Error* error) {
        return validateNumber(value, 0.0, PWGloomGroup::kMaxIntensity, QStringLiteral("The intensity"), error);
    });
    b.property(PWGloomGroup::kClippingKey, &PWGloomGroup::clipping, &PWGloomGroup::setClipping);
    b.validator(PWGloomGroup::kClippingKey, [](PWGloomGroup&, QVariant* value, pf::Error* error) {
        return validChoice(*value, 0, 2) || pf::fail(error, invalidValue(QStringLiteral("Unknown clipping.")));
    });
    b.property(PWGloomGroup::kTypeKey, &PWGloomGroup::type, &PWGloomGroup::setType);
    b.validator(PWGloomGroup::kTypeKey, [](PWGloomGroup&, QVariant* value, pf::Error* error) {
        return validChoice(*value, 0, PWGloomGroup::kLastType) ||
               pf::fail(error, invalidValue(QStringLiteral("Unknown glow type.")));
    });
    b.keyPathsAffecting(PWGloomGroup::kDisplayNameKey, {PWGloomGroup::kTypeKey});
}

PWGloomGroup::PWGloomGroup() = default;

void PWGloomGroup::setRadius(double radius)
{
    if (std::isnan(radius))
        return PF_LOG("PWGloomGroup: radius NaN refused");
    changeProperty(m_radius, std::clamp(radius, 0.0, kMaxRadius), kRadiusKey);
}

void PWGloomGroup::setIntensity(double intensity)
{
    if (std::isnan(intensity))
        return PF_LOG("PWGloomGroup: intensity NaN refused");
    changeProperty(m_intensity, std::clamp(intensity, 0.0, kMaxIntensity), kIntensityKey);
}

void PWGloomGroup::setClipping(int clipping)
{
    if (clipping < 0 || clipping > 2)
        return PF_LOG("PWGloomGroup: clipping %d refused", clipping);
    changeProperty(m_clipping, clipping, kClippingKey);
}

void PWGloomGroup::setType(int type)
{
    if (type < 0 || type > kLastType)
        return PF_LOG("PWGloomGroup: type %d refused", type);
    changeProperty(m_type, type, kTypeKey);
}

void PWGloomGroup::render(const PWRenderable& object)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    if (m_radius <= 0.0 || m_intensity <= 0.0) {
        renderChildren(object);
        return;
    }
    const QRectF bounds = boundsNeededForObject(object);
    const double reach = haloReach(m_radius);
    const double devicePerUser = std::sqrt(std::abs(context->painter().deviceTransform().determinant()));
    PWOffscreenLayer layer(*context, bounds, int(std::ceil(reach * devicePerUser)));
    if (layer.isNull())
        return;
    layer.paint([&] { renderChildren(object); });

    QImage halo = layer.image();
    if (m_type == GloomShadow) {
        QPainter darken(&halo);
        darken.setCompositionMode(QPainter::CompositionMode_SourceIn);
        darken.fillRect(halo.rect(), Qt::black);
    }
    pw::renderers::blurImage(halo, pw::renderers::BlurKind::Gaussian, m_radius * layer.pixelsPerUnit());
    pw::renderers::scaleAlpha(halo, m_intensity);
    {
        pf::GraphicsStateSaver saver(context);
        const pf::Ref<pf::BezierPath> path = pathForObject(object);
        if (path && !path->isEmpty())
            pw::renderers::clipToSide(*context, *path, m_clipping, reach + bounds.width() + bounds.height());
        layer.composite(QPainter::CompositionMode_SourceOver, 1.0, &halo);
    }
    layer.composite();
}

QRectF PWGloomGroup::boundsNeededForObject(const PWRenderable& object) const
{
    const QRectF members = PWRastGroup::boundsNeededForObject(object);
    if (members.isNull())
        return members;
    const double reach = haloReach(m_radius);
    return members.adjusted(-reach, -reach, reach, reach);
}

QString PWGloomGroup::displayName() const
{
    return m_type == GloomShadow ? QStringLiteral("Shadow") : QStringLiteral("Glow");
}

QStringList PWGloomGroup::observableKeyPaths() const
{
    return PWRastGroup::observableKeyPaths() << kRadiusKey << kIntensityKey << kClippingKey << kTypeKey
                                             << kDisplayNameKey;
}

void PWGloomGroup::registerActionNames() const
{
    PWRastGroup::registerActionNames();
    setActionName(QStringLiteral("#kind# Radius"), kRadiusKey);
    setActionName(QStringLiteral("#kind# Intensity"), kIntensityKey);
    setActionName(QStringLiteral("#kind# Clipping"), kClippingKey);
    setActionName(QStringLiteral("#kind# Type"), kTypeKey);
}

pf::Ref<pf::Object> PWGloomGroup::copy() const
{
    return std::make_shared<PWGloomGroup>(*this);
}

bool PWGloomGroup::isEqual(const pf::Reflective* other) const
{
    if (!PWRastGroup::isEqual(other))
        return false;
    const auto* g = static_cast<const PWGloomGroup*>(other);
    return g->m_radius == m_radius && g->m_intensity == m_intensity && g->m_clipping == m_clipping &&
           g->m_type == m_type;
}

void PWGloomGroup::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWRastGroup::encodeWithCoder(coder);
    coder.encodeDouble(m_radius, kRadiusArchiveKey);
    coder.encodeDouble(m_intensity, kIntensityArchiveKey);
    coder.encodeInt32(m_clipping, kClippingArchiveKey);
    coder.encodeInt32(m_type, kTypeArchiveKey);
}

void PWGloomGroup::initWithCoder(pf::KeyedUnarchiver& coder)
{
    using pw::renderers::clampedValue;
    PWRastGroup::initWithCoder(coder);
    m_radius = clampedValue(coder.decodeDouble(kRadiusArchiveKey), 0.0, kMaxRadius, 8.0);
    m_intensity = coder.containsValueForKey(kIntensityArchiveKey)
                      ? clampedValue(coder.decodeDouble(kIntensityArchiveKey), 0.0, kMaxIntensity, 1.0)
                      : 1.0;
    const int clipping = coder.decodeInt32(kClippingArchiveKey);
    m_clipping = clipping >= 0 && clipping <= 2 ? clipping : 0;
    const int type = coder.decodeInt32(kTypeArchiveKey);
    m_type = type >= 0 && type <= kLastType ? type : GloomGlow;
}
