#pragma once

#include "platform/foundation/Coding.h"
#include "platform/foundation/Object.h"

#include <QString>

// A length as a value times a "measure": a whole number of base units of one measurement
// system (10 base units make a centimetre in the metric system, whose base unit is the
// millimetre). Converts between the four systems, normalises to the largest sensible unit and
// searches for a nice multiple inside limits. The subclasses fix the system; a plain
// PWXMeasurement belongs to no system and converts to nothing.
class PWXMeasurement : public pf::Object, public pf::Coding {
    PF_CLASS(PWXMeasurement)
public:
    static constexpr int kNoSystem = -1;
    static constexpr int kMetricSystem = 0;
    static constexpr int kImperialSystem = 1;
    static constexpr int kPointsSystem = 2;
    static constexpr int kNauticalSystem = 3;

    static inline const QString kMeasureKey = QStringLiteral("PWXMeasurement_measure");
    static inline const QString kValueKey = QStringLiteral("PWXMeasurement_value");
    static inline const QString kNormalizeEnabledKey = QStringLiteral("PWXMeasurement_normEnabled");

    PWXMeasurement() = default;
    PWXMeasurement(const PWXMeasurement& other) = default;

    // The class of systems 0 to 3; null for any other number.
    static pf::Class* classForMeasurementSystem(int system);
    // A new measurement of that system, measure 1 and value 0; null for an unknown system.
    static pf::Ref<PWXMeasurement> measurementWithSystem(int system);
    static pf::Ref<PWXMeasurement> measurementWithSystem(int system, double value, int measure = 1);

    // Base units per millimetre.
    static double baseMultiplier(int system);
    // 0 when either system is none, 1 when they are the same.
    static double multiplierForSourceSystem(int source, int destination);
    // The unit names of a system's measures; empty (null) for a measure the system lacks.
    static QString unitsStringForMeasure(int system, int measure);
    static QString abbreviationForMeasure(int system, int measure);
    static int nextHighestMeasure(int system, int measure);
    static int nextLowestMeasure(int system, int measure);

    virtual int measurementSystem() const { return kNoSystem; }

    int measure() const { return m_measure; }
    // Rescales the value so that the length stays the same. A measure below 1 means nothing
    // and is ignored.
    void setMeasure(int measure);
    double value() const { return m_value; }
    void setValue(double value);
    bool normalizeEnabled() const { return m_normalizeEnabled; }
    void setNormalizeEnabled(bool enabled);

    double valueWithMeasure(int measure) const;
    // This object when it is already of `system`, else a converted measurement of measure 1.
    pf::Ref<PWXMeasurement> measurementWithMeasurementSystem(int system);
    // The length in points.
    double quartzValue() const;
    // Points per one unit of the current measure.
    double unitQuartzValue() const;
    // `other` in this object's system and measure; `other` itself when it already is, else a
    // new measurement: `other` is never changed.
    pf::Ref<PWXMeasurement> convertMeasurement(const pf::Ref<PWXMeasurement>& other);
    // The length of `other` divided by this length; 0 when this length is zero.
    double ratio(const pf::Ref<PWXMeasurement>& other) const;
    pf::Ref<PWXMeasurement> measurementWithMultiplier(double factor) const;

    // Only while normalizeEnabled: the largest unit in which the value is still at least 1.
    void normalize();
    pf::Ref<PWXMeasurement> normalizedMeasurement() const;
    // Steps the length up or down by `factor` (2 when it is 1 or less), normalising as it goes,
    // until it lies within [lower, upper] points; it never reverses direction. Raises when the
    // lower limit is not below the upper one.
    pf::Ref<PWXMeasurement> measurementConstrainedToQuartzLowerLimit(double lower, double upper, double factor);

    QString stringValue() const;
    QString stringValueWithAbbreviatedUnits() const;
    QString stringValueWithUnits() const;
    QString autoNormalizedStringValue() const;
    QString unitsString() const;
    QString abbreviatedUnitsString() const;

    QString description() const override;
    pf::Ref<pf::Object> copy() const override;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

private:
    int m_measure = 1;
    double m_value = 0.0;
    bool m_normalizeEnabled = false;
};
