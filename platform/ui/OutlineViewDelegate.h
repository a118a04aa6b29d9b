#pragma once

#include "platform/foundation/IndexSet.h"
#include "platform/foundation/Object.h"

#include <QPointF>
#include <QRectF>
#include <QVariant>

namespace pf {

class Cell;
class OutlineView;
class TableColumn;
class TableRowView;
class View;

// What an outline asks of and tells its delegate, by item. Every message is optional.
class OutlineViewDelegate {
public:
    virtual ~OutlineViewDelegate() = default;

    // As the table delegate's, by item.
    virtual void willDisplayCell(OutlineView& outline, Cell& cell, TableColumn* column, const QVariant& item) {}
    virtual Ref<Cell> dataCellForTableColumn(OutlineView& outline, TableColumn* column, const QVariant& item)
    {
        return nullptr;
    }
    virtual QString toolTipForCell(OutlineView& outline, Cell& cell, QRectF& rect, TableColumn* column,
                                   const QVariant& item, QPointF mouseLocation)
    {
        return {};
    }
    virtual View* viewForTableColumn(OutlineView& outline, TableColumn* column, const QVariant& item) { return nullptr; }
    virtual TableRowView* rowViewForItem(OutlineView& outline, const QVariant& item) { return nullptr; }

    // Selection by the user. A group item is never selected.
    virtual bool shouldSelectItem(OutlineView& outline, const QVariant& item) { return true; }
    virtual IndexSet selectionIndexesForProposedSelection(OutlineView& outline, const IndexSet& proposed) { return proposed; }
    virtual void selectionDidChange(OutlineView& outline) {}

    virtual bool shouldEditTableColumn(OutlineView& outline, TableColumn* column, const QVariant& item) { return true; }
    virtual bool isGroupItem(OutlineView& outline, const QVariant& item) { return false; }
    // Zero or less: the outline's row height.
    virtual double heightOfRowByItem(OutlineView& outline, const QVariant& item) { return 0; }

    virtual bool shouldExpandItem(OutlineView& outline, const QVariant& item) { return true; }
    virtual bool shouldCollapseItem(OutlineView& outline, const QVariant& item) { return true; }
    virtual void itemDidExpand(OutlineView& outline, const QVariant& item) {}
    virtual void itemDidCollapse(OutlineView& outline, const QVariant& item) {}
};

} // namespace pf
