#pragma once

#include "platform/foundation/Object.h"
#include "platform/ui/FieldEditor.h"

namespace pf {

class Cell;
class TableView;

// Hears the window's field editor while it edits one cell of a table, and hands the end of
// editing back to the table with whether the text is to be kept (not after Escape).
class TableCellEditor : public FieldEditorDelegate {
public:
    TableCellEditor(TableView& table, Ref<Cell> cell, int column, int row);

    Cell& cell() const { return *m_cell; }
    int column() const { return m_column; }
    int row() const { return m_row; }

    void textDidEndEditing(FieldEditor& editor, TextMovement movement) override;

private:
    TableView& m_table;
    Ref<Cell> m_cell;
    int m_column;
    int m_row;
};

} // namespace pf
