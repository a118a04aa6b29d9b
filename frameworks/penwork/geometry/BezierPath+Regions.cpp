#include "frameworks/penwork/geometry/BezierPath+Regions.h"

#include "frameworks/penwork/geometry/BezierPath+Intersections.h"
#include "frameworks/penwork/geometry/BezierPath+SpatialIndex.h"

#include <2geom/bezier-curve.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <tuple>
#include <unordered_map>

namespace pw::detail {

namespace {

// Places closer than this (times the drawing's scale) are taken as one.
constexpr double kSnap = 1e-7;

struct Split {
    double t;
    size_t vertex;
};

struct Edge {
    size_t curve;
    double from;
    double to;
    size_t start;  // vertex, after merging
    size_t end;
    bool reversed = false;
    bool used = false;
};

class VertexSet {
public:
    size_t add(const Geom::Point& point)
    {
        m_points.push_back(point);
        m_parent.push_back(m_parent.size());
        return m_points.size() - 1;
    }
    size_t find(size_t v)
    {
        while (m_parent[v] != v) {
            m_parent[v] = m_parent[m_parent[v]];
            v = m_parent[v];
        }
        return v;
    }
    void join(size_t a, size_t b)
    {
        a = find(a);
        b = find(b);
        if (a != b)
            m_parent[std::max(a, b)] = std::min(a, b);
    }
    const Geom::Point& point(size_t v) const { return m_points[v]; }
    size_t size() const { return m_points.size(); }

    // Joins vertices that lie within `tolerance` of each other: a sweep along x.
    void joinNear(double tolerance)
    {
        std::vector<size_t> order(m_points.size());
        std::iota(order.begin(), order.end(), size_t(0));
        std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return m_points[a].x() < m_points[b].x(); });
        for (size_t i = 0; i < order.size(); ++i) {
            const Geom::Point& p = m_points[order[i]];
            for (size_t j = i + 1; j < order.size() && m_points[order[j]].x() - p.x() <= tolerance; ++j) {
                if (std::abs(m_points[order[j]].y() - p.y()) <= tolerance)
                    join(order[i], order[j]);
            }
        }
    }

private:
    std::vector<Geom::Point> m_points;
    std::vector<size_t> m_parent;
};

} // namespace

