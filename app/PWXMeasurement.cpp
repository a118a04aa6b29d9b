#include "app/PWXMeasurement.h"

#include "app/PWXImperialMeasurement.h"
#include "app/PWXMetricMeasurement.h"
#include "app/PWXNauticalMilesMeasurement.h"
#include "app/PWXQuartzMeasurement.h"
#include "frameworks/measurement/RVUnitLength.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

#include <QHash>

#include <cmath>

PF_DEFINE_CLASS(PWXMeasurement, pf::Object)
{
    b.protocol(pf::kCodingProtocol);
    b.property("measure", &PWXMeasurement::measure, &PWXMeasurement::setMeasure);
    b.property("value", &PWXMeasurement::value, &PWXMeasurement::setValue);
    b.property("normalizeEnabled", &PWXMeasurement::normalizeEnabled, &PWXMeasurement::setNormalizeEnabled);
    b.property("measurementSystem", &PWXMeasurement::measurementSystem);
    b.property("quartzValue", &PWXMeasurement::quartzValue);
    b.property("unitQuartzValue", &PWXMeasurement::unitQuartzValue);
    b.property("stringValue", &PWXMeasurement::stringValue);
    b.property("stringValueWithAbbreviatedUnits", &PWXMeasurement::stringValueWithAbbreviatedUnits);
    b.property("stringValueWithUnits", &PWXMeasurement::stringValueWithUnits);
    b.property("autoNormalizedStringValue", &PWXMeasurement::autoNormalizedStringValue);
    b.property("unitsString", &PWXMeasurement::unitsString);
    b.property("abbreviatedUnitsString", &PWXMeasurement::abbreviatedUnitsString);
    b.cls().setKeyPathsForValuesAffecting("quartzValue", {"measure", "value"});
    b.cls().setKeyPathsForValuesAffecting("stringValue", {"value"});
    b.cls().setKeyPathsForValuesAffecting("stringValueWithUnits", {"measure", "value"});
    b.cls().setKeyPathsForValuesAffecting("stringValueWithAbbreviatedUnits", {"measure", "value"});
}

namespace {

// The unit names of the metric and imperial measures, keyed by the measure's decimal text.
struct UnitNames {
    QHash<QString, QString> metricNames;
    QHash<QString, QString> metricAbbreviations;
    QHash<QString, QString> imperialNames;
};

const UnitNames& unitNames()
{
    static const UnitNames names = [] {
        UnitNames n;
        n.metricNames = {{"1", "millimetres"}, {"10", "centimetres"}, {"1000", "metres"}, {"1000000", "kilometres"}};
        n.metricAbbreviations = {{"1", "mm"}, {"10", "cm"}, {"1000", "m"}, {"1000000", "km"}};
        n.imperialNames = {{"1", "inches"},     {"12", "feet"},       {"36", "yards"},    {"198", "rods"},
                           {"792", "chains"},   {"7920", "furlongs"}, {"63360", "miles"}};
        return n;
    }();
    return names;
}

QString measureText(int measure)
{
    return QString::number(measure);
}

} // namespace

pf::Class* PWXMeasurement::classForMeasurementSystem(int system)
{
    switch (system) {
    case kMetricSystem: return &PWXMetricMeasurement::staticClass();
    case kImperialSystem: return &PWXImperialMeasurement::staticClass();
    case kPointsSystem: return &PWXQuartzMeasurement::staticClass();
    case kNauticalSystem: return &PWXNauticalMilesMeasurement::staticClass();
    default: return nullptr;
    }
}

pf::Ref<PWXMeasurement> PWXMeasurement::measurementWithSystem(int system)
{
    const pf::Class* cls = classForMeasurementSystem(system);
    return cls ? std::dynamic_pointer_cast<PWXMeasurement>(cls->create()) : nullptr;
}

pf::Ref<PWXMeasurement> PWXMeasurement::measurementWithSystem(int system, double value, int measure)
{
    auto measurement = measurementWithSystem(system);
    if (measurement) {
        measurement->m_measure = measure >= 1 ? measure : 1;
        measurement->setValue(value);
    }
    return measurement;
}

double PWXMeasurement::baseMultiplier(int system)
{
    switch (system) {
    case kImperialSystem: return 0.03937007874016;
    case kPointsSystem: return 2.834645669291;
    case kNauticalSystem: return 5.399568034557e-7;
    default: return 1.0;
    }
}

double PWXMeasurement::multiplierForSourceSystem(int source, int destination)
{
    if (source == kNoSystem || destination == kNoSystem)
        return 0.0;
    if (source == destination)
        return 1.0;
    return baseMultiplier(destination) / baseMultiplier(source);
}

