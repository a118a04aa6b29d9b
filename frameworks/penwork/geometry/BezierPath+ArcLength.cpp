#include "frameworks/penwork/geometry/BezierPath+ArcLength.h"

#include <algorithm>
#include <cmath>

namespace pw::detail {

namespace {

// lib2geom measures Bezier lengths by subdividing until chord and control polygon agree to this.
constexpr double kLengthTolerance = 1e-4;

} // namespace

ArcLengthIndex::ArcLengthIndex(Geom::PathVector paths)
    : m_paths(std::move(paths))
{
    double travelled = 0.0;
    for (size_t p = 0; p < m_paths.size(); ++p) {
        m_firstEntry.push_back(m_entries.size());
        m_subpathStarts.push_back(travelled);
        const Geom::Path& subpath = m_paths[p];
        for (size_t c = 0; c < subpath.size_default(); ++c) {
            const double length = curveLength(subpath[c]);
            m_entries.push_back({p, c, travelled, length});
            travelled += length;
        }
    }
    m_firstEntry.push_back(m_entries.size());
    m_subpathStarts.push_back(travelled);
    m_total = travelled;
}

double ArcLengthIndex::curveLength(const Geom::Curve& curve)
{
    if (curve.isDegenerate())
        return 0.0;
    if (curve.isLineSegment())
        return Geom::distance(curve.initialPoint(), curve.finalPoint());
    return curve.length(kLengthTolerance);
}

double ArcLengthIndex::timeAfter(const Geom::Curve& curve, double from, double length, double lengthFromThere)
{
    if (length <= 0.0)
        return from;
    if (length >= lengthFromThere)
        return 1.0;
    if (curve.isLineSegment())
        return from + (1.0 - from) * (length / lengthFromThere);

    // Newton's method on the travelled length, kept inside a bracket that bisection narrows
    // whenever a step would leave it or the speed vanishes (a cusp).
    double low = from;
    double high = 1.0;
    double t = from + (1.0 - from) * (length / lengthFromThere);
    const double tolerance = 1e-9 * std::max(1.0, lengthFromThere);
    for (int iteration = 0; iteration < 60; ++iteration) {
        const CurvePtr piece(curve.portion(from, t));
        const double error = curveLength(*piece) - length;
        if (std::abs(error) <= tolerance)
            break;
        if (error > 0.0)
            high = t;
        else
            low = t;
        const double speed = Geom::L2(curve.pointAndDerivatives(t, 1)[1]);
        double next = speed > 1e-12 ? t - error / speed : -1.0;
        if (!(next > low && next < high))
            next = 0.5 * (low + high);
        if (high - low < 1e-15)
            break;
        t = next;
    }
    return t;
}

std::optional<Geom::PathVectorTime> ArcLengthIndex::timeAtLength(double length) const
{
    return locate(length, 0, m_entries.size());
}

std::optional<Geom::PathVectorTime> ArcLengthIndex::timeAtLength(double length, size_t subpath) const
{
    return locate(length, m_firstEntry[subpath], m_firstEntry[subpath + 1]);
}

std::optional<Geom::PathVectorTime> ArcLengthIndex::locate(double length, size_t first, size_t last) const
{
    if (first >= last)
        return std::nullopt;
    // The first curve whose end reaches the length.
    auto begin = m_entries.begin() + first;
    auto end = m_entries.begin() + last;
    auto found = std::lower_bound(begin, end, length,
                                  [](const Entry& entry, double value) { return entry.start + entry.length < value; });
    if (found == end)
        found = end - 1;
    const Entry& entry = *found;
    const Geom::Curve& curve = m_paths[entry.subpath][entry.curve];
    const double within = std::clamp(length - entry.start, 0.0, entry.length);
    return Geom::PathVectorTime(entry.subpath, entry.curve, timeAfter(curve, 0.0, within, entry.length));
}

double ArcLengthIndex::lengthAtTime(const Geom::PathVectorTime& time) const
{
    const size_t index = m_firstEntry[time.path_index] + time.curve_index;
    if (index >= m_firstEntry[time.path_index + 1])
        return m_subpathStarts[time.path_index + 1];
    const Entry& entry = m_entries[index];
    if (time.t <= 0.0)
        return entry.start;
    if (time.t >= 1.0)
        return entry.start + entry.length;
    const CurvePtr piece(m_paths[entry.subpath][entry.curve].portion(0.0, time.t));
    return entry.start + std::min(curveLength(*piece), entry.length);
}

Geom::Point ArcLengthIndex::directionAt(const Geom::PathVectorTime& time) const
{
    const size_t index = m_firstEntry[time.path_index] + time.curve_index;
    if (index < m_entries.size() && m_entries[index].length > 0.0) {
        const Geom::Point tangent = m_paths[time.path_index][time.curve_index].unitTangentAt(time.t);
        if (Geom::L2(tangent) > 0.5)
            return tangent;
    }
    // Look forwards along the path, then backwards, for a curve that has a direction.
    for (size_t i = index + 1; i < m_entries.size(); ++i) {
        if (m_entries[i].length > 0.0)
            return m_paths[m_entries[i].subpath][m_entries[i].curve].unitTangentAt(0.0);
    }
    for (size_t i = std::min(index, m_entries.size()); i-- > 0;) {
        if (m_entries[i].length > 0.0)
            return m_paths[m_entries[i].subpath][m_entries[i].curve].unitTangentAt(1.0);
    }
    return Geom::Point(1.0, 0.0);
}

} // namespace pw::detail
