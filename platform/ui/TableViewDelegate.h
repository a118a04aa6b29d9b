#pragma once

#include "platform/foundation/IndexSet.h"

#include <QString>

class QStyleOptionViewItem;

namespace pf {

class TableColumn;
class TableRowView;
class TableView;
class View;

// What a table asks of and tells its delegate. Every message is optional.
class TableViewDelegate {
public:
    virtual ~TableViewDelegate() = default;

    // Cell-based tables: the cell is about to draw the row's value; the delegate may change
    // its font, colours and enabled state.
    virtual void willDisplayCell(TableView& table, QStyleOptionViewItem& cell, TableColumn* column, int row) {}
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
