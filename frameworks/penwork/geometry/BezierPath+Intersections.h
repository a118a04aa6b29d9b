#pragma once

#include "frameworks/penwork/geometry/BezierPath+Support.h"

namespace pw::detail {

// Where two curves of a set meet: indices into the set, the time on each, and the point.
// A crossing of a curve with itself has first == second.
struct CurveCrossing {
    size_t first;
    size_t second;
    double firstTime;
    double secondTime;
    Geom::Point point;
};

// Every crossing among `curves` (touching ends of neighbours included), found with lib2geom's
// curve intersection on the pairs whose bounds overlap; a sweep over the bounds keeps that near
// linear for paths that do not fold over themselves. Two lines that share an end meet only
// there and are not tested; with `skipTouching`, no two curves that share an end are (the
// caller knows such neighbours do not cross elsewhere, or need not know).
// With a `pairLimit`, at most that many pairs are tested: where more overlap (a degenerate set
// whose curves all lie over one another), the search stops, `cutShort` is set and what was
// found so far is answered.
std::vector<CurveCrossing> crossingsAmong(const std::vector<const Geom::Curve*>& curves, bool skipTouching = false,
                                          size_t pairLimit = 0, bool* cutShort = nullptr);

} // namespace pw::detail
