#include "frameworks/penwork/layers/PWBSPDirectObjectStorage.h"

#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "platform/foundation/ClassBuilder.h"

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS(PWBSPDirectObjectStorage, PWObjectStorage) {}

PWBSPDirectObjectStorage::PWBSPDirectObjectStorage() = default;

bool PWBSPDirectObjectStorage::cellRange(const QRectF& rect, CellRange* range)
{
    const double left = rect.left(), right = rect.right(), top = rect.top(), bottom = rect.bottom();
    if (!std::isfinite(left) || !std::isfinite(right) || !std::isfinite(top) || !std::isfinite(bottom))
        return false;
    // Beyond this the cell numbers would not fit the key; such objects are "large".
    constexpr double kLimit = 1.0e9;
    if (std::abs(left) > kLimit || std::abs(right) > kLimit || std::abs(top) > kLimit || std::abs(bottom) > kLimit)
        return false;
    range->x0 = qint64(std::floor(std::min(left, right) / kCellSize));
    range->x1 = qint64(std::floor(std::max(left, right) / kCellSize));
    range->y0 = qint64(std::floor(std::min(top, bottom) / kCellSize));
    range->y1 = qint64(std::floor(std::max(top, bottom) / kCellSize));
    return true;
}

void PWBSPDirectObjectStorage::index(const PWDrawableObject* object)
{
    Entry entry;
    entry.bounds = object->bounds();
    entry.large = !cellRange(entry.bounds, &entry.cells) || entry.cells.cellCount() > kMaxCellsPerObject;
    if (entry.large) {
        m_large.push_back(object);
    } else {
        for (qint64 x = entry.cells.x0; x <= entry.cells.x1; ++x)
            for (qint64 y = entry.cells.y0; y <= entry.cells.y1; ++y)
                m_cells[cellKey(x, y)].push_back(object);
    }
    m_entries[object] = entry;
}

void PWBSPDirectObjectStorage::unindex(const PWDrawableObject* object)
{
    auto it = m_entries.find(object);
    if (it == m_entries.end())
        return;
    auto drop = [object](std::vector<const PWDrawableObject*>& list) {
        auto found = std::find(list.begin(), list.end(), object);
        if (found != list.end()) {
            *found = list.back();
            list.pop_back();
        }
    };
    const Entry& entry = it->second;
    if (entry.large) {
        drop(m_large);
    } else {
        for (qint64 x = entry.cells.x0; x <= entry.cells.x1; ++x)
            for (qint64 y = entry.cells.y0; y <= entry.cells.y1; ++y) {
                auto cell = m_cells.find(cellKey(x, y));
                if (cell == m_cells.end())
                    continue;
                drop(cell.value());
                if (cell.value().empty())
                    m_cells.erase(cell);
            }
    }
    m_entries.erase(it);
}

void PWBSPDirectObjectStorage::didInsert(const QList<pf::Ref<PWDrawableObject>>& objects)
{
    // A batch (a layer filled as a drawing opens) makes room once rather than growing by steps.
    m_entries.reserve(m_entries.size() + size_t(objects.size()));
    for (const auto& object : objects)
        index(object.get());
}

void PWBSPDirectObjectStorage::willRemove(const PWDrawableObject* object)
{
    unindex(object);
}

void PWBSPDirectObjectStorage::objectDidChangeBounds(const PWDrawableObject* object)
{
    auto it = m_entries.find(object);
    if (it == m_entries.end())
        return;
    if (it->second.bounds == object->bounds())
        return;
    unindex(object);
    index(object);
}

void PWBSPDirectObjectStorage::collect(const QRectF& rect, std::vector<const PWDrawableObject*>& out) const
{
    CellRange range;
    const bool bounded = cellRange(rect, &range);
    auto take = [&](const std::vector<const PWDrawableObject*>& list) {
        for (const PWDrawableObject* object : list) {
            auto entry = m_entries.find(object);
            if (entry != m_entries.end() && meets(entry->second.bounds, rect))
                out.push_back(object);
        }
    };
    if (bounded && range.cellCount() <= qint64(m_cells.size())) {
        for (qint64 x = range.x0; x <= range.x1; ++x)
            for (qint64 y = range.y0; y <= range.y1; ++y) {
                auto cell = m_cells.constFind(cellKey(x, y));
                if (cell != m_cells.constEnd())
                    take(cell.value());
            }
    } else {
        // The query covers more cells than hold anything: look at the occupied ones.
        for (auto cell = m_cells.constBegin(); cell != m_cells.constEnd(); ++cell)
            take(cell.value());
    }
    // An object listed in several cells was met once per cell.
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    take(m_large);
}

QList<pf::Ref<PWDrawableObject>> PWBSPDirectObjectStorage::objectsIntersectingRect(const QRectF& rect) const
{
    CellRange range;
    if (!cellRange(rect, &range) || range.cellCount() * 2 >= qint64(m_cells.size())) {
        // The rectangle covers most of what is occupied (a whole-page redraw, say): one pass in
        // stacking order finds the same objects without gathering, sorting and looking each up
        // again.
        QList<pf::Ref<PWDrawableObject>> out;
        for (const pf::Ref<PWDrawableObject>& object : objects()) {
            auto entry = m_entries.find(object.get());
            if (entry != m_entries.end() && meets(entry->second.bounds, rect))
                out.append(object);
        }
        return out;
    }
    std::vector<const PWDrawableObject*> found;
    collect(rect, found);
    sortByIndex(found, false);
    return refsOf(found);
}

QList<pf::Ref<PWDrawableObject>> PWBSPDirectObjectStorage::objectsAtPoint(const QPointF& point) const
{
    std::vector<const PWDrawableObject*> found;
    collect(QRectF(point, QSizeF(0, 0)), found);
    sortByIndex(found, true);
    return refsOf(found);
}
