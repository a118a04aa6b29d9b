#include "frameworks/penwork/renderers/PWZigZagStroke.h"

#include "frameworks/penwork/renderers/PWRendererGeometry.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS(PWZigZagStroke, PWStroke)
{
    using pw::renderers::validateNumber;
    b.protocol(pf::kCodingProtocol);
    b.property(PWZigZagStroke::kAmplitudeKey, &PWZigZagStroke::amplitude, &PWZigZagStroke::setAmplitude);
    b.validator(PWZigZagStroke::kAmplitudeKey, [](PWZigZagStroke&, QVariant* value, pf::Error* error) {
        return validateNumber(value, 0.0, PWZigZagStroke::kMaxAmplitude, QStringLiteral("The amplitude"), error);
    });
    b.property(PWZigZagStroke::kWavelengthKey, &PWZigZagStroke::wavelength, &PWZigZagStroke::setWavelength);
    b.validator(PWZigZagStroke::kWavelengthKey, [](PWZigZagStroke&, QVariant* value, pf::Error* error) {
        return validateNumber(value, PWZigZagStroke::kMinWavelength, PWZigZagStroke::kMaxWavelength,
                              QStringLiteral("The wavelength"), error);
    });
    b.property(PWZigZagStroke::kSpreadKey, &PWZigZagStroke::spread, &PWZigZagStroke::setSpread);
    b.validator(PWZigZagStroke::kSpreadKey, [](PWZigZagStroke&, QVariant* value, pf::Error* error) {
        return validateNumber(value, 0.0, PWZigZagStroke::kMaxSpread, QStringLiteral("The spread"), error);
    });
    b.property(PWZigZagStroke::kClosedKey, &PWZigZagStroke::closed, &PWZigZagStroke::setClosed);
}

namespace {

const QString kAmplitudeArchiveKey = QStringLiteral("pw_zigZagStroke_amplitude");
const QString kWavelengthArchiveKey = QStringLiteral("pw_zigZagStroke_wavelength");
const QString kSpreadArchiveKey = QStringLiteral("pw_zigZagStroke_spread");
const QString kClosedArchiveKey = QStringLiteral("pw_zigZagStroke_closed");

} // namespace

PWZigZagStroke::PWZigZagStroke() = default;

void PWZigZagStroke::setAmplitude(double amplitude)
{
    if (std::isnan(amplitude))
        return PF_LOG("PWZigZagStroke: amplitude NaN refused");
    changeProperty(m_amplitude, std::clamp(amplitude, 0.0, kMaxAmplitude), kAmplitudeKey);
}

void PWZigZagStroke::setWavelength(double wavelength)
{
    if (std::isnan(wavelength))
        return PF_LOG("PWZigZagStroke: wavelength NaN refused");
    changeProperty(m_wavelength, std::clamp(wavelength, kMinWavelength, kMaxWavelength), kWavelengthKey);
}

void PWZigZagStroke::setSpread(double spread)
{
    if (std::isnan(spread))
        return PF_LOG("PWZigZagStroke: spread NaN refused");
    changeProperty(m_spread, std::clamp(spread, 0.0, kMaxSpread), kSpreadKey);
}

void PWZigZagStroke::setClosed(bool closed)
{
    changeProperty(m_closed, closed, kClosedKey);
}

pf::Ref<pf::BezierPath> PWZigZagStroke::pathForObject(const PWRenderable& object) const
{
    const pf::Ref<pf::BezierPath> path = PWStroke::pathForObject(object);
    if (!path)
        return pf::BezierPath::path();
    return pw::renderers::zigZagPath(*path, m_amplitude, m_wavelength, m_spread, m_closed);
}

QString PWZigZagStroke::displayName() const
{
    return QStringLiteral("Zig-Zag Stroke");
}

QStringList PWZigZagStroke::observableKeyPaths() const
{
    return PWStroke::observableKeyPaths() << kAmplitudeKey << kWavelengthKey << kSpreadKey << kClosedKey;
}

void PWZigZagStroke::registerActionNames() const
{
    PWStroke::registerActionNames();
    setActionName(QStringLiteral("#kind# Amplitude"), kAmplitudeKey);
    setActionName(QStringLiteral("#kind# Wavelength"), kWavelengthKey);
    setActionName(QStringLiteral("#kind# Spread"), kSpreadKey);
    setActionName(QStringLiteral("#kind# Closed"), kClosedKey);
}

pf::Ref<pf::Object> PWZigZagStroke::copy() const
{
    return std::make_shared<PWZigZagStroke>(*this);
}

bool PWZigZagStroke::isEqual(const pf::Reflective* other) const
{
    if (!PWStroke::isEqual(other))
        return false;
    const auto* zigZag = static_cast<const PWZigZagStroke*>(other);
    return zigZag->m_amplitude == m_amplitude && zigZag->m_wavelength == m_wavelength &&
           zigZag->m_spread == m_spread && zigZag->m_closed == m_closed;
}

void PWZigZagStroke::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWStroke::encodeWithCoder(coder);
    coder.encodeDouble(m_amplitude, kAmplitudeArchiveKey);
    coder.encodeDouble(m_wavelength, kWavelengthArchiveKey);
    coder.encodeDouble(m_spread, kSpreadArchiveKey);
    coder.encodeBool(m_closed, kClosedArchiveKey);
}

void PWZigZagStroke::initWithCoder(pf::KeyedUnarchiver& coder)
{
    using pw::renderers::clampedValue;
    PWStroke::initWithCoder(coder);
    m_amplitude = clampedValue(coder.decodeDouble(kAmplitudeArchiveKey), 0.0, kMaxAmplitude, 4.0);
    // A missing wavelength reads as 0 and is clamped up to the least one.
    m_wavelength = clampedValue(coder.decodeDouble(kWavelengthArchiveKey), kMinWavelength, kMaxWavelength, 10.0);
    m_spread = clampedValue(coder.decodeDouble(kSpreadArchiveKey), 0.0, kMaxSpread, 0.0);
    m_closed = coder.containsValueForKey(kClosedArchiveKey) ? coder.decodeBool(kClosedArchiveKey) : true;
}
