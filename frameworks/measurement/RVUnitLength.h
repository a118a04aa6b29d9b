#pragma once

#include "platform/foundation/Coding.h"
#include "platform/foundation/Object.h"

#include <QList>
#include <QString>

// A unit of length. The units are shared objects, one per unit, reached through the class
// operations; they never change. A unit archives itself by its symbol, and decoding hands back
// the shared unit of that symbol, so decoded units compare identical to the shared ones.
class RVUnitLength : public pf::Object, public pf::Coding {
    PF_CLASS(RVUnitLength)
public:
    // A blank unit for the unarchiver to decode into; awakeAfterUsingCoder replaces it by the
    // shared unit. Use the class operations for real units.
    RVUnitLength();

    static pf::Ref<RVUnitLength> points();
    static pf::Ref<RVUnitLength> millimeters();
    static pf::Ref<RVUnitLength> centimeters();
    static pf::Ref<RVUnitLength> meters();
    static pf::Ref<RVUnitLength> kilometers();
    static pf::Ref<RVUnitLength> inches();
    static pf::Ref<RVUnitLength> feet();
    static pf::Ref<RVUnitLength> yards();
    static pf::Ref<RVUnitLength> rods();
    static pf::Ref<RVUnitLength> furlongs();
    static pf::Ref<RVUnitLength> miles();
    static pf::Ref<RVUnitLength> nauticalMiles();

    // Every shared unit, smallest first.
    static QList<pf::Ref<RVUnitLength>> allUnits();
    // The shared unit whose symbol is exactly `symbol` ("cm", "NM"), or null.
    static pf::Ref<RVUnitLength> unitWithSymbol(const QString& symbol);
    // The shared unit whose symbol is exactly `name`, else whose full name is `name` in any
    // case ("centimetres"), or null.
    static pf::Ref<RVUnitLength> unitWithName(const QString& name);

    // The abbreviation shown after numbers: "cm".
    const QString& symbol() const { return m_symbol; }
    // "Centimetres".
    const QString& fullName() const { return m_fullName; }
    // Points in one unit (72 points to the inch).
    double conversionFactorForPoints() const { return m_pointsPerUnit; }

    // Same symbol and size; null is never equal.
    bool isEqualToUnit(const RVUnitLength* other) const;
    bool isEqualToUnit(const pf::Ref<RVUnitLength>& other) const { return isEqualToUnit(other.get()); }

    bool isEqual(const pf::Reflective* other) const override;
    size_t hash() const override;
    QString description() const override;
    // Units never change, so a copy is the unit itself.
    pf::Ref<pf::Object> copy() const override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;
    // The shared unit of the decoded symbol; null (a nil reference) for a symbol no unit has.
    pf::Ref<pf::Object> awakeAfterUsingCoder(pf::KeyedUnarchiver& coder) override;

private:
    RVUnitLength(QString symbol, QString fullName, double pointsPerUnit);
    struct Table;
    static const Table& table();

    QString m_symbol;
    QString m_fullName;
    double m_pointsPerUnit = 1.0;
};
