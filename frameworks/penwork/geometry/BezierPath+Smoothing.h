#pragma once

#include "platform/graphics/BezierPath.h"

// Smoothing a path through its points.
namespace pw {

// A smooth path through the same on-curve points (each element's end point; a curve's control
// points are not kept): every stretch between two points becomes a cubic whose tangents are
// Catmull-Rom's, the chord across the neighbouring points, scaled by `smoothing`. So 0.5 is the
// classic Catmull-Rom spline and 0 gives the polyline (as lines). A closed sub-path wraps round,
// smooth at its start as well, and stays closed; an open one starts and ends along its first and
// last stretches. Points repeated in a row count once. Negative smoothing counts as 0; a NaN or
// infinite smoothing gives an empty path. Lone points stay as moves. The result keeps the
// input's settings.
pf::Ref<pf::BezierPath> bezierPathByInterpolatingPath(const pf::BezierPath& path, double smoothing);

} // namespace pw
