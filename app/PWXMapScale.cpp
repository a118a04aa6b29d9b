#include "app/PWXMapScale.h"

#include "app/PWXMeasurement.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"

#include <QHash>
#include <QLocale>

#include <cmath>

PF_DEFINE_CLASS(PWXMapScale, pf::Object)
{
    b.protocol(pf::kCodingProtocol);
    b.property("scale", &PWXMapScale::scale);
    b.property("multiplier", &PWXMapScale::multiplier);
    b.property("stringValue", &PWXMapScale::stringValue);
    b.property("scaleString", &PWXMapScale::scaleString);
    b.property("unitBase", &PWXMapScale::unitBase);
}

namespace {

using pf::Ref;

Ref<RVMeasurement> length(double value, const Ref<RVUnitLength>& unit)
{
    return RVMeasurement::measurementWithDoubleValue(value, unit);
}

// The earlier format's measures that have a unit of their own here.
Ref<RVUnitLength> legacyUnit(int system, int measure)
{
    if (system == PWXMeasurement::kMetricSystem) {
        switch (measure) {
        case 1: return RVUnitLength::millimeters();
        case 10: return RVUnitLength::centimeters();
        case 1000: return RVUnitLength::meters();
        case 1000000: return RVUnitLength::kilometers();
        default: return nullptr;
        }
    }
    if (system == PWXMeasurement::kImperialSystem) {
        switch (measure) {
        case 1: return RVUnitLength::inches();
        case 12: return RVUnitLength::feet();
        case 36: return RVUnitLength::yards();
        case 198: return RVUnitLength::rods();
        case 7920: return RVUnitLength::furlongs();
        case 63360: return RVUnitLength::miles();
        default: return nullptr;
        }
    }
    return nullptr;
}

} // namespace

PWXMapScale::PWXMapScale() : m_scaler(RVMeasurementScaler::fourCentimetersToOneKilometer()) {}

PWXMapScale::PWXMapScale(Ref<RVMeasurementScaler> scaler)
    : m_scaler(scaler ? std::move(scaler) : RVMeasurementScaler::fourCentimetersToOneKilometer())
{
}

PWXMapScale::PWXMapScale(const Ref<RVMeasurement>& reference, const Ref<RVMeasurement>& represented)
    : m_scaler(RVMeasurementScaler::scalerWithReferenceMeasurement(reference, represented))
{
}

Ref<PWXMapScale> PWXMapScale::defaultScale()
{
    return std::make_shared<PWXMapScale>(length(4, RVUnitLength::centimeters()), length(1, RVUnitLength::kilometers()));
}

Ref<RVMeasurement> PWXMapScale::measurementWithLegacyMeasure(const Ref<PWXMeasurement>& measurement)
{
    if (!measurement)
        return nullptr;
    const int system = measurement->measurementSystem();
    const int measure = measurement->measure();
    if (Ref<RVUnitLength> unit = legacyUnit(system, measure))
        return length(measurement->value(), unit);
    // A measure without a unit of its own (chains, say) is converted through the system's base
    // unit; keeping the number under another unit's name would change the length.
    const double baseUnits = measurement->valueWithMeasure(1);
    switch (system) {
    case PWXMeasurement::kMetricSystem: return length(baseUnits / 10.0, RVUnitLength::centimeters());
    case PWXMeasurement::kImperialSystem: return length(baseUnits, RVUnitLength::inches());
    case PWXMeasurement::kNauticalSystem: return length(baseUnits, RVUnitLength::nauticalMiles());
    default: return length(baseUnits, RVUnitLength::points());
    }
}

Ref<PWXMapScale> PWXMapScale::mapScaleWithLegacyNumerator(const Ref<PWXMeasurement>& numerator,
                                                          const Ref<PWXMeasurement>& denominator)
{
    Ref<RVMeasurement> reference = measurementWithLegacyMeasure(numerator);
    Ref<RVMeasurement> represented = measurementWithLegacyMeasure(denominator);
    if (!reference || !represented)
        return nullptr;
    return std::make_shared<PWXMapScale>(reference, represented);
}

double PWXMapScale::scale() const
{
    return m_scaler->ratio();
}

