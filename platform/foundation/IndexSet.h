#pragma once

#include <QList>
#include <QMetaType>

#include <functional>

namespace pf {

// A sorted set of non-negative indexes, kept as disjoint ranges.
class IndexSet {
public:
    struct Range {
        qint64 location = 0;
        qint64 length = 0;
        qint64 end() const { return location + length; }
        bool operator==(const Range&) const = default;
    };

    IndexSet() = default;
    explicit IndexSet(qint64 index);
    static IndexSet range(qint64 location, qint64 length);

    bool isEmpty() const { return m_ranges.isEmpty(); }
    qint64 count() const;
    bool contains(qint64 index) const;
    // kNotFound when empty.
    qint64 firstIndex() const;
    qint64 lastIndex() const;

    void add(qint64 index) { addRange(index, 1); }
    void addRange(qint64 location, qint64 length);
    void remove(qint64 index) { removeRange(index, 1); }
    void removeRange(qint64 location, qint64 length);
    void clear() { m_ranges.clear(); }

    const QList<Range>& ranges() const { return m_ranges; }
    QList<qint64> toList() const;
    void forEach(const std::function<void(qint64)>& visit) const;

    bool operator==(const IndexSet&) const = default;

private:
    QList<Range> m_ranges;
};

} // namespace pf

Q_DECLARE_METATYPE(pf::IndexSet)
