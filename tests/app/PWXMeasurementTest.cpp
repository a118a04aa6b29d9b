#include "app/PWXImperialMeasurement.h"
#include "app/PWXMeasurement.h"
#include "app/PWXMetricMeasurement.h"
#include "app/PWXNauticalMilesMeasurement.h"
#include "app/PWXQuartzMeasurement.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>


// Writes a measurement as the earlier version did: its value narrowed to single precision.
class NarrowMeasurementWriter : public pf::Object, public pf::Coding {
    PF_CLASS(NarrowMeasurementWriter)
public:
    void encodeWithCoder(pf::KeyedArchiver& coder) const override
    {
        coder.encodeInt32(10, PWXMeasurement::kMeasureKey);
        coder.encodeFloat(2.7f, PWXMeasurement::kValueKey);
        coder.encodeBool(false, PWXMeasurement::kNormalizeEnabledKey);
    }
    void initWithCoder(pf::KeyedUnarchiver&) override {}
    QString classNameForArchiver() const override { return QStringLiteral("PWXMetricMeasurement"); }
};

PF_DEFINE_CLASS(NarrowMeasurementWriter, pf::Object)
{
    b.protocol(pf::kCodingProtocol);
}

namespace {

using Measurement = pf::Ref<PWXMeasurement>;

Measurement make(int system, double value, int measure = 1)
{
    return PWXMeasurement::measurementWithSystem(system, value, measure);
}

TEST(PWXMeasurementTest, SystemsHaveTheirClasses)
{
    EXPECT_EQ(PWXMeasurement::classForMeasurementSystem(0), &PWXMetricMeasurement::staticClass());
    EXPECT_EQ(PWXMeasurement::classForMeasurementSystem(1), &PWXImperialMeasurement::staticClass());
    EXPECT_EQ(PWXMeasurement::classForMeasurementSystem(2), &PWXQuartzMeasurement::staticClass());
    EXPECT_EQ(PWXMeasurement::classForMeasurementSystem(3), &PWXNauticalMilesMeasurement::staticClass());
    EXPECT_EQ(PWXMeasurement::classForMeasurementSystem(4), nullptr);
    EXPECT_EQ(PWXMeasurement::measurementWithSystem(-1), nullptr);
    auto fresh = PWXMeasurement::measurementWithSystem(1);
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->measurementSystem(), 1);
    EXPECT_EQ(fresh->measure(), 1);
    EXPECT_EQ(fresh->value(), 0.0);
}

struct Conversion {
    int fromSystem;
    double value;
    int measure;
    int toSystem;
    double expected; // value in the destination system at measure 1
};

TEST(PWXMeasurementTest, ConvertsBetweenTheFourSystems)
{
    const Conversion table[] = {
        {0, 1.5, 10, 1, 15 * 0.03937007874016},      // 1.5 cm in inches
        {1, 1.0, 1, 2, 72.0},                         // an inch is 72 points
        {1, 1.0, 63360, 0, 1609344.0},                // a mile in millimetres
        {0, 1852.0, 1000, 3, 1.0},                    // 1852 m is one nautical mile
        {2, 72.0, 1, 0, 25.4},                        // 72 points are 25.4 mm
        {3, 2.0, 1, 3, 2.0},                          // same system: unchanged
    };
    for (const auto& row : table) {
        auto source = make(row.fromSystem, row.value, row.measure);
        auto converted = source->measurementWithMeasurementSystem(row.toSystem);
        ASSERT_TRUE(converted);
        EXPECT_NEAR(converted->valueWithMeasure(1), row.expected, 1e-6 * std::max(1.0, row.expected))
            << row.fromSystem << " -> " << row.toSystem;
    }
    EXPECT_EQ(PWXMeasurement::multiplierForSourceSystem(-1, 0), 0.0);
    EXPECT_EQ(PWXMeasurement::multiplierForSourceSystem(2, -1), 0.0);
    auto none = std::make_shared<PWXMeasurement>();
    none->setValue(5);
    EXPECT_EQ(none->measurementWithMeasurementSystem(0)->value(), 0.0);
}

