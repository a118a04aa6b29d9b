#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariant>

namespace pf {

// One sort key: a key path read from each object, a direction and how two values compare.
// Lists of descriptors sort by the first, ties going to the next.
class SortDescriptor {
public:
    enum class Comparison {
        Compare,                   // numbers by value, texts by code point, dates by time
        CaseInsensitiveCompare,
        LocalizedCompare,          // the user's collation
        LocalizedStandardCompare,  // the user's collation, case-insensitive, digits as numbers
    };

    SortDescriptor() = default;
    SortDescriptor(QString key, bool ascending, Comparison comparison = Comparison::Compare);

    QString key() const { return m_key; }
    bool ascending() const { return m_ascending; }
    Comparison comparison() const { return m_comparison; }
    bool isValid() const { return !m_key.isEmpty(); }

    SortDescriptor reversedSortDescriptor() const;

    // Negative, zero or positive as `a` sorts before, with or after `b`; objects lacking the
    // key compare as null, which sorts first.
    int compareObjects(const QVariant& a, const QVariant& b) const;

    bool operator==(const SortDescriptor&) const = default;

private:
    int compareValues(const QVariant& a, const QVariant& b) const;

    QString m_key;
    bool m_ascending = true;
    Comparison m_comparison = Comparison::Compare;
};

// Sorts in place, stably, by the descriptors in order.
void sort(QVariantList& objects, const QList<SortDescriptor>& descriptors);

// Orders text as people read it: runs of digits by their number ("file9" before "file10"),
// the text between them through the user's collation without regard to case. Answers -1, 0 or 1.
int compareByReading(const QString& left, const QString& right);

} // namespace pf

Q_DECLARE_METATYPE(pf::SortDescriptor)
