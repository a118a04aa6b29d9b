#include "platform/foundation/IndexSet.h"

#include "platform/foundation/Markers.h"

#include <algorithm>

namespace pf {

IndexSet::IndexSet(qint64 index)
{
    add(index);
}

IndexSet IndexSet::range(qint64 location, qint64 length)
{
    IndexSet set;
    set.addRange(location, length);
    return set;
}

qint64 IndexSet::count() const
{
    qint64 total = 0;
    for (const Range& r : m_ranges)
        total += r.length;
    return total;
}

bool IndexSet::contains(qint64 index) const
{
    auto it = std::upper_bound(m_ranges.begin(), m_ranges.end(), index,
                               [](qint64 i, const Range& r) { return i < r.location; });
    if (it == m_ranges.begin())
        return false;
    --it;
    return index < it->end();
}

qint64 IndexSet::firstIndex() const
{
    return m_ranges.isEmpty() ? kNotFound : m_ranges.first().location;
}

qint64 IndexSet::lastIndex() const
{
    return m_ranges.isEmpty() ? kNotFound : m_ranges.last().end() - 1;
}

void IndexSet::addRange(qint64 location, qint64 length)
{
    if (length <= 0 || location < 0)
        return;
    Range added{location, length};
    QList<Range> merged;
    merged.reserve(m_ranges.size() + 1);
    bool placed = false;
    for (const Range& r : m_ranges) {
        if (r.end() < added.location) {
            merged.append(r);
        } else if (added.end() < r.location) {
            if (!placed) {
                merged.append(added);
                placed = true;
            }
            merged.append(r);
        } else {
            const qint64 start = std::min(r.location, added.location);
            const qint64 end = std::max(r.end(), added.end());
            added = Range{start, end - start};
        }
    }
    if (!placed)
        merged.append(added);
    m_ranges = std::move(merged);
}

void IndexSet::removeRange(qint64 location, qint64 length)
{
    if (length <= 0)
        return;
    const qint64 end = location + length;
    QList<Range> kept;
    for (const Range& r : m_ranges) {
        if (r.end() <= location || r.location >= end) {
            kept.append(r);
            continue;
        }
        if (r.location < location)
            kept.append(Range{r.location, location - r.location});
        if (r.end() > end)
            kept.append(Range{end, r.end() - end});
    }
    m_ranges = std::move(kept);
}

QList<qint64> IndexSet::toList() const
{
    QList<qint64> list;
    forEach([&](qint64 i) { list.append(i); });
    return list;
}

void IndexSet::forEach(const std::function<void(qint64)>& visit) const
{
    for (const Range& r : m_ranges)
        for (qint64 i = r.location; i < r.end(); ++i)
            visit(i);
}

} // namespace pf
