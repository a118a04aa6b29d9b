#include "platform/foundation/SortDescriptor.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/Reflective.h"
#include "platform/foundation/Variant.h"

#include <QCollator>
#include <QDateTime>
#include <QRegularExpression>

#include <algorithm>

namespace pf {

namespace {

int sign(double value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

QVariant keyValue(const QVariant& object, const QString& keyPath)
{
    try {
        return valueForKeyPath(object, keyPath);
    } catch (const Exception&) {
        return {}; // a missing key sorts as null rather than stopping the sort
    }
}

} // namespace

SortDescriptor::SortDescriptor(QString key, bool ascending, Comparison comparison)
    : m_key(std::move(key)), m_ascending(ascending), m_comparison(comparison)
{
}

SortDescriptor SortDescriptor::reversedSortDescriptor() const
{
    return SortDescriptor(m_key, !m_ascending, m_comparison);
}

int SortDescriptor::compareObjects(const QVariant& a, const QVariant& b) const
{
    const int result = compareValues(keyValue(a, m_key), keyValue(b, m_key));
    return m_ascending ? result : -result;
}

int SortDescriptor::compareValues(const QVariant& a, const QVariant& b) const
{
    const bool aNull = !a.isValid() || a.isNull();
    const bool bNull = !b.isValid() || b.isNull();
    if (aNull || bNull)
        return int(bNull) - int(aNull);
    if (isNumber(a) && isNumber(b))
        return sign(a.toDouble() - b.toDouble());
    if (a.metaType().id() == QMetaType::QDateTime && b.metaType().id() == QMetaType::QDateTime)
        return sign(double(b.toDateTime().msecsTo(a.toDateTime())));
    const QString left = a.toString();
    const QString right = b.toString();
    switch (m_comparison) {
    case Comparison::Compare:
        return sign(left.compare(right));
    case Comparison::CaseInsensitiveCompare:
        return sign(left.compare(right, Qt::CaseInsensitive));
    case Comparison::LocalizedCompare:
        return sign(QCollator().compare(left, right));
    case Comparison::LocalizedStandardCompare:
        return compareByReading(left, right);
    }
    return 0;
}

void sort(QVariantList& objects, const QList<SortDescriptor>& descriptors)
{
    std::stable_sort(objects.begin(), objects.end(), [&](const QVariant& a, const QVariant& b) {
        for (const SortDescriptor& descriptor : descriptors) {
            if (const int order = descriptor.compareObjects(a, b))
                return order < 0;
        }
        return false;
    });
}

// Not every collation backend can do the numbers, so they are split off here.
int compareByReading(const QString& left, const QString& right)
{
    static const QRegularExpression chunks(QStringLiteral("\\d+|\\D+"));
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    auto a = chunks.globalMatch(left);
    auto b = chunks.globalMatch(right);
    while (a.hasNext() && b.hasNext()) {
        const QString x = a.next().captured();
        const QString y = b.next().captured();
        const bool numbers = x.front().isDigit() && y.front().isDigit();
        int order = 0;
        if (numbers) {
            // Compares any length: fewer digits (leading zeros aside) is the smaller number.
            QString xn = x, yn = y;
            while (xn.size() > 1 && xn.front() == u'0')
                xn.remove(0, 1);
            while (yn.size() > 1 && yn.front() == u'0')
                yn.remove(0, 1);
            order = xn.size() != yn.size() ? int(xn.size() < yn.size() ? -1 : 1) : xn.compare(yn);
        } else {
            order = collator.compare(x, y);
        }
        if (order != 0)
            return sign(order);
    }
    return int(a.hasNext()) - int(b.hasNext());
}


} // namespace pf
