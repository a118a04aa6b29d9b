#include "platform/foundation/Variant.h"

#include "platform/foundation/Object.h"

#include <cmath>

namespace pf {

bool isNumber(const QVariant& v)
{
    switch (v.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

namespace {

bool isIntegral(const QVariant& v)
{
    const int id = v.metaType().id();
    return isNumber(v) && id != QMetaType::Double && id != QMetaType::Float;
}

} // namespace

bool variantToBool(const QVariant& value)
{
    if (!value.isValid() || isNull(value))
        return false;
    if (value.metaType().id() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        if (text.isEmpty())
            return false;
        const QChar first = text.at(0).toUpper();
        if (first == QLatin1Char('Y') || first == QLatin1Char('T'))
            return true;
        bool ok = false;
        const double number = text.toDouble(&ok);
        return ok && number != 0;
    }
    // QVariant rounds reals before it tests them, which would read 0.1 as false.
    if (value.metaType().id() == QMetaType::Double || value.metaType().id() == QMetaType::Float)
        return value.toDouble() != 0;
    return value.toBool();
}

Ref<Object> objectFromVariant(const QVariant& value)
{
    if (value.metaType() != QMetaType::fromType<Ref<Object>>())
        return nullptr;
    return value.value<Ref<Object>>();
}

bool holdsObject(const QVariant& value)
{
    return value.metaType() == QMetaType::fromType<Ref<Object>>() && value.value<Ref<Object>>();
}

bool isEqual(const QVariant& a, const QVariant& b)
{
    if (!a.isValid() || !b.isValid())
        return a.isValid() == b.isValid();
    if (isNumber(a) && isNumber(b)) {
        if (isIntegral(a) && isIntegral(b)) {
            const bool aUnsigned = a.metaType().id() == QMetaType::ULongLong;
            const bool bUnsigned = b.metaType().id() == QMetaType::ULongLong;
            if (aUnsigned || bUnsigned) {
                const qulonglong ua = a.toULongLong(), ub = b.toULongLong();
                return ua == ub && (aUnsigned ? true : a.toLongLong() >= 0) && (bUnsigned ? true : b.toLongLong() >= 0);
            }
            return a.toLongLong() == b.toLongLong();
        }
        return a.toDouble() == b.toDouble();
    }
    const bool aObject = a.metaType() == QMetaType::fromType<Ref<Object>>();
    const bool bObject = b.metaType() == QMetaType::fromType<Ref<Object>>();
    if (aObject || bObject) {
        if (!(aObject && bObject))
            return false;
        const Ref<Object> oa = a.value<Ref<Object>>(), ob = b.value<Ref<Object>>();
        if (oa == ob)
            return true;
        return oa && ob && oa->isEqual(ob.get());
    }
    if (a.metaType() == QMetaType::fromType<QVariantList>() && b.metaType() == QMetaType::fromType<QVariantList>()) {
        const QVariantList la = a.toList(), lb = b.toList();
        if (la.size() != lb.size())
            return false;
        for (qsizetype i = 0; i < la.size(); ++i)
            if (!isEqual(la.at(i), lb.at(i)))
                return false;
        return true;
    }
    if (a.metaType() == QMetaType::fromType<QVariantMap>() && b.metaType() == QMetaType::fromType<QVariantMap>()) {
        const QVariantMap ma = a.toMap(), mb = b.toMap();
        if (ma.size() != mb.size())
            return false;
        for (auto it = ma.constBegin(); it != ma.constEnd(); ++it) {
            auto other = mb.constFind(it.key());
            if (other == mb.constEnd() || !isEqual(it.value(), other.value()))
                return false;
        }
        return true;
    }
    return a.metaType() == b.metaType() && a == b;
}

QString describe(const QVariant& value)
{
    if (!value.isValid())
        return QStringLiteral("(null)");
    if (isNull(value))
        return QStringLiteral("<null>");
    if (isMultipleValuesMarker(value))
        return QStringLiteral("<MULTIPLE VALUES MARKER>");
    if (isNotApplicableMarker(value))
        return QStringLiteral("<NOT APPLICABLE MARKER>");
    if (isNoSelectionMarker(value))
        return QStringLiteral("<NO SELECTION MARKER>");
    if (value.metaType() == QMetaType::fromType<Ref<Object>>()) {
        const Ref<Object> object = value.value<Ref<Object>>();
        return object ? object->description() : QStringLiteral("(null)");
    }
    if (value.metaType() == QMetaType::fromType<QVariantList>()) {
        QStringList parts;
        for (const QVariant& member : value.toList())
            parts.append(describe(member));
        return QStringLiteral("(") + parts.join(QStringLiteral(", ")) + QStringLiteral(")");
    }
    if (value.metaType() == QMetaType::fromType<QVariantMap>()) {
        QStringList parts;
        const QVariantMap map = value.toMap();
        for (auto it = map.constBegin(); it != map.constEnd(); ++it)
            parts.append(it.key() + QStringLiteral(" = ") + describe(it.value()));
        return QStringLiteral("{") + parts.join(QStringLiteral("; ")) + QStringLiteral("}");
    }
    if (value.canConvert<QString>())
        return value.toString();
    return QStringLiteral("<%1>").arg(QString::fromUtf8(value.typeName()));
}

} // namespace pf
