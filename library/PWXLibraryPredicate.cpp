#include "library/PWXLibraryPredicate.h"

#include "library/PWXLibraryItem.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Variant.h"

#include <QDateTime>

namespace {

const QString kCompoundKey = QStringLiteral("PWXPredicate_compound");
const QString kComparisonsKey = QStringLiteral("PWXPredicate_comparisons");
const QString kKeyKey = QStringLiteral("key");
const QString kOperatorKey = QStringLiteral("op");
const QString kValueKey = QStringLiteral("value");
const QString kDiacriticKey = QStringLiteral("cd");

} // namespace

PF_DEFINE_CLASS(PWXLibraryPredicate, pf::Object)
{
    b.protocol(pf::kCodingProtocol);
}

pf::Ref<PWXLibraryPredicate> PWXLibraryPredicate::comparison(const QString& key, Operator op, const QVariant& value)
{
    return std::make_shared<PWXLibraryPredicate>(Compound::Or, QList<Comparison>{{key, op, value}});
}

pf::Ref<PWXLibraryPredicate> PWXLibraryPredicate::nameSearch(const QString& text, Operator op)
{
    if (text.isEmpty())
        return nullptr;
    if (op != Operator::BeginsWith && op != Operator::EndsWith && op != Operator::Like)
        op = Operator::Contains;
    Comparison comparison{QStringLiteral("name"), op, text};
    comparison.diacriticInsensitive = true;
    return std::make_shared<PWXLibraryPredicate>(Compound::Or, QList<Comparison>{comparison});
}

QString PWXLibraryPredicate::foldedText(const QString& text, bool diacriticInsensitive)
{
    if (!diacriticInsensitive)
        return text.toCaseFolded();
    // Decomposed, a letter with an accent is the letter followed by its combining marks: drop
    // the marks and what is left compares as the plain letter.
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        const QChar::Category category = c.category();
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
            || category == QChar::Mark_Enclosing)
            continue;
        folded.append(c);
    }
    return folded.toCaseFolded();
}

bool PWXLibraryPredicate::matchesWildcardPattern(const QString& text, const QString& pattern)
{
    // Iterative matching with one remembered star: linear in practice, never recursive, so a
    // hostile pattern of many stars cannot exhaust the stack.
    qsizetype t = 0, p = 0, starP = -1, starT = 0;
    const qsizetype tn = text.size(), pn = pattern.size();
    while (t < tn) {
        if (p < pn) {
            QChar pc = pattern[p];
            if (pc == QLatin1Char('*')) {
                starP = p++;
                starT = t;
                continue;
            }
            qsizetype step = 1;
            bool any = pc == QLatin1Char('?');
            if (pc == QLatin1Char('\\') && p + 1 < pn) {
                pc = pattern[p + 1];
                step = 2;
                any = false;
            }
            if (any || pc == text[t]) {
                p += step;
                ++t;
                continue;
            }
        }
        if (starP < 0)
            return false;
        p = starP + 1;
        t = ++starT;
    }
    while (p < pn && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pn;
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

bool matches(const PWXLibraryPredicate::Comparison& comparison, const QVariant& actual)
{
    using Op = PWXLibraryPredicate::Operator;
    const bool folding = comparison.op == Op::Contains || comparison.op == Op::BeginsWith
                         || comparison.op == Op::EndsWith || comparison.op == Op::Like;
    const QString text = folding ? PWXLibraryPredicate::foldedText(actual.toString(), comparison.diacriticInsensitive)
                                 : QString();
    const QString wanted = folding ? PWXLibraryPredicate::foldedText(comparison.value.toString(),
                                                                     comparison.diacriticInsensitive)
                                   : QString();
    switch (comparison.op) {
    case Op::Contains:
        return text.contains(wanted);
    case Op::BeginsWith:
        return text.startsWith(wanted);
    case Op::EndsWith:
        return text.endsWith(wanted);
    case Op::Like:
        return PWXLibraryPredicate::matchesWildcardPattern(text, wanted);
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
        QString value = comparison.value.toString();
        if (comparison.value.typeId() == QMetaType::QString) {
            value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
            value.replace(QLatin1Char('"'), QStringLiteral("\\\""));
            value = QLatin1Char('"') + value + QLatin1Char('"');
        }
        QString op = operatorText(comparison.op);
        if (comparison.diacriticInsensitive)
            op += QStringLiteral("[cd]");
        parts.append(QStringLiteral("%1 %2 %3").arg(comparison.key, op, value));
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
    {
        QVariantMap entry{{kKeyKey, comparison.key}, {kOperatorKey, int(comparison.op)}, {kValueKey, comparison.value}};
        if (comparison.diacriticInsensitive)
            entry.insert(kDiacriticKey, true);
        list.append(entry);
    }
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
        Comparison comparison{key, Operator(op), map.value(kValueKey)};
        comparison.diacriticInsensitive = map.value(kDiacriticKey).toBool();
        m_comparisons.append(comparison);
    }
}
