#include "frameworks/penwork/tools/PWLinearSelectTool.h"

#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/layers/PWObjectOwnerLayer.h"
#include "frameworks/penwork/tools/PWToolView.h"
#include "platform/foundation/ClassBuilder.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS(PWLinearSelectTool, PWDrawingTool) {}

namespace {

QRectF lineRect(const QLineF& line)
{
    return QRectF(line.p1(), line.p2()).normalized().adjusted(-2, -2, 2, 2);
}

double scaleOf(const PWToolEvent& event)
{
    const double scale = event.view ? event.view->scale() : 1.0;
    return scale > 0 ? scale : 1.0;
}

} // namespace

QList<pf::Ref<PWDrawableObject>> PWLinearSelectTool::objectsCrossedBy(const QLineF& line,
                                                                       const QList<pf::Ref<PWDrawableObject>>& objects,
                                                                       double spacing)
{
    QList<pf::Ref<PWDrawableObject>> crossed;
    if (!(spacing > 0))
        return crossed;
    const int steps = std::max(1, int(std::ceil(line.length() / spacing)));
    const QRectF reach = lineRect(line);
    for (const pf::Ref<PWDrawableObject>& object : objects) {
        if (!object || !object->bounds().intersects(reach))
            continue;
        for (int i = 0; i <= steps; ++i) {
            if (object->hitTest(line.pointAt(double(i) / steps))) {
                crossed.append(object);
                break;
            }
        }
    }
    return crossed;
}

int PWLinearSelectTool::mouseDownAtPoint(const QPointF& point, PWDrawableObject*, PWLayer*, const PWToolEvent&,
                                         PWToolUndoDelegate*)
{
    m_line = QLineF(point, point);
    return 1;
}

void PWLinearSelectTool::mouseDraggedToPoint(const QPointF& point, int, PWLayer*, const PWToolEvent& event,
                                             PWToolUndoDelegate*)
{
    if (event.view)
        event.view->setNeedsDisplayInDrawingRect(lineRect(m_line));
    m_line.setP2(point);
    if (event.view)
        event.view->setNeedsDisplayInDrawingRect(lineRect(m_line));
}

bool PWLinearSelectTool::mouseUpAtPoint(const QPointF& point, int, PWLayer* layer, const PWToolEvent& event,
                                        PWToolUndoDelegate*)
{
    mouseDraggedToPoint(point, 0, layer, event, nullptr);
    const QLineF line = m_line;
    m_line = QLineF();
    if (event.view)
        event.view->setNeedsDisplayInDrawingRect(lineRect(line));
    auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer);
    if (!owner)
        return false;
    QList<pf::Ref<PWDrawableObject>> crossed =
        objectsCrossedBy(line, owner->objectList(), kSampleSpacing / scaleOf(event));
    if (event.shiftKey())
        owner->addObjectsToSelection(crossed);
    else
        owner->exchangeSelectionWithObjectsFromArray(crossed);
    return !crossed.isEmpty();
}

void PWLinearSelectTool::drawToolFeedback(QPainter& painter, const QRectF&, double scale) const
{
    if (m_line.isNull())
        return;
    painter.save();
    painter.setPen(QPen(QColor(0x30, 0x70, 0xd0), 1.0 / (scale > 0 ? scale : 1.0), Qt::DashLine));
    painter.drawLine(m_line);
    painter.restore();
}
