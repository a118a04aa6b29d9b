#include "library/PWXLibraryPredicate.h"

#include "library/PWXLibraryItem.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

namespace {

const QString kCompoundKey = QStringLiteral("PWXPredicate_compound");
const QString kComparisonsKey = QStringLiteral("PWXPredicate_comparisons");
const QString kKeyKey = QStringLiteral("key");
const QString kOperatorKey = QStringLiteral("op");
const QString kValueKey = QStringLiteral("value");

} // namespace

PF_DEFINE_CLASS(PWXLibraryPredicate, pf::Object)
{
    b.protocol(pf::kCodingProtocol);
}

pf::Ref<PWXLibraryPredicate> PWXLibraryPredicate::comparison(const QString& key, Operator op, const QVariant& value)
{
    return std::make_shared<PWXLibraryPredicate>(Compound::Or, QList<Comparison>{{key, op, value}});
}

bool PWXLibraryPredicate::isEqualToPredicate(const PWXLibraryPredicate& other) const
{
    return m_compound == other.m_compound && m_comparisons == other.m_comparisons;
}

bool PWXLibraryPredicate::evaluateWithItem(const PWXLibraryItem& item) const
{
    if (m_comparisons.isEmpty())
        return false;
    for (const Comparison& comparison : m_comparisons) {
        const QVariant actual = item.predicateValueForKey(comparison.key);
        bool match = false;
        if (comparison.op == Operator::Contains)
            match = actual.toString().contains(comparison.value.toString(), Qt::CaseInsensitive);
        else if (actual.canConvert<qlonglong>() && comparison.value.canConvert<qlonglong>()
                 && actual.typeId() != QMetaType::QString)
            match = actual.toLongLong() == comparison.value.toLongLong();
        else
            match = actual.toString() == comparison.value.toString();
        if (match && m_compound == Compound::Or)
            return true;
        if (!match && m_compound == Compound::And)
            return false;
    }
    return m_compound == Compound::And;
}

QString PWXLibraryPredicate::predicateFormat() const
{
    QStringList parts;
    for (const Comparison& comparison : m_comparisons) {
        const QString op = comparison.op == Operator::Contains ? QStringLiteral("CONTAINS") : QStringLiteral("==");
        const QString value = comparison.value.typeId() == QMetaType::QString
                                  ? QStringLiteral("\"%1\"").arg(comparison.value.toString())
                                  : comparison.value.toString();
        parts.append(QStringLiteral("%1 %2 %3").arg(comparison.key, op, value));
    }
    return parts.join(m_compound == Compound::Or ? QStringLiteral(" OR ") : QStringLiteral(" AND "));
}

QByteArray PWXLibraryPredicate::archivedData() const
{
    return pf::KeyedArchiver::archivedData(std::const_pointer_cast<PWXLibraryPredicate>(ref<PWXLibraryPredicate>()));
}

pf::Ref<PWXLibraryPredicate> PWXLibraryPredicate::predicateWithArchivedData(const QByteArray& data)
{
    if (data.isEmpty())
        return nullptr;
    return pf::KeyedUnarchiver::unarchiveObjectOfClass<PWXLibraryPredicate>(data);
}

void PWXLibraryPredicate::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    coder.encodeInt32(m_compound == Compound::And ? 1 : 0, kCompoundKey);
    QVariantList list;
    for (const Comparison& comparison : m_comparisons)
        list.append(QVariantMap{{kKeyKey, comparison.key},
                                {kOperatorKey, comparison.op == Operator::Contains ? 1 : 0},
                                {kValueKey, comparison.value}});
    coder.encodePropertyListValue(list, kComparisonsKey);
}

void PWXLibraryPredicate::initWithCoder(pf::KeyedUnarchiver& coder)
{
    m_compound = coder.decodeInt32(kCompoundKey) == 1 ? Compound::And : Compound::Or;
    m_comparisons.clear();
    for (const QVariant& entry : coder.decodePropertyListValue(kComparisonsKey).toList()) {
        const QVariantMap map = entry.toMap();
        const QString key = map.value(kKeyKey).toString();
        if (key.isEmpty())
            continue;
        m_comparisons.append({key, map.value(kOperatorKey).toInt() == 1 ? Operator::Contains : Operator::Equal,
                              map.value(kValueKey)});
    }
}
