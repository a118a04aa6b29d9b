#include "platform/ui/TableSelectionModel.h"

#include "platform/ui/TableItemModel.h"
#include "platform/ui/TableView.h"

namespace pf {

TableSelectionModel::TableSelectionModel(TableView& table, TableItemModel& model)
    : QItemSelectionModel(&model), m_table(table), m_model(model)
{
}

void TableSelectionModel::select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command)
{
    if (m_showing) {
        QItemSelectionModel::select(selection, command);
        return;
    }
    if (command == NoUpdate)
        return;
    // The widget hands over the cells of the clicked column only, or of every column: each
    // row counts once either way.
    IndexSet touched;
    for (const QModelIndex& index : selection.indexes()) {
        if (const int row = m_model.rowForIndex(index); row >= 0)
            touched.add(row);
    }
    IndexSet rows = (command & Clear) ? IndexSet() : m_table.selectedRowIndexes();
    touched.forEach([&](qint64 row) {
        if (command & Toggle)
            rows.contains(row) ? rows.remove(row) : rows.add(row);
        else if (command & Deselect)
            rows.remove(row);
        else if (command & Select)
            rows.add(row);
    });
    m_table.proposeSelection(rows);
}

void TableSelectionModel::showTableSelection()
{
    m_showing = true;
    QItemSelection shown;
    const int last = m_model.columnCount() - 1;
    m_table.selectedRowIndexes().forEach([&](qint64 row) {
        const QModelIndex first = m_model.indexForRow(int(row), 0);
        if (first.isValid() && last >= 0)
            shown.select(first, m_model.indexForRow(int(row), last));
    });
    QItemSelectionModel::select(shown, ClearAndSelect);
    m_showing = false;
}

} // namespace pf
