#pragma once

#include "frameworks/penwork/geometry/BezierPath+Support.h"

#include <array>
#include <functional>

namespace pw::detail {

enum class FillRule { NonZero, EvenOdd };

// An area given by paths and the rule that fills them; open sub-paths count as closed by a
// straight line, as when they are filled.
struct RegionOperand {
    const Geom::PathVector* paths;
    FillRule rule;
};

// Whether a place belongs to the result, from whether it lies inside each operand.
using RegionSelector = std::function<bool(const std::array<bool, 2>& inside)>;

// The outline of the area that `select` chooses from one or two operands: every curve is split
// where it crosses another, a piece is kept where the selection differs on its two sides, and
// the pieces are chained into closed sub-paths. The answer neither crosses nor overlaps itself,
// and every sub-path runs with the area on the left of its direction (as leftNormal() points),
// so it fills the same by either winding rule and strokes without inner lines.
Geom::PathVector regionOutline(const std::vector<RegionOperand>& operands, const RegionSelector& select);

// The outline of the area `paths` fill by `rule`, without the overlaps and inner loops.
Geom::PathVector withoutOverlaps(const Geom::PathVector& paths, FillRule rule);

} // namespace pw::detail