QString PWXMeasurement::unitsStringForMeasure(int system, int measure)
{
    switch (system) {
    case kMetricSystem: return unitNames().metricNames.value(measureText(measure));
    case kImperialSystem: return unitNames().imperialNames.value(measureText(measure));
    case kPointsSystem: return QStringLiteral("points");
    case kNauticalSystem: return QStringLiteral("nautical miles");
    case kNoSystem: return QStringLiteral("");
    default: return QString();
    }
}

QString PWXMeasurement::abbreviationForMeasure(int system, int measure)
{
    switch (system) {
    case kMetricSystem: return unitNames().metricAbbreviations.value(measureText(measure));
    case kImperialSystem: {
        // The measurement framework's symbol for the unit, as the drawing abbreviates its units.
        const QString units = unitsStringForMeasure(system, measure);
        if (units.isNull())
            return QString();
        const pf::Ref<RVUnitLength> unit = RVUnitLength::unitWithName(units);
        return unit ? unit->symbol() : units;
    }
    case kPointsSystem: return QStringLiteral("pt");
    case kNauticalSystem: return QStringLiteral("nmi");
    case kNoSystem: return QStringLiteral("");
    default: return QString();
    }
}

int PWXMeasurement::nextHighestMeasure(int system, int measure)
{
    if (system == kMetricSystem) {
        switch (measure) {
        case 1: return 10;
        case 10: return 1000;
        case 1000: return 1000000;
        case 1000000: return 1000000;
        default: return 1;
        }
    }
    if (system == kImperialSystem) {
        switch (measure) {
        case 1: return 12;
        case 12: return 36;
        case 36: return 63360;
        case 198: return 792;
        case 792: return 7920;
        case 7920: return 63360;
        case 63360: return 63360;
        default: return 1;
        }
    }
    return 1;
}

int PWXMeasurement::nextLowestMeasure(int system, int measure)
{
    if (system == kMetricSystem) {
        switch (measure) {
        case 1000000: return 1000;
        case 1000: return 10;
        default: return 1;
        }
    }
    if (system == kImperialSystem) {
        switch (measure) {
        case 36: return 12;
        case 198: return 36;
        case 792: return 198;
        case 7920: return 792;
        case 63360: return 36;
        default: return 1;
        }
    }
    return 1;
}

void PWXMeasurement::setMeasure(int measure)
{
    if (measure < 1 || measure == m_measure)
        return;
    pf::KeyChange change(this, "measure");
    pf::KeyChange valueChange(this, "value");
    m_value = m_value * m_measure / measure;
    m_measure = measure;
}

void PWXMeasurement::setValue(double value)
{
    setObservedValue(m_value, value, "value");
}

void PWXMeasurement::setNormalizeEnabled(bool enabled)
{
    setObservedValue(m_normalizeEnabled, enabled, "normalizeEnabled");
}

double PWXMeasurement::valueWithMeasure(int measure) const
{
    return measure >= 1 ? m_value * m_measure / measure : 0.0;
}

pf::Ref<PWXMeasurement> PWXMeasurement::measurementWithMeasurementSystem(int system)
{
    if (system == measurementSystem())
        return ref<PWXMeasurement>();
    auto converted = measurementWithSystem(system);
    if (converted)
        converted->m_value = multiplierForSourceSystem(measurementSystem(), system) * m_value * m_measure;
    return converted;
}

double PWXMeasurement::quartzValue() const
{
    return unitQuartzValue() * m_value;
}

double PWXMeasurement::unitQuartzValue() const
{
    // Points per unit straight from the systems, so that a zero value still has a unit size.
    return multiplierForSourceSystem(measurementSystem(), kPointsSystem) * m_measure;
}

pf::Ref<PWXMeasurement> PWXMeasurement::convertMeasurement(const pf::Ref<PWXMeasurement>& other)
{
    if (!other)
        return nullptr;
    if (other.get() == this || (other->measurementSystem() == measurementSystem() && other->m_measure == m_measure))
        return other;
    pf::Ref<PWXMeasurement> converted = other->measurementWithMeasurementSystem(measurementSystem());
    if (!converted)
        return nullptr;
    if (converted == other)
        converted = std::static_pointer_cast<PWXMeasurement>(other->copy());
    converted->setMeasure(m_measure);
    return converted;
}

double PWXMeasurement::ratio(const pf::Ref<PWXMeasurement>& other) const
{
    if (!other)
        return 0.0;
    const double own = m_measure * m_value;
    if (own == 0.0 || !std::isfinite(own))
        return 0.0;
    const double otherLength = other->measurementSystem() == measurementSystem()
        ? other->m_value * other->m_measure
        : multiplierForSourceSystem(other->measurementSystem(), measurementSystem()) * other->m_value * other->m_measure;
    return otherLength / own;
}

