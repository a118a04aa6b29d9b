#pragma once

#include "platform/ui/TableRowTree.h"

#include <QTreeView>

namespace pf {

class TableItemModel;
class TableSelectionModel;
class TableView;

// The widget that shows a cell-based table's rows: a QTreeView over the table's item model
// that leaves selection, expansion, editing, presses on cells that track clicks, context
// clicks, double clicks, tool tips, drags and drops to the table, and draws the table's drop
// target. Its own header stays hidden: the table's header view shows the headers.
class TableTreeWidget : public QTreeView {
    Q_OBJECT
public:
    explicit TableTreeWidget(TableView& table);

    TableItemModel& itemModel() const { return *m_model; }
    // Matches the widget's expanded rows to the table's.
    void applyExpansion();
    void showSelection();
    // Tree decoration for outlines, none for tables.
    void applyOutlineStyle(int outlineColumn, double indentation);
    void applyHighlightStyle();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    // Qt's edit triggers open the table's field editor instead of an item editor.
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void expansionToggled(const QModelIndex& index, bool expanded);
    void applyExpansion(TableRowTree::Node* node);
    void noteClick(const QMouseEvent* event);

    TableView& m_table;
    TableItemModel* m_model;
    TableSelectionModel* m_selection;
    bool m_applyingExpansion = false;
};

} // namespace pf
