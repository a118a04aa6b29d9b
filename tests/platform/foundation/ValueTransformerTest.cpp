#include <gtest/gtest.h>

#include "platform/foundation/Exception.h"
#include "platform/foundation/ValueTransformer.h"

TEST(ValueTransformer, MultiplierTransformsBothWaysAndRefusesOtherKinds)
{
    auto negate = std::make_shared<pf::MultiplierValueTransformer>(-1.0);
    EXPECT_EQ(negate->transformedValue(2.5).toDouble(), -2.5);
    EXPECT_EQ(negate->reverseTransformedValue(-2.5).toDouble(), 2.5);
    EXPECT_EQ(negate->transformedValue(4).toDouble(), -4.0);
    // Markers and no value pass through untouched.
    EXPECT_TRUE(pf::isMultipleValuesMarker(negate->transformedValue(pf::multipleValuesMarker())));
    EXPECT_FALSE(negate->transformedValue(QVariant()).isValid());
    EXPECT_THROW(negate->transformedValue(QStringLiteral("12")), pf::InvalidArgumentException);
}

TEST(ValueTransformer, ZeroMultiplierCannotBeReversed)
{
    pf::MultiplierValueTransformer zero(0.0);
    EXPECT_FALSE(zero.allowsReverseTransformation());
    EXPECT_THROW(zero.reverseTransformedValue(1.0), pf::InternalInconsistencyException);
}

TEST(ValueTransformer, TransformersAreFoundByName)
{
    auto percent = std::make_shared<pf::MultiplierValueTransformer>(100.0);
    pf::ValueTransformer::setValueTransformer(percent, QStringLiteral("RVPercentTransformer"));
    EXPECT_EQ(pf::ValueTransformer::valueTransformerForName(QStringLiteral("RVPercentTransformer")), percent);
    EXPECT_EQ(pf::ValueTransformer::valueTransformerForName(QStringLiteral("Unknown")), nullptr);
    pf::ValueTransformer::setValueTransformer(nullptr, QStringLiteral("RVPercentTransformer"));
    EXPECT_EQ(pf::ValueTransformer::valueTransformerForName(QStringLiteral("RVPercentTransformer")), nullptr);
}
