#include "frameworks/penwork/geometry/BezierPath+Length.h"

#include "frameworks/penwork/geometry/BezierPath+ArcLength.h"

#include <cmath>
#include <limits>

namespace pw {

using detail::ArcLengthIndex;

namespace {

QPointF pointAtLength(const ArcLengthIndex& index, double length, double* slope)
{
    if (slope)
        *slope = 0.0;
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

} // namespace

double length(const pf::BezierPath& path)
{
    return ArcLengthIndex(detail::geometryOf(path)).totalLength();
}

QPointF pointOnPathAtLength(const pf::BezierPath& path, double length, double* slope)
{
    return pointAtLength(ArcLengthIndex(detail::geometryOf(path)), length, slope);
}

PathMeasure::PathMeasure(const pf::BezierPath& path)
    : m_path(path), m_index(std::make_unique<ArcLengthIndex>(detail::geometryOf(path)))
{
}

PathMeasure::~PathMeasure() = default;

double PathMeasure::length() const { return m_index->totalLength(); }

QPointF PathMeasure::pointAtLength(double length, double* slope) const
{
    return pw::pointAtLength(*m_index, length, slope);
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