Geom::PathVector regionOutline(const std::vector<RegionOperand>& operands, const RegionSelector& select)
{
    // Every operand's sub-paths, closed, and their curves with the operand they belong to.
    std::vector<Geom::Path> closedPaths;
    std::vector<int> pathOperand;
    for (size_t k = 0; k < operands.size() && k < 2; ++k) {
        for (Geom::Path path : *operands[k].paths) {
            path.close(true);
            if (path.size_default() == 0)
                continue;
            closedPaths.push_back(std::move(path));
            pathOperand.push_back(int(k));
        }
    }
    std::vector<const Geom::Curve*> curves;
    std::vector<int> curveOperand;
    std::vector<size_t> curveStart, curveEnd;
    VertexSet vertices;
    Geom::PathVector everything;
    for (size_t p = 0; p < closedPaths.size(); ++p) {
        const Geom::Path& path = closedPaths[p];
        everything.push_back(path);
        const size_t first = vertices.size();
        const size_t count = path.size_default();
        for (size_t c = 0; c < count; ++c)
            vertices.add(path[c].initialPoint());
        for (size_t c = 0; c < count; ++c) {
            curves.push_back(&path[c]);
            curveOperand.push_back(pathOperand[p]);
            curveStart.push_back(first + c);
            curveEnd.push_back(first + (c + 1) % count);
        }
    }
    if (curves.empty())
        return {};
    const double scale = scaleOf(everything);
    const double snap = kSnap * scale;

    // Split every curve where it meets another (or itself).
    std::vector<std::vector<Split>> splits(curves.size());
    for (size_t c = 0; c < curves.size(); ++c) {
        splits[c].push_back({0.0, curveStart[c]});
        splits[c].push_back({1.0, curveEnd[c]});
    }
    for (const CurveCrossing& crossing : crossingsAmong(curves)) {
        const size_t v = vertices.add(crossing.point);
        splits[crossing.first].push_back({crossing.firstTime, v});
        splits[crossing.second].push_back({crossing.secondTime, v});
    }
    vertices.joinNear(snap);
    std::vector<Edge> edges;
    for (size_t c = 0; c < curves.size(); ++c) {
        auto& list = splits[c];
        std::sort(list.begin(), list.end(), [](const Split& a, const Split& b) { return a.t < b.t; });
        // Splits at (nearly) the same time are the same place.
        for (size_t i = 1; i < list.size(); ++i) {
            if (list[i].t - list[i - 1].t < 1e-9)
                vertices.join(list[i].vertex, list[i - 1].vertex);
        }
    }
    for (size_t c = 0; c < curves.size(); ++c) {
        const auto& list = splits[c];
        for (size_t i = 1; i < list.size(); ++i) {
            const size_t a = vertices.find(list[i - 1].vertex);
            const size_t b = vertices.find(list[i].vertex);
            if (list[i].t - list[i - 1].t < 1e-9)
                continue;
            if (a == b && Geom::distance(curves[c]->pointAt(list[i - 1].t), curves[c]->pointAt(0.5 * (list[i - 1].t + list[i].t))) <= snap)
                continue;
            edges.push_back({c, list[i - 1].t, list[i].t, a, b});
        }
    }

    // Keep the pieces on the border of the selected area, each turned to have it on its left.
    CurveGrid grid(curves);
    auto insideAt = [&](const Geom::Point& point) {
        const CurveGrid::Ray ray = grid.shortestRay(point);
        int winding[2] = {0, 0};
        for (size_t index : grid.curvesAlongRay(point, ray))
            winding[curveOperand[index]] += grid.crossings(index, point, ray);
        std::array<bool, 2> inside{};
        for (size_t k = 0; k < operands.size() && k < 2; ++k)
            inside[k] = operands[k].rule == FillRule::EvenOdd ? (winding[k] % 2 != 0) : (winding[k] != 0);
        return select(inside);
    };
    std::vector<Edge> kept;
    for (Edge& edge : edges) {
        const Geom::Curve& curve = *curves[edge.curve];
        const double middle = 0.5 * (edge.from + edge.to);
        const Geom::Point point = curve.pointAt(middle);
        const Geom::Point tangent = curve.unitTangentAt(middle);
        if (Geom::L2(tangent) < 0.5)
            continue;
        const double chord = Geom::distance(curve.pointAt(edge.from), curve.pointAt(edge.to));
        const double step = std::max(std::min(1e-6 * scale, 0.05 * chord), 4.0 * snap);
        const Geom::Point normal = leftNormal(tangent) * step;
        const bool left = insideAt(point + normal);
        const bool right = insideAt(point - normal);
        if (left == right)
            continue;
        edge.reversed = !left;
        if (edge.reversed)
            std::swap(edge.start, edge.end);
        kept.push_back(edge);
    }
    // Pieces that lie on top of each other (shared borders) are kept once.
    for (Edge& edge : kept) {
        edge.start = vertices.find(edge.start);
        edge.end = vertices.find(edge.end);
    }
    std::vector<size_t> byEnds(kept.size());
    std::iota(byEnds.begin(), byEnds.end(), size_t(0));
    std::sort(byEnds.begin(), byEnds.end(), [&](size_t a, size_t b) {
        return std::tie(kept[a].start, kept[a].end) < std::tie(kept[b].start, kept[b].end);
    });
    auto middleOf = [&](const Edge& e) { return curves[e.curve]->pointAt(0.5 * (e.from + e.to)); };
    for (size_t i = 0; i < byEnds.size(); ++i) {
        Edge& edge = kept[byEnds[i]];
        for (size_t j = i; j-- > 0;) {
            const Edge& other = kept[byEnds[j]];
            if (other.start != edge.start || other.end != edge.end)
                break;
            if (!other.used && Geom::distance(middleOf(other), middleOf(edge)) <= 16 * snap) {
                edge.used = true;  // taken as chained already: left out
                break;
            }
        }
    }

    // Chain the pieces into closed sub-paths.
    std::unordered_map<size_t, std::vector<size_t>> leaving;
    for (size_t i = 0; i < kept.size(); ++i)
        leaving[kept[i].start].push_back(i);
    auto pieceOf = [&](const Edge& edge) {
        const Geom::Curve& curve = *curves[edge.curve];
        CurvePtr piece(edge.reversed ? curve.portion(edge.to, edge.from) : curve.portion(edge.from, edge.to));
        piece->setFinal(vertices.point(edge.end));
        return piece;
    };
    Geom::PathVector result;
    for (size_t first = 0; first < kept.size(); ++first) {
        if (kept[first].used)
            continue;
        Geom::Path path(vertices.point(kept[first].start));
        path.setStitching(true);
        size_t current = first;
        while (true) {
            Edge& edge = kept[current];
            edge.used = true;
            appendJoined(path, pieceOf(edge));
            if (edge.end == kept[first].start)
                break;
            const auto& next = leaving[edge.end];
            auto unused = std::find_if(next.begin(), next.end(), [&](size_t i) { return !kept[i].used; });
            if (unused == next.end())
                break;  // an open end (rounding); the close below bridges it
            current = *unused;
        }
        path.close(true);
        result.push_back(std::move(path));
    }
    return result;
}

Geom::PathVector withoutOverlaps(const Geom::PathVector& paths, FillRule rule)
{
    return regionOutline({{&paths, rule}}, [](const std::array<bool, 2>& inside) { return inside[0]; });
}

} // namespace pw::detail
