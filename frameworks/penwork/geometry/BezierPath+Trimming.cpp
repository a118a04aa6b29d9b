#include "frameworks/penwork/geometry/BezierPath+Trimming.h"

#include "frameworks/penwork/geometry/BezierPath+ArcLength.h"
#include "frameworks/penwork/geometry/BezierPath+Length.h"

#include <cmath>
#include <limits>

namespace pw {

using detail::ArcLengthIndex;

namespace {

constexpr double kMaxFragments = 1'000'000;

// The piece of the path between two lengths, 0 <= from < to <= L.
pf::Ref<pf::BezierPath> piece(const pf::BezierPath& path, const ArcLengthIndex& index, double from, double to)
{
    const Geom::PathVector& paths = index.paths();
    Geom::PathVector result;
    for (size_t p = 0; p < paths.size(); ++p) {
        const double start = index.subpathStart(p);
        const double end = index.subpathEnd(p);
        if (end <= start || end <= from || start >= to)
            continue;
        if (from <= start && to >= end) {
            result.push_back(paths[p]);
            continue;
        }
        const auto first = index.timeAtLength(std::max(from, start), p);
        const auto last = index.timeAtLength(std::min(to, end), p);
        result.push_back(paths[p].portion(first->asPathTime(), last->asPathTime()));
    }
    return detail::pathLike(path, result);
}

pf::Ref<pf::BezierPath> trimmed(const pf::BezierPath& path, const ArcLengthIndex& index, double from, double to)
{
    if (std::isnan(from) || std::isnan(to))
        return detail::emptyPathLike(path);
    const double total = index.totalLength();
    from = std::max(from, 0.0);
    if (to <= from || from >= total)
        return detail::emptyPathLike(path);
    if (from <= 0.0 && to >= total)
        return detail::copyOf(path);
    return piece(path, index, from, std::min(to, total));
}

pf::Ref<pf::BezierPath> trimmed(const pf::BezierPath& path, double from, double to)
{
    return trimmed(path, ArcLengthIndex(detail::geometryOf(path)), from, to);
}

} // namespace

pf::Ref<pf::BezierPath> bezierPathByTrimmingToLength(const pf::BezierPath& path, double length)
{
    return trimmed(path, 0.0, length);
}

pf::Ref<pf::BezierPath> bezierPathByTrimmingFromLength(const pf::BezierPath& path, double length)
{
    if (std::isnan(length))
        return detail::emptyPathLike(path);
    if (length <= 0.0)
        return detail::copyOf(path);
    return trimmed(path, length, std::numeric_limits<double>::infinity());
}

pf::Ref<pf::BezierPath> bezierPathByTrimmingFromLength(const pf::BezierPath& path, double start, double pieceLength)
{
    return PathMeasure(path).pieceFromLength(start, pieceLength);
}

pf::Ref<pf::BezierPath> PathMeasure::pieceFromLength(double start, double pieceLength) const
{
    if (std::isnan(start) || std::isnan(pieceLength) || pieceLength <= 0.0)
        return detail::emptyPathLike(m_path);
    start = std::max(start, 0.0);
    return trimmed(m_path, *m_index, start, start + pieceLength);
}

pf::Ref<pf::BezierPath> bezierPathByTrimmingFromBothEnds(const pf::BezierPath& path, double length)
{
    if (std::isnan(length))
        return detail::emptyPathLike(path);
    if (length <= 0.0)
        return detail::copyOf(path);
    const ArcLengthIndex index(detail::geometryOf(path));
    const double total = index.totalLength();
    if (2.0 * length >= total)
        return detail::emptyPathLike(path);
    return trimmed(path, index, length, total - length);
}

std::pair<pf::Ref<pf::BezierPath>, pf::Ref<pf::BezierPath>> splitPathAtLength(const pf::BezierPath& path,
                                                                                 double length)
{
    if (std::isnan(length))
        return {detail::emptyPathLike(path), detail::emptyPathLike(path)};
    return {bezierPathByTrimmingToLength(path, length), bezierPathByTrimmingFromLength(path, length)};
}

pf::Ref<pf::BezierPath> bezierPathWithFragmentedLineSegments(const pf::BezierPath& path, double segmentLength)
{
    auto result = detail::emptyPathLike(path);
    if (!(segmentLength > 0.0))
        return result;
    const ArcLengthIndex index(detail::geometryOf(path));
    const Geom::PathVector& paths = index.paths();

    // Count first, so that a tiny segment length cannot ask for an unbounded path.
    std::vector<double> lengths;
    double pieces = 0.0;
    for (const auto& subpath : paths) {
        for (size_t c = 0; c < subpath.size_default(); ++c) {
            lengths.push_back(ArcLengthIndex::curveLength(subpath[c]));
            pieces += std::ceil(lengths.back() / segmentLength);
        }
    }
    if (!(pieces <= kMaxFragments))
        segmentLength = index.totalLength() / kMaxFragments * (1.0 + 1e-9) + 1e-300;

    size_t curveNumber = 0;
    for (const auto& subpath : paths) {
        const Geom::Point start = subpath.initialPoint();
        result->moveTo(QPointF(start.x(), start.y()));
        for (size_t c = 0; c < subpath.size_default(); ++c) {
            const Geom::Curve& curve = subpath[c];
            const double curveLength = lengths[curveNumber++];
            if (curveLength <= 0.0)
                continue;
            const int count = std::max(1, int(std::ceil(curveLength / segmentLength)));
            const double step = curveLength / count;
            double t = 0.0;
            for (int k = 1; k < count; ++k) {
                t = ArcLengthIndex::timeAfter(curve, t, step, curveLength - (k - 1) * step);
                const Geom::Point point = curve.pointAt(t);
                result->lineTo(QPointF(point.x(), point.y()));
            }
            const Geom::Point end = curve.finalPoint();
            result->lineTo(QPointF(end.x(), end.y()));
        }
        if (subpath.closed())
            result->closePath();
    }
    return result;
}

} // namespace pw
