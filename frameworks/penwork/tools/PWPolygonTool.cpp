#include "frameworks/penwork/tools/PWPolygonTool.h"

#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/layers/PWObjectOwnerLayer.h"
#include "platform/foundation/ClassBuilder.h"

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS(PWPolygonTool, PWObjectCreationTool)
{
    b.property("pointCount", &PWPolygonTool::pointCount);
}

PWPolygonTool::PWPolygonTool()
{
    pf::BezierPath seed;
    seed.moveTo({0, 0});
    seed.lineTo({1, 0});
    seed.lineTo({0, 1});
    seed.closePath();
    PWObjectCreationTool::setPrototype(PWDrawablePath::drawablePathWithPath(seed));
}

void PWPolygonTool::setPrototype(pf::Ref<PWDrawableObject> prototype)
{
    if (std::dynamic_pointer_cast<PWDrawablePath>(prototype))
        PWObjectCreationTool::setPrototype(std::move(prototype));
}

pf::Ref<pf::BezierPath> PWPolygonTool::buildPath() const
{
    auto path = pf::BezierPath::path();
    if (m_points.empty())
        return path;
    path->moveTo(m_points.front());
    for (size_t i = 1; i < m_points.size(); ++i)
        path->lineTo(m_points[i]);
    if (m_points.size() > 2)
        path->closePath();
    return path;
}

void PWPolygonTool::updatePendingPath()
{
    pf::Ref<PWDrawableObject> object = objectBeingCreated();
    auto* path = dynamic_cast<PWDrawablePath*>(object.get());
    PWLayer* layer = path ? path->layer() : nullptr;
    if (!layer)
        return;
    withoutUndo(*layer, [&] { path->setPath(buildPath()); });
}

bool PWPolygonTool::enclosesArea() const
{
    if (m_points.size() < 3)
        return false;
    // Twice the signed area, compared with the size of the figure so that the test does not
    // depend on the units.
    double twiceArea = 0.0;
    QPointF low = m_points.front();
    QPointF high = low;
    for (size_t i = 0; i < m_points.size(); ++i) {
        const QPointF& a = m_points[i];
        const QPointF& b = m_points[(i + 1) % m_points.size()];
        twiceArea += a.x() * b.y() - b.x() * a.y();
        low = QPointF(std::min(low.x(), a.x()), std::min(low.y(), a.y()));
        high = QPointF(std::max(high.x(), a.x()), std::max(high.y(), a.y()));
    }
    const double span = std::max(high.x() - low.x(), high.y() - low.y());
    return span > 0.0 && std::abs(twiceArea) > 1e-9 * span * span;
}

int PWPolygonTool::mouseDownAtPoint(const QPointF& point, PWDrawableObject* target, PWLayer* layer,
                                    const PWToolEvent& event, PWToolUndoDelegate* delegate)
{
    // The pressed point takes the place of the edge that followed the pointer.
    m_rubberBand.clear(event.view);
    m_endOnMouseUp = false;
    m_pickingUp = false;
    m_delegate = delegate;
    auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer);
    // A polygon begun in another layer ends there first.
    if (!m_points.empty() && !isCreatingIn(layer))
        finishPolygon();
    if (!owner)
        return 0;
    if (m_points.empty() && stylePickupEnabled() && event.commandKey() && target) {
        m_pickingUp = true;
        pickUpStyle(*target);
        return 0;
    }
    const QPointF p = snappedPoint(*owner, point, event);
    if (m_points.empty()) {
        if (!beginPendingObject(*owner))
            return 0;
        m_points.push_back(p);
        updatePendingPath();
        return 0;
    }
    // The first click of a double click placed the last corner already.
    if (event.clickCount >= 2) {
        m_endOnMouseUp = true;
        return 0;
    }
    if (p != m_points.back())
        m_points.push_back(p);
    updatePendingPath();
    return 0;
}

void PWPolygonTool::moveLastPoint(const QPointF& point, PWLayer* layer, const PWToolEvent& event)
{
    auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer);
    if (!owner || m_points.empty() || m_endOnMouseUp || !isCreatingIn(layer))
        return;
    const QPointF p = snappedPoint(*owner, point, event);
    // A corner is not dragged onto the one before it.
    if (m_points.size() > 1 && p == m_points[m_points.size() - 2])
        return;
    m_points.back() = p;
    updatePendingPath();
}

void PWPolygonTool::mouseDraggedToPoint(const QPointF& point, int, PWLayer* layer, const PWToolEvent& event,
                                        PWToolUndoDelegate*)
{
    moveLastPoint(point, layer, event);
}

bool PWPolygonTool::mouseUpAtPoint(const QPointF& point, int, PWLayer* layer, const PWToolEvent& event,
                                   PWToolUndoDelegate* delegate)
{
    if (m_pickingUp) {
        m_pickingUp = false;
        return false;
    }
    if (!m_endOnMouseUp) {
        moveLastPoint(point, layer, event);
        return false;
    }
    m_delegate = delegate;
    const bool added = finishPolygon();
    m_delegate = nullptr;
    return added;
}

bool PWPolygonTool::finishPolygon()
{
    if (m_points.empty())
        return false;
    pf::Ref<PWDrawableObject> object = objectBeingCreated();
    auto* path = dynamic_cast<PWDrawablePath*>(object.get());
    auto* owner = path ? dynamic_cast<PWObjectOwnerLayer*>(path->layer()) : nullptr;
    bool added = false;
    if (owner && enclosesArea()) {
        withoutUndo(*owner, [&] { path->setPath(buildPath()); });
        added = path->objectIsValid() && commitObjectBeingCreated(*owner, m_delegate);
    }
    if (!added)
        abandonCreation();
    m_points.clear();
    m_rubberBand.clear();
    m_endOnMouseUp = false;
    return added;
}

void PWPolygonTool::cancelPolygon()
{
    abandonCreation();
    m_points.clear();
    m_rubberBand.clear();
    m_endOnMouseUp = false;
}

bool PWPolygonTool::keyDown(int qtKey, const PWToolEvent&, PWLayer*)
{
    if (m_points.empty())
        return false;
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        finishPolygon();
        return true;
    case Qt::Key_Escape:
        cancelPolygon();
        return true;
    default:
        return false;
    }
}

void PWPolygonTool::toolControllerWillUnsetTool(PWToolController&)
{
    finishPolygon();
}

void PWPolygonTool::mouseMovedToPoint(const QPointF& point, PWLayer* layer, const PWToolEvent& event)
{
    if (m_points.empty() || !isCreatingIn(layer)) {
        m_rubberBand.clear(event.view);
        return;
    }
    m_rubberBand.follow(m_points.back(), point, std::optional<QPointF>(m_points.front()), event.view);
}

void PWPolygonTool::drawToolFeedback(QPainter& painter, const QRectF&, double scale) const
{
    if (!m_points.empty())
        m_rubberBand.draw(painter, scale);
}
