#include "frameworks/penwork/tools/PWRulerTool.h"

#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/tools/PWToolView.h"
#include "platform/foundation/ClassBuilder.h"

#include <QFont>
#include <QPainter>

#include <cmath>

PF_DEFINE_CLASS(PWRulerTool, PWDrawingTool) {}

namespace {

constexpr double kAngleStep = 15.0;

QPointF constrained(const QPointF& anchor, const QPointF& point)
{
    const QLineF line(anchor, point);
    const double angle = std::round(line.angle() / kAngleStep) * kAngleStep;
    QLineF snapped = QLineF::fromPolar(line.length(), angle);
    snapped.translate(anchor);
    return snapped.p2();
}

} // namespace

double PWRulerTool::lengthInDrawingUnits(const PWDrawing* drawing) const
{
    return drawing ? drawing->convertLength(lengthInPoints()) : lengthInPoints();
}

double PWRulerTool::angleInDegrees() const
{
    // QLineF's angle is anticlockwise in y-up terms; the drawing is y-down, so the angle the
    // user sees on screen is QLineF's own.
    return m_line.isNull() ? 0.0 : std::fmod(m_line.angle(), 360.0);
}

QString PWRulerTool::measurementText(const PWDrawing* drawing) const
{
    const QString length = drawing ? QStringLiteral("%1 %2")
                                         .arg(lengthInDrawingUnits(drawing), 0, 'f', 2)
                                         .arg(drawing->abbreviatedDrawingUnits())
                                   : QStringLiteral("%1 pt").arg(lengthInPoints(), 0, 'f', 2);
    return QStringLiteral("%1, %2°").arg(length).arg(angleInDegrees(), 0, 'f', 1);
}

void PWRulerTool::invalidate(const PWToolEvent& event) const
{
    if (event.view && !m_line.isNull()) {
        // The label sits beside the end point: keep a generous margin around the line.
        const double margin = 120.0 / (event.view->scale() > 0 ? event.view->scale() : 1.0);
        event.view->setNeedsDisplayInDrawingRect(
            QRectF(m_line.p1(), m_line.p2()).normalized().adjusted(-margin, -margin, margin, margin));
    }
}

int PWRulerTool::mouseDownAtPoint(const QPointF& point, PWDrawableObject*, PWLayer*, const PWToolEvent& event,
                                  PWToolUndoDelegate*)
{
    invalidate(event);
    m_line = QLineF(point, point);
    m_drawing = event.view ? event.view->drawing() : nullptr;
    m_view = event.view;
    return 1;
}

void PWRulerTool::mouseDraggedToPoint(const QPointF& point, int, PWLayer*, const PWToolEvent& event,
                                      PWToolUndoDelegate*)
{
    invalidate(event);
    m_line.setP2(event.shiftKey() ? constrained(m_line.p1(), point) : point);
    invalidate(event);
}

bool PWRulerTool::mouseUpAtPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                                 PWToolUndoDelegate* delegate)
{
    mouseDraggedToPoint(point, partCode, layer, event, delegate);
    // Measuring is no edit: the tool stays for the next measurement.
    return false;
}

void PWRulerTool::toolControllerWillUnsetTool(PWToolController&)
{
    if (m_view && !m_line.isNull())
        m_view->setNeedsDisplayInDrawingRect(QRectF(m_line.p1(), m_line.p2()).normalized().adjusted(-200, -200, 200, 200));
    m_line = QLineF();
    m_view = nullptr;
}

void PWRulerTool::drawToolFeedback(QPainter& painter, const QRectF&, double scale) const
{
    if (m_line.isNull())
        return;
    const double unit = 1.0 / (scale > 0 ? scale : 1.0);
    painter.save();
    painter.setPen(QPen(QColor(0xd0, 0x40, 0x30), 1.0 * unit));
    painter.drawLine(m_line);
    // End ticks across the line.
    QLineF normal = m_line.normalVector();
    normal.setLength(5 * unit);
    for (const QPointF& end : {m_line.p1(), m_line.p2()}) {
        const QPointF d = normal.p2() - normal.p1();
        painter.drawLine(end - d, end + d);
    }
    QFont font = painter.font();
    font.setPointSizeF(10.0 * unit);
    painter.setFont(font);
    const QString text = measurementText(m_drawing);
    const QPointF at = m_line.p2() + QPointF(8 * unit, -8 * unit);
    const QRectF box = painter.fontMetrics().boundingRect(text);
    painter.fillRect(QRectF(at + box.topLeft(), box.size()).adjusted(-2 * unit, -1 * unit, 2 * unit, 1 * unit),
                     QColor(255, 255, 240, 230));
    painter.setPen(Qt::black);
    painter.drawText(at, text);
    painter.restore();
}
