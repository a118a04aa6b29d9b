#pragma once

#include <QItemSelectionModel>

namespace pf {

class TableItemModel;
class TableView;

// Turns the user's selection changes in the rows widget into proposals to the table, which
// asks its delegate and then shows what it settled on. Only the table itself selects.
class TableSelectionModel : public QItemSelectionModel {
    Q_OBJECT
public:
    TableSelectionModel(TableView& table, TableItemModel& model);

    using QItemSelectionModel::select;
    void select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command) override;

    // Shows the table's selection.
    void showTableSelection();

private:
    TableView& m_table;
    TableItemModel& m_model;
    bool m_showing = false;
};

} // namespace pf
