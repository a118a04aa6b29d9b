#include "platform/ui/TableRowView.h"

#include "platform/graphics/GraphicsContext.h"

#include <QPainter>
#include <QPainterPath>

PF_DEFINE_CLASS_NAMED(pf::TableRowView, pf::View, "pf::TableRowView") {}

namespace pf {

TableRowView::TableRowView(QWidget* parent) : View(parent) {}

TableRowView::TableRowView(const QRectF& frame, QWidget* parent) : View(frame, parent) {}

void TableRowView::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    setNeedsDisplay();
}

void TableRowView::setGroupRowStyle(bool group)
{
    m_groupRowStyle = group;
    setNeedsDisplay();
}

void TableRowView::setTargetForDropOperation(bool target)
{
    if (target == m_dropTarget)
        return;
    m_dropTarget = target;
    setNeedsDisplay();
}

View* TableRowView::viewAtColumn(int column) const
{
    return column >= 0 && column < m_cells.size() ? m_cells[column] : nullptr;
}

void TableRowView::drawRect(const QRectF& dirtyRect)
{
    drawBackgroundInRect(dirtyRect);
    if (m_selected)
        drawSelectionInRect(dirtyRect);
    if (m_dropTarget)
        drawDraggingDestinationFeedbackInRect(dirtyRect);
}

void TableRowView::drawBackgroundInRect(const QRectF& dirtyRect)
{
    if (!m_groupRowStyle)
        return;
    if (QPainter* p = GraphicsContext::current() ? &GraphicsContext::current()->painter() : nullptr)
        p->fillRect(dirtyRect.intersected(bounds()), palette().color(QPalette::AlternateBase));
}

void TableRowView::drawSelectionInRect(const QRectF& dirtyRect)
{
    if (QPainter* p = GraphicsContext::current() ? &GraphicsContext::current()->painter() : nullptr)
        p->fillRect(dirtyRect.intersected(bounds()), palette().color(QPalette::Highlight));
}

void TableRowView::drawDraggingDestinationFeedbackInRect(const QRectF&)
{
    QPainter* p = GraphicsContext::current() ? &GraphicsContext::current()->painter() : nullptr;
    if (!p)
        return;
    p->save();
    p->setPen(QPen(palette().color(QPalette::Highlight), 2));
    p->drawRoundedRect(bounds().adjusted(1, 1, -1, -1), 4, 4);
    p->restore();
}

} // namespace pf
