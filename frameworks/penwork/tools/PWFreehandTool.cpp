#include "frameworks/penwork/tools/PWFreehandTool.h"

#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/geometry/BezierPath+Smoothing.h"
#include "frameworks/penwork/layers/PWObjectOwnerLayer.h"
#include "frameworks/penwork/tools/PWToolView.h"
#include "platform/foundation/ClassBuilder.h"

#include <QLineF>

#include <cmath>
#include <vector>

namespace {

const QString kEpsilonKey = QStringLiteral("epsilon");
// Catmull-Rom curves through the kept points.
constexpr double kSmoothing = 0.5;
// Points closer together than this (screen units) add nothing to the trace.
constexpr double kMinimumStep = 1.0;

double distanceToSegment(const QPointF& p, const QPointF& a, const QPointF& b)
{
    const QPointF ab = b - a;
    const double lengthSquared = QPointF::dotProduct(ab, ab);
    if (lengthSquared == 0.0)
        return QLineF(p, a).length();
    const double t = std::clamp(QPointF::dotProduct(p - a, ab) / lengthSquared, 0.0, 1.0);
    return QLineF(p, a + t * ab).length();
}

} // namespace

PF_DEFINE_CLASS(PWFreehandTool, PWObjectCreationTool)
{
    b.property("epsilon", &PWFreehandTool::epsilon, &PWFreehandTool::setEpsilon);
}

PWFreehandTool::PWFreehandTool()
{
    pf::BezierPath seed;
    seed.moveTo({0, 0});
    seed.lineTo({1, 0});
    PWObjectCreationTool::setPrototype(PWDrawablePath::drawablePathWithPath(seed));
}

void PWFreehandTool::setPrototype(pf::Ref<PWDrawableObject> prototype)
{
    if (std::dynamic_pointer_cast<PWDrawablePath>(prototype))
        PWObjectCreationTool::setPrototype(std::move(prototype));
}

void PWFreehandTool::setEpsilon(double epsilon)
{
    if (std::isfinite(epsilon) && epsilon >= 0.0)
        m_epsilon = epsilon;
}

double PWFreehandTool::effectiveEpsilon() const
{
    return m_epsilon > 0.0 ? m_epsilon : PWDrawablePath::defaultFreehandEpsilon();
}

QList<QPointF> PWFreehandTool::simplifiedPoints(const QList<QPointF>& points, double epsilon)
{
    if (points.size() < 3)
        return points;
    std::vector<bool> keep(size_t(points.size()), false);
    keep.front() = keep.back() = true;
    // An explicit stack: a long trace must not recurse deeply.
    std::vector<std::pair<qsizetype, qsizetype>> stack{{0, points.size() - 1}};
    while (!stack.empty()) {
        const auto [first, last] = stack.back();
        stack.pop_back();
        double worst = -1.0;
        qsizetype index = -1;
        for (qsizetype i = first + 1; i < last; ++i) {
            const double d = distanceToSegment(points[i], points[first], points[last]);
            if (d > worst) {
                worst = d;
                index = i;
            }
        }
        if (index >= 0 && worst > epsilon) {
            keep[size_t(index)] = true;
            stack.push_back({first, index});
            stack.push_back({index, last});
        }
    }
    QList<QPointF> out;
    for (qsizetype i = 0; i < points.size(); ++i)
        if (keep[size_t(i)])
            out.append(points[i]);
    return out;
}

void PWFreehandTool::addPoint(const QPointF& point, const PWToolEvent& event)
{
    const double scale = event.view && event.view->scale() > 0.0 ? event.view->scale() : 1.0;
    if (!m_points.isEmpty() && QLineF(point, m_points.back()).length() * scale < kMinimumStep)
        return;
    if (!std::isfinite(point.x()) || !std::isfinite(point.y()))
        return;
    m_points.append(point);
    pf::Ref<PWDrawableObject> object = objectBeingCreated();
    auto* path = dynamic_cast<PWDrawablePath*>(object.get());
    if (!path || !path->layer() || m_points.size() < 2)
        return;
    withoutUndo(*path->layer(), [&] { path->setPath(pf::BezierPath::pathWithPolygon(m_points, false)); });
}

int PWFreehandTool::mouseDownAtPoint(const QPointF& point, PWDrawableObject* target, PWLayer* layer,
                                     const PWToolEvent& event, PWToolUndoDelegate*)
{
    m_points.clear();
    m_pickingUp = false;
    abandonCreation();
    auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer);
    if (!owner)
        return 0;
    if (stylePickupEnabled() && event.commandKey() && target) {
        m_pickingUp = true;
        pickUpStyle(*target);
        return 0;
    }
    if (!beginPendingObject(*owner))
        return 0;
    addPoint(snappedPoint(*owner, point, event), event);
    return 0;
}

void PWFreehandTool::mouseDraggedToPoint(const QPointF& point, int, PWLayer* layer, const PWToolEvent& event,
                                         PWToolUndoDelegate*)
{
    if (isCreatingIn(layer))
        addPoint(point, event);
}

bool PWFreehandTool::mouseUpAtPoint(const QPointF& point, int, PWLayer* layer, const PWToolEvent& event,
                                    PWToolUndoDelegate* delegate)
{
    if (m_pickingUp) {
        m_pickingUp = false;
        return false;
    }
    auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer);
    if (!owner || !isCreatingIn(layer)) {
        abandonCreation();
        m_points.clear();
        return false;
    }
    addPoint(point, event);
    const QList<QPointF> kept = simplifiedPoints(m_points, effectiveEpsilon());
    m_points.clear();
    pf::Ref<PWDrawableObject> object = objectBeingCreated();
    auto* path = dynamic_cast<PWDrawablePath*>(object.get());
    if (!path || kept.size() < 2) {
        abandonCreation();
        return false;
    }
    withoutUndo(*owner, [&] {
        auto polyline = pf::BezierPath::pathWithPolygon(kept, false);
        path->setPath(kept.size() > 2 ? pw::bezierPathByInterpolatingPath(*polyline, kSmoothing) : polyline);
    });
    if (!path->objectIsValid()) {
        abandonCreation();
        return false;
    }
    return commitObjectBeingCreated(*owner, delegate);
}

QVariantMap PWFreehandTool::toolSettings() const
{
    QVariantMap settings = PWObjectCreationTool::toolSettings();
    if (m_epsilon > 0.0)
        settings.insert(kEpsilonKey, m_epsilon);
    return settings;
}

void PWFreehandTool::applyToolSettings(const QVariantMap& settings)
{
    PWObjectCreationTool::applyToolSettings(settings);
    const QVariant stored = settings.value(kEpsilonKey);
    if (pf::isNumber(stored))
        setEpsilon(stored.toDouble());
}