pf::Ref<PWXMeasurement> PWXMeasurement::measurementWithMultiplier(double factor) const
{
    auto result = std::static_pointer_cast<PWXMeasurement>(copy());
    result->m_value = m_value * factor;
    return result;
}

void PWXMeasurement::normalize()
{
    if (!m_normalizeEnabled)
        return;
    const int system = measurementSystem();
    const double total = m_measure * m_value;
    int chosen = 1;
    if (total > 1.0) {
        int candidate = nextHighestMeasure(system, 1);
        double quotient = 0.0;
        do {
            if (candidate == chosen)
                break;
            quotient = total / candidate;
            if (quotient < 1.0)
                break;
            chosen = candidate;
            candidate = nextHighestMeasure(system, candidate);
        } while (quotient > 1.0);
    }
    pf::KeyChange change(this, "measure");
    pf::KeyChange valueChange(this, "value");
    m_measure = chosen;
    m_value = total / chosen;
}

pf::Ref<PWXMeasurement> PWXMeasurement::normalizedMeasurement() const
{
    auto result = std::static_pointer_cast<PWXMeasurement>(copy());
    result->normalize();
    return result;
}

pf::Ref<PWXMeasurement> PWXMeasurement::measurementConstrainedToQuartzLowerLimit(double lower, double upper, double factor)
{
    if (!(lower < upper))
        throw pf::InternalInconsistencyException(QStringLiteral("upper limit must be greater than lower limit"));
    if (!(factor > 1.0))
        factor = 2.0;
    double points = quartzValue();
    pf::Ref<PWXMeasurement> result = ref<PWXMeasurement>();
    // Halving or doubling an infinite length never reaches the limits.
    if (!(points > 0.0) || !std::isfinite(points))
        return result;
    int stepsUp = 0;
    int stepsDown = 0;
    do {
        if (points > upper) {
            if (stepsUp > 0)
                break;
            result = result->measurementWithMultiplier(1.0 / factor);
            ++stepsDown;
            stepsUp = 0;
        } else {
            if (points >= lower || stepsDown > 0)
                break;
            result = result->measurementWithMultiplier(factor);
            ++stepsUp;
            stepsDown = 0;
        }
        result->setNormalizeEnabled(true);
        result->normalize();
        points = result->quartzValue();
    } while (points > 0.0);
    return result;
}

QString PWXMeasurement::stringValue() const
{
    return QString::asprintf("%.2f", m_value);
}

QString PWXMeasurement::stringValueWithAbbreviatedUnits() const
{
    return QStringLiteral("%1 %2").arg(stringValue(), abbreviatedUnitsString());
}

QString PWXMeasurement::stringValueWithUnits() const
{
    return QStringLiteral("%1 %2").arg(stringValue(), unitsString());
}

QString PWXMeasurement::autoNormalizedStringValue() const
{
    return normalizedMeasurement()->stringValueWithAbbreviatedUnits();
}

QString PWXMeasurement::unitsString() const
{
    return unitsStringForMeasure(measurementSystem(), m_measure);
}

QString PWXMeasurement::abbreviatedUnitsString() const
{
    return abbreviationForMeasure(measurementSystem(), m_measure);
}

QString PWXMeasurement::description() const
{
    return QStringLiteral("%1 %2").arg(pf::Object::description(), stringValueWithAbbreviatedUnits());
}

pf::Ref<pf::Object> PWXMeasurement::copy() const
{
    auto result = std::dynamic_pointer_cast<PWXMeasurement>(objClass().create());
    if (!result)
        result = std::make_shared<PWXMeasurement>();
    result->m_measure = m_measure;
    result->m_value = m_value;
    result->m_normalizeEnabled = m_normalizeEnabled;
    return result;
}

void PWXMeasurement::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    coder.encodeInt32(m_measure, kMeasureKey);
    // Written at full precision; a reader of the earlier single-precision form reads it too.
    coder.encodeDouble(m_value, kValueKey);
    coder.encodeBool(m_normalizeEnabled, kNormalizeEnabledKey);
}

void PWXMeasurement::initWithCoder(pf::KeyedUnarchiver& coder)
{
    const qint32 measure = coder.decodeInt32(kMeasureKey);
    m_measure = measure >= 1 ? measure : 1;
    setValue(coder.decodeDouble(kValueKey));
    m_normalizeEnabled = coder.decodeBool(kNormalizeEnabledKey);
}
