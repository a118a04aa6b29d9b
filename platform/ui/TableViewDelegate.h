#pragma once

#include "platform/foundation/IndexSet.h"
#include "platform/foundation/Object.h"

#include <QPointF>
#include <QRectF>
#include <QString>

namespace pf {

class Cell;
class Image;
class TableColumn;
class TableRowView;
class TableView;
class View;

// What a table asks of and tells its delegate. Every message is optional.
class TableViewDelegate {
public:
    virtual ~TableViewDelegate() = default;

    // Cell-based tables: the cell (a copy of the column's data cell holding the row's value)
    // is about to draw, be edited or track a click; the delegate may change its font,
    // colours, image and enabled state for this row alone.
    virtual void willDisplayCell(TableView& table, Cell& cell, TableColumn* column, int row) {}
    // A cell of the delegate's own for the row instead of the column's data cell; null for
    // the column's.
    virtual Ref<Cell> dataCellForTableColumn(TableView& table, TableColumn* column, int row) { return nullptr; }
    // The tool tip of the cell under `mouseLocation` (table coordinates), empty for none;
    // `rect` (the cell's frame) may be narrowed to where the tip applies.
    virtual QString toolTipForCell(TableView& table, Cell& cell, QRectF& rect, TableColumn* column, int row,
                                   QPointF mouseLocation)
    {
        return {};
    }
    // The image dragged rows show, centred under the pointer; null for a picture of the rows.
    virtual Ref<Image> customDragImage(TableView& table, const IndexSet& rows) { return nullptr; }
    // View-based tables: the view for a cell, usually from makeViewWithIdentifier. Null
    // leaves the cell empty.
    virtual View* viewForTableColumn(TableView& table, TableColumn* column, int row) { return nullptr; }
    // View-based tables: the row's view; null for a plain TableRowView.
    virtual TableRowView* rowViewForRow(TableView& table, int row) { return nullptr; }

    // Selection by the user. A group row is never selected.
    virtual bool shouldSelectRow(TableView& table, int row) { return true; }
    virtual IndexSet selectionIndexesForProposedSelection(TableView& table, const IndexSet& proposed) { return proposed; }
    virtual void selectionDidChange(TableView& table) {}

    virtual bool shouldEditTableColumn(TableView& table, TableColumn* column, int row) { return true; }
    virtual bool isGroupRow(TableView& table, int row) { return false; }
    // Zero or less: the table's row height.
    virtual double heightOfRow(TableView& table, int row) { return 0; }
};

} // namespace pf
