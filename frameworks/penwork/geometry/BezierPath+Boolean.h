#pragma once

#include "platform/graphics/BezierPath.h"

// Boolean operations on the areas of two paths.
//
// Each input's area is the one it fills: by its own winding rule, with open sub-paths closed by
// a straight line. Before combining, each input is reduced to the outline of that area (its
// overlaps and self-crossings merged), because lib2geom's intersection graph, which combines
// them, tells inside from outside by the even-odd rule and does not resolve a path's crossings
// with itself. Where the inputs share a stretch of border (a side in common), which the graph
// gets wrong, or where it cannot be built consistently, the same outline merging combines the
// two inputs directly.
//
// The answer is the outline of the resulting area as closed sub-paths that do not overlap, with
// the settings of `a` except the winding rule, which is even-odd (the sub-paths do not overlap,
// so that fills exactly the area). An empty input, or one with a coordinate that is not finite,
// has no area.
namespace pw {

pf::Ref<pf::BezierPath> unionPath(const pf::BezierPath& a, const pf::BezierPath& b);
pf::Ref<pf::BezierPath> intersectionPath(const pf::BezierPath& a, const pf::BezierPath& b);
// The area of `a` outside `b`.
pf::Ref<pf::BezierPath> differencePath(const pf::BezierPath& a, const pf::BezierPath& b);
// The area inside exactly one of them.
pf::Ref<pf::BezierPath> exclusiveOrPath(const pf::BezierPath& a, const pf::BezierPath& b);

} // namespace pw
