#pragma once

#include "platform/graphics/BezierPath.h"

#include <2geom/curve.h>
#include <2geom/pathvector.h>

#include <memory>
#include <vector>

// Pieces shared by the path geometry additions (BezierPath+Length.h and its neighbours); not
// for use outside them.
namespace pw::detail {

using CurvePtr = std::unique_ptr<Geom::Curve>;

// A new path with the settings of `source` (width, caps, joins, miter limit, flatness, winding
// rule, dash) and no elements.
pf::Ref<pf::BezierPath> emptyPathLike(const pf::BezierPath& source);
// A copy of `source`, elements and settings.
pf::Ref<pf::BezierPath> copyOf(const pf::BezierPath& source);
// A new path with the settings of `source` and the elements of `geometry`.
pf::Ref<pf::BezierPath> pathLike(const pf::BezierPath& source, const Geom::PathVector& geometry);

// The path as lib2geom curves. A path with any coordinate that is not finite answers no
// sub-paths, so that nothing downstream meets NaN bounds or endless root searches.
Geom::PathVector geometryOf(const pf::BezierPath& path);

// The curves lib2geom's paths are travelled through, each sub-path's closing segment included
// when it has length.
std::vector<const Geom::Curve*> curvesOf(const Geom::PathVector& paths);

// The normal on the left of the direction `tangent` in y-down coordinates: for travel along +x
// it points towards -y.
inline Geom::Point leftNormal(const Geom::Point& tangent) { return Geom::Point(tangent.y(), -tangent.x()); }

// Appends `curve` so that it starts exactly where `path` ends (lib2geom wants exact continuity;
// our pieces meet only to rounding).
void appendJoined(Geom::Path& path, CurvePtr curve);

// The largest extent of the bounds of `paths`, at least 1: the scale that tolerances follow.
double scaleOf(const Geom::PathVector& paths);
// The largest absolute coordinate of the paths' bounds (0 for no paths).
double magnitudeOf(const Geom::PathVector& paths);

} // namespace pw::detail
