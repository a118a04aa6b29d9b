#pragma once

#include "platform/graphics/BezierPath.h"

// Parallel paths.
namespace pw {

// The path moved sideways by `offset` at every point: each segment is replaced by its parallel
// (lines exactly, curves by cubic pieces no farther than `flatness` from the true parallel),
// corners are joined by a miter, or by a bevel where the miter would reach farther than the
// input's miter limit allows (measured as for a stroke of width 2 * |offset|), and the inner
// loops that bends tighter than the offset produce are cut out, so the result stays at the
// offset distance from the path. Loops that the path's own crossings make are kept. A closed
// sub-path gives a closed parallel, or nothing when it is too small to have one on that side.
//
// SIGN: a positive offset lies to the LEFT of the direction of travel in the path's y-down
// coordinates: for a path running along +x, +offset moves it towards -y (up on the screen); a
// negative offset lies to the right.
//
// The flatness is used as given (it never changes a process-wide default); one that is not
// positive and finite falls back to the input's own flatness. An offset of 0 gives a copy, a NaN
// or infinite offset an empty path; sub-paths of no length give nothing. The result keeps the
// input's settings.
pf::Ref<pf::BezierPath> paralleloidPathWithOffset2(const pf::BezierPath& path, double offset, double flatness);

} // namespace pw
