#include "frameworks/penwork/geometry/BezierPath+SpatialIndex.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pw::detail {

namespace {

constexpr int kMaxCellsPerSide = 4096;
// A curve that would sit in more cells than this is tested for every question instead.
constexpr int kMaxCellsPerCurve = 64;

} // namespace

CurveGrid::CurveGrid(std::vector<const Geom::Curve*> curves)
    : m_curves(std::move(curves))
{
    m_bounds.reserve(m_curves.size());
    for (const Geom::Curve* curve : m_curves)
        m_bounds.push_back(curve->boundsFast());
    if (m_curves.empty()) {
        m_cells.resize(1);
        return;
    }
    m_area = m_bounds.front();
    for (const auto& bounds : m_bounds)
        m_area.unionWith(bounds);
    const double width = std::max(m_area.width(), 1e-9);
    const double height = std::max(m_area.height(), 1e-9);
    // About one square cell per curve.
    const double count = double(m_curves.size());
    const double cell = std::max(std::sqrt(width * height / count), 1e-9);
    m_columns = int(std::clamp(std::ceil(width / cell), 1.0, double(kMaxCellsPerSide)));
    m_rows = int(std::clamp(std::ceil(height / cell), 1.0, double(kMaxCellsPerSide)));
    while (double(m_columns) * m_rows > 4.0 * count + 16.0) {
        m_columns = std::max(1, m_columns / 2);
        m_rows = std::max(1, m_rows / 2);
    }
    m_cellWidth = width / m_columns;
    m_cellHeight = height / m_rows;
    m_cells.resize(size_t(m_columns) * m_rows);
    m_marks.assign(m_curves.size(), 0);
    for (size_t i = 0; i < m_curves.size(); ++i) {
        const int c0 = column(m_bounds[i].left()), c1 = column(m_bounds[i].right());
        const int r0 = row(m_bounds[i].top()), r1 = row(m_bounds[i].bottom());
        if ((c1 - c0 + 1) * (r1 - r0 + 1) > kMaxCellsPerCurve) {
            m_oversized.push_back(i);
            continue;
        }
        for (int r = r0; r <= r1; ++r) {
            for (int c = c0; c <= c1; ++c)
                m_cells[size_t(r) * m_columns + c].push_back(i);
        }
    }
}

int CurveGrid::column(double x) const
{
    const double cell = std::floor((x - m_area.left()) / m_cellWidth);
    return int(std::clamp(cell, 0.0, double(m_columns - 1)));
}

int CurveGrid::row(double y) const
{
    const double cell = std::floor((y - m_area.top()) / m_cellHeight);
    return int(std::clamp(cell, 0.0, double(m_rows - 1)));
}

void CurveGrid::collect(int column, int row, std::vector<size_t>& found) const
{
    for (size_t index : m_cells[size_t(row) * m_columns + column]) {
        if (m_marks[index] != m_mark) {
            m_marks[index] = m_mark;
            found.push_back(index);
        }
    }
}

std::vector<size_t> CurveGrid::finish(std::vector<size_t>& found) const
{
    found.insert(found.end(), m_oversized.begin(), m_oversized.end());
    return std::move(found);
}

std::vector<size_t> CurveGrid::curvesNear(const Geom::Rect& area) const
{
    std::vector<size_t> found;
    if (m_curves.empty() || !area.intersects(m_area))
        return m_curves.empty() ? found : finish(found);
    if (++m_mark == 0) {
        std::fill(m_marks.begin(), m_marks.end(), 0);
        m_mark = 1;
    }
    for (int r = row(area.top()); r <= row(area.bottom()); ++r) {
        for (int c = column(area.left()); c <= column(area.right()); ++c)
            collect(c, r, found);
    }
    std::erase_if(found, [&](size_t index) { return !m_bounds[index].intersects(area); });
    return finish(found);
}

