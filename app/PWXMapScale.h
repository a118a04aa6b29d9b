#pragma once

#include "frameworks/measurement/RVMeasurementScaler.h"

#include "platform/foundation/Coding.h"
#include "platform/foundation/Object.h"

class PWXMeasurement;

// How a length on the drawing (the reference, 4 cm say) stands for a length in the world (the
// represented length, 1 km say). Immutable: every change gives a new map scale.
class PWXMapScale : public pf::Object, public pf::Coding {
    PF_CLASS(PWXMapScale)
public:
    static inline const QString kScalerKey = QStringLiteral("PWXMapScale_RVMScaler");
    static inline const QString kLegacyNumeratorKey = QStringLiteral("PWXMapScale_numerator");
    static inline const QString kLegacyDenominatorKey = QStringLiteral("PWXMapScale_denominator");

    // 4 cm to 1 km.
    PWXMapScale();
    explicit PWXMapScale(pf::Ref<RVMeasurementScaler> scaler);
    // Raises for a null length.
    PWXMapScale(const pf::Ref<RVMeasurement>& reference, const pf::Ref<RVMeasurement>& represented);

    static pf::Ref<PWXMapScale> defaultScale();
    // The map scale of the earlier file format's two lengths: paper and ground.
    static pf::Ref<PWXMapScale> mapScaleWithLegacyNumerator(const pf::Ref<PWXMeasurement>& numerator,
                                                            const pf::Ref<PWXMeasurement>& denominator);
    // The same length in the nearest unit of the measurement framework; null for null.
    static pf::Ref<RVMeasurement> measurementWithLegacyMeasure(const pf::Ref<PWXMeasurement>& measurement);

    pf::Ref<RVMeasurementScaler> scaler() const { return m_scaler; }
    // Represented length per reference length, in one unit.
    double scale() const;
    // The factor from paper to ground lengths: the scale.
    double multiplier() const { return scale(); }
    // "<scale description> (1:25,000)".
    QString stringValue() const;
    QString scaleString() const;

    pf::Ref<RVMeasurement> convertToRepresentedMeasurement(const pf::Ref<RVMeasurement>& paper) const;
    pf::Ref<RVMeasurement> convertToReferenceMeasurement(const pf::Ref<RVMeasurement>& ground) const;

    // Each of these gives a new map scale. A null unit fails an assertion.
    pf::Ref<PWXMapScale> mapScaleWithReferenceUnits(const pf::Ref<RVUnitLength>& unit) const;
    pf::Ref<PWXMapScale> mapScaleWithRepresentativeUnits(const pf::Ref<RVUnitLength>& unit) const;
    // The represented length in `unit` as a round number of similar size, the reference
    // adjusted so that the scale stays the same.
    pf::Ref<PWXMapScale> mapScaleWithRepresentativeUnitsAndSimilarMagnitude(const pf::Ref<RVUnitLength>& unit) const;
    pf::Ref<PWXMapScale> mapScaleWithReferenceValue(double value, bool keepingScaleFactor) const;
    pf::Ref<PWXMapScale> mapScaleWithRepresentativeValue(double value, bool keepingScaleFactor) const;
    // 1 reference unit to `scale` of them.
    pf::Ref<PWXMapScale> mapScaleWithScale(double scale) const;
    // Both numbers at least 1, the same scale.
    pf::Ref<PWXMapScale> mapScaleByNormalizing() const;

    // The distance in points between ruler labels for the visible span [location, location +
    // length): the reference length doubled until it reaches the start, then halved while it
    // is wider than the span. 0 when the reference length is not positive.
    double labelPitchSpanInRange(quint64 location, quint64 length) const;
    // How many of the represented unit make a round step; 0 for a unit without one.
    double unitBase() const;

    bool isEqualToMapScale(const PWXMapScale* other) const;
    bool isEqual(const pf::Reflective* other) const override;

    // Map scales are immutable: this only logs.
    void setScale(double scale);

    QString description() const override;
    pf::Ref<pf::Object> copy() const override;
    pf::Ref<pf::Object> mutableCopy() const override;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

private:
    pf::Ref<PWXMapScale> normalized(int depth) const;
    double referenceNumber() const;
    double representedNumber() const;

    pf::Ref<RVMeasurementScaler> m_scaler;
};
