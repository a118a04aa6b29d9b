#pragma once

#include "platform/foundation/ValueTransformer.h"

// Shows a stored number multiplied by a factor, and divides edited values back.
class RVValueMultiplierTransformer : public pf::ValueTransformer {
    PF_CLASS(RVValueMultiplierTransformer)
public:
    RVValueMultiplierTransformer() = default;
    explicit RVValueMultiplierTransformer(double multiplier) : m_multiplier(multiplier) {}

    double multiplier() const { return m_multiplier; }
    void setMultiplier(double multiplier) { m_multiplier = multiplier; }

    int transformedValueType() const override { return QMetaType::Double; }
    bool allowsReverseTransformation() const override { return true; }
    // No value gives none; a value that is not a number raises.
    QVariant transformedValue(const QVariant& value) const override;
    // As transformedValue, dividing; with a multiplier of 0 there is nothing to divide by and
    // no value comes back, so nothing is written.
    QVariant reverseTransformedValue(const QVariant& value) const override;

private:
    double m_multiplier = 1.0;
};
