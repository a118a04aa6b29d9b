#include "platform/foundation/ValueTransformer.h"

#include "platform/foundation/Exception.h"

#include <QMutex>

PF_DEFINE_CLASS_NAMED(pf::ValueTransformer, pf::Object, "pf::ValueTransformer") {}
PF_DEFINE_CLASS_NAMED(pf::MultiplierValueTransformer, pf::ValueTransformer, "pf::MultiplierValueTransformer") {}

namespace pf {

namespace {

QMutex& registryMutex()
{
    static QMutex mutex;
    return mutex;
}

QHash<QString, Ref<ValueTransformer>>& registry()
{
    static QHash<QString, Ref<ValueTransformer>> transformers;
    return transformers;
}

} // namespace

QVariant ValueTransformer::reverseTransformedValue(const QVariant& value) const
{
    if (!allowsReverseTransformation())
        throw InternalInconsistencyException(QStringLiteral("%1: reverse transformation is not allowed").arg(className()));
    return value;
}

void ValueTransformer::setValueTransformer(const Ref<ValueTransformer>& transformer, const QString& name)
{
    QMutexLocker lock(&registryMutex());
    if (transformer)
        registry().insert(name, transformer);
    else
        registry().remove(name);
}

Ref<ValueTransformer> ValueTransformer::valueTransformerForName(const QString& name)
{
    QMutexLocker lock(&registryMutex());
    return registry().value(name);
}

QStringList ValueTransformer::valueTransformerNames()
{
    QMutexLocker lock(&registryMutex());
    QStringList names = registry().keys();
    names.sort();
    return names;
}

QVariant MultiplierValueTransformer::transformedValue(const QVariant& value) const
{
    if (isNilOrNull(value) || isMarker(value))
        return value;
    if (!isNumber(value))
        throw InvalidArgumentException(QStringLiteral("%1 expects a number, not %2").arg(className(), QString::fromUtf8(value.typeName())));
    return value.toDouble() * m_multiplier;
}

QVariant MultiplierValueTransformer::reverseTransformedValue(const QVariant& value) const
{
    if (!allowsReverseTransformation())
        return ValueTransformer::reverseTransformedValue(value);
    if (isNilOrNull(value) || isMarker(value))
        return value;
    if (!isNumber(value))
        throw InvalidArgumentException(QStringLiteral("%1 expects a number, not %2").arg(className(), QString::fromUtf8(value.typeName())));
    return value.toDouble() / m_multiplier;
}

} // namespace pf
