#include "frameworks/penwork/tools/PWRubberBand.h"

#include "frameworks/penwork/tools/PWToolView.h"

#include <QPainter>
#include <QPen>

namespace {

QRectF lineRect(const QLineF& line)
{
    return QRectF(line.p1(), line.p2()).normalized().adjusted(-2, -2, 2, 2);
}

} // namespace

void PWRubberBand::invalidate(PWToolView* view) const
{
    if (!view)
        return;
    if (m_line)
        view->setNeedsDisplayInDrawingRect(lineRect(*m_line));
    if (m_closing)
        view->setNeedsDisplayInDrawingRect(lineRect(*m_closing));
}

void PWRubberBand::follow(const QPointF& last, const QPointF& pointer, std::optional<QPointF> first, PWToolView* view)
{
    invalidate(view);
    m_line = QLineF(last, pointer);
    m_closing.reset();
    if (first && *first != last)
        m_closing = QLineF(pointer, *first);
    invalidate(view);
}

void PWRubberBand::clear(PWToolView* view)
{
    invalidate(view);
    m_line.reset();
    m_closing.reset();
}

void PWRubberBand::draw(QPainter& painter, double scale) const
{
    if (!m_line)
        return;
    painter.save();
    QPen pen(QColor(0x30, 0x70, 0xd0), 1.0 / (scale > 0 ? scale : 1.0), Qt::DashLine);
    pen.setCosmetic(false);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawLine(*m_line);
    if (m_closing) {
        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        painter.drawLine(*m_closing);
    }
    painter.restore();
}
