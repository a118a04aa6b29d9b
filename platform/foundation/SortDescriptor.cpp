#include "platform/foundation/SortDescriptor.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/Reflective.h"
#include "platform/foundation/Variant.h"

#include <QCollator>
#include <QDateTime>

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
    case Comparison::LocalizedStandardCompare: {
        QCollator collator;
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        collator.setNumericMode(true);
        return sign(collator.compare(left, right));
    }
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

} // namespace pf
