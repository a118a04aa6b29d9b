#include "platform/ui/TableCellTracker.h"

#include "platform/ui/ButtonCell.h"

namespace pf {

TableCellTracker::TableCellTracker(Ref<Cell> cell, int column, int row, const QRectF& frame)
    : m_cell(std::move(cell)), m_column(column), m_row(row), m_frame(frame)
{
}

bool TableCellTracker::start(QPointF point, View* view)
{
    m_last = point;
    m_cell->setHighlighted(true);
    if (m_cell->startTrackingAt(point, view))
        return true;
    m_cell->setHighlighted(false);
    return false;
}

bool TableCellTracker::drag(QPointF point, View* view)
{
    m_cell->setHighlighted(m_frame.contains(point));
    const bool goesOn = m_cell->continueTracking(m_last, point, view);
    m_last = point;
    return goesOn;
}

bool TableCellTracker::finish(QPointF point, View* view)
{
    m_cell->stopTracking(m_last, point, view, true);
    // A menu shown by a held press ends the highlight: then the press was no click.
    const bool completed = m_cell->isHighlighted() && m_frame.contains(point);
    m_cell->setHighlighted(false);
    if (!completed)
        return false;
    auto* button = dynamic_cast<ButtonCell*>(m_cell.get());
    if (button && button->changesStateOnClick())
        button->setNextState();
    return true;
}

void TableCellTracker::cancel(View* view)
{
    m_cell->stopTracking(m_last, m_last, view, false);
    m_cell->setHighlighted(false);
}

} // namespace pf
