#include "frameworks/measurement/RVMeasurement.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"

#include <QLocale>

namespace {
const QString kValueKey = QStringLiteral("RVMeasurement_value");
const QString kUnitKey = QStringLiteral("RVMeasurement_unit");
} // namespace

PF_DEFINE_CLASS(RVMeasurement, pf::Object)
{
    b.protocol(pf::kCodingProtocol);
    b.property("doubleValue", &RVMeasurement::doubleValue);
    b.property("unit", &RVMeasurement::unit);
    b.method("measurementByConvertingToUnit:", [](RVMeasurement& self, const QVariantList& arguments) {
        return pf::toVariant(self.measurementByConvertingToUnit(pf::objectCast<RVUnitLength>(arguments.value(0))));
    });
}

RVMeasurement::RVMeasurement() : m_unit(RVUnitLength::points()) {}

RVMeasurement::RVMeasurement(double value, pf::Ref<RVUnitLength> unit) : m_value(value), m_unit(std::move(unit))
{
    PF_PARAMETER_ASSERT(m_unit);
}

pf::Ref<RVMeasurement> RVMeasurement::measurementWithDoubleValue(double value, const pf::Ref<RVUnitLength>& unit)
{
    return std::make_shared<RVMeasurement>(value, unit);
}

pf::Ref<RVMeasurement> RVMeasurement::measurementByConvertingToUnit(const pf::Ref<RVUnitLength>& unit) const
{
    PF_PARAMETER_ASSERT(unit);
    if (unit->isEqualToUnit(m_unit))
        return std::make_shared<RVMeasurement>(m_value, unit);
    const double points = m_value * m_unit->conversionFactorForPoints();
    return std::make_shared<RVMeasurement>(points / unit->conversionFactorForPoints(), unit);
}

bool RVMeasurement::isEqualToMeasurement(const RVMeasurement* other) const
{
    if (!other)
        return false;
    return other == this || (other->m_value == m_value && other->m_unit->isEqualToUnit(m_unit));
}

bool RVMeasurement::isEqual(const pf::Reflective* other) const
{
    return isEqualToMeasurement(dynamic_cast<const RVMeasurement*>(other));
}

size_t RVMeasurement::hash() const
{
    // 0.0 and -0.0 are equal, so they must hash alike.
    return qHash(m_value == 0 ? 0.0 : m_value) ^ m_unit->hash();
}

QString RVMeasurement::description() const
{
    return QStringLiteral("%1 %2").arg(QLocale::c().toString(m_value, 'g', QLocale::FloatingPointShortest),
                                       m_unit->symbol());
}

pf::Ref<pf::Object> RVMeasurement::copy() const
{
    return std::const_pointer_cast<RVMeasurement>(ref<RVMeasurement>());
}

void RVMeasurement::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    coder.encodeDouble(m_value, kValueKey);
    coder.encodeObject(m_unit, kUnitKey);
}

void RVMeasurement::initWithCoder(pf::KeyedUnarchiver& coder)
{
    m_value = coder.decodeDouble(kValueKey);
    m_unit = coder.decodeObjectOfClass<RVUnitLength>(kUnitKey);
}

pf::Ref<pf::Object> RVMeasurement::awakeAfterUsingCoder(pf::KeyedUnarchiver& coder)
{
    if (!m_unit) {
        PF_LOG("RVMeasurement: the archive gives no known unit; the measurement decodes as nil");
        return nullptr;
    }
    return ref();
}
