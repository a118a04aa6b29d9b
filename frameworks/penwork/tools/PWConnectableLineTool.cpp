#include "frameworks/penwork/tools/PWConnectableLineTool.h"

#include "frameworks/penwork/drawables/PWConnectableLine.h"
#include "frameworks/penwork/layers/PWObjectOwnerLayer.h"
#include "frameworks/penwork/tools/PWToolView.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/graphics/BezierPath.h"

#include <QLineF>

PF_DEFINE_CLASS(PWConnectableLineTool, PWObjectCreationTool) {}

namespace {

double scaleOf(const PWToolEvent& event)
{
    const double scale = event.view ? event.view->scale() : 1.0;
    return scale > 0 ? scale : 1.0;
}

} // namespace

PWConnectableLineTool::PWConnectableLineTool(Shape shape) : m_shape(shape)
{
    setPrototype(std::make_shared<PWConnectableLine>());
}

QList<QPointF> PWConnectableLineTool::trackPoints(const QPointF& start, const QPointF& end)
{
    const double midX = (start.x() + end.x()) / 2.0;
    return {start, QPointF(midX, start.y()), QPointF(midX, end.y()), end};
}

pf::Ref<PWDrawableObject> PWConnectableLineTool::objectAtPoint(PWObjectOwnerLayer& layer, const QPointF& point,
                                                               const PWDrawableObject* except)
{
    const QList<pf::Ref<PWDrawableObject>> objects = layer.objectList();
    for (auto it = objects.crbegin(); it != objects.crend(); ++it) {
        if (*it && it->get() != except && (*it)->hitTest(point))
            return *it;
    }
    return nullptr;
}

pf::Ref<PWConnectableLine> PWConnectableLineTool::pendingLine() const
{
    return std::dynamic_pointer_cast<PWConnectableLine>(objectBeingCreated());
}

void PWConnectableLineTool::updatePendingLine()
{
    const pf::Ref<PWConnectableLine> line = pendingLine();
    PWLayer* layer = line ? line->layer() : nullptr;
    if (!layer || m_points.isEmpty())
        return;
    const QList<QPointF> points =
        m_shape == Shape::kTrack && m_points.size() >= 2 ? trackPoints(m_points.first(), m_points.last()) : m_points;
    withoutUndo(*layer, [&] {
        line->setTrack(m_shape == Shape::kTrack);
        line->setPath(pf::BezierPath::pathWithPolygon(points, false));
    });
}

bool PWConnectableLineTool::commitLine(PWObjectOwnerLayer& layer, PWToolUndoDelegate* delegate)
{
    const pf::Ref<PWConnectableLine> line = pendingLine();
    QList<QPointF> distinct;
    for (const QPointF& p : std::as_const(m_points)) {
        if (distinct.isEmpty() || distinct.last() != p)
            distinct.append(p);
    }
    const bool worthKeeping = line && distinct.size() >= 2;
    bool added = false;
    if (worthKeeping) {
        m_points = distinct;
        updatePendingLine();
        // Attach before adding, so the undo step that adds the line holds it attached.
        line->attach(PWConnectableLine::kStart, m_startObject.lock());
        line->attach(PWConnectableLine::kEnd, objectAtPoint(layer, m_points.last(), line.get()));
        added = commitObjectBeingCreated(layer, delegate);
    } else {
        abandonCreation();
    }
    m_points.clear();
    m_startObject.reset();
    m_layer.reset();
    m_rubberBand.clear();
    return added;
}

int PWConnectableLineTool::mouseDownAtPoint(const QPointF& point, PWDrawableObject* target, PWLayer* layer,
                                            const PWToolEvent& event, PWToolUndoDelegate* delegate)
{
    // The pressed point takes the place of the edge that followed the pointer.
    m_rubberBand.clear(event.view);
    m_endOnMouseUp = false;
    m_pickingUp = false;
    m_delegate = delegate;
    auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer);
    if (!m_points.isEmpty() && !isCreatingIn(layer))
        finishLine();
    if (!owner)
        return 0;
    if (m_points.isEmpty() && stylePickupEnabled() && event.commandKey() && target) {
        m_pickingUp = true;
        pickUpStyle(*target);
        return 0;
    }
    const QPointF p = snappedPoint(*owner, point, event);
    if (m_points.isEmpty()) {
        if (!beginPendingObject(*owner))
            return 0;
        m_layer = std::dynamic_pointer_cast<PWObjectOwnerLayer>(owner->ref<PWLayer>());
        m_startObject = objectAtPoint(*owner, point, pendingLine().get());
        m_points = {p, p};
        updatePendingLine();
        return 0;
    }
    // Polygonal lines: each further click places a corner; a double click ends.
    if (event.clickCount >= 2) {
        m_endOnMouseUp = true;
        return 0;
    }
    m_points.last() = p;
    m_points.append(p);
    updatePendingLine();
    return 0;
}

