#include <gtest/gtest.h>

#include "frameworks/measurement/RVMeasurement.h"
#include "frameworks/measurement/RVMeasurementScaler.h"
#include "frameworks/measurement/RVUnitLength.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

#include <QLocale>

#include <cmath>
#include <limits>

using pf::Ref;
using U = RVUnitLength;

namespace {

Ref<RVMeasurement> length(double value, const Ref<U>& unit)
{
    return RVMeasurement::measurementWithDoubleValue(value, unit);
}

Ref<RVMeasurementScaler> scaler(double paper, const Ref<U>& paperUnit, double ground, const Ref<U>& groundUnit)
{
    return RVMeasurementScaler::scalerWithReferenceMeasurement(length(paper, paperUnit), length(ground, groundUnit));
}

void expectClose(double expected, double actual)
{
    EXPECT_NEAR(expected, actual, std::abs(expected) * 1e-12) << "expected " << expected;
}

template <class T>
Ref<T> roundTrip(const Ref<pf::Object>& object, pf::Error* error = nullptr)
{
    const QByteArray data = pf::KeyedArchiver::archivedData(object);
    EXPECT_FALSE(data.isEmpty());
    return pf::KeyedUnarchiver::unarchiveObjectOfClass<T>(data, error);
}

// An XML archive of `object` with one stored string replaced, as a damaged file would have it.
QByteArray archiveWithStringReplaced(const Ref<pf::Object>& object, const QString& from, const QString& to)
{
    QByteArray xml = pf::KeyedArchiver::archivedData(object, pf::PropertyListFormat::XML);
    const QByteArray before = QStringLiteral("<string>%1</string>").arg(from).toUtf8();
    EXPECT_TRUE(xml.contains(before));
    return xml.replace(before, QStringLiteral("<string>%1</string>").arg(to).toUtf8());
}

// Sets the default locale for the lifetime of the guard.
class DefaultLocale {
public:
    explicit DefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(m_saved); }

private:
    QLocale m_saved;
};

} // namespace

TEST(MeasureUnitLength, SharedUnitsHaveTheirSymbolsAndSizes)
{
    struct Row {
        Ref<U> (*unit)();
        const char* symbol;
        double pointsPerUnit;
    };
    const Row rows[] = {
        {&U::points, "pt", 1},
        {&U::millimeters, "mm", 72 / 25.4},
        {&U::centimeters, "cm", 720 / 25.4},
        {&U::meters, "m", 72000 / 25.4},
        {&U::kilometers, "km", 72000000 / 25.4},
        {&U::inches, "in", 72},
        {&U::feet, "ft", 864},
        {&U::yards, "yd", 2592},
        {&U::rods, "rd", 14256},
        {&U::furlongs, "fur", 570240},
        {&U::miles, "mi", 4561920},
        {&U::nauticalMiles, "NM", 1852000 * 72 / 25.4},
    };
    QSet<QString> names;
    for (const Row& row : rows) {
        const Ref<U> unit = row.unit();
        ASSERT_TRUE(unit);
        EXPECT_EQ(unit, row.unit()) << "each unit is one shared object";
        EXPECT_EQ(unit->symbol(), QString::fromLatin1(row.symbol));
        expectClose(row.pointsPerUnit, unit->conversionFactorForPoints());
        EXPECT_FALSE(unit->fullName().isEmpty());
        names.insert(unit->fullName());
        EXPECT_EQ(U::unitWithSymbol(unit->symbol()), unit);
        EXPECT_EQ(U::unitWithName(unit->fullName().toUpper()), unit);
    }
    EXPECT_EQ(names.size(), 12);
    EXPECT_EQ(U::allUnits().size(), 12);
    for (qsizetype i = 1; i < U::allUnits().size(); ++i)
        EXPECT_LT(U::allUnits()[i - 1]->conversionFactorForPoints(), U::allUnits()[i]->conversionFactorForPoints());
}

TEST(MeasureUnitLength, LookUpAndEquality)
{
    EXPECT_EQ(U::unitWithName(QStringLiteral("cm")), U::centimeters());
    EXPECT_EQ(U::unitWithName(QStringLiteral("centimetres")), U::centimeters());
    EXPECT_EQ(U::unitWithName(QStringLiteral("Nautical Miles")), U::nauticalMiles());
    // Symbols are case-sensitive: "NM" is a nautical mile, "nm" no unit of this system.
    EXPECT_FALSE(U::unitWithSymbol(QStringLiteral("nm")));
    EXPECT_FALSE(U::unitWithName(QStringLiteral("furlong")));
    EXPECT_FALSE(U::unitWithName(QString()));

    EXPECT_TRUE(U::inches()->isEqualToUnit(U::inches()));
    EXPECT_FALSE(U::inches()->isEqualToUnit(U::feet()));
    EXPECT_FALSE(U::inches()->isEqualToUnit(nullptr));
    EXPECT_EQ(U::inches()->copy(), U::inches());
}

