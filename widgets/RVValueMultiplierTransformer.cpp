#include "widgets/RVValueMultiplierTransformer.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Variant.h"

PF_DEFINE_CLASS(RVValueMultiplierTransformer, pf::ValueTransformer)
{
    b.property(QStringLiteral("multiplier"), &RVValueMultiplierTransformer::multiplier,
               &RVValueMultiplierTransformer::setMultiplier);
}

QVariant RVValueMultiplierTransformer::transformedValue(const QVariant& value) const
{
    if (!value.isValid() || value.isNull())
        return {};
    PF_ASSERT(pf::isNumber(value), "incorrect value kind (not a NSNumber)");
    return value.toDouble() * m_multiplier;
}

QVariant RVValueMultiplierTransformer::reverseTransformedValue(const QVariant& value) const
{
    if (!value.isValid() || value.isNull())
        return {};
    PF_ASSERT(pf::isNumber(value), "incorrect value kind (not a NSNumber)");
    if (m_multiplier == 0.0)
        return {};
    return value.toDouble() / m_multiplier;
}
