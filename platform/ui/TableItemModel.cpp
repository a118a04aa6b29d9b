#include "platform/ui/TableItemModel.h"

#include "platform/ui/TableView.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>

namespace pf {

namespace {

bool isImage(const QVariant& value)
{
    const int type = value.metaType().id();
    return type == QMetaType::QImage || type == QMetaType::QPixmap || type == QMetaType::QIcon;
}

} // namespace

TableItemModel::TableItemModel(TableView& table, QObject* parent) : QAbstractItemModel(parent), m_table(table) {}

TableRowTree::Node* TableItemModel::nodeForIndex(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<TableRowTree::Node*>(index.internalPointer()) : m_table.rowTree().root();
}

QModelIndex TableItemModel::indexForNode(TableRowTree::Node* node, int column) const
{
    if (!node || node == m_table.rowTree().root())
        return {};
    return createIndex(node->indexInParent, column, node);
}

QModelIndex TableItemModel::indexForRow(int row, int column) const
{
    return indexForNode(m_table.rowTree().nodeAtRow(row), column);
}

int TableItemModel::rowForIndex(const QModelIndex& index) const
{
    if (!index.isValid())
        return -1;
    m_table.rowTree().numberOfRows(); // brings the row numbers up to date
    return nodeForIndex(index)->row;
}

QModelIndex TableItemModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column < 0 || column >= columnCount() || (parent.isValid() && parent.column() != 0))
        return {};
    const auto& children = m_table.rowTree().children(nodeForIndex(parent));
    if (row >= int(children.size()))
        return {};
    return createIndex(row, column, children[size_t(row)].get());
}

QModelIndex TableItemModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return {};
    return indexForNode(nodeForIndex(child)->parent);
}

int TableItemModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    TableRowTree::Node* node = nodeForIndex(parent);
    if (!m_table.rowTree().isExpandable(node))
        return 0;
    return int(m_table.rowTree().children(node).size());
}

int TableItemModel::columnCount(const QModelIndex&) const
{
    return m_table.numberOfColumns();
}

bool TableItemModel::hasChildren(const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return false;
    // Asking for the children of a collapsed item would load them before it is opened.
    return m_table.rowTree().isExpandable(nodeForIndex(parent));
}

QVariant TableItemModel::data(const QModelIndex& index, int role) const
{
    const int row = rowForIndex(index);
    if (row < 0)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
        const QVariant value = m_table.objectValueAt(index.column(), row);
        return isImage(value) ? QVariant() : value;
    }
    case Qt::DecorationRole: {
        const QVariant value = m_table.objectValueAt(index.column(), row);
        return isImage(value) ? value : QVariant();
    }
    case Qt::SizeHintRole:
        return QSize(-1, qRound(m_table.heightOfRow(row)));
    default:
        return {};
    }
}

bool TableItemModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const int row = rowForIndex(index);
    if (role != Qt::EditRole || row < 0 || !m_table.isCellEditable(index.column(), row))
        return false;
    m_table.setObjectValueAt(value, index.column(), row);
    return true;
}

Qt::ItemFlags TableItemModel::flags(const QModelIndex& index) const
{
    const int row = rowForIndex(index);
    if (row < 0)
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsDragEnabled;
    if (!m_table.isGroupRow(row))
        flags |= Qt::ItemIsSelectable;
    if (m_table.isCellEditable(index.column(), row))
        flags |= Qt::ItemIsEditable;
    if (!m_table.rowTree().isExpandable(nodeForIndex(index)))
        flags |= Qt::ItemNeverHasChildren;
    return flags;
}

QVariant TableItemModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_table.numberOfColumns())
        return {};
    TableColumn* column = m_table.tableColumns()[section].get();
    if (role == Qt::DisplayRole)
        return column->title();
    if (role == Qt::ToolTipRole && !column->headerToolTip().isEmpty())
        return column->headerToolTip();
    return {};
}

void TableItemModel::resetAll()
{
    beginResetModel();
    endResetModel();
}

void TableItemModel::cellChanged(int row, int column)
{
    const QModelIndex index = indexForRow(row, column);
    if (index.isValid())
        emit dataChanged(index, index);
}

void TableItemModel::columnChanged(int column)
{
    if (column >= 0)
        emit headerDataChanged(Qt::Horizontal, column, column);
}

void TableItemModel::rowHeightChanged(int row)
{
    const QModelIndex first = indexForRow(row, 0);
    if (first.isValid())
        emit dataChanged(first, indexForRow(row, columnCount() - 1), {Qt::SizeHintRole});
}

void TableItemModel::allRowHeightsChanged()
{
    emit layoutChanged();
}

} // namespace pf
