#pragma once

#include "platform/foundation/IndexSet.h"
#include "platform/ui/TableRowTree.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QRectF>

#include <functional>
#include <unordered_map>

class QScrollBar;

namespace pf {

class TableRowView;
class TableView;
class View;

// The rows of a view-based table: a row view with its cell views for each row in sight,
// placed at the row's rectangle in the table. Rows that scroll out of sight give their cell
// views back for reuse by identifier; rows that move or change height slide to their new
// frame through the animator (over the open animation group's time, else 0.2 s), and rows
// removed from the tree fade out.
class TableRowViewLayout {
public:
    explicit TableRowViewLayout(TableView& table);
    ~TableRowViewLayout();
    TableRowViewLayout(const TableRowViewLayout&) = delete;
    TableRowViewLayout& operator=(const TableRowViewLayout&) = delete;

    // Shows the rows in sight, making the missing ones; `animate` slides moved rows.
    void layout(bool animate);
    // Before every child list is asked again: no row view outlives its item.
    void reloadAll();
    // Before the node's children are asked again.
    void dropRowsUnder(TableRowTree::Node* node);
    // After a splice, before the removed nodes are freed: rows of nodes no longer in the tree
    // go, fading out when `fade` (their cells go with them) or at once.
    void dropDetachedRows(bool fade);
    void reloadCells(const IndexSet& rows, const IndexSet& columns);

    TableRowView* rowView(int row, bool makeIfNecessary);
    View* cellView(int column, int row, bool makeIfNecessary);
    void forEachRowView(const std::function<void(TableRowView*, int)>& visit);
    int rowForView(const View* view);
    // A cell view given back under `identifier`, or null.
    View* dequeue(const QString& identifier);

    void showSelection();
    void showDropTarget();

    int scrollY() const { return m_scrollY; }
    void scrollBy(double delta);
    void scrollToRect(const QRectF& rect);
    void tableResized();

private:
    struct Shown {
        QPointer<TableRowView> view;
        QList<QPointer<View>> cells;
    };

    Shown& make(TableRowTree::Node* node, int row);
    void fillCell(Shown& shown, int column, int row);
    void recycle(Shown& shown);
    void fadeOut(Shown& shown);
    void recycleCell(View* cell);
    void place(Shown& shown, int row, bool animate);
    void updateScrollBar();
    void setScrollY(int y);
    double contentHeight();

    TableView& m_table;
    std::unordered_map<TableRowTree::Node*, Shown> m_shown;
    QHash<QString, QList<QPointer<View>>> m_pool;
    QScrollBar* m_scrollBar;
    int m_scrollY = 0;
};

} // namespace pf
