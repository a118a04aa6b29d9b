#pragma once

#include "platform/graphics/BezierPath.h"

#include <QPointF>

#include <memory>

namespace pw::detail {
class ArcLengthIndex;
}

// Measuring a path along its length. Lengths run through the sub-paths in order: a move adds no
// length, and a closed sub-path's closing segment counts. A path with a coordinate that is not
// finite measures as an empty path.
namespace pw {

// The length of the whole path; 0 for an empty path or one of lone points.
double length(const pf::BezierPath& path);

// The point reached after travelling `length` along the path, and in `slope` (when given) the
// direction of travel there, in radians, as atan2(dy, dx) in the path's y-down coordinates.
// The length is clamped to the path: 0 or less (and NaN) answers the start, the length or more
// the end with the direction the path ends in. On the joint of two segments the direction is
// the earlier segment's; segments of no length take the direction of the nearest one with
// length. A path of lone points answers its first point with slope 0, an empty path (0, 0)
// with slope 0.
QPointF pointOnPathAtLength(const pf::BezierPath& path, double length, double* slope = nullptr);

// The length along the path of the path's point nearest to `point`, or -1 when that point is
// farther than `tolerance` (a NaN or negative tolerance accepts nothing, an infinite one
// everything). `distance`, when given, receives the distance to the nearest point whatever the
// tolerance (infinity for an empty path, which always answers -1). A path of lone points
// answers 0 for a point near its first point.
double nearestLengthToPoint(const pf::BezierPath& path, const QPointF& point, double tolerance,
                            double* distance = nullptr);

// One path measured once, for callers that ask several lengths, points and pieces of the same
// path (each free function above measures the whole path again). Answers as those functions do.
// Keeps a copy of the path's geometry: later edits of the path are not seen.
class PathMeasure {
public:
    explicit PathMeasure(const pf::BezierPath& path);
    ~PathMeasure();
    PathMeasure(const PathMeasure&) = delete;
    PathMeasure& operator=(const PathMeasure&) = delete;

    double length() const;
    QPointF pointAtLength(double length, double* slope = nullptr) const;
    // bezierPathByTrimmingFromLength(path, start, pieceLength) (BezierPath+Trimming.h).
    pf::Ref<pf::BezierPath> pieceFromLength(double start, double pieceLength) const;

    const detail::ArcLengthIndex& index() const { return *m_index; }

private:
    const pf::BezierPath& m_path;
    std::unique_ptr<detail::ArcLengthIndex> m_index;
};

} // namespace pw
