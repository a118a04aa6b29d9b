#include "frameworks/penwork/renderers/PWCIFilterTypeBlurGroup.h"

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

const QString kAmountArchiveKey = QStringLiteral("pw_blurGroup_blurAmount");
const QString kAngleArchiveKey = QStringLiteral("pw_blurGroup_blurAngle");
const QString kTypeArchiveKey = QStringLiteral("pw_blurGroup_blurType");
const QString kClippingArchiveKey = QStringLiteral("pw_blurGroup_clipping");

pf::Error invalidValue(const QString& what)
{
    return pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorCoderInvalidValue, what);
}

bool validChoice(const QVariant& value, int lo, int hi)
{
    const double number = value.toDouble();
    return pf::isNumber(value) && number == std::floor(number) && number >= lo && number <= hi;
}

} // namespace

PF_DEFINE_CLASS(PWCIFilterTypeBlurGroup, PWRastGroup)
{
    using pw::renderers::validateNumber;
    using G = PWCIFilterTypeBlurGroup;
    b.protocol(pf::kCodingProtocol);
    b.property(G::kBlurAmountKey, &G::blurAmount, &G::setBlurAmount);
    b.validator(G::kBlurAmountKey, [](G&, QVariant* value, pf::Error* error) {
        return validateNumber(value, 0.0, G::kMaxBlurAmount, QStringLiteral("The blur amount"), error);
    });
    b.property(G::kBlurAngleKey, &G::blurAngle, &G::setBlurAngle);
    b.validator(G::kBlurAngleKey, [](G&, QVariant* value, pf::Error* error) {
        return validateNumber(value, -1e9, 1e9, QStringLiteral("The blur angle"), error);
    });
    b.property(G::kBlurTypeKey, &G::blurType, &G::setBlurType);
    b.validator(G::kBlurTypeKey, [](G&, QVariant* value, pf::Error* error) {
        return validChoice(*value, 0, G::kLastBlurType) ||
               pf::fail(error, invalidValue(QStringLiteral("Unknown blur type.")));
    });
    b.property(G::kClippingKey, &G::clipping, &G::setClipping);
    b.validator(G::kClippingKey, [](G&, QVariant* value, pf::Error* error) {
        return validChoice(*value, 0, 2) || pf::fail(error, invalidValue(QStringLiteral("Unknown clipping.")));
    });
    b.keyPathsAffecting(G::kDisplayNameKey, {G::kBlurTypeKey});
}

PWCIFilterTypeBlurGroup::PWCIFilterTypeBlurGroup() = default;

void PWCIFilterTypeBlurGroup::setBlurAmount(double amount)
{
    if (std::isnan(amount))
        return PF_LOG("PWCIFilterTypeBlurGroup: blur amount NaN refused");
    changeProperty(m_amount, std::clamp(amount, 0.0, kMaxBlurAmount), kBlurAmountKey);
}

void PWCIFilterTypeBlurGroup::setBlurAngle(double degrees)
{
    if (!std::isfinite(degrees))
        return PF_LOG("PWCIFilterTypeBlurGroup: blur angle %f refused", degrees);
    changeProperty(m_angle, degrees, kBlurAngleKey);
}

void PWCIFilterTypeBlurGroup::setBlurType(int type)
{
    if (type < 0 || type > kLastBlurType)
        return PF_LOG("PWCIFilterTypeBlurGroup: blur type %d refused", type);
    changeProperty(m_type, type, kBlurTypeKey);
}

void PWCIFilterTypeBlurGroup::setClipping(int clipping)
{
    if (clipping < 0 || clipping > 2)
        return PF_LOG("PWCIFilterTypeBlurGroup: clipping %d refused", clipping);
    changeProperty(m_clipping, clipping, kClippingKey);
}

