#include "platform/ui/TableItemDelegate.h"

#include "platform/ui/TableItemModel.h"
#include "platform/ui/TableView.h"

namespace pf {

TableItemDelegate::TableItemDelegate(TableView& table, TableItemModel& model, QObject* parent)
    : QStyledItemDelegate(parent), m_table(table), m_model(model)
{
}

void TableItemDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const int row = m_model.rowForIndex(index);
    if (row >= 0)
        m_table.prepareCellForDisplay(*option, index.column(), row);
}

QWidget* TableItemDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    m_table.noteEditing(index.column(), m_model.rowForIndex(index));
    return QStyledItemDelegate::createEditor(parent, option, index);
}

void TableItemDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const
{
    m_table.noteEditing(-1, -1);
    QStyledItemDelegate::destroyEditor(editor, index);
}

} // namespace pf
