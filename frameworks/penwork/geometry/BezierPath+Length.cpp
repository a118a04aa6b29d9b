#include "frameworks/penwork/geometry/BezierPath+Length.h"

#include "frameworks/penwork/geometry/BezierPath+ArcLength.h"

#include <cmath>
#include <limits>

namespace pw {

using detail::ArcLengthIndex;

double length(const pf::BezierPath& path)
{
    return ArcLengthIndex(detail::geometryOf(path)).totalLength();
}

QPointF pointOnPathAtLength(const pf::BezierPath& path, double length, double* slope)
{
    if (slope)
        *slope = 0.0;
    const ArcLengthIndex index(detail::geometryOf(path));
    if (!index.hasCurves()) {
        if (index.paths().empty())
            return QPointF();
        const Geom::Point start = index.paths().front().initialPoint();
        return QPointF(start.x(), start.y());
    }
    const auto time = index.timeAtLength(std::isnan(length) ? 0.0 : length);
    const Geom::Point point = index.paths().pointAt(*time);
    if (slope) {
        const Geom::Point direction = index.directionAt(*time);
        *slope = std::atan2(direction.y(), direction.x());
    }
    return QPointF(point.x(), point.y());
}

double nearestLengthToPoint(const pf::BezierPath& path, const QPointF& point, double tolerance, double* distance)
{
    if (distance)
        *distance = std::numeric_limits<double>::infinity();
    const ArcLengthIndex index(detail::geometryOf(path));
    if (index.paths().empty() || !std::isfinite(point.x()) || !std::isfinite(point.y()))
        return -1.0;
    const Geom::Point target(point.x(), point.y());
    double nearestDistance = std::numeric_limits<double>::infinity();
    double nearestLength = 0.0;
    if (index.hasCurves()) {
        const auto time = index.paths().nearestTime(target, &nearestDistance);
        if (!time)
            return -1.0;
        nearestLength = index.lengthAtTime(*time);
    } else {
        nearestDistance = Geom::distance(index.paths().front().initialPoint(), target);
    }
    if (distance)
        *distance = nearestDistance;
    return nearestDistance <= tolerance ? nearestLength : -1.0;
}

} // namespace pw
