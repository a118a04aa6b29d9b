#pragma once

#include "drawing/PWXEasing.h"

#include "platform/graphics/BezierPath.h"

// Outlines whose width changes from one end of a path to the other, for the tapered strokes.
// Every operation answers a new path and leaves its input unchanged.
namespace pwx {

// The process-wide switch that smooths both edges of every outline built while it is on. Off
// at start; ShimInterpolationScope is the way to turn it on, since it restores the old value
// on every way out.
bool shimPathsInterpolated();
void setShimPathsInterpolated(bool interpolated);

class ShimInterpolationScope {
public:
    explicit ShimInterpolationScope(bool interpolated);
    ~ShimInterpolationScope();
    ShimInterpolationScope(const ShimInterpolationScope&) = delete;
    ShimInterpolationScope& operator=(const ShimInterpolationScope&) = delete;

private:
    bool m_previous;
};

// An open path beside `path` at an offset that runs from `startOffset` at its first element to
// `endOffset` at its last, following `taper` (linear when null) by element index: callers
// fragment the path into short pieces of about equal length first. Each point moves square to
// the direction of travel there, by +offset towards the side that atan2(direction) + pi/2
// points to (+y for travel along +x). A curve's first control point moves with the previous
// element, its second control point and end point with its own. The direction at the end of a
// sub-path is its own last segment's, never the way to the next sub-path. An empty path gives
// an empty path, a path of one element its point moved by the start offset.
pf::Ref<pf::BezierPath> taperPathWithOffsets(const pf::BezierPath& path, double startOffset, double endOffset,
                                             TaperFunction taper = nullptr);

// The closed outline of `path` drawn with a width running from `startWidth` to `endWidth`, its
// middle displaced from the path by an offset running from `startOffset` to `endOffset`, all
// along `taper` (linear when null). Equal widths and no offsets give the plain constant-width
// outline (strokedPathWithStrokeWidth), whatever the taper. An empty path gives an empty path.
pf::Ref<pf::BezierPath> shimPath(const pf::BezierPath& path, double startWidth, double startOffset,
                                 double endWidth, double endOffset, TaperFunction taper = nullptr);
pf::Ref<pf::BezierPath> shimPath(const pf::BezierPath& path, double startWidth, double endWidth,
                                 TaperFunction taper = nullptr);

} // namespace pwx