TEST(MeasureUnitLength, KeyValuePropertiesAndClassOperations)
{
    const Ref<U> unit = U::feet();
    EXPECT_EQ(unit->valueForKey(QStringLiteral("symbol")).toString(), QStringLiteral("ft"));
    EXPECT_EQ(unit->valueForKey(QStringLiteral("fullName")).toString(), unit->fullName());
    EXPECT_DOUBLE_EQ(unit->valueForKey(QStringLiteral("conversionFactorForPoints")).toDouble(), 864);
    const pf::Class* cls = pf::Class::named(QStringLiteral("RVUnitLength"));
    ASSERT_TRUE(cls);
    EXPECT_EQ(pf::objectCast<U>(cls->performClassMethod(QStringLiteral("nauticalMiles"))), U::nauticalMiles());
}

TEST(MeasureMeasurement, ConvertsBetweenUnits)
{
    struct Row {
        double value;
        Ref<U> from;
        Ref<U> to;
        double expected;
    };
    const Row rows[] = {
        {1, U::inches(), U::points(), 72},
        {1, U::inches(), U::millimeters(), 25.4},
        {1, U::centimeters(), U::millimeters(), 10},
        {1, U::meters(), U::centimeters(), 100},
        {1, U::kilometers(), U::meters(), 1000},
        {1, U::feet(), U::inches(), 12},
        {1, U::yards(), U::feet(), 3},
        {1, U::rods(), U::yards(), 5.5},
        {1, U::furlongs(), U::rods(), 40},
        {1, U::miles(), U::furlongs(), 8},
        {1, U::miles(), U::kilometers(), 1.609344},
        {1, U::nauticalMiles(), U::meters(), 1852},
        {64, U::centimeters(), U::points(), 1814.1732283464569},
        {-3, U::feet(), U::yards(), -1},
        {0, U::miles(), U::points(), 0},
    };
    for (const Row& row : rows) {
        const Ref<RVMeasurement> converted = length(row.value, row.from)->measurementByConvertingToUnit(row.to);
        EXPECT_EQ(converted->unit(), row.to);
        expectClose(row.expected, converted->doubleValue());
        // And back again.
        expectClose(row.value, converted->measurementByConvertingToUnit(row.from)->doubleValue());
    }
    // The same unit keeps the number exactly.
    EXPECT_EQ(length(0.1, U::rods())->measurementByConvertingToUnit(U::rods())->doubleValue(), 0.1);
}

TEST(MeasureMeasurement, EqualityDescriptionAndNullUnits)
{
    EXPECT_TRUE(length(4, U::centimeters())->isEqual(length(4, U::centimeters()).get()));
    EXPECT_EQ(length(4, U::centimeters())->hash(), length(4, U::centimeters())->hash());
    EXPECT_EQ(length(0.0, U::points())->hash(), length(-0.0, U::points())->hash());
    EXPECT_FALSE(length(4, U::centimeters())->isEqual(length(40, U::millimeters()).get()));
    EXPECT_FALSE(length(4, U::centimeters())->isEqual(length(4.5, U::centimeters()).get()));
    EXPECT_FALSE(length(4, U::centimeters())->isEqualToMeasurement(nullptr));
    EXPECT_EQ(length(2.5, U::kilometers())->description(), QStringLiteral("2.5 km"));

    EXPECT_THROW(RVMeasurement(1, nullptr), pf::InvalidArgumentException);
    EXPECT_THROW(length(1, U::feet())->measurementByConvertingToUnit(nullptr), pf::InvalidArgumentException);

    const Ref<RVMeasurement> m = length(3, U::yards());
    EXPECT_EQ(m->valueForKeyPath(QStringLiteral("unit.symbol")).toString(), QStringLiteral("yd"));
    EXPECT_DOUBLE_EQ(m->valueForKey(QStringLiteral("doubleValue")).toDouble(), 3);
}

