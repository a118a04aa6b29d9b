#pragma once

#include <QStyledItemDelegate>

namespace pf {

class TableItemModel;
class TableView;

// Draws a cell-based table's cells: the value from the data source, in the look the table's
// delegate gives it just before it draws. Editors write back through the model, and the
// table learns which cell is being edited.
class TableItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    TableItemDelegate(TableView& table, TableItemModel& model, QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    TableView& m_table;
    TableItemModel& m_model;
};

} // namespace pf
