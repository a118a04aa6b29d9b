#include "app/PWXImperialMeasurement.h"
#include "app/PWXMapScale.h"
#include "app/PWXMeasurement.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using pf::Ref;

Ref<RVMeasurement> len(double value, const Ref<RVUnitLength>& unit)
{
    return RVMeasurement::measurementWithDoubleValue(value, unit);
}

Ref<PWXMapScale> scaleOf(double reference, const Ref<RVUnitLength>& referenceUnit, double represented,
                         const Ref<RVUnitLength>& representedUnit)
{
    return std::make_shared<PWXMapScale>(len(reference, referenceUnit), len(represented, representedUnit));
}

void expectLengths(const Ref<PWXMapScale>& scale, double reference, const Ref<RVUnitLength>& referenceUnit,
                   double represented, const Ref<RVUnitLength>& representedUnit)
{
    ASSERT_TRUE(scale);
    EXPECT_NEAR(scale->scaler()->reference()->doubleValue(), reference, 1e-9 * std::max(1.0, reference));
    EXPECT_TRUE(scale->scaler()->reference()->unit()->isEqualToUnit(referenceUnit));
    EXPECT_NEAR(scale->scaler()->representative()->doubleValue(), represented, 1e-9 * std::max(1.0, represented));
    EXPECT_TRUE(scale->scaler()->representative()->unit()->isEqualToUnit(representedUnit));
}

// Writes a map scale as the earlier version did: two measurements and no scaler.
class LegacyMapScaleWriter : public pf::Object, public pf::Coding {
    PF_CLASS(LegacyMapScaleWriter)
public:
    Ref<PWXMeasurement> numerator;
    Ref<PWXMeasurement> denominator;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override
    {
        if (numerator)
            coder.encodeObject(numerator, PWXMapScale::kLegacyNumeratorKey);
        if (denominator)
            coder.encodeObject(denominator, PWXMapScale::kLegacyDenominatorKey);
    }
    void initWithCoder(pf::KeyedUnarchiver&) override {}
    QString classNameForArchiver() const override { return QStringLiteral("PWXMapScale"); }
};

} // namespace

PF_DEFINE_CLASS(LegacyMapScaleWriter, pf::Object)
{
    b.protocol(pf::kCodingProtocol);
}