TEST(PWXMeasurementTest, SetMeasureKeepsTheLength)
{
    auto length = make(0, 2.5, 1000); // 2.5 m
    length->setMeasure(1000);
    EXPECT_EQ(length->value(), 2.5);
    length->setMeasure(10);
    EXPECT_DOUBLE_EQ(length->value(), 250.0);
    length->setMeasure(0); // meaningless, ignored
    EXPECT_EQ(length->measure(), 10);
    EXPECT_DOUBLE_EQ(length->valueWithMeasure(1), 2500.0);
}

struct Normalisation {
    int system;
    double value;
    int measure;
    int expectedMeasure;
    double expectedValue;
};

TEST(PWXMeasurementTest, NormalisesToTheLargestSensibleUnit)
{
    const Normalisation table[] = {
        {0, 2500, 1, 1000, 2.5},          // 2500 mm -> 2.5 m
        {0, 0.5, 1, 1, 0.5},              // below a base unit stays
        {0, -3, 10, 1, -30},              // negative lengths fall back to the base unit
        {1, 63360, 1, 63360, 1},          // inches -> one mile
        {1, 100, 1, 36, 100.0 / 36},      // yards are the largest unit below miles
        {0, 3, 1000000, 1000000, 3},      // nothing above kilometres
        {2, 500, 1, 1, 500},              // points have one unit only
    };
    for (const auto& row : table) {
        auto m = make(row.system, row.value, row.measure);
        m->setNormalizeEnabled(true);
        m->normalize();
        EXPECT_EQ(m->measure(), row.expectedMeasure) << row.value;
        EXPECT_NEAR(m->value(), row.expectedValue, 1e-9) << row.value;
    }
    auto off = make(0, 2500);
    off->normalize();
    EXPECT_EQ(off->measure(), 1);
    auto normalised = make(0, 2500);
    normalised->setNormalizeEnabled(true);
    EXPECT_EQ(normalised->autoNormalizedStringValue(), "2.50 m");
    EXPECT_EQ(normalised->measure(), 1) << "the normalised form is a copy";
}

TEST(PWXMeasurementTest, UnitNamesAndSteps)
{
    EXPECT_EQ(PWXMeasurement::unitsStringForMeasure(0, 10), "centimetres");
    EXPECT_EQ(PWXMeasurement::abbreviationForMeasure(0, 1000000), "km");
    EXPECT_EQ(PWXMeasurement::unitsStringForMeasure(1, 792), "chains");
    EXPECT_TRUE(PWXMeasurement::unitsStringForMeasure(0, 7).isNull());
    EXPECT_EQ(PWXMeasurement::unitsStringForMeasure(2, 99), "points");
    EXPECT_EQ(PWXMeasurement::abbreviationForMeasure(3, 1), "nmi");
    EXPECT_FALSE(PWXMeasurement::abbreviationForMeasure(1, 12).isEmpty());
    EXPECT_EQ(PWXMeasurement::nextHighestMeasure(1, 36), 63360);
    EXPECT_EQ(PWXMeasurement::nextLowestMeasure(1, 63360), 36);
    EXPECT_EQ(PWXMeasurement::nextHighestMeasure(1, 198), 792);
    EXPECT_EQ(PWXMeasurement::nextHighestMeasure(0, 5), 1);
    EXPECT_EQ(PWXMeasurement::nextLowestMeasure(2, 1000), 1);
    EXPECT_EQ(make(0, 1.5, 10)->stringValueWithUnits(), "1.50 centimetres");
    EXPECT_EQ(make(2, 3)->stringValueWithAbbreviatedUnits(), "3.00 pt");
}

