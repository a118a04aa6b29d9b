#pragma once

#include "platform/graphics/BezierPath.h"

// Repeating a small path along a path.
namespace pw {

// Answers how large the copy placed at a distance along a path is drawn.
class TaperDelegate {
public:
    virtual ~TaperDelegate() = default;
    // The scale factor (1.0 for full size) of the copy at `distance` along `path`, whose whole
    // length is `totalLength`.
    virtual double taperFactorAtDistance(double distance, const pf::BezierPath& path, double totalLength);
};

// Copies of `elementPath` placed along `path` at the lengths phase, phase + interval, ... up to
// and including the path's length (a negative phase starts the count before the path, so the
// first copy falls at the first of those lengths that is >= 0). Each copy has its origin on the
// path there and its +x axis along the direction of travel (see pointOnPathAtLength), and is
// scaled about its origin by the delegate's factor (1.0 without a delegate); a factor that is
// not positive and finite places no copy. With `alternate`, the second, fourth, ... copies
// (counting those the path reaches) are mirrored across the tangent, their +y side swapped to
// the other side of the path.
//
// Empty results: an interval that is not positive and finite, a NaN or infinite phase, a phase
// beyond the path's length, an empty element path or an empty path. At most 100,000 copies are
// placed. The copies keep their own sub-paths; the result has the settings of `path`.
pf::Ref<pf::BezierPath> bezierPathWithPathAtInterval(const pf::BezierPath& path, const pf::BezierPath& elementPath,
                                                     double interval, double phase, bool alternate,
                                                     TaperDelegate* delegate = nullptr);

} // namespace pw
