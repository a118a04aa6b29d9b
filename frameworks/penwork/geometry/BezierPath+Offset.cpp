#include "frameworks/penwork/geometry/BezierPath+Offset.h"

#include "frameworks/penwork/geometry/BezierPath+Intersections.h"
#include "frameworks/penwork/geometry/BezierPath+Parallels.h"
#include "frameworks/penwork/geometry/BezierPath+SpatialIndex.h"
#include "frameworks/penwork/geometry/BezierPath+Support.h"

#include <2geom/bezier-curve.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace pw {

namespace {

using detail::CurvePtr;
using Settings = detail::ParallelSettings;

// Loop cutting is repeated while it finds loops, at most this often.
constexpr int kMaxLoopPasses = 4;

// An offset, relative to the path's size, below which the parallel is the path itself (doubles
// carry some 16 digits; this leaves room for the parallel's own rounding).
constexpr double kNegligibleOffset = 1e-12;

// Bounds on the crossings weighed when cutting loops, per curve of the parallel and at least:
// a real path meets few of its neighbours, and each crossing found costs a few distance tests.
constexpr size_t kPairsPerCurve = 64;
constexpr size_t kCrossingsPerCurve = 8;
constexpr size_t kPairsAtLeast = 4096;

// An offset this many times the path's size leaves loops too small to matter.
constexpr double kLoopsNegligibleRatio = 1e6;

// The closest fit a parallel can be asked for, relative to the size of its coordinates.
constexpr double kReachableFlatness = 1e-9;

// Cuts out of `path` (a parallel) the loops whose points come closer to the original than the
// offset: those are the swallowtails and corner overlaps of bends tighter than the offset. The
// path's own crossings leave loops at the full distance, which stay. Nothing is answered when
// the whole parallel lies too close (a closed sub-path too small for a parallel on that side).
std::optional<Geom::Path> withoutLoops(Geom::Path path, const detail::CurveGrid& original, const Settings& s)
{
    const bool closed = path.closed();
    const double reach = std::abs(s.offset);
    const double threshold = reach - std::min(std::max(2.0 * s.flatness, 1e-6 * s.scale), 0.5 * reach);
    auto tooClose = [&](double u) {
        const double count = double(path.size_default());
        u = std::fmod(u, count);
        return original.distanceWithin(path.pointAt(u), reach) < threshold;
    };
    auto isLoop = [&](double from, double to) {
        int close = 0;
        for (int k = 1; k <= 5; ++k)
            close += tooClose(from + (to - from) * k / 6.0) ? 1 : 0;
        return close >= 3;
    };

    // Far out, the path's own bends make loops a millionth of the parallel's size or less,
    // while the crossings of its pieces, which all lie over one another, would take lib2geom
    // minutes to find (a damaged line width of 1e207 on a small path, say).
    const int passes = reach > kLoopsNegligibleRatio * s.scale ? 0 : kMaxLoopPasses;
    for (int pass = 0; pass < passes && path.size_default() > 1; ++pass) {
        const double count = double(path.size_default());
        std::vector<const Geom::Curve*> curves;
        for (size_t i = 0; i < path.size_default(); ++i)
            curves.push_back(&path[i]);
        // A parallel whose pieces all lie over one another (an offset far larger than the path,
        // from a damaged line width) would have every pair tested and every crossing weighed:
        // such a parallel is kept as it is.
        bool degenerate = false;
        const auto crossings = detail::crossingsAmong(curves, true, kPairsPerCurve * curves.size() + kPairsAtLeast, &degenerate);
        if (degenerate || crossings.size() > kCrossingsPerCurve * curves.size() + kPairsAtLeast)
            break;
        std::vector<std::pair<double, double>> candidates;
        for (const auto& x : crossings) {
            double from = double(x.first) + x.firstTime;
            double to = double(x.second) + x.secondTime;
            if (from > to)
                std::swap(from, to);
            if (to - from < 1e-6 || (closed && count - (to - from) < 1e-6))
                continue;
            candidates.push_back({from, to});
        }
        std::sort(candidates.begin(), candidates.end(), [](const auto& a, const auto& b) {
            return a.first < b.first || (a.first == b.first && a.second > b.second);
        });

        // On a closed parallel, the part to keep may be the one between two crossings.
        bool keptInside = false;
        if (closed) {
            for (const auto& [from, to] : candidates) {
                if (!isLoop(from, to) && isLoop(to, from + count)) {
                    Geom::Path inside = path.portion(from, to);
                    inside.close(true);
                    path = std::move(inside);
                    keptInside = true;
                    break;
                }
            }
        }
        if (keptInside)
            continue;

        std::vector<std::pair<double, double>> cuts;
        double cursor = -1.0;
        for (const auto& [from, to] : candidates) {
            if (from < cursor || !isLoop(from, to))
                continue;
            cuts.push_back({from, to});
            cursor = to;
        }
        if (cuts.empty())
            break;
        Geom::Path result = path.portion(0.0, cuts.front().first);
        result.setStitching(true);
        for (size_t i = 0; i < cuts.size(); ++i) {
            const double to = i + 1 < cuts.size() ? cuts[i + 1].first : count;
            const Geom::Path kept = path.portion(cuts[i].second, to);
            for (size_t c = 0; c < kept.size_default(); ++c)
                detail::appendJoined(result, CurvePtr(kept[c].duplicate()));
        }
        if (closed)
            result.close(true);
        path = std::move(result);
    }

    const double count = double(path.size_default());
    int close = 0;
    for (int k = 0; k < 9; ++k)
        close += tooClose(count * (k + 0.5) / 9.0) ? 1 : 0;
    if (close >= 7)
        return std::nullopt;
    return path;
}

std::optional<Geom::Path> offsetSubpath(const Geom::Path& subpath, const Settings& s)
{
    auto parallel = detail::joinedParallel(subpath, s);
    if (!parallel)
        return std::nullopt;
    return withoutLoops(std::move(*parallel), detail::CurveGrid(detail::curvesOf(Geom::PathVector(subpath))), s);
}

} // namespace

pf::Ref<pf::BezierPath> paralleloidPathWithOffset2(const pf::BezierPath& path, double offset, double flatness)
{
    if (!std::isfinite(offset))
        return detail::emptyPathLike(path);
    const Geom::PathVector paths = detail::geometryOf(path);
    // An offset lost in the rounding of the path's own coordinates is none: the parallel would
    // lie on the path, and cutting its loops would grind through every place it meets itself.
    if (std::abs(offset) <= detail::scaleOf(paths) * kNegligibleOffset)
        return detail::copyOf(path);
    Settings settings;
    settings.join = detail::CornerJoin::Miter;
    settings.offset = offset;
    settings.flatness = flatness > 0.0 && std::isfinite(flatness) ? flatness : path.flatness();
    settings.scale = detail::scaleOf(paths);
    // The parallel's coordinates are as large as the offset and the path's place: no fit can be
    // closer than their rounding, and asking for it would split every curve to the limit and
    // grind through the crossings of the pieces (a damaged line width of 1e207, say).
    settings.flatness = std::max(settings.flatness, kReachableFlatness * (std::abs(offset) + detail::magnitudeOf(paths)));
    settings.miterLimit = path.miterLimit();
    Geom::PathVector result;
    for (const Geom::Path& subpath : paths) {
        if (auto parallel = offsetSubpath(subpath, settings))
            result.push_back(std::move(*parallel));
    }
    return detail::pathLike(path, result);
}

} // namespace pw
