#include "platform/ui/TableCellEditor.h"

#include "platform/ui/Cell.h"
#include "platform/ui/TableView.h"

namespace pf {

TableCellEditor::TableCellEditor(TableView& table, Ref<Cell> cell, int column, int row)
    : m_table(table), m_cell(std::move(cell)), m_column(column), m_row(row)
{
}

void TableCellEditor::textDidEndEditing(FieldEditor& editor, TextMovement movement)
{
    const bool keep = movement != TextMovement::Cancel;
    if (keep)
        m_cell->endEditing(editor);
    m_table.cellEditingEnded(*this, keep);
}

} // namespace pf