namespace {

Ref<PWXMapScale> decodeLegacy(Ref<PWXMeasurement> numerator, Ref<PWXMeasurement> denominator)
{
    auto writer = std::make_shared<LegacyMapScaleWriter>();
    writer->numerator = std::move(numerator);
    writer->denominator = std::move(denominator);
    return pf::KeyedUnarchiver::unarchiveObjectOfClass<PWXMapScale>(pf::KeyedArchiver::archivedData(writer));
}

TEST(PWXMapScaleTest, DefaultScaleAndStrings)
{
    auto standard = PWXMapScale::defaultScale();
    EXPECT_NEAR(standard->scale(), 25000.0, 1e-6);
    EXPECT_EQ(standard->multiplier(), standard->scale());
    EXPECT_TRUE(standard->stringValue().endsWith(QStringLiteral("(1:%1)").arg(QLocale().toString(25000.0, 'f', 0))));
    EXPECT_EQ(standard->scaleString(), standard->scaler()->scaleDescription());
    standard->setScale(10);
    EXPECT_NEAR(standard->scale(), 25000.0, 1e-6);
}

TEST(PWXMapScaleTest, Derivations)
{
    auto cm = RVUnitLength::centimeters();
    auto km = RVUnitLength::kilometers();
    auto m = RVUnitLength::meters();
    auto standard = PWXMapScale::defaultScale(); // 4 cm : 1 km

    expectLengths(standard->mapScaleWithReferenceValue(2, true), 2, cm, 0.5, km);
    expectLengths(standard->mapScaleWithReferenceValue(2, false), 2, cm, 1, km);
    expectLengths(standard->mapScaleWithRepresentativeValue(2, true), 8, cm, 2, km);
    expectLengths(standard->mapScaleWithRepresentativeValue(2, false), 4, cm, 2, km);
    expectLengths(standard->mapScaleWithScale(50000), 1, cm, 0.5, km);
    expectLengths(standard->mapScaleWithRepresentativeUnits(m), 4, cm, 1000, m);
    expectLengths(standard->mapScaleWithReferenceUnits(RVUnitLength::millimeters()), 40, RVUnitLength::millimeters(), 1, km);
    // 1000 m rounds to 0.5 x 10^3; the reference follows so the scale stays 1:25,000.
    expectLengths(standard->mapScaleWithRepresentativeUnitsAndSimilarMagnitude(m), 2, cm, 500, m);
    expectLengths(scaleOf(0.5, cm, 1, km)->mapScaleByNormalizing(), 1, cm, 2, km);
    expectLengths(scaleOf(4, cm, 0.5, km)->mapScaleByNormalizing(), 8, cm, 1, km);

    auto same = standard->mapScaleWithReferenceUnits(cm);
    EXPECT_NE(same, standard);
    EXPECT_TRUE(same->isEqualToMapScale(standard.get()));
    EXPECT_THROW(standard->mapScaleWithReferenceUnits(nullptr), pf::Exception);
    EXPECT_THROW(standard->mapScaleWithRepresentativeUnits(nullptr), pf::Exception);

    auto ground = standard->convertToRepresentedMeasurement(len(8, cm));
    EXPECT_NEAR(ground->measurementByConvertingToUnit(km)->doubleValue(), 2.0, 1e-9);
    auto paper = standard->convertToReferenceMeasurement(len(1, km));
    EXPECT_NEAR(paper->measurementByConvertingToUnit(cm)->doubleValue(), 4.0, 1e-9);
}

TEST(PWXMapScaleTest, ZeroLengthsStayFinite)
{
    auto cm = RVUnitLength::centimeters();
    auto zeroGround = scaleOf(4, cm, 0, RVUnitLength::kilometers());
    auto similar = zeroGround->mapScaleWithRepresentativeUnitsAndSimilarMagnitude(RVUnitLength::meters());
    EXPECT_TRUE(std::isfinite(similar->scaler()->reference()->doubleValue()));
    EXPECT_EQ(similar->scaler()->representative()->doubleValue(), 0.0);

    EXPECT_EQ(scaleOf(0, cm, 1, RVUnitLength::kilometers())->labelPitchSpanInRange(100, 500), 0.0);
    EXPECT_EQ(scaleOf(-2, cm, 1, RVUnitLength::kilometers())->labelPitchSpanInRange(100, 500), 0.0);
}

TEST(PWXMapScaleTest, LabelPitchAndUnitBase)
{
    auto inchScale = scaleOf(1, RVUnitLength::inches(), 1, RVUnitLength::miles()); // 72 pt
    EXPECT_EQ(inchScale->labelPitchSpanInRange(0, 1000), 72.0);
    EXPECT_EQ(inchScale->labelPitchSpanInRange(200, 1000), 288.0); // doubled past the start
    EXPECT_EQ(inchScale->labelPitchSpanInRange(0, 20), 18.0);      // halved into the span
    EXPECT_EQ(inchScale->unitBase(), 1.0);
    EXPECT_EQ(PWXMapScale::defaultScale()->unitBase(), 1.0);
    EXPECT_EQ(PWXMapScale::defaultScale()->mapScaleWithRepresentativeUnits(RVUnitLength::millimeters())->unitBase(), 25000.0);
    EXPECT_EQ(PWXMapScale::defaultScale()->mapScaleWithRepresentativeUnits(RVUnitLength::rods())->unitBase(), 0.0);
}

TEST(PWXMapScaleTest, ArchivesAndReadsTheLegacyForm)
{
    auto scale = scaleOf(2, RVUnitLength::inches(), 3, RVUnitLength::miles());
    auto back = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWXMapScale>(pf::KeyedArchiver::archivedData(scale));
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->isEqualToMapScale(scale.get()));

    // Centimetres and nautical miles keep their numbers.
    auto legacy = decodeLegacy(PWXMeasurement::measurementWithSystem(0, 4, 10), PWXMeasurement::measurementWithSystem(3, 2));
    expectLengths(legacy, 4, RVUnitLength::centimeters(), 2, RVUnitLength::nauticalMiles());

    // Two chains are 1584 inches, not two inches.
    auto chains = decodeLegacy(PWXMeasurement::measurementWithSystem(2, 72), PWXMeasurement::measurementWithSystem(1, 2, 792));
    expectLengths(chains, 72, RVUnitLength::points(), 1584, RVUnitLength::inches());

    // Missing halves and an empty archive fall back to 4 cm : 1 km.
    auto half = decodeLegacy(PWXMeasurement::measurementWithSystem(0, 4, 10), nullptr);
    ASSERT_TRUE(half);
    EXPECT_TRUE(half->isEqualToMapScale(PWXMapScale::defaultScale().get()));
    auto empty = decodeLegacy(nullptr, nullptr);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->isEqualToMapScale(PWXMapScale::defaultScale().get()));
}

TEST(PWXMapScaleTest, CopiesKeepTheScaler)
{
    auto scale = scaleOf(3, RVUnitLength::centimeters(), 2, RVUnitLength::kilometers());
    for (const auto& copy : {scale->copy(), scale->mutableCopy()}) {
        auto mapScale = std::dynamic_pointer_cast<PWXMapScale>(copy);
        ASSERT_TRUE(mapScale);
        EXPECT_NE(mapScale, scale);
        EXPECT_TRUE(mapScale->isEqualToMapScale(scale.get()));
    }
}

} // namespace
