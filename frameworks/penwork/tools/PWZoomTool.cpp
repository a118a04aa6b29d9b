#include "frameworks/penwork/tools/PWZoomTool.h"

#include "frameworks/penwork/geometry/Geometry.h"
#include "frameworks/penwork/tools/PWToolView.h"
#include "platform/foundation/ClassBuilder.h"

#include <QPainter>
#include <QPixmap>

#include <cmath>

namespace {

double viewScale(const PWToolEvent& event)
{
    const double scale = event.view ? event.view->scale() : 1.0;
    return std::isfinite(scale) && scale > 0.0 ? scale : 1.0;
}

QCursor magnifier(bool out)
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(QColor(255, 255, 255, 200));
    painter.drawEllipse(QRectF(2, 2, 13, 13));
    painter.drawLine(QPointF(13.5, 13.5), QPointF(21, 21));
    painter.setPen(QPen(Qt::black, 1.5));
    painter.drawLine(QPointF(5.5, 8.5), QPointF(11.5, 8.5));
    if (!out)
        painter.drawLine(QPointF(8.5, 5.5), QPointF(8.5, 11.5));
    painter.end();
    return QCursor(pixmap, 8, 8);
}

} // namespace

PF_DEFINE_CLASS(PWZoomTool, PWDrawingTool)
{
    b.property("zoomsOut", &PWZoomTool::zoomsOut, &PWZoomTool::setZoomsOut);
}

PWZoomTool::PWZoomTool() = default;

QCursor PWZoomTool::cursor() const
{
    return magnifier(m_zoomsOut);
}

int PWZoomTool::mouseDownAtPoint(const QPointF& point, PWDrawableObject*, PWLayer*, const PWToolEvent&,
                                 PWToolUndoDelegate*)
{
    m_start = point;
    m_rect = QRectF();
    return 0;
}

void PWZoomTool::mouseDraggedToPoint(const QPointF& point, int, PWLayer*, const PWToolEvent& event,
                                     PWToolUndoDelegate*)
{
    const QRectF old = m_rect;
    m_rect = pw::NSRectFromTwoPoints(m_start, point);
    if (event.view)
        event.view->setNeedsDisplayInDrawingRect(old.united(m_rect).adjusted(-2, -2, 2, 2));
}

bool PWZoomTool::mouseUpAtPoint(const QPointF& point, int, PWLayer*, const PWToolEvent& event, PWToolUndoDelegate*)
{
    const QRectF dragged = pw::NSRectFromTwoPoints(m_start, point);
    if (event.view && !m_rect.isNull())
        event.view->setNeedsDisplayInDrawingRect(m_rect.adjusted(-2, -2, 2, 2));
    m_rect = QRectF();
    if (!event.view)
        return false;
    const double scale = viewScale(event);
    const bool zoomOut = m_zoomsOut != event.optionKey();
    if (!zoomOut && std::max(dragged.width(), dragged.height()) * scale >= kMinimumDrag) {
        event.view->zoomViewToRect(dragged);
        return true;
    }
    const QRectF visible = event.view->visibleDrawingRect();
    if (visible.isEmpty())
        return false;
    const double factor = zoomOut ? 1.0 / kZoomFactor : kZoomFactor;
    const QSizeF size = visible.size() / factor;
    event.view->zoomViewToRect(QRectF(point - QPointF(size.width() / 2.0, size.height() / 2.0), size));
    return true;
}

void PWZoomTool::drawToolFeedback(QPainter& painter, const QRectF&, double) const
{
    if (m_rect.isNull())
        return;
    painter.save();
    QPen pen(Qt::darkGray);
    pen.setCosmetic(true);
    pen.setStyle(Qt::DashLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(m_rect);
    painter.restore();
}
