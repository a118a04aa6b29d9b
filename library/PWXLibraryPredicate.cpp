#include "library/PWXLibraryPredicate.h"

#include "library/PWXLibraryItem.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Variant.h"

#include <QDateTime>
#include <QRegularExpression>

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

QStringList PWXLibraryPredicate::keys()
{
    return {QStringLiteral("name"),         QStringLiteral("classCode"),    QStringLiteral("kind"),
            QStringLiteral("uniqueKey"),    QStringLiteral("userDescription"), QStringLiteral("locked"),
            QStringLiteral("creationDate"), QStringLiteral("lastModificationDate"), QStringLiteral("createdBy")};
}

namespace {

// Negative, zero or positive; dates and numbers by value, anything else as text.
int order(const QVariant& actual, const QVariant& wanted)
{
    if (actual.typeId() == QMetaType::QDateTime) {
        const QDateTime left = actual.toDateTime();
        const QDateTime right = wanted.typeId() == QMetaType::QDateTime ? wanted.toDateTime()
                                                                        : QDateTime::fromString(wanted.toString(), Qt::ISODate);
        return left < right ? -1 : (right < left ? 1 : 0);
    }
    if (pf::isNumber(actual)) {
        bool ok = false;
        const double right = wanted.toDouble(&ok);
        const double left = actual.toDouble();
        if (ok)
            return left < right ? -1 : (left > right ? 1 : 0);
    }
    return actual.toString().compare(wanted.toString(), Qt::CaseSensitive);
}

// Text as the searches compare it: without accents (the marks that decomposition splits off).
QString folded(const QString& text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString result;
    result.reserve(decomposed.size());
    for (const QChar c : decomposed)
        if (c.category() != QChar::Mark_NonSpacing)
            result.append(c);
    return result;
}

bool matches(const PWXLibraryPredicate::Comparison& comparison, const QVariant& actual)
{
    using Op = PWXLibraryPredicate::Operator;
    const bool textual = comparison.op == Op::Contains || comparison.op == Op::BeginsWith
                         || comparison.op == Op::EndsWith || comparison.op == Op::Like;
    const QString text = textual ? folded(actual.toString()) : actual.toString();
    const QString wanted = textual ? folded(comparison.value.toString()) : comparison.value.toString();
    switch (comparison.op) {
    case Op::Like: {
        // Only "*" and "?" are special: anything else in the pattern stands for itself.
        QString expression;
        for (const QChar c : wanted)
            expression += c == QLatin1Char('*') ? QStringLiteral(".*")
                          : c == QLatin1Char('?') ? QStringLiteral(".")
                                                  : QRegularExpression::escape(QString(c));
        const QRegularExpression pattern(QRegularExpression::anchoredPattern(expression),
                                         QRegularExpression::CaseInsensitiveOption
                                             | QRegularExpression::DotMatchesEverythingOption);
        return pattern.match(text).hasMatch();
    }
    case Op::Contains:
        return text.contains(wanted, Qt::CaseInsensitive);
    case Op::BeginsWith:
        return text.startsWith(wanted, Qt::CaseInsensitive);
    case Op::EndsWith:
        return text.endsWith(wanted, Qt::CaseInsensitive);
    case Op::Equal:
        return order(actual, comparison.value) == 0;
    case Op::NotEqual:
        return order(actual, comparison.value) != 0;
    case Op::Less:
        return order(actual, comparison.value) < 0;
    case Op::LessOrEqual:
        return order(actual, comparison.value) <= 0;
    case Op::Greater:
        return order(actual, comparison.value) > 0;
    case Op::GreaterOrEqual:
        return order(actual, comparison.value) >= 0;
    }
    return false;
}

QString operatorText(PWXLibraryPredicate::Operator op)
{
    using Op = PWXLibraryPredicate::Operator;
    switch (op) {
    case Op::Equal: return QStringLiteral("==");
    case Op::Contains: return QStringLiteral("CONTAINS");
    case Op::NotEqual: return QStringLiteral("!=");
    case Op::BeginsWith: return QStringLiteral("BEGINSWITH");
    case Op::EndsWith: return QStringLiteral("ENDSWITH");
    case Op::Less: return QStringLiteral("<");
    case Op::LessOrEqual: return QStringLiteral("<=");
    case Op::Greater: return QStringLiteral(">");
    case Op::GreaterOrEqual: return QStringLiteral(">=");
    case Op::Like: return QStringLiteral("LIKE");
    }
    return QString();
}

} // namespace

bool PWXLibraryPredicate::evaluateWithItem(const PWXLibraryItem& item) const
{
    if (m_comparisons.isEmpty())
        return false;
    for (const Comparison& comparison : m_comparisons) {
        const bool match = matches(comparison, item.predicateValueForKey(comparison.key));
        if (match && m_compound == Compound::Or)
            return true;
        if (match && m_compound == Compound::Not)
            return false;
        if (!match && m_compound == Compound::And)
            return false;
    }
    return m_compound != Compound::Or;
}

QString PWXLibraryPredicate::predicateFormat() const
{
    QStringList parts;
    for (const Comparison& comparison : m_comparisons) {
        const QString value = comparison.value.typeId() == QMetaType::QString
                                  ? QStringLiteral("\"%1\"").arg(comparison.value.toString())
                                  : comparison.value.toString();
        parts.append(QStringLiteral("%1 %2 %3").arg(comparison.key, operatorText(comparison.op), value));
    }
    if (m_compound == Compound::Not)
        return QStringLiteral("NOT (%1)").arg(parts.join(QStringLiteral(" OR ")));
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
    coder.encodeInt32(int(m_compound), kCompoundKey);
    QVariantList list;
    for (const Comparison& comparison : m_comparisons)
        list.append(QVariantMap{{kKeyKey, comparison.key},
                                {kOperatorKey, int(comparison.op)},
                                {kValueKey, comparison.value}});
    coder.encodePropertyListValue(list, kComparisonsKey);
}

void PWXLibraryPredicate::initWithCoder(pf::KeyedUnarchiver& coder)
{
    const int compound = coder.decodeInt32(kCompoundKey);
    m_compound = compound == 1 ? Compound::And : (compound == 2 ? Compound::Not : Compound::Or);
    m_comparisons.clear();
    for (const QVariant& entry : coder.decodePropertyListValue(kComparisonsKey).toList()) {
        const QVariantMap map = entry.toMap();
        const QString key = map.value(kKeyKey).toString();
        if (key.isEmpty())
            continue;
        const int op = map.value(kOperatorKey).toInt();
        if (op < int(Operator::Equal) || op > int(Operator::Like))
            continue; // an operator this program does not know matches nothing rather than anything
        m_comparisons.append({key, Operator(op), map.value(kValueKey)});
    }
}