CurveGrid::Ray CurveGrid::shortestRay(const Geom::Point& point) const
{
    const double toRight = (m_area.right() - point.x()) / m_cellWidth;
    const double toLeft = (point.x() - m_area.left()) / m_cellWidth;
    const double toBottom = (m_area.bottom() - point.y()) / m_cellHeight;
    const double toTop = (point.y() - m_area.top()) / m_cellHeight;
    const double shortest = std::min({toRight, toLeft, toBottom, toTop});
    if (shortest == toRight)
        return Ray::PlusX;
    if (shortest == toLeft)
        return Ray::MinusX;
    return shortest == toBottom ? Ray::PlusY : Ray::MinusY;
}

std::vector<size_t> CurveGrid::curvesAlongRay(const Geom::Point& point, Ray ray) const
{
    std::vector<size_t> found;
    if (m_curves.empty())
        return found;
    if (++m_mark == 0) {
        std::fill(m_marks.begin(), m_marks.end(), 0);
        m_mark = 1;
    }
    const int c = column(point.x());
    const int r = row(point.y());
    const bool horizontal = ray == Ray::PlusX || ray == Ray::MinusX;
    if (horizontal && point.y() >= m_area.top() && point.y() <= m_area.bottom()) {
        const int from = ray == Ray::PlusX ? c : 0;
        const int to = ray == Ray::PlusX ? m_columns - 1 : c;
        for (int k = from; k <= to; ++k)
            collect(k, r, found);
    } else if (!horizontal && point.x() >= m_area.left() && point.x() <= m_area.right()) {
        const int from = ray == Ray::PlusY ? r : 0;
        const int to = ray == Ray::PlusY ? m_rows - 1 : r;
        for (int k = from; k <= to; ++k)
            collect(c, k, found);
    }
    return finish(found);
}

int CurveGrid::crossings(size_t index, const Geom::Point& point, Ray ray) const
{
    const Geom::Curve& curve = *m_curves[index];
    const bool horizontal = ray == Ray::PlusX || ray == Ray::MinusX;
    const Geom::Dim2 level = horizontal ? Geom::Y : Geom::X;  // the coordinate the ray keeps
    const Geom::Dim2 reach = horizontal ? Geom::X : Geom::Y;  // the coordinate it runs along
    const bool forwards = ray == Ray::PlusX || ray == Ray::PlusY;
    const Geom::Rect& bounds = m_bounds[index];
    if (!bounds[level].contains(point[level]))
        return 0;
    if (forwards ? bounds[reach].max() < point[reach] : bounds[reach].min() > point[reach])
        return 0;
    int count = 0;
    for (double t : curve.roots(point[level], level)) {
        // Half open, so that a crossing through the joint of two curves counts once.
        if (t < 0.0 || t >= 1.0)
            continue;
        const double along = curve.valueAt(t, reach);
        if (forwards ? along <= point[reach] : along >= point[reach])
            continue;
        const double change = curve.pointAndDerivatives(t, 1)[1][level];
        const int sign = change > 0.0 ? 1 : (change < 0.0 ? -1 : 0);
        // Signs chosen so that all four rays agree on a path's winding number.
        switch (ray) {
        case Ray::PlusX: count += sign; break;
        case Ray::MinusX: count -= sign; break;
        case Ray::PlusY: count -= sign; break;
        case Ray::MinusY: count += sign; break;
        }
    }
    return count;
}

double CurveGrid::distanceWithin(const Geom::Point& point, double reach) const
{
    double nearest = std::numeric_limits<double>::infinity();
    const Geom::Rect area(point - Geom::Point(reach, reach), point + Geom::Point(reach, reach));
    for (size_t index : curvesNear(area)) {
        const Geom::Curve& curve = *m_curves[index];
        nearest = std::min(nearest, Geom::distance(point, curve.pointAt(curve.nearestTime(point))));
    }
    return nearest;
}

} // namespace pw::detail
