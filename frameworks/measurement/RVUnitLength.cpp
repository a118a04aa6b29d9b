#include "frameworks/measurement/RVUnitLength.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"

#include <QHash>

namespace {
const QString kSymbolKey = QStringLiteral("RVUnitLength_symbol");

constexpr double kPointsPerInch = 72.0;
constexpr double kPointsPerMillimetre = kPointsPerInch / 25.4;
constexpr double kPointsPerFoot = kPointsPerInch * 12;
} // namespace

PF_DEFINE_CLASS(RVUnitLength, pf::Object)
{
    b.protocol(pf::kCodingProtocol);
    b.property("symbol", &RVUnitLength::symbol);
    b.property("fullName", &RVUnitLength::fullName);
    b.property("conversionFactorForPoints", &RVUnitLength::conversionFactorForPoints);
    b.method("isEqualToUnit:", [](RVUnitLength& self, const QVariantList& arguments) {
        return QVariant(self.isEqualToUnit(pf::objectCast<RVUnitLength>(arguments.value(0))));
    });
    auto unitOperation = [&b](const char* selector, pf::Ref<RVUnitLength> (*unit)()) {
        b.classMethod(QString::fromLatin1(selector),
                      [unit](const pf::Class&, const QVariantList&) { return pf::toVariant(unit()); });
    };
    unitOperation("points", &RVUnitLength::points);
    unitOperation("millimeters", &RVUnitLength::millimeters);
    unitOperation("centimeters", &RVUnitLength::centimeters);
    unitOperation("meters", &RVUnitLength::meters);
    unitOperation("kilometers", &RVUnitLength::kilometers);
    unitOperation("inches", &RVUnitLength::inches);
    unitOperation("feet", &RVUnitLength::feet);
    unitOperation("yards", &RVUnitLength::yards);
    unitOperation("rods", &RVUnitLength::rods);
    unitOperation("furlongs", &RVUnitLength::furlongs);
    unitOperation("miles", &RVUnitLength::miles);
    unitOperation("nauticalMiles", &RVUnitLength::nauticalMiles);
}

// The shared units, made once and never released.
struct RVUnitLength::Table {
    pf::Ref<RVUnitLength> points, millimeters, centimeters, meters, kilometers, inches, feet, yards,
        rods, furlongs, miles, nauticalMiles;
    QList<pf::Ref<RVUnitLength>> all;
    QHash<QString, pf::Ref<RVUnitLength>> bySymbol;
    QHash<QString, pf::Ref<RVUnitLength>> byLowerCaseName;

    Table()
    {
        auto make = [this](const char* symbol, const char* name, double pointsPerUnit) {
            pf::Ref<RVUnitLength> unit(new RVUnitLength(QString::fromUtf8(symbol), QString::fromUtf8(name), pointsPerUnit));
            all.append(unit);
            bySymbol.insert(unit->symbol(), unit);
            byLowerCaseName.insert(unit->fullName().toLower(), unit);
            return unit;
        };
        points = make("pt", "Points", 1.0);
        millimeters = make("mm", "Millimetres", kPointsPerMillimetre);
        centimeters = make("cm", "Centimetres", kPointsPerMillimetre * 10);
        inches = make("in", "Inches", kPointsPerInch);
        feet = make("ft", "Feet", kPointsPerFoot);
        yards = make("yd", "Yards", kPointsPerFoot * 3);
        meters = make("m", "Metres", kPointsPerMillimetre * 1000);
        rods = make("rd", "Rods", kPointsPerFoot * 16.5);
        furlongs = make("fur", "Furlongs", kPointsPerFoot * 660);
        kilometers = make("km", "Kilometres", kPointsPerMillimetre * 1000000);
        miles = make("mi", "Miles", kPointsPerFoot * 5280);
        nauticalMiles = make("NM", "Nautical Miles", kPointsPerMillimetre * 1852000);
    }
};

const RVUnitLength::Table& RVUnitLength::table()
{
    static const Table units;
    return units;
}

RVUnitLength::RVUnitLength() = default;

RVUnitLength::RVUnitLength(QString symbol, QString fullName, double pointsPerUnit)
    : m_symbol(std::move(symbol)), m_fullName(std::move(fullName)), m_pointsPerUnit(pointsPerUnit)
{
}

pf::Ref<RVUnitLength> RVUnitLength::points() { return table().points; }
pf::Ref<RVUnitLength> RVUnitLength::millimeters() { return table().millimeters; }
pf::Ref<RVUnitLength> RVUnitLength::centimeters() { return table().centimeters; }
pf::Ref<RVUnitLength> RVUnitLength::meters() { return table().meters; }
pf::Ref<RVUnitLength> RVUnitLength::kilometers() { return table().kilometers; }
pf::Ref<RVUnitLength> RVUnitLength::inches() { return table().inches; }
pf::Ref<RVUnitLength> RVUnitLength::feet() { return table().feet; }
pf::Ref<RVUnitLength> RVUnitLength::yards() { return table().yards; }
pf::Ref<RVUnitLength> RVUnitLength::rods() { return table().rods; }
pf::Ref<RVUnitLength> RVUnitLength::furlongs() { return table().furlongs; }
pf::Ref<RVUnitLength> RVUnitLength::miles() { return table().miles; }
pf::Ref<RVUnitLength> RVUnitLength::nauticalMiles() { return table().nauticalMiles; }

QList<pf::Ref<RVUnitLength>> RVUnitLength::allUnits()
{
    return table().all;
}

pf::Ref<RVUnitLength> RVUnitLength::unitWithSymbol(const QString& symbol)
{
    return table().bySymbol.value(symbol);
}

pf::Ref<RVUnitLength> RVUnitLength::unitWithName(const QString& name)
{
    if (auto unit = unitWithSymbol(name))
        return unit;
    return table().byLowerCaseName.value(name.toLower());
}

bool RVUnitLength::isEqualToUnit(const RVUnitLength* other) const
{
    if (!other)
        return false;
    return other == this || (other->m_symbol == m_symbol && other->m_pointsPerUnit == m_pointsPerUnit);
}

bool RVUnitLength::isEqual(const pf::Reflective* other) const
{
    return isEqualToUnit(dynamic_cast<const RVUnitLength*>(other));
}

size_t RVUnitLength::hash() const
{
    return qHash(m_symbol);
}

QString RVUnitLength::description() const
{
    return QStringLiteral("<RVUnitLength %1 (%2), %3 pt>")
        .arg(m_symbol, m_fullName)
        .arg(m_pointsPerUnit, 0, 'g', 17);
}

pf::Ref<pf::Object> RVUnitLength::copy() const
{
    return std::const_pointer_cast<RVUnitLength>(ref<RVUnitLength>());
}

void RVUnitLength::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    coder.encodeString(m_symbol, kSymbolKey);
}

void RVUnitLength::initWithCoder(pf::KeyedUnarchiver& coder)
{
    m_symbol = coder.decodeString(kSymbolKey);
}

pf::Ref<pf::Object> RVUnitLength::awakeAfterUsingCoder(pf::KeyedUnarchiver& coder)
{
    pf::Ref<RVUnitLength> shared = unitWithSymbol(m_symbol);
    if (!shared)
        PF_LOG("RVUnitLength: the archive names an unknown unit \"%s\"; it decodes as nil",
               qUtf8Printable(m_symbol.left(64)));
    return shared;
}