QString PWXMapScale::stringValue() const
{
    // nearbyint rounds half to even in the default rounding mode.
    const double rounded = std::nearbyint(scale());
    return QStringLiteral("%1 (1:%2)").arg(m_scaler->scaleDescription(), QLocale().toString(rounded, 'f', 0));
}

QString PWXMapScale::scaleString() const
{
    return m_scaler->scaleDescription();
}

Ref<RVMeasurement> PWXMapScale::convertToRepresentedMeasurement(const Ref<RVMeasurement>& paper) const
{
    return m_scaler->measurementWithRepresentativeScale(paper);
}

Ref<RVMeasurement> PWXMapScale::convertToReferenceMeasurement(const Ref<RVMeasurement>& ground) const
{
    return m_scaler->measurementFromRepresentativeScale(ground);
}

double PWXMapScale::referenceNumber() const
{
    return m_scaler->reference()->doubleValue();
}

double PWXMapScale::representedNumber() const
{
    return m_scaler->representative()->doubleValue();
}

Ref<PWXMapScale> PWXMapScale::mapScaleWithReferenceUnits(const Ref<RVUnitLength>& unit) const
{
    PF_ASSERT(unit, "invalid reference units (nil)");
    if (unit->isEqualToUnit(m_scaler->reference()->unit()))
        return std::static_pointer_cast<PWXMapScale>(copy());
    return std::make_shared<PWXMapScale>(m_scaler->reference()->measurementByConvertingToUnit(unit),
                                         m_scaler->representative());
}

Ref<PWXMapScale> PWXMapScale::mapScaleWithRepresentativeUnits(const Ref<RVUnitLength>& unit) const
{
    PF_ASSERT(unit, "invalid representative units (nil)");
    if (unit->isEqualToUnit(m_scaler->representative()->unit()))
        return std::static_pointer_cast<PWXMapScale>(copy());
    return std::make_shared<PWXMapScale>(m_scaler->reference(),
                                         m_scaler->representative()->measurementByConvertingToUnit(unit));
}

Ref<PWXMapScale> PWXMapScale::mapScaleWithRepresentativeUnitsAndSimilarMagnitude(const Ref<RVUnitLength>& unit) const
{
    PF_ASSERT(unit, "invalid representative units (nil)");
    if (unit->isEqualToUnit(m_scaler->representative()->unit()))
        return std::static_pointer_cast<PWXMapScale>(copy());
    const double converted = m_scaler->representative()->measurementByConvertingToUnit(unit)->doubleValue();
    // A length that is not positive has no magnitude to round to: plain conversion.
    if (!(converted > 0.0) || !std::isfinite(converted))
        return mapScaleWithRepresentativeUnits(unit);
    const double represented = 0.5 * std::pow(10.0, std::nearbyint(std::log10(converted)));
    const double reference = referenceNumber() * represented / converted;
    return std::make_shared<PWXMapScale>(length(reference, m_scaler->reference()->unit()), length(represented, unit));
}

Ref<PWXMapScale> PWXMapScale::mapScaleWithReferenceValue(double value, bool keepingScaleFactor) const
{
    const Ref<RVUnitLength> referenceUnit = m_scaler->reference()->unit();
    Ref<RVMeasurement> reference = length(value, referenceUnit);
    Ref<RVMeasurement> represented = m_scaler->representative();
    if (keepingScaleFactor)
        represented = length(scale() * value, referenceUnit)->measurementByConvertingToUnit(represented->unit());
    return std::make_shared<PWXMapScale>(reference, represented);
}

Ref<PWXMapScale> PWXMapScale::mapScaleWithRepresentativeValue(double value, bool keepingScaleFactor) const
{
    const Ref<RVUnitLength> representedUnit = m_scaler->representative()->unit();
    Ref<RVMeasurement> represented = length(value, representedUnit);
    Ref<RVMeasurement> reference = m_scaler->reference();
    if (keepingScaleFactor)
        reference = length(value / scale(), representedUnit)->measurementByConvertingToUnit(reference->unit());
    return std::make_shared<PWXMapScale>(reference, represented);
}

