#pragma once

#include "platform/foundation/IndexSet.h"
#include "platform/foundation/Object.h"

#include <QList>
#include <QPointF>
#include <QRectF>

#include <unordered_map>
#include <vector>

class PWDrawableObject;

// How an object layer keeps its objects: in stacking order (index 0 at the bottom), with the
// spatial queries drawing and hit testing ask for. Subclasses decide how those queries find
// their answer; both answer the same. The storage keeps the bounds each object had when it was
// last indexed, so it must hear of every change (objectDidChangeBounds).
class PWObjectStorage : public pf::Object {
    PF_CLASS(PWObjectStorage)
public:
    PWObjectStorage();
    ~PWObjectStorage() override;

    qint64 count() const { return qint64(m_objects.size()); }
    const std::vector<pf::Ref<PWDrawableObject>>& objects() const { return m_objects; }
    const pf::Ref<PWDrawableObject>& objectAtIndex(qint64 index) const { return m_objects[size_t(index)]; }
    bool containsObject(const PWDrawableObject* object) const { return indexOfObject(object) != pf::kNotFound; }
    // pf::kNotFound for objects not held.
    qint64 indexOfObject(const PWDrawableObject* object) const;

    // `objects` go to `indexes` of the result (ascending; as many as objects; every index
    // within the final count). The caller checks the arguments.
    void insertObjects(const QList<pf::Ref<PWDrawableObject>>& objects, const pf::IndexSet& indexes);
    void removeObjectsAtIndexes(const pf::IndexSet& indexes);
    void moveObject(qint64 from, qint64 to);
    // The object's bounds changed since it was indexed.
    virtual void objectDidChangeBounds(const PWDrawableObject* object) {}

    // Objects whose bounds meet `rect` (edges touching count), bottom first.
    virtual QList<pf::Ref<PWDrawableObject>> objectsIntersectingRect(const QRectF& rect) const = 0;
    // Objects whose bounds contain `point`, topmost first.
    virtual QList<pf::Ref<PWDrawableObject>> objectsAtPoint(const QPointF& point) const = 0;

    // The rectangle test both storages use: closed on every edge, so zero-width bounds (a
    // vertical line) still meet what crosses them.
    static bool meets(const QRectF& a, const QRectF& b)
    {
        return a.left() <= b.right() && b.left() <= a.right() && a.top() <= b.bottom() && b.top() <= a.bottom();
    }
    static bool contains(const QRectF& r, const QPointF& p)
    {
        return p.x() >= r.left() && p.x() <= r.right() && p.y() >= r.top() && p.y() <= r.bottom();
    }

protected:
    // Hooks for the spatial index: the objects just taken in, and about to go.
    virtual void didInsert(const QList<pf::Ref<PWDrawableObject>>& objects) {}
    virtual void willRemove(const PWDrawableObject* object) {}
    // Sorts by stacking index.
    void sortByIndex(std::vector<const PWDrawableObject*>& objects, bool topmostFirst) const;
    QList<pf::Ref<PWDrawableObject>> refsOf(const std::vector<const PWDrawableObject*>& objects) const;

private:
    void rebuildIndexMap() const;

    std::vector<pf::Ref<PWDrawableObject>> m_objects;
    // Stacking index by object; rebuilt on demand after edits other than appending.
    mutable std::unordered_map<const PWDrawableObject*, qint64> m_indexes;
    mutable bool m_indexesValid = true;
};
