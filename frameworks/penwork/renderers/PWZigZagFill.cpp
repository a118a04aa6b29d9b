#include "frameworks/penwork/renderers/PWZigZagFill.h"

#include "frameworks/penwork/renderers/PWRendererGeometry.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS(PWZigZagFill, PWFill)
{
    using pw::renderers::validateNumber;
    b.protocol(pf::kCodingProtocol);
    b.property(PWZigZagFill::kAmplitudeKey, &PWZigZagFill::amplitude, &PWZigZagFill::setAmplitude);
    b.validator(PWZigZagFill::kAmplitudeKey, [](PWZigZagFill&, QVariant* value, pf::Error* error) {
        return validateNumber(value, 0.0, PWZigZagFill::kMaxAmplitude, QStringLiteral("The amplitude"), error);
    });
    b.property(PWZigZagFill::kWavelengthKey, &PWZigZagFill::wavelength, &PWZigZagFill::setWavelength);
    b.validator(PWZigZagFill::kWavelengthKey, [](PWZigZagFill&, QVariant* value, pf::Error* error) {
        return validateNumber(value, PWZigZagFill::kMinWavelength, PWZigZagFill::kMaxWavelength,
                              QStringLiteral("The wavelength"), error);
    });
    b.property(PWZigZagFill::kSpreadKey, &PWZigZagFill::spread, &PWZigZagFill::setSpread);
    b.validator(PWZigZagFill::kSpreadKey, [](PWZigZagFill&, QVariant* value, pf::Error* error) {
        return validateNumber(value, 0.0, PWZigZagFill::kMaxSpread, QStringLiteral("The spread"), error);
    });
    b.property(PWZigZagFill::kClosedKey, &PWZigZagFill::closed, &PWZigZagFill::setClosed);
}

namespace {

const QString kAmplitudeArchiveKey = QStringLiteral("pw_zigZagFill_amplitude");
const QString kWavelengthArchiveKey = QStringLiteral("pw_zigZagFill_wavelength");
const QString kSpreadArchiveKey = QStringLiteral("pw_zigZagFill_spread");
const QString kClosedArchiveKey = QStringLiteral("pw_zigZagFill_closed");

} // namespace

PWZigZagFill::PWZigZagFill() = default;

void PWZigZagFill::setAmplitude(double amplitude)
{
    if (std::isnan(amplitude))
        return PF_LOG("PWZigZagFill: amplitude NaN refused");
    changeProperty(m_amplitude, std::clamp(amplitude, 0.0, kMaxAmplitude), kAmplitudeKey);
}

void PWZigZagFill::setWavelength(double wavelength)
{
    if (std::isnan(wavelength))
        return PF_LOG("PWZigZagFill: wavelength NaN refused");
    changeProperty(m_wavelength, std::clamp(wavelength, kMinWavelength, kMaxWavelength), kWavelengthKey);
}

void PWZigZagFill::setSpread(double spread)
{
    if (std::isnan(spread))
        return PF_LOG("PWZigZagFill: spread NaN refused");
    changeProperty(m_spread, std::clamp(spread, 0.0, kMaxSpread), kSpreadKey);
}

void PWZigZagFill::setClosed(bool closed)
{
    changeProperty(m_closed, closed, kClosedKey);
}

pf::Ref<pf::BezierPath> PWZigZagFill::pathForObject(const PWRenderable& object) const
{
    const pf::Ref<pf::BezierPath> path = PWFill::pathForObject(object);
    if (!path)
        return pf::BezierPath::path();
    return pw::renderers::zigZagPath(*path, m_amplitude, m_wavelength, m_spread, m_closed);
}

QString PWZigZagFill::displayName() const
{
    return QStringLiteral("Zig-Zag Fill");
}

QStringList PWZigZagFill::observableKeyPaths() const
{
    return PWFill::observableKeyPaths() << kAmplitudeKey << kWavelengthKey << kSpreadKey << kClosedKey;
}

void PWZigZagFill::registerActionNames() const
{
    PWFill::registerActionNames();
    setActionName(QStringLiteral("#kind# Amplitude"), kAmplitudeKey);
    setActionName(QStringLiteral("#kind# Wavelength"), kWavelengthKey);
    setActionName(QStringLiteral("#kind# Spread"), kSpreadKey);
    setActionName(QStringLiteral("#kind# Closed"), kClosedKey);
}

pf::Ref<pf::Object> PWZigZagFill::copy() const
{
    return std::make_shared<PWZigZagFill>(*this);
}

bool PWZigZagFill::isEqual(const pf::Reflective* other) const
{
    if (!PWFill::isEqual(other))
        return false;
    const auto* zigZag = static_cast<const PWZigZagFill*>(other);
    return zigZag->m_amplitude == m_amplitude && zigZag->m_wavelength == m_wavelength &&
           zigZag->m_spread == m_spread && zigZag->m_closed == m_closed;
}

void PWZigZagFill::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWFill::encodeWithCoder(coder);
    coder.encodeDouble(m_amplitude, kAmplitudeArchiveKey);
    coder.encodeDouble(m_wavelength, kWavelengthArchiveKey);
    coder.encodeDouble(m_spread, kSpreadArchiveKey);
    coder.encodeBool(m_closed, kClosedArchiveKey);
}

void PWZigZagFill::initWithCoder(pf::KeyedUnarchiver& coder)
{
    using pw::renderers::clampedValue;
    PWFill::initWithCoder(coder);
    m_amplitude = clampedValue(coder.decodeDouble(kAmplitudeArchiveKey), 0.0, kMaxAmplitude, 4.0);
    // A missing wavelength reads as 0 and is clamped up to the least one.
    m_wavelength = clampedValue(coder.decodeDouble(kWavelengthArchiveKey), kMinWavelength, kMaxWavelength, 10.0);
    m_spread = clampedValue(coder.decodeDouble(kSpreadArchiveKey), 0.0, kMaxSpread, 0.0);
    m_closed = coder.containsValueForKey(kClosedArchiveKey) ? coder.decodeBool(kClosedArchiveKey) : true;
}
