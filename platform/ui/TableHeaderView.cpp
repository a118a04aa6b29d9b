#include "platform/ui/TableHeaderView.h"

#include "platform/ui/Event.h"
#include "platform/ui/TableColumn.h"
#include "platform/ui/TableHeaderCell.h"
#include "platform/ui/TableView.h"

#include <cmath>

PF_DEFINE_CLASS_NAMED(pf::TableHeaderView, pf::View, "pf::TableHeaderView") {}

namespace pf {

namespace {

constexpr double kResizeReach = 3;

} // namespace

TableHeaderView::TableHeaderView(QWidget* parent) : TableHeaderView(QRectF(0, 0, 100, kDefaultHeight), parent) {}

TableHeaderView::TableHeaderView(const QRectF& frame, QWidget* parent) : View(frame, parent) {}

void TableHeaderView::setTableView(TableView* table)
{
    m_tableView = table;
    setNeedsDisplay(true);
}

QRectF TableHeaderView::headerRectOfColumn(int column) const
{
    if (!m_tableView)
        return {};
    const QRectF columnRect = m_tableView->rectOfColumn(column);
    if (columnRect.isNull())
        return {};
    return QRectF(columnRect.x(), bounds().y(), columnRect.width(), bounds().height());
}

int TableHeaderView::columnAtPoint(QPointF point) const
{
    if (!m_tableView)
        return -1;
    for (int i = 0; i < m_tableView->numberOfColumns(); ++i) {
        const QRectF r = headerRectOfColumn(i);
        if (!r.isNull() && point.x() >= r.left() && point.x() < r.right())
            return i;
    }
    return -1;
}

int TableHeaderView::columnToResizeAt(QPointF point) const
{
    if (!m_tableView)
        return -1;
    for (int i = 0; i < m_tableView->numberOfColumns(); ++i) {
        const QRectF r = headerRectOfColumn(i);
        if (!r.isNull() && std::abs(point.x() - (r.x() + m_tableView->tableColumns()[i]->width())) <= kResizeReach)
            return i;
    }
    return -1;
}

void TableHeaderView::drawRect(const QRectF&)
{
    if (!m_tableView)
        return;
    TableColumn* sorted = m_tableView->highlightedTableColumn();
    const QList<SortDescriptor> descriptors = m_tableView->sortDescriptors();
    for (int i = 0; i < m_tableView->numberOfColumns(); ++i) {
        const QRectF r = headerRectOfColumn(i);
        if (r.isNull())
            continue;
        TableColumn* column = m_tableView->tableColumns()[i].get();
        TableHeaderCell* cell = column->headerCell();
        cell->setHighlighted(i == m_pressedColumn);
        cell->drawWithFrame(r, this);
        if (column == sorted && !descriptors.isEmpty())
            cell->drawSortIndicatorWithFrame(r, this, descriptors.first().ascending(), 0);
        cell->setHighlighted(false);
    }
}

void TableHeaderView::mouseDown(const Event& event)
{
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    m_resizedColumn = columnToResizeAt(point);
    if (m_resizedColumn >= 0) {
        m_resizeStartX = point.x();
        m_resizeStartWidth = m_tableView->tableColumns()[m_resizedColumn]->width();
        return;
    }
    m_pressedColumn = columnAtPoint(point);
    setNeedsDisplay(true);
}

void TableHeaderView::mouseDragged(const Event& event)
{
    if (m_resizedColumn < 0 || !m_tableView || m_resizedColumn >= m_tableView->numberOfColumns())
        return;
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    m_tableView->tableColumns()[m_resizedColumn]->setWidth(m_resizeStartWidth + point.x() - m_resizeStartX);
}

void TableHeaderView::mouseUp(const Event& event)
{
    const int pressed = m_pressedColumn;
    m_pressedColumn = -1;
    m_resizedColumn = -1;
    setNeedsDisplay(true);
    if (pressed < 0 || !m_tableView)
        return;
    // A press that ends over another header is no click.
    if (columnAtPoint(convertPointFromView(event.locationInWindow, nullptr)) == pressed)
        m_tableView->sortByColumn(m_tableView->tableColumns()[pressed].get());
}

} // namespace pf
