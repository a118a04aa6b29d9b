#include "frameworks/measurement/RVMeasurementScaler.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"

#include <QLocale>

#include <cmath>

namespace {
const QString kReferenceKey = QStringLiteral("RVMeasurementScaler_reference");
const QString kRepresentedKey = QStringLiteral("RVMeasurementScaler_represented");

// A ratio as the user reads it: grouped digits, at most two decimals, no trailing zeros.
QString ratioText(double value)
{
    const QLocale locale;
    if (value >= 1e15)
        return locale.toString(value, 'g', QLocale::FloatingPointShortest);
    return locale.toString(std::round(value * 100) / 100, 'f', QLocale::FloatingPointShortest);
}
} // namespace

PF_DEFINE_CLASS(RVMeasurementScaler, pf::Object)
{
    using S = RVMeasurementScaler;
    b.protocol(pf::kCodingProtocol);
    b.property("reference", &S::reference);
    b.property("representative", &S::representative);
    b.property("ratio", &S::ratio);
    b.property("scaleDescription", &S::scaleDescription);
    b.method("measurementWithRepresentativeScale:", [](S& self, const QVariantList& arguments) {
        return pf::toVariant(self.measurementWithRepresentativeScale(pf::objectCast<RVMeasurement>(arguments.value(0))));
    });
    b.method("measurementFromRepresentativeScale:", [](S& self, const QVariantList& arguments) {
        return pf::toVariant(self.measurementFromRepresentativeScale(pf::objectCast<RVMeasurement>(arguments.value(0))));
    });
    b.classMethod("fourCentimetersToOneKilometer", [](const pf::Class&, const QVariantList&) {
        return pf::toVariant(S::fourCentimetersToOneKilometer());
    });
}

RVMeasurementScaler::RVMeasurementScaler()
    : m_reference(RVMeasurement::measurementWithDoubleValue(4, RVUnitLength::centimeters())),
      m_represented(RVMeasurement::measurementWithDoubleValue(1, RVUnitLength::kilometers()))
{
}

RVMeasurementScaler::RVMeasurementScaler(pf::Ref<RVMeasurement> reference, pf::Ref<RVMeasurement> represented)
    : m_reference(std::move(reference)), m_represented(std::move(represented))
{
    PF_PARAMETER_ASSERT(m_reference);
    PF_PARAMETER_ASSERT(m_represented);
}

pf::Ref<RVMeasurementScaler> RVMeasurementScaler::scalerWithReferenceMeasurement(const pf::Ref<RVMeasurement>& reference,
                                                                                const pf::Ref<RVMeasurement>& represented)
{
    return std::make_shared<RVMeasurementScaler>(reference, represented);
}

pf::Ref<RVMeasurementScaler> RVMeasurementScaler::fourCentimetersToOneKilometer()
{
    return std::make_shared<RVMeasurementScaler>();
}

double RVMeasurementScaler::numberScale() const
{
    const double reference = m_reference->doubleValue();
    const double represented = m_represented->doubleValue();
    if (!std::isfinite(reference) || !std::isfinite(represented))
        return 0;
    const double scale = represented / reference;
    return std::isfinite(scale) && scale > 0 ? scale : 0;
}

double RVMeasurementScaler::ratio() const
{
    const double scale = numberScale();
    if (scale == 0)
        return 1;
    const double ratio = scale * m_represented->unit()->conversionFactorForPoints()
        / m_reference->unit()->conversionFactorForPoints();
    return std::isfinite(ratio) && ratio > 0 ? ratio : 1;
}

pf::Ref<RVMeasurement> RVMeasurementScaler::measurementWithRepresentativeScale(const pf::Ref<RVMeasurement>& paper) const
{
    PF_PARAMETER_ASSERT(paper);
    const double scale = numberScale();
    if (scale == 0)
        return paper->measurementByConvertingToUnit(m_represented->unit());
    // Scaling the numbers in the lengths' own units keeps round scales exact: 4 cm gives 1 km,
    // not 0.9999999999 km.
    const double inReferenceUnits = paper->measurementByConvertingToUnit(m_reference->unit())->doubleValue();
    return RVMeasurement::measurementWithDoubleValue(inReferenceUnits * scale, m_represented->unit());
}

pf::Ref<RVMeasurement> RVMeasurementScaler::measurementFromRepresentativeScale(const pf::Ref<RVMeasurement>& ground) const
{
    PF_PARAMETER_ASSERT(ground);
    const double scale = numberScale();
    if (scale == 0)
        return ground->measurementByConvertingToUnit(m_reference->unit());
    const double inRepresentedUnits = ground->measurementByConvertingToUnit(m_represented->unit())->doubleValue();
    return RVMeasurement::measurementWithDoubleValue(inRepresentedUnits / scale, m_reference->unit());
}

bool RVMeasurementScaler::isEqualToScaler(const RVMeasurementScaler* other) const
{
    if (!other)
        return false;
    return other == this
        || (m_reference->isEqualToMeasurement(other->m_reference.get())
            && m_represented->isEqualToMeasurement(other->m_represented.get()));
}

QString RVMeasurementScaler::scaleDescription() const
{
    const double value = ratio();
    if (value >= 1)
        return QStringLiteral("1:") + ratioText(value);
    return ratioText(1 / value) + QStringLiteral(":1");
}

bool RVMeasurementScaler::isEqual(const pf::Reflective* other) const
{
    return isEqualToScaler(dynamic_cast<const RVMeasurementScaler*>(other));
}

size_t RVMeasurementScaler::hash() const
{
    return m_reference->hash() * 31 + m_represented->hash();
}

QString RVMeasurementScaler::description() const
{
    return QStringLiteral("%1 : %2 (%3)").arg(m_reference->description(), m_represented->description(), scaleDescription());
}

pf::Ref<pf::Object> RVMeasurementScaler::copy() const
{
    return std::make_shared<RVMeasurementScaler>(*this);
}

void RVMeasurementScaler::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    coder.encodeObject(m_reference, kReferenceKey);
    coder.encodeObject(m_represented, kRepresentedKey);
}

void RVMeasurementScaler::initWithCoder(pf::KeyedUnarchiver& coder)
{
    m_reference = coder.decodeObjectOfClass<RVMeasurement>(kReferenceKey);
    m_represented = coder.decodeObjectOfClass<RVMeasurement>(kRepresentedKey);
}

pf::Ref<pf::Object> RVMeasurementScaler::awakeAfterUsingCoder(pf::KeyedUnarchiver& coder)
{
    if (!m_reference || !m_represented) {
        PF_LOG("RVMeasurementScaler: the archive lacks a length; the scaler decodes as nil");
        return nullptr;
    }
    return ref();
}
