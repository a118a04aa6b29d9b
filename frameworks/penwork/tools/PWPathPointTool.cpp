#include "frameworks/penwork/tools/PWPathPointTool.h"

#include "frameworks/penwork/drawables/PWCentredPath.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/tools/PWToolView.h"
#include "platform/foundation/ClassBuilder.h"

#include <QLineF>

#include <cmath>
#include <limits>

PF_DEFINE_CLASS(PWPathPointTool, PWDrawingTool) {}

PWPathPointTool::PWPathPointTool(Mode mode) : m_mode(mode) {}

QString PWPathPointTool::defaultActionName() const
{
    return m_mode == Mode::kInsertPoint ? QStringLiteral("Insert Point") : QStringLiteral("Delete Point");
}

int PWPathPointTool::onCurvePartNear(const PWDrawablePath& path, const QPointF& point, double tolerance)
{
    using Type = pf::BezierPath::ElementType;
    const pf::Ref<pf::BezierPath> outline = path.path();
    const QList<pf::BezierPath::Element>& elements = outline->elements();
    int best = 0;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (int i = 0; i < elements.size(); ++i) {
        const pf::BezierPath::Element& e = elements[i];
        if (e.type == Type::ClosePath)
            continue;
        // A curve's own point is its last; its first two are the control points.
        const int which = e.type == Type::CurveTo ? 2 : 0;
        const double distance = QLineF(e.points[which], point).length();
        if (distance <= tolerance && distance < bestDistance) {
            best = PWDrawablePath::partCode(i, which);
            bestDistance = distance;
        }
    }
    return best;
}

int PWPathPointTool::mouseDownAtPoint(const QPointF& point, PWDrawableObject* target, PWLayer*,
                                      const PWToolEvent& event, PWToolUndoDelegate* delegate)
{
    m_edited = false;
    auto* path = dynamic_cast<PWDrawablePath*>(target);
    // Arcs and regular polygons rebuild their outline from their parameters: a point edited
    // by hand would not survive the next change.
    if (!path || dynamic_cast<PWCentredPath*>(target) || path->locked())
        return 0;
    const double scale = event.view ? event.view->scale() : 1.0;
    const double tolerance = kHitTolerance / (std::isfinite(scale) && scale > 0.0 ? scale : 1.0);

    if (delegate)
        delegate->toolWillPerformUndoableAction(*this);
    if (m_mode == Mode::kInsertPoint) {
        m_edited = path->insertPointAtPoint(point, tolerance) != 0;
    } else {
        const int part = onCurvePartNear(*path, point, tolerance);
        m_edited = part != 0 && path->deletePointAtPart(part);
    }
    if (m_edited && delegate)
        delegate->toolDidPerformUndoableAction(*this);
    return 0;
}

bool PWPathPointTool::mouseUpAtPoint(const QPointF&, int, PWLayer*, const PWToolEvent&, PWToolUndoDelegate*)
{
    const bool edited = m_edited;
    m_edited = false;
    return edited;
}
