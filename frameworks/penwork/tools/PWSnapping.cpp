#include "frameworks/penwork/tools/PWSnapping.h"

#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectOwnerLayer.h"

#include <array>
#include <cmath>

namespace {

// The nearest of `candidates` to any of `lines`, as the offset to move by; false when none
// lies within `tolerance` (which is updated to the best distance).
bool nearest(const std::array<double, 3>& lines, const std::array<double, 3>& candidates, double& tolerance,
             double& offset, double& target)
{
    bool found = false;
    for (double line : lines) {
        for (double candidate : candidates) {
            const double d = candidate - line;
            if (std::abs(d) < tolerance || (!found && std::abs(d) <= tolerance)) {
                tolerance = std::abs(d);
                offset = d;
                target = candidate;
                found = true;
            }
        }
    }
    return found;
}

} // namespace

PWSnapping::Result PWSnapping::snapRectToObjects(const QRectF& rect, const PWObjectOwnerLayer& layer,
                                                 const QSet<const PWDrawableObject*>& excluded, double tolerance)
{
    Result result;
    if (!(tolerance > 0.0) || !std::isfinite(tolerance))
        return result;
    const QRectF near = rect.adjusted(-tolerance, -tolerance, tolerance, tolerance);
    const std::array<double, 3> xs{rect.left(), rect.center().x(), rect.right()};
    const std::array<double, 3> ys{rect.top(), rect.center().y(), rect.bottom()};
    double xTolerance = tolerance;
    double yTolerance = tolerance;
    // Objects beyond the reach of the tolerance box can still line up on one axis: look along
    // the whole band of each axis.
    const QRectF bandX(near.left(), -1e12, near.width(), 2e12);
    const QRectF bandY(-1e12, near.top(), 2e12, near.height());
    for (const bool alongX : {true, false}) {
        for (const auto& other : layer.objectsInRect(alongX ? bandX : bandY)) {
            if (excluded.contains(other.get()))
                continue;
            const QRectF r = other->logicalBounds();
            double offset = 0, target = 0;
            if (alongX) {
                if (nearest(xs, {r.left(), r.center().x(), r.right()}, xTolerance, offset, target)) {
                    result.correction.setX(offset);
                    result.x = target;
                }
            } else if (nearest(ys, {r.top(), r.center().y(), r.bottom()}, yTolerance, offset, target)) {
                result.correction.setY(offset);
                result.y = target;
            }
        }
    }
    return result;
}

QPointF PWSnapping::snapMovedRect(const QRectF& rect, const PWObjectOwnerLayer& layer,
                                  const QSet<const PWDrawableObject*>& excluded, bool controlFlag, double scale)
{
    PWDrawing* drawing = layer.drawing();
    std::optional<double> dx;
    std::optional<double> dy;
    if (!controlFlag && layer.allowsSnapToObjects()) {
        const double s = std::isfinite(scale) && scale > 0.0 ? scale : 1.0;
        const Result objects = snapRectToObjects(rect, layer, excluded, PWObjectOwnerLayer::kObjectSnapTolerance / s);
        if (objects.x)
            dx = objects.correction.x();
        if (objects.y)
            dy = objects.correction.y();
    }
    if (drawing && !controlFlag && (!dx || !dy)) {
        const QSizeF guide = drawing->snapPointsToGuide(
            {rect.topLeft(), rect.topRight(), rect.bottomLeft(), rect.bottomRight(), rect.center()});
        if (!dx && guide.width() != 0.0)
            dx = guide.width();
        if (!dy && guide.height() != 0.0)
            dy = guide.height();
    }
    if (drawing && (!dx || !dy)) {
        const QPointF onGrid = drawing->snapToGrid(rect.topLeft(), controlFlag);
        if (!dx)
            dx = onGrid.x() - rect.left();
        if (!dy)
            dy = onGrid.y() - rect.top();
    }
    return QPointF(dx.value_or(0.0), dy.value_or(0.0));
}