void PWCIFilterTypeBlurGroup::render(const PWRenderable& object)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    pf::GraphicsStateSaver saver(context);
    const pf::Ref<pf::BezierPath> path = pathForObject(object);
    const QRectF bounds = boundsNeededForObject(object);
    if (path && !path->isEmpty())
        pw::renderers::clipToSide(*context, *path, m_clipping, bounds.width() + bounds.height());
    if (m_amount <= 0.0) {
        renderChildren(object);
        return;
    }
    const double devicePerUser = std::sqrt(std::abs(context->painter().deviceTransform().determinant()));
    const auto kind = pw::renderers::BlurKind(m_type);
    const int margin = pw::renderers::blurReachInPixels(kind, m_amount * devicePerUser);
    PWOffscreenLayer layer(*context, bounds, margin);
    if (layer.isNull())
        return;
    layer.paint([&] { renderChildren(object); });
    pw::renderers::blurImage(layer.image(), kind, m_amount * layer.pixelsPerUnit(), m_angle);
    layer.composite();
}

QRectF PWCIFilterTypeBlurGroup::boundsNeededForObject(const PWRenderable& object) const
{
    const QRectF members = PWRastGroup::boundsNeededForObject(object);
    if (members.isNull() || m_amount <= 0.0)
        return members;
    const double reach = (m_type == BlurGaussian ? 3.0 * m_amount : m_amount) + 1.0;
    return members.adjusted(-reach, -reach, reach, reach);
}

QString PWCIFilterTypeBlurGroup::displayName() const
{
    switch (m_type) {
    case BlurBox:
        return QStringLiteral("Box Blur");
    case BlurDisc:
        return QStringLiteral("Disc Blur");
    case BlurMotion:
        return QStringLiteral("Motion Blur");
    default:
        return QStringLiteral("Gaussian Blur");
    }
}

QStringList PWCIFilterTypeBlurGroup::observableKeyPaths() const
{
    return PWRastGroup::observableKeyPaths() << kBlurAmountKey << kBlurAngleKey << kBlurTypeKey << kClippingKey
                                             << kDisplayNameKey;
}

void PWCIFilterTypeBlurGroup::registerActionNames() const
{
    PWRastGroup::registerActionNames();
    setActionName(QStringLiteral("#kind# Amount"), kBlurAmountKey);
    setActionName(QStringLiteral("#kind# Angle"), kBlurAngleKey);
    setActionName(QStringLiteral("Change Blur Type"), kBlurTypeKey);
    setActionName(QStringLiteral("#kind# Clipping"), kClippingKey);
}

pf::Ref<pf::Object> PWCIFilterTypeBlurGroup::copy() const
{
    return std::make_shared<PWCIFilterTypeBlurGroup>(*this);
}

bool PWCIFilterTypeBlurGroup::isEqual(const pf::Reflective* other) const
{
    if (!PWRastGroup::isEqual(other))
        return false;
    const auto* g = static_cast<const PWCIFilterTypeBlurGroup*>(other);
    return g->m_amount == m_amount && g->m_angle == m_angle && g->m_type == m_type && g->m_clipping == m_clipping;
}

void PWCIFilterTypeBlurGroup::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWRastGroup::encodeWithCoder(coder);
    coder.encodeDouble(m_amount, kAmountArchiveKey);
    coder.encodeDouble(m_angle, kAngleArchiveKey);
    coder.encodeInt32(m_type, kTypeArchiveKey);
    coder.encodeInt32(m_clipping, kClippingArchiveKey);
}

void PWCIFilterTypeBlurGroup::initWithCoder(pf::KeyedUnarchiver& coder)
{
    using pw::renderers::clampedValue;
    PWRastGroup::initWithCoder(coder);
    m_amount = clampedValue(coder.decodeDouble(kAmountArchiveKey), 0.0, kMaxBlurAmount, 4.0);
    const double angle = coder.decodeDouble(kAngleArchiveKey);
    m_angle = std::isfinite(angle) ? angle : 0.0;
    const int type = coder.decodeInt32(kTypeArchiveKey);
    m_type = type >= 0 && type <= kLastBlurType ? type : BlurGaussian;
    const int clipping = coder.decodeInt32(kClippingArchiveKey);
    m_clipping = clipping >= 0 && clipping <= 2 ? clipping : 0;
}
