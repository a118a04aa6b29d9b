#pragma once

#include "frameworks/penwork/layers/PWObjectStorage.h"

#include <QHash>

#include <unordered_map>
#include <vector>

// Keeps the objects in stacking order plus a spatial index, so that rectangle and point queries
// look only at the objects near the place asked about. The index is a uniform grid of square
// cells (kCellSize points): each object is listed in every cell its bounds cover; objects
// covering more than kMaxCellsPerObject cells, and objects with bounds that are not finite, go
// in one list that every query looks at.
class PWBSPDirectObjectStorage : public PWObjectStorage {
    PF_CLASS(PWBSPDirectObjectStorage)
public:
    static constexpr double kCellSize = 128.0;
    static constexpr qint64 kMaxCellsPerObject = 256;

    PWBSPDirectObjectStorage();

    void objectDidChangeBounds(const PWDrawableObject* object) override;
    QList<pf::Ref<PWDrawableObject>> objectsIntersectingRect(const QRectF& rect) const override;
    QList<pf::Ref<PWDrawableObject>> objectsAtPoint(const QPointF& point) const override;

protected:
    void didInsert(const QList<pf::Ref<PWDrawableObject>>& objects) override;
    void willRemove(const PWDrawableObject* object) override;

private:
    struct CellRange {
        qint64 x0 = 0, y0 = 0, x1 = -1, y1 = -1;
        qint64 cellCount() const { return (x1 - x0 + 1) * (y1 - y0 + 1); }
    };
    struct Entry {
        QRectF bounds;
        CellRange cells;
        bool large = false;
    };
    static quint64 cellKey(qint64 x, qint64 y) { return (quint64(quint32(qint32(x))) << 32) | quint32(qint32(y)); }
    // The cells a rectangle covers; false when it is not finite or covers too many.
    static bool cellRange(const QRectF& rect, CellRange* range);
    void index(const PWDrawableObject* object);
    void unindex(const PWDrawableObject* object);
    void collect(const QRectF& rect, std::vector<const PWDrawableObject*>& out) const;

    QHash<quint64, std::vector<const PWDrawableObject*>> m_cells;
    std::vector<const PWDrawableObject*> m_large;
    std::unordered_map<const PWDrawableObject*, Entry> m_entries;
};
