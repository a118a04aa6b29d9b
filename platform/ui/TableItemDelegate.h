#pragma once

#include <QStyledItemDelegate>

namespace pf {

class TableItemModel;
class TableView;

// Draws a cell-based table's cells: the row's selection background, then the cell the table
// prepared for the row (its column's data cell with the value, as the table's delegate left
// it), drawing in the table's coordinates through a GraphicsContext. Editing does not go
// through Qt's editors but through the table and the window's field editor.
class TableItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    TableItemDelegate(TableView& table, TableItemModel& model, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    TableView& m_table;
    TableItemModel& m_model;
};

} // namespace pf