TEST(MeasureScaler, ConvertsBothWays)
{
    const Ref<RVMeasurementScaler> s = RVMeasurementScaler::fourCentimetersToOneKilometer();
    EXPECT_TRUE(s->reference()->isEqual(length(4, U::centimeters()).get()));
    EXPECT_TRUE(s->representative()->isEqual(length(1, U::kilometers()).get()));
    EXPECT_DOUBLE_EQ(s->ratio(), 25000);

    // Paper to ground: in the represented length's unit, round scales exactly.
    const Ref<RVMeasurement> ground = s->measurementWithRepresentativeScale(length(4, U::centimeters()));
    EXPECT_EQ(ground->unit(), U::kilometers());
    EXPECT_EQ(ground->doubleValue(), 1.0);
    expectClose(0.635, s->measurementWithRepresentativeScale(length(1, U::inches()))->doubleValue());

    // Ground to paper: in the reference's unit.
    const Ref<RVMeasurement> paper = s->measurementFromRepresentativeScale(length(500, U::meters()));
    EXPECT_EQ(paper->unit(), U::centimeters());
    expectClose(2, paper->doubleValue());
    expectClose(1, s->measurementFromRepresentativeScale(length(0.635, U::kilometers()))
                       ->measurementByConvertingToUnit(U::inches())
                       ->doubleValue());

    EXPECT_THROW(s->measurementWithRepresentativeScale(nullptr), pf::InvalidArgumentException);
    EXPECT_THROW(s->measurementFromRepresentativeScale(nullptr), pf::InvalidArgumentException);
    EXPECT_THROW(RVMeasurementScaler(length(1, U::feet()), nullptr), pf::InvalidArgumentException);
}

TEST(MeasureScaler, RatioInCommonUnits)
{
    struct Row {
        Ref<RVMeasurementScaler> scaler;
        double ratio;
    };
    const Row rows[] = {
        {scaler(1, U::inches(), 1, U::miles()), 63360},
        {scaler(1, U::centimeters(), 1, U::centimeters()), 1},
        {scaler(10, U::millimeters(), 1, U::centimeters()), 1},
        {scaler(2, U::centimeters(), 1, U::centimeters()), 0.5},
        {scaler(1, U::points(), 1, U::nauticalMiles()), 1852000 * 72 / 25.4},
    };
    for (const Row& row : rows)
        expectClose(row.ratio, row.scaler->ratio());
}

TEST(MeasureScaler, UnusableLengthsGiveFullSizeNeverNaNOrInfinity)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Ref<RVMeasurementScaler> scalers[] = {
        scaler(0, U::centimeters(), 1, U::kilometers()),
        scaler(-0.0, U::centimeters(), 1, U::kilometers()),
        scaler(4, U::centimeters(), 0, U::kilometers()),
        scaler(nan, U::centimeters(), 1, U::kilometers()),
        scaler(inf, U::centimeters(), 1, U::kilometers()),
        scaler(4, U::centimeters(), inf, U::kilometers()),
        scaler(-4, U::centimeters(), 1, U::kilometers()),
        scaler(1e-320, U::centimeters(), 1e300, U::kilometers()),
    };
    const DefaultLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
    for (const auto& s : scalers) {
        SCOPED_TRACE(s->description().toStdString());
        EXPECT_EQ(s->ratio(), 1.0);
        EXPECT_EQ(s->scaleDescription(), QStringLiteral("1:1"));
        const Ref<RVMeasurement> ground = s->measurementWithRepresentativeScale(length(4, U::centimeters()));
        EXPECT_EQ(ground->unit(), U::kilometers());
        expectClose(0.00004, ground->doubleValue());
        const Ref<RVMeasurement> paper = s->measurementFromRepresentativeScale(length(1, U::meters()));
        EXPECT_EQ(paper->unit(), U::centimeters());
        expectClose(100, paper->doubleValue());
    }
}

TEST(MeasureScaler, ScaleDescription)
{
    const DefaultLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(RVMeasurementScaler::fourCentimetersToOneKilometer()->scaleDescription(), QStringLiteral("1:25,000"));
    EXPECT_EQ(scaler(1, U::inches(), 1, U::miles())->scaleDescription(), QStringLiteral("1:63,360"));
    EXPECT_EQ(scaler(2, U::centimeters(), 3, U::centimeters())->scaleDescription(), QStringLiteral("1:1.5"));
    EXPECT_EQ(scaler(10, U::millimeters(), 1, U::centimeters())->scaleDescription(), QStringLiteral("1:1"));
    EXPECT_EQ(scaler(10, U::centimeters(), 1, U::millimeters())->scaleDescription(), QStringLiteral("100:1"));
    EXPECT_EQ(scaler(3, U::centimeters(), 1, U::meters())->scaleDescription(), QStringLiteral("1:33.33"));

    const DefaultLocale german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(RVMeasurementScaler::fourCentimetersToOneKilometer()->scaleDescription(), QStringLiteral("1:25.000"));
}

