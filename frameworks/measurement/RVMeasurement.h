#pragma once

#include "frameworks/measurement/RVUnitLength.h"

// A length: a number and its unit. Immutable.
class RVMeasurement : public pf::Object, public pf::Coding {
    PF_CLASS(RVMeasurement)
public:
    // Zero points.
    RVMeasurement();
    // Raises NSInvalidArgumentException for a null unit.
    RVMeasurement(double value, pf::Ref<RVUnitLength> unit);
    static pf::Ref<RVMeasurement> measurementWithDoubleValue(double value, const pf::Ref<RVUnitLength>& unit);

    double doubleValue() const { return m_value; }
    pf::Ref<RVUnitLength> unit() const { return m_unit; }

    // The same length in `unit`; the number is unchanged when the unit is the same. Raises
    // NSInvalidArgumentException for a null unit.
    pf::Ref<RVMeasurement> measurementByConvertingToUnit(const pf::Ref<RVUnitLength>& unit) const;

    // The same number in the same unit: 10 mm and 1 cm are different measurements, as the
    // user sees them differently.
    bool isEqualToMeasurement(const RVMeasurement* other) const;

    bool isEqual(const pf::Reflective* other) const override;
    size_t hash() const override;
    // "4 cm".
    QString description() const override;
    // Measurements never change, so a copy is the measurement itself.
    pf::Ref<pf::Object> copy() const override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;
    // Nil when the archive gives no unit it knows: a length without its unit means nothing.
    pf::Ref<pf::Object> awakeAfterUsingCoder(pf::KeyedUnarchiver& coder) override;

private:
    double m_value = 0;
    pf::Ref<RVUnitLength> m_unit;
};