void PWConnectableLineTool::mouseDraggedToPoint(const QPointF& point, int, PWLayer* layer, const PWToolEvent& event,
                                                PWToolUndoDelegate*)
{
    auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer);
    if (!owner || m_points.isEmpty() || m_endOnMouseUp || m_pickingUp || !isCreatingIn(layer))
        return;
    const QPointF p = snappedPoint(*owner, point, event);
    if (m_shape == Shape::kFreehand) {
        if (QLineF(m_points.at(m_points.size() - 2), p).length() * scaleOf(event) >= kFreehandSpacing)
            m_points.append(p);
        else
            m_points.last() = p;
    } else {
        m_points.last() = p;
    }
    updatePendingLine();
}

bool PWConnectableLineTool::mouseUpAtPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                                           PWToolUndoDelegate* delegate)
{
    if (m_pickingUp) {
        m_pickingUp = false;
        return false;
    }
    auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer);
    if (!owner || m_points.isEmpty())
        return false;
    if (m_shape == Shape::kPolygon) {
        if (!m_endOnMouseUp) {
            mouseDraggedToPoint(point, partCode, layer, event, delegate);
            return false;
        }
        // The double click's own press placed nothing: drop the corner that followed the mouse.
        if (m_points.size() > 2)
            m_points.removeLast();
        return commitLine(*owner, delegate);
    }
    mouseDraggedToPoint(point, partCode, layer, event, delegate);
    // A click is no line.
    if (QLineF(m_points.first(), m_points.last()).length() * scaleOf(event) < kMinimumDragDistance) {
        m_points.clear();
        abandonCreation();
        return false;
    }
    return commitLine(*owner, delegate);
}

void PWConnectableLineTool::mouseMovedToPoint(const QPointF& point, PWLayer* layer, const PWToolEvent& event)
{
    if (m_shape != Shape::kPolygon || m_points.isEmpty() || !isCreatingIn(layer)) {
        m_rubberBand.clear(event.view);
        return;
    }
    m_rubberBand.follow(m_points.at(m_points.size() - 2), point, std::nullopt, event.view);
}

bool PWConnectableLineTool::finishLine()
{
    const pf::Ref<PWObjectOwnerLayer> layer = m_layer.lock();
    if (m_points.isEmpty())
        return false;
    if (!layer) {
        cancelLine();
        return false;
    }
    // The corner that followed the mouse is not placed yet.
    if (m_shape == Shape::kPolygon && m_points.size() > 2)
        m_points.removeLast();
    return commitLine(*layer, m_delegate);
}

void PWConnectableLineTool::cancelLine()
{
    m_points.clear();
    m_startObject.reset();
    m_layer.reset();
    m_rubberBand.clear();
    abandonCreation();
}

bool PWConnectableLineTool::keyDown(int qtKey, const PWToolEvent&, PWLayer*)
{
    if (m_points.isEmpty())
        return false;
    if (qtKey == Qt::Key_Escape) {
        cancelLine();
        return true;
    }
    if (qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter) {
        finishLine();
        return true;
    }
    return false;
}

void PWConnectableLineTool::toolControllerWillUnsetTool(PWToolController& controller)
{
    if (!m_points.isEmpty())
        finishLine();
    PWObjectCreationTool::toolControllerWillUnsetTool(controller);
}

void PWConnectableLineTool::drawToolFeedback(QPainter& painter, const QRectF&, double scale) const
{
    if (!m_points.isEmpty())
        m_rubberBand.draw(painter, scale);
}
