#include "frameworks/penwork/geometry/BezierPath+Intersections.h"

#include <algorithm>
#include <numeric>

namespace pw::detail {

std::vector<CurveCrossing> crossingsAmong(const std::vector<const Geom::Curve*>& curves, bool skipTouching,
                                          size_t pairLimit, bool* cutShort)
{
    std::vector<CurveCrossing> crossings;
    if (cutShort)
        *cutShort = false;
    size_t pairsTested = 0;
    if (curves.empty())
        return crossings;
    std::vector<Geom::Rect> bounds;
    bounds.reserve(curves.size());
    Geom::Rect all = curves.front()->boundsFast();
    for (const Geom::Curve* curve : curves) {
        bounds.push_back(curve->boundsFast());
        all.unionWith(bounds.back());
    }
    // Sweep along the longer side, where the bounds spread out most.
    const Geom::Dim2 along = all.width() >= all.height() ? Geom::X : Geom::Y;
    const Geom::Dim2 across = along == Geom::X ? Geom::Y : Geom::X;
    std::vector<size_t> order(curves.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return bounds[a][along].min() < bounds[b][along].min(); });

    // lib2geom can answer doubtful times where curves only touch (tangent neighbours, for
    // one): a crossing counts only when both curves really are at its point then.
    const double tolerance = 1e-6 * std::max({1.0, all.width(), all.height()});
    auto add = [&](size_t first, size_t second, double firstTime, double secondTime) {
        const Geom::Point a = curves[first]->pointAt(firstTime);
        const Geom::Point b = curves[second]->pointAt(secondTime);
        if (Geom::distance(a, b) <= tolerance)
            crossings.push_back({first, second, firstTime, secondTime, Geom::middle_point(a, b)});
    };
    std::vector<size_t> active;
    for (size_t i : order) {
        const double front = bounds[i][along].min();
        std::erase_if(active, [&](size_t j) { return bounds[j][along].max() < front; });
        for (size_t j : active) {
            if (!bounds[j][across].intersects(bounds[i][across]))
                continue;
            const size_t first = std::min(i, j);
            const size_t second = std::max(i, j);
            const Geom::Curve& a = *curves[first];
            const Geom::Curve& b = *curves[second];
            const bool touching = a.finalPoint() == b.initialPoint() || b.finalPoint() == a.initialPoint();
            if (touching && (skipTouching || (a.isLineSegment() && b.isLineSegment())))
                continue;
            if (pairLimit && ++pairsTested > pairLimit) {
                if (cutShort)
                    *cutShort = true;
                return crossings;
            }
            for (const auto& x : curves[first]->intersect(*curves[second]))
                add(first, second, x.first, x.second);
        }
        active.push_back(i);
        if (!curves[i]->isLineSegment()) {
            for (const auto& x : curves[i]->intersectSelf()) {
                if (std::abs(x.first - x.second) > 1e-9)
                    add(i, i, std::min(x.first, x.second), std::max(x.first, x.second));
            }
        }
    }
    return crossings;
}

} // namespace pw::detail
