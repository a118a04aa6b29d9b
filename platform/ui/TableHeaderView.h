#pragma once

#include "platform/ui/View.h"

#include <QPointer>

namespace pf {

class TableView;

// The strip above a table's rows with one header per column, each drawn by its column's
// header cell. A click on a header sorts by the column; dragging the edge between two headers
// resizes the column to its left. Its bounds scroll sideways with the rows. Subclasses draw
// something else (one title across the whole header) and set the table's header view.
class TableHeaderView : public View {
    Q_OBJECT
    PF_CLASS(TableHeaderView)
public:
    static constexpr double kDefaultHeight = 17;

    explicit TableHeaderView(QWidget* parent = nullptr);
    explicit TableHeaderView(const QRectF& frame, QWidget* parent = nullptr);

    bool isFlipped() const override { return true; }

    // The table whose header this is, or null.
    TableView* tableView() const { return m_tableView; }
    void setTableView(TableView* table);

    // The column's header in the header's bounds (empty for hidden or unknown columns).
    QRectF headerRectOfColumn(int column) const;
    // -1 when no column is there.
    int columnAtPoint(QPointF point) const;
    // The column being pressed, or -1.
    int pressedColumn() const { return m_pressedColumn; }

    void drawRect(const QRectF& dirtyRect) override;
    void mouseDown(const Event& event) override;
    void mouseDragged(const Event& event) override;
    void mouseUp(const Event& event) override;

private:
    // The column whose right edge is within reach of `point`, or -1.
    int columnToResizeAt(QPointF point) const;

    QPointer<TableView> m_tableView;
    int m_pressedColumn = -1;
    int m_resizedColumn = -1;
    double m_resizeStartX = 0;
    double m_resizeStartWidth = 0;
};

} // namespace pf
