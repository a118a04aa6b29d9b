#include "frameworks/penwork/geometry/BezierPath+Placement.h"

#include "frameworks/penwork/geometry/BezierPath+ArcLength.h"

#include <QTransform>

#include <cmath>

namespace pw {

namespace {

constexpr double kMaxCopies = 100'000;

} // namespace

double TaperDelegate::taperFactorAtDistance(double, const pf::BezierPath&, double)
{
    return 1.0;
}

pf::Ref<pf::BezierPath> bezierPathWithPathAtInterval(const pf::BezierPath& path, const pf::BezierPath& elementPath,
                                                     double interval, double phase, bool alternate,
                                                     TaperDelegate* delegate)
{
    auto result = detail::emptyPathLike(path);
    if (!(interval > 0.0) || !std::isfinite(interval) || !std::isfinite(phase) || elementPath.isEmpty())
        return result;
    const detail::ArcLengthIndex index(detail::geometryOf(path));
    const double total = index.totalLength();
    if (!index.hasCurves() || phase > total)
        return result;

    // Whole steps that fall before the path are skipped, not walked.
    const double first = phase < 0.0 ? std::ceil(-phase / interval) : 0.0;
    const double last = std::floor((total - phase) / interval);
    if (!(last >= first))
        return result;
    const double count = std::min(last - first + 1.0, kMaxCopies);
    for (double k = 0; k < count; ++k) {
        const double distance = std::min(phase + (first + k) * interval, total);
        const double factor = delegate ? delegate->taperFactorAtDistance(distance, path, total) : 1.0;
        if (!(factor > 0.0) || !std::isfinite(factor))
            continue;
        const auto time = index.timeAtLength(distance);
        const Geom::Point point = index.paths().pointAt(*time);
        const Geom::Point direction = index.directionAt(*time);
        const bool mirrored = alternate && std::fmod(k, 2.0) == 1.0;
        QTransform placement;
        placement.translate(point.x(), point.y());
        placement.rotateRadians(std::atan2(direction.y(), direction.x()));
        placement.scale(factor, mirrored ? -factor : factor);
        result->appendPath(*elementPath.transformed(placement));
    }
    return result;
}

} // namespace pw