TEST(MeasureScaler, EqualityCopyAndKeyValues)
{
    const Ref<RVMeasurementScaler> s = RVMeasurementScaler::fourCentimetersToOneKilometer();
    EXPECT_TRUE(s->isEqualToScaler(scaler(4, U::centimeters(), 1, U::kilometers()).get()));
    EXPECT_EQ(s->hash(), scaler(4, U::centimeters(), 1, U::kilometers())->hash());
    EXPECT_FALSE(s->isEqualToScaler(scaler(40, U::millimeters(), 1, U::kilometers()).get()));
    EXPECT_FALSE(s->isEqualToScaler(scaler(4, U::centimeters(), 2, U::kilometers()).get()));
    EXPECT_FALSE(s->isEqualToScaler(nullptr));
    EXPECT_NE(RVMeasurementScaler::fourCentimetersToOneKilometer(), s);

    const auto copy = std::dynamic_pointer_cast<RVMeasurementScaler>(s->copy());
    ASSERT_TRUE(copy);
    EXPECT_NE(copy, s);
    EXPECT_TRUE(copy->isEqualToScaler(s.get()));

    EXPECT_DOUBLE_EQ(s->valueForKey(QStringLiteral("ratio")).toDouble(), 25000);
    EXPECT_EQ(s->valueForKeyPath(QStringLiteral("representative.unit.symbol")).toString(), QStringLiteral("km"));
    EXPECT_EQ(s->valueForKey(QStringLiteral("scaleDescription")).toString(), s->scaleDescription());
}

TEST(MeasureArchive, SharedUnitsComeBackIdentical)
{
    for (const Ref<U>& unit : U::allUnits()) {
        pf::Error error;
        EXPECT_EQ(roundTrip<U>(unit, &error), unit) << qPrintable(unit->symbol());
        EXPECT_TRUE(error.isNull()) << qPrintable(error.description());
    }
}

TEST(MeasureArchive, MeasurementsAndScalersRoundTrip)
{
    const Ref<RVMeasurement> m = length(-12.75, U::furlongs());
    const Ref<RVMeasurement> decoded = roundTrip<RVMeasurement>(m);
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(decoded->isEqual(m.get()));
    EXPECT_EQ(decoded->unit(), U::furlongs());

    const Ref<RVMeasurementScaler> s = scaler(1.5, U::inches(), 2.25, U::nauticalMiles());
    pf::Error error;
    const Ref<RVMeasurementScaler> decodedScaler = roundTrip<RVMeasurementScaler>(s, &error);
    ASSERT_TRUE(decodedScaler) << qPrintable(error.description());
    EXPECT_TRUE(decodedScaler->isEqualToScaler(s.get()));
    EXPECT_EQ(decodedScaler->representative()->unit(), U::nauticalMiles());

    // Decoding by class refuses an archive of something else.
    EXPECT_FALSE(pf::KeyedUnarchiver::unarchiveObjectOfClass<RVMeasurementScaler>(
        pf::KeyedArchiver::archivedData(m), &error));
    EXPECT_FALSE(error.isNull());
}

TEST(MeasureArchive, DamagedArchivesDecodeAsNil)
{
    // A unit symbol no unit has makes the unit nil, and with it the lengths and scalers that
    // need it; the shared units are untouched.
    const QByteArray unknownUnit = archiveWithStringReplaced(U::centimeters(), QStringLiteral("cm"), QStringLiteral("zz"));
    EXPECT_FALSE(pf::KeyedUnarchiver::unarchiveObjectOfClass<U>(unknownUnit));
    EXPECT_EQ(U::centimeters()->symbol(), QStringLiteral("cm"));

    const QByteArray unknownInMeasurement =
        archiveWithStringReplaced(length(4, U::centimeters()), QStringLiteral("cm"), QStringLiteral("zz"));
    EXPECT_FALSE(pf::KeyedUnarchiver::unarchiveObjectOfClass<RVMeasurement>(unknownInMeasurement));

    const QByteArray unknownInScaler = archiveWithStringReplaced(RVMeasurementScaler::fourCentimetersToOneKilometer(),
                                                                 QStringLiteral("km"), QStringLiteral(""));
    EXPECT_FALSE(pf::KeyedUnarchiver::unarchiveObjectOfClass<RVMeasurementScaler>(unknownInScaler));

    // A length stored where a unit belongs is not taken for one.
    const QByteArray wrongClass = archiveWithStringReplaced(length(4, U::centimeters()), QStringLiteral("RVUnitLength"),
                                                            QStringLiteral("RVMeasurementScaler"));
    EXPECT_FALSE(pf::KeyedUnarchiver::unarchiveObjectOfClass<RVMeasurement>(wrongClass));

    pf::Error error;
    EXPECT_FALSE(pf::KeyedUnarchiver::unarchiveObjectOfClass<RVMeasurementScaler>(QByteArray("not an archive"), &error));
    EXPECT_FALSE(error.isNull());
}
