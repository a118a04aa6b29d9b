#include "frameworks/penwork/renderers/PWRoughStroke.h"

#include "frameworks/penwork/renderers/PWRendererGeometry.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS(PWRoughStroke, PWStroke)
{
    b.protocol(pf::kCodingProtocol);
    b.property(PWRoughStroke::kRoughnessKey, &PWRoughStroke::roughness, &PWRoughStroke::setRoughness);
    b.validator(PWRoughStroke::kRoughnessKey, [](PWRoughStroke&, QVariant* value, pf::Error* error) {
        return pw::renderers::validateNumber(value, 0.0, PWRoughStroke::kMaxRoughness,
                                             QStringLiteral("The roughness"), error);
    });
}

namespace {
const QString kRoughnessArchiveKey = QStringLiteral("pw_roughStroke_roughness");
}

PWRoughStroke::PWRoughStroke() = default;

void PWRoughStroke::setRoughness(double roughness)
{
    if (std::isnan(roughness))
        return PF_LOG("PWRoughStroke: roughness NaN refused");
    changeProperty(m_roughness, std::clamp(roughness, 0.0, kMaxRoughness), kRoughnessKey);
}

pf::Ref<pf::BezierPath> PWRoughStroke::pathForObject(const PWRenderable& object) const
{
    const pf::Ref<pf::BezierPath> path = PWStroke::pathForObject(object);
    if (!path)
        return pf::BezierPath::path();
    const quint64 seed = pw::renderers::seedForPath(*path, object.geometryChecksum());
    return pw::renderers::roughenedPath(*path, m_roughness, seed);
}

QString PWRoughStroke::displayName() const
{
    return QStringLiteral("Rough Stroke");
}

QStringList PWRoughStroke::observableKeyPaths() const
{
    return PWStroke::observableKeyPaths() << kRoughnessKey;
}

void PWRoughStroke::registerActionNames() const
{
    PWStroke::registerActionNames();
    setActionName(QStringLiteral("#kind# Roughness"), kRoughnessKey);
}

pf::Ref<pf::Object> PWRoughStroke::copy() const
{
    return std::make_shared<PWRoughStroke>(*this);
}

bool PWRoughStroke::isEqual(const pf::Reflective* other) const
{
    return PWStroke::isEqual(other) && static_cast<const PWRoughStroke*>(other)->m_roughness == m_roughness;
}

void PWRoughStroke::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWStroke::encodeWithCoder(coder);
    coder.encodeDouble(m_roughness, kRoughnessArchiveKey);
}

void PWRoughStroke::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWStroke::initWithCoder(coder);
    m_roughness = pw::renderers::clampedValue(coder.decodeDouble(kRoughnessArchiveKey), 0.0, kMaxRoughness, 1.0);
}
