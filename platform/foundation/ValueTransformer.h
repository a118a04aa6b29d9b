#pragma once

#include "platform/foundation/Object.h"

namespace pf {

// Turns values read from a model into the values a control shows, and back. Subclasses
// override the operations; transformers may be registered under a name and looked up by it.
class ValueTransformer : public Object {
    PF_CLASS(ValueTransformer)
public:
    // The QMetaType id of the values this transformer produces.
    virtual int transformedValueType() const { return QMetaType::UnknownType; }
    virtual bool allowsReverseTransformation() const { return false; }
    // The identity by default.
    virtual QVariant transformedValue(const QVariant& value) const { return value; }
    // Raises NSInternalInconsistencyException when reversing is not allowed.
    virtual QVariant reverseTransformedValue(const QVariant& value) const;

    static void setValueTransformer(const Ref<ValueTransformer>& transformer, const QString& name);
    static Ref<ValueTransformer> valueTransformerForName(const QString& name);
    static QStringList valueTransformerNames();
};

// A transformer that multiplies numbers by a factor and divides them back, for showing a
// stored value in other units (a width stored negated, a ratio shown as a percentage).
class MultiplierValueTransformer : public ValueTransformer {
    PF_CLASS(MultiplierValueTransformer)
public:
    explicit MultiplierValueTransformer(double multiplier = 1.0) : m_multiplier(multiplier) {}
    double multiplier() const { return m_multiplier; }

    int transformedValueType() const override { return QMetaType::Double; }
    bool allowsReverseTransformation() const override { return m_multiplier != 0.0; }
    // Raises NSInvalidArgumentException for a value that is not a number; no value stays none.
    QVariant transformedValue(const QVariant& value) const override;
    QVariant reverseTransformedValue(const QVariant& value) const override;

private:
    double m_multiplier;
};

} // namespace pf
