#pragma once

#include "platform/graphics/BezierPath.h"

#include <2geom/pathvector.h>

namespace pf {

// Conversions between BezierPath and lib2geom's paths, for the geometry lib2geom does. Kept out
// of BezierPath.h so that only the code that wants lib2geom sees its headers.

// Each sub-path becomes a Geom::Path (a lone move an empty one) of line segments and cubic
// Béziers, closed when the sub-path is. Sub-paths with a non-finite point are left out: lib2geom
// cannot hold them. The stroke settings have no place in a path vector.
Geom::PathVector toGeomPathVector(const BezierPath& path);

// A path with the default settings. Lines and cubics carry over as they are, quadratic curves
// are raised to cubics exactly, and other curves (elliptical arcs, Béziers of higher order,
// symmetric power basis curves) are approximated by cubics within kGeomCurveTolerance.
Ref<BezierPath> bezierPathFromGeomPathVector(const Geom::PathVector& paths);

inline constexpr double kGeomCurveTolerance = 0.01;

} // namespace pf
