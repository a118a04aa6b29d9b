#pragma once

#include "platform/graphics/BezierPath.h"

#include <utility>

// Cutting a path by length. Lengths are measured as in BezierPath+Length.h (through the
// sub-paths in order, moves adding nothing, closing segments counting) and cuts fall exactly at
// arc length, inside curves where need be. Every result is a new path with the input's settings;
// the input is unchanged.
//
// Overshoots, for a path of length L:
// - a NaN length gives an empty path (both halves empty for splitPathAtLength);
// - a piece that would have no length gives an empty path, one that covers the whole path a
//   copy of it (closed sub-paths stay closed, lone points stay);
// - a piece that covers only part of a closed sub-path is open;
// - otherwise only sub-paths that the piece overlaps by a positive length appear in it, so
//   lone points (sub-paths without length) are dropped by a real cut.
namespace pw {

// The part from the start up to `length`: empty for a length <= 0, a copy for a length >= L.
pf::Ref<pf::BezierPath> bezierPathByTrimmingToLength(const pf::BezierPath& path, double length);

// The part from `length` to the end: a copy for a length <= 0, empty for a length >= L.
pf::Ref<pf::BezierPath> bezierPathByTrimmingFromLength(const pf::BezierPath& path, double length);

// The piece that starts at `start` (a negative start counts as 0) and runs for `pieceLength`,
// or to the end when that comes first: empty for a piece length <= 0 or a start >= L.
pf::Ref<pf::BezierPath> bezierPathByTrimmingFromLength(const pf::BezierPath& path, double start,
                                                       double pieceLength);

// The path shortened by `length` at both ends: a copy for a length <= 0, empty when 2 * length
// >= L.
pf::Ref<pf::BezierPath> bezierPathByTrimmingFromBothEnds(const pf::BezierPath& path, double length);

// The parts before and after `length`: (empty, copy) for a length <= 0, (copy, empty) for a
// length >= L.
std::pair<pf::Ref<pf::BezierPath>, pf::Ref<pf::BezierPath>> splitPathAtLength(const pf::BezierPath& path,
                                                                                 double length);

// The path with every segment (closing segments included) replaced by ceil(its length /
// segmentLength) line pieces of equal length, so that the corners of the result lie on the
// path; sub-paths keep their moves and closes, segments of no length give no piece. A segment
// length that is not positive (or NaN) gives an empty path. At most one million pieces are
// made: a shorter segment length is lengthened to that count.
pf::Ref<pf::BezierPath> bezierPathWithFragmentedLineSegments(const pf::BezierPath& path, double segmentLength);

} // namespace pw
