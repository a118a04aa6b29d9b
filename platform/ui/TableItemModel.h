#pragma once

#include "platform/ui/TableRowTree.h"

#include <QAbstractItemModel>

namespace pf {

class TableView;

// The rows of a cell-based table or outline as a Qt item model: the table's cached item tree
// is the model's tree, the table's columns its columns, and values and edits go through the
// table to its data source.
class TableItemModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit TableItemModel(TableView& table, QObject* parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    TableRowTree::Node* nodeForIndex(const QModelIndex& index) const;
    QModelIndex indexForNode(TableRowTree::Node* node, int column = 0) const;
    // The shown row's index; invalid for rows that are not there.
    QModelIndex indexForRow(int row, int column) const;
    int rowForIndex(const QModelIndex& index) const;

    void beginReset() { beginResetModel(); }
    void endReset() { endResetModel(); }
    // One child inserted at or removed from `row` of `parent`.
    void beginInsert(const QModelIndex& parent, int row) { beginInsertRows(parent, row, row); }
    void endInsert() { endInsertRows(); }
    void beginRemove(const QModelIndex& parent, int row) { beginRemoveRows(parent, row, row); }
    void endRemove() { endRemoveRows(); }
    void resetAll();
    void cellChanged(int row, int column);
    void columnChanged(int column);
    void rowHeightChanged(int row);
    void allRowHeightsChanged();

private:
    TableView& m_table;
};

} // namespace pf