TEST(PWXMeasurementTest, ZeroValuesGiveFiniteResults)
{
    auto zero = make(0, 0, 10);
    EXPECT_NEAR(zero->unitQuartzValue(), 28.34645669291, 1e-9) << "a centimetre in points";
    EXPECT_EQ(zero->quartzValue(), 0.0);
    EXPECT_EQ(zero->ratio(make(0, 5)), 0.0);
    EXPECT_NEAR(make(1, 2)->unitQuartzValue(), 72.0, 1e-9);
    EXPECT_NEAR(make(0, 1, 10)->ratio(make(0, 1, 1000)), 100.0, 1e-9);
}

TEST(PWXMeasurementTest, ConvertMeasurementNeverChangesItsArgument)
{
    auto centimetres = make(0, 1, 10);
    auto metres = make(0, 2.5, 1000);
    auto result = centimetres->convertMeasurement(metres);
    EXPECT_EQ(metres->measure(), 1000);
    EXPECT_EQ(metres->value(), 2.5);
    EXPECT_NE(result, metres);
    EXPECT_EQ(result->measure(), 10);
    EXPECT_DOUBLE_EQ(result->value(), 250.0);

    auto sameForm = make(0, 7, 10);
    EXPECT_EQ(centimetres->convertMeasurement(sameForm), sameForm);
    auto inches = make(1, 1);
    auto converted = centimetres->convertMeasurement(inches);
    EXPECT_EQ(converted->measurementSystem(), 0);
    EXPECT_NEAR(converted->value(), 2.54, 1e-9);
}

TEST(PWXMeasurementTest, ConstrainsToLimits)
{
    // 1 mm is about 2.83 pt: doubling until at least 10 pt gives 4 mm.
    auto small = make(0, 1);
    auto constrained = small->measurementConstrainedToQuartzLowerLimit(10, 100, 0.5);
    EXPECT_NEAR(constrained->quartzValue(), 4 * 2.834645669291, 1e-9);
    // Too long: halved until not above the upper limit.
    auto big = make(2, 1000);
    EXPECT_NEAR(big->measurementConstrainedToQuartzLowerLimit(10, 100, 2)->quartzValue(), 62.5, 1e-9);
    auto inside = make(2, 50);
    EXPECT_EQ(inside->measurementConstrainedToQuartzLowerLimit(10, 100, 2), inside);
    auto zero = make(2, 0);
    EXPECT_EQ(zero->measurementConstrainedToQuartzLowerLimit(10, 100, 2), zero);
    EXPECT_THROW(inside->measurementConstrainedToQuartzLowerLimit(100, 100, 2), pf::InternalInconsistencyException);
    // Lengths that no halving or doubling brings within the limits come back at once.
    for (double endless : {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(), std::nan("")}) {
        auto length = make(2, endless);
        EXPECT_EQ(length->measurementConstrainedToQuartzLowerLimit(10, 100, 2), length) << endless;
    }
}

TEST(PWXMeasurementTest, ArchivesAtFullPrecision)
{
    auto precise = make(1, 1.0 / 3.0, 12);
    precise->setNormalizeEnabled(true);
    const QByteArray data = pf::KeyedArchiver::archivedData(precise);
    auto back = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWXMeasurement>(data);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->objClass().name(), "PWXImperialMeasurement");
    EXPECT_EQ(back->value(), 1.0 / 3.0);
    EXPECT_EQ(back->measure(), 12);
    EXPECT_TRUE(back->normalizeEnabled());
    auto narrow = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWXMeasurement>(
        pf::KeyedArchiver::archivedData(std::make_shared<NarrowMeasurementWriter>()));
    ASSERT_TRUE(narrow);
    EXPECT_EQ(narrow->measurementSystem(), 0);
    EXPECT_EQ(narrow->measure(), 10);
    EXPECT_EQ(narrow->value(), double(2.7f));
    auto copy = std::static_pointer_cast<PWXMeasurement>(precise->copy());
    EXPECT_EQ(copy->objClass().name(), "PWXImperialMeasurement");
    EXPECT_EQ(copy->value(), precise->value());
}

} // namespace
