#pragma once

#include "frameworks/penwork/geometry/BezierPath+Support.h"

#include <optional>

namespace pw::detail {

// How the parallel of a sub-path joins its segments where they meet at an angle.
enum class CornerJoin { Miter, Round, Bevel };

struct ParallelSettings {
    double offset = 0.0;      // signed: positive on the left of travel (see leftNormal())
    double flatness = 0.1;    // how far a curve's parallel may stray from the true one
    double scale = 1.0;       // the drawing's size, for tolerances
    double miterLimit = 10.0; // as for a stroke of width 2 * |offset|; beyond it a bevel
    CornerJoin join = CornerJoin::Miter;
    // Inside a bend, lead the parallel through the corner point itself (as a stroker does, so
    // that the area covered stays whole) instead of cutting both sides where they cross.
    bool throughInnerCorners = false;
};

// The parallel of one sub-path with its corners joined and closed when the sub-path is; the
// loops of tight bends are still in it. Nothing for a sub-path of no length.
std::optional<Geom::Path> joinedParallel(const Geom::Path& subpath, const ParallelSettings& settings);

// Cubic pieces of the circular arc about `centre` from `startAngle` turning by `sweep`
// (radians; positive towards +y in y-down coordinates).
std::vector<CurvePtr> arcPieces(const Geom::Point& centre, double radius, double startAngle, double sweep);

} // namespace pw::detail
