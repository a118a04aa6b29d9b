#include "frameworks/penwork/tools/PWPanTool.h"

#include "frameworks/penwork/tools/PWToolView.h"
#include "platform/foundation/ClassBuilder.h"

#include <cmath>

PF_DEFINE_CLASS(PWPanTool, PWDrawingTool) {}

PWPanTool::PWPanTool() = default;

QCursor PWPanTool::cursor() const
{
    return QCursor(m_tracking ? Qt::ClosedHandCursor : Qt::OpenHandCursor);
}

int PWPanTool::mouseDownAtPoint(const QPointF& point, PWDrawableObject*, PWLayer*, const PWToolEvent& event,
                                PWToolUndoDelegate*)
{
    m_tracking = false;
    m_scrolled = false;
    m_view = event.view;
    if (!m_view)
        return 0;
    m_startVisible = m_view->visibleDrawingRect();
    if (m_startVisible.isEmpty())
        return 0;
    m_startOffset = point - m_startVisible.topLeft();
    m_tracking = true;
    m_view->setToolCursor(cursor());
    return 0;
}

void PWPanTool::scrollFor(const QPointF& point, const PWToolEvent& event)
{
    if (!m_tracking || event.view != m_view || !std::isfinite(point.x()) || !std::isfinite(point.y()))
        return;
    // Events arrive in drawing coordinates, which shift as the view scrolls; the mouse's place
    // within the visible area does not, so the travel is measured there.
    const QRectF visible = m_view->visibleDrawingRect();
    const QPointF travel = (point - visible.topLeft()) - m_startOffset;
    const QRectF target = m_startVisible.translated(-travel);
    if (target != visible) {
        m_view->scrollToDrawingRect(target);
        m_scrolled = true;
    }
}

void PWPanTool::mouseDraggedToPoint(const QPointF& point, int, PWLayer*, const PWToolEvent& event,
                                    PWToolUndoDelegate*)
{
    scrollFor(point, event);
}

bool PWPanTool::mouseUpAtPoint(const QPointF& point, int, PWLayer*, const PWToolEvent& event, PWToolUndoDelegate*)
{
    scrollFor(point, event);
    const bool tracked = m_tracking;
    m_tracking = false;
    if (tracked && m_view)
        m_view->setToolCursor(cursor());
    m_view = nullptr;
    // Like zooming, a pan that moved the view counts as a use of the tool.
    return tracked && m_scrolled;
}
