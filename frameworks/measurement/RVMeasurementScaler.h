#pragma once

#include "frameworks/measurement/RVMeasurement.h"

// How a length on paper (the reference, 4 cm say) stands for a length on the ground (the
// represented length, 1 km say), and the conversions between the two. Immutable.
class RVMeasurementScaler : public pf::Object, public pf::Coding {
    PF_CLASS(RVMeasurementScaler)
public:
    // 4 cm to 1 km.
    RVMeasurementScaler();
    // Raises NSInvalidArgumentException for a null length.
    RVMeasurementScaler(pf::Ref<RVMeasurement> reference, pf::Ref<RVMeasurement> represented);
    static pf::Ref<RVMeasurementScaler> scalerWithReferenceMeasurement(const pf::Ref<RVMeasurement>& reference,
                                                                      const pf::Ref<RVMeasurement>& represented);
    static pf::Ref<RVMeasurementScaler> fourCentimetersToOneKilometer();

    // The paper length.
    pf::Ref<RVMeasurement> reference() const { return m_reference; }
    // The ground length it stands for.
    pf::Ref<RVMeasurement> representative() const { return m_represented; }

    // The represented length divided by the reference length, both in one unit (25,000 for
    // 4 cm to 1 km). The lengths give no usable scale when either is zero, negative or not
    // finite; the ratio is then 1 (full size), so that neither it nor anything computed from it
    // is ever NaN or infinite.
    double ratio() const;

    // A paper length to the ground length it stands for, in the represented length's unit.
    // Raises NSInvalidArgumentException for null. Full size when the lengths give no usable scale.
    pf::Ref<RVMeasurement> measurementWithRepresentativeScale(const pf::Ref<RVMeasurement>& paper) const;
    // A ground length to the paper length that stands for it, in the reference's unit.
    pf::Ref<RVMeasurement> measurementFromRepresentativeScale(const pf::Ref<RVMeasurement>& ground) const;

    // Both lengths equal (same numbers, same units).
    bool isEqualToScaler(const RVMeasurementScaler* other) const;

    // "1:25,000" in the user's number format; "10:1" for an enlargement.
    QString scaleDescription() const;

    bool isEqual(const pf::Reflective* other) const override;
    size_t hash() const override;
    QString description() const override;
    pf::Ref<pf::Object> copy() const override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;
    // Nil when the archive lacks either length.
    pf::Ref<pf::Object> awakeAfterUsingCoder(pf::KeyedUnarchiver& coder) override;

private:
    // Represented numbers per reference number, in the lengths' own units; 0 when unusable.
    double numberScale() const;

    pf::Ref<RVMeasurement> m_reference;
    pf::Ref<RVMeasurement> m_represented;
};
