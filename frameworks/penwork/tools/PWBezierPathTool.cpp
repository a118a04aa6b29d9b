#include "frameworks/penwork/tools/PWBezierPathTool.h"

#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/layers/PWObjectOwnerLayer.h"
#include "frameworks/penwork/tools/PWToolView.h"
#include "platform/foundation/ClassBuilder.h"

#include <QLineF>

#include <cmath>

namespace {

double viewScale(const PWToolEvent& event)
{
    const double scale = event.view ? event.view->scale() : 1.0;
    return std::isfinite(scale) && scale > 0.0 ? scale : 1.0;
}

} // namespace

PF_DEFINE_CLASS(PWBezierPathTool, PWObjectCreationTool)
{
    b.property("pointCount", &PWBezierPathTool::pointCount);
}

PWBezierPathTool::PWBezierPathTool()
{
    pf::BezierPath seed;
    seed.moveTo({0, 0});
    seed.lineTo({1, 0});
    PWObjectCreationTool::setPrototype(PWDrawablePath::drawablePathWithPath(seed));
}

void PWBezierPathTool::setPrototype(pf::Ref<PWDrawableObject> prototype)
{
    if (std::dynamic_pointer_cast<PWDrawablePath>(prototype))
        PWObjectCreationTool::setPrototype(std::move(prototype));
}

pf::Ref<pf::BezierPath> PWBezierPathTool::buildPath(bool close) const
{
    auto path = pf::BezierPath::path();
    if (m_nodes.empty())
        return path;
    path->moveTo(m_nodes.front().point);
    auto segment = [&](const Node& from, const Node& to) {
        if (!from.curved && !to.curved) {
            path->lineTo(to.point);
            return;
        }
        const QPointF c1 = from.curved ? from.handle : from.point;
        // The handle behind a point mirrors the one ahead of it.
        const QPointF c2 = to.curved ? 2.0 * to.point - to.handle : to.point;
        path->curveTo(to.point, c1, c2);
    };
    for (size_t i = 1; i < m_nodes.size(); ++i)
        segment(m_nodes[i - 1], m_nodes[i]);
    if (close && m_nodes.size() > 2) {
        segment(m_nodes.back(), m_nodes.front());
        path->closePath();
    }
    return path;
}

void PWBezierPathTool::updatePendingPath()
{
    pf::Ref<PWDrawableObject> object = objectBeingCreated();
    auto* path = dynamic_cast<PWDrawablePath*>(object.get());
    PWLayer* layer = path ? path->layer() : nullptr;
    if (!layer)
        return;
    withoutUndo(*layer, [&] { path->setPath(buildPath(false)); });
}

int PWBezierPathTool::mouseDownAtPoint(const QPointF& point, PWDrawableObject* target, PWLayer* layer,
                                       const PWToolEvent& event, PWToolUndoDelegate* delegate)
{
    // The pressed point takes the place of the edge that followed the pointer.
    m_rubberBand.clear(event.view);
    m_endOnMouseUp = false;
    m_closeOnEnd = false;
    m_pickingUp = false;
    m_delegate = delegate;
    auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer);
    // A path begun in another layer ends there first.
    if (!m_nodes.empty() && !isCreatingIn(layer))
        finishPath();
    if (!owner)
        return 0;
    if (m_nodes.empty() && stylePickupEnabled() && event.commandKey() && target) {
        m_pickingUp = true;
        pickUpStyle(*target);
        return 0;
    }
    const QPointF p = snappedPoint(*owner, point, event);
    if (m_nodes.empty()) {
        if (!beginPendingObject(*owner))
            return 0;
        m_nodes.push_back({p, p, false});
        updatePendingPath();
        return 0;
    }
    if (event.clickCount >= 2) {
        m_endOnMouseUp = true;
        return 0;
    }
    const double tolerance = kCloseTolerance / viewScale(event);
    if (m_nodes.size() > 2 && QLineF(p, m_nodes.front().point).length() <= tolerance) {
        m_endOnMouseUp = true;
        m_closeOnEnd = true;
        return 0;
    }
    if (p != m_nodes.back().point)
        m_nodes.push_back({p, p, false});
    updatePendingPath();
    return 0;
}

void PWBezierPathTool::mouseDraggedToPoint(const QPointF& point, int, PWLayer* layer, const PWToolEvent& event,
                                           PWToolUndoDelegate*)
{
    auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer);
    if (!owner || m_nodes.empty() || m_endOnMouseUp || !isCreatingIn(layer))
        return;
    Node& node = m_nodes.back();
    node.handle = snappedPoint(*owner, point, event);
    node.curved = QLineF(node.handle, node.point).length() * viewScale(event) >= kCurveThreshold;
    updatePendingPath();
}

bool PWBezierPathTool::mouseUpAtPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                                      PWToolUndoDelegate* delegate)
{
    if (m_pickingUp) {
        m_pickingUp = false;
        return false;
    }
    if (!m_endOnMouseUp) {
        mouseDraggedToPoint(point, partCode, layer, event, delegate);
        return false;
    }
    m_delegate = delegate;
    const bool added = finishPath(m_closeOnEnd);
    m_delegate = nullptr;
    return added;
}

bool PWBezierPathTool::finishPath(bool close)
{
    if (m_nodes.empty())
        return false;
    pf::Ref<PWDrawableObject> object = objectBeingCreated();
    auto* path = dynamic_cast<PWDrawablePath*>(object.get());
    auto* owner = path ? dynamic_cast<PWObjectOwnerLayer*>(path->layer()) : nullptr;
    const size_t count = m_nodes.size();
    bool added = false;
    if (owner && count >= 2) {
        withoutUndo(*owner, [&] { path->setPath(buildPath(close)); });
        added = path->objectIsValid() && commitObjectBeingCreated(*owner, m_delegate);
    }
    if (!added)
        abandonCreation();
    m_nodes.clear();
    m_rubberBand.clear();
    m_endOnMouseUp = false;
    m_closeOnEnd = false;
    return added;
}

bool PWBezierPathTool::keyDown(int qtKey, const PWToolEvent&, PWLayer*)
{
    if (m_nodes.empty())
        return false;
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        finishPath();
        return true;
    default:
        return false;
    }
}

void PWBezierPathTool::toolControllerWillUnsetTool(PWToolController&)
{
    finishPath();
}

void PWBezierPathTool::mouseMovedToPoint(const QPointF& point, PWLayer* layer, const PWToolEvent& event)
{
    if (m_nodes.empty() || !isCreatingIn(layer)) {
        m_rubberBand.clear(event.view);
        return;
    }
    m_rubberBand.follow(m_nodes.back().point, point, std::nullopt, event.view);
}

void PWBezierPathTool::drawToolFeedback(QPainter& painter, const QRectF&, double scale) const
{
    if (!m_nodes.empty())
        m_rubberBand.draw(painter, scale);
}
