#pragma once

#include "platform/foundation/Object.h"

#include <QPointF>
#include <QRectF>

namespace pf {

class Cell;
class View;

// One press on a table cell that tracks the mouse itself (a check box in a row): the cell is
// highlighted while the pointer is inside its frame, follows the drags and, on a release
// inside, moves to its next state as a button does.
class TableCellTracker {
public:
    TableCellTracker(Ref<Cell> cell, int column, int row, const QRectF& frame);

    Cell& cell() const { return *m_cell; }
    const Ref<Cell>& cellRef() const { return m_cell; }
    int column() const { return m_column; }
    int row() const { return m_row; }
    QRectF frame() const { return m_frame; }

    // Answers whether the cell wants to track this press.
    bool start(QPointF point, View* view);
    // Answers whether tracking goes on.
    bool drag(QPointF point, View* view);
    // The mouse went up at `point`: answers whether the click completed inside the cell.
    bool finish(QPointF point, View* view);
    // The press ended some other way.
    void cancel(View* view);

private:
    Ref<Cell> m_cell;
    int m_column;
    int m_row;
    QRectF m_frame;
    QPointF m_last;
};

} // namespace pf