Ref<PWXMapScale> PWXMapScale::mapScaleWithScale(double newScale) const
{
    const Ref<RVUnitLength> referenceUnit = m_scaler->reference()->unit();
    return std::make_shared<PWXMapScale>(
        length(1.0, referenceUnit),
        length(newScale, referenceUnit)->measurementByConvertingToUnit(m_scaler->representative()->unit()));
}

Ref<PWXMapScale> PWXMapScale::mapScaleByNormalizing() const
{
    return normalized(0);
}

Ref<PWXMapScale> PWXMapScale::normalized(int depth) const
{
    // Each step brings one number to 1 and keeps the scale; two steps always suffice, the bound
    // only guards against rounding at the limits of doubles.
    if (depth < 4) {
        if (referenceNumber() < 1.0)
            return mapScaleWithReferenceValue(1.0, true)->normalized(depth + 1);
        if (representedNumber() < 1.0)
            return mapScaleWithRepresentativeValue(1.0, true)->normalized(depth + 1);
    }
    return std::static_pointer_cast<PWXMapScale>(copy());
}

double PWXMapScale::labelPitchSpanInRange(quint64 location, quint64 spanLength) const
{
    const double low = double(location);
    const double span = double(spanLength);
    double pitch = referenceNumber() * m_scaler->reference()->unit()->conversionFactorForPoints();
    // Doubling a pitch that is not positive would never reach the start.
    if (!(pitch > 0.0) || !std::isfinite(pitch))
        return 0.0;
    while (low > pitch)
        pitch *= 2.0;
    while (pitch > span && pitch >= low)
        pitch /= 2.0;
    return pitch;
}

double PWXMapScale::unitBase() const
{
    static const QHash<QString, double> bases = {
        {"mi", 1},   {"yd", 220}, {"ft", 250}, {"in", 7920}, {"NM", 1},
        {"km", 1},   {"m", 250},  {"cm", 2500}, {"mm", 25000}, {"pt", 50000},
    };
    return bases.value(m_scaler->representative()->unit()->symbol(), 0.0);
}

bool PWXMapScale::isEqualToMapScale(const PWXMapScale* other) const
{
    if (other == this)
        return true;
    return other && m_scaler->isEqualToScaler(other->m_scaler.get());
}

bool PWXMapScale::isEqual(const pf::Reflective* other) const
{
    return isEqualToMapScale(dynamic_cast<const PWXMapScale*>(other));
}

void PWXMapScale::setScale(double)
{
    pf::log(QStringLiteral("PWXMapScale is immutable and -setScale: is no longer supported. Please revise calling code."));
}

QString PWXMapScale::description() const
{
    return QStringLiteral("%1 %2").arg(pf::Object::description(), stringValue());
}

Ref<pf::Object> PWXMapScale::copy() const
{
    return std::make_shared<PWXMapScale>(m_scaler->reference(), m_scaler->representative());
}

Ref<pf::Object> PWXMapScale::mutableCopy() const
{
    // Map scales are immutable, so a "mutable" copy is an equal map scale.
    return copy();
}

void PWXMapScale::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    coder.encodeObject(m_scaler, kScalerKey);
}

void PWXMapScale::initWithCoder(pf::KeyedUnarchiver& coder)
{
    if (Ref<RVMeasurementScaler> scaler = coder.decodeObjectOfClass<RVMeasurementScaler>(kScalerKey)) {
        m_scaler = scaler;
        return;
    }
    const Ref<PWXMeasurement> numerator = coder.decodeObjectOfClass<PWXMeasurement>(kLegacyNumeratorKey);
    const Ref<PWXMeasurement> denominator = coder.decodeObjectOfClass<PWXMeasurement>(kLegacyDenominatorKey);
    if (numerator && denominator) {
        if (Ref<PWXMapScale> updated = mapScaleWithLegacyNumerator(numerator, denominator)) {
            m_scaler = updated->m_scaler;
            pf::log(QStringLiteral("updating legacy map scale to %1").arg(updated->description()));
            return;
        }
    }
    m_scaler = RVMeasurementScaler::fourCentimetersToOneKilometer();
}
