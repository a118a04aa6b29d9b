#include "frameworks/penwork/geometry/BezierPath+Boolean.h"

#include "frameworks/penwork/geometry/BezierPath+Regions.h"
#include "frameworks/penwork/geometry/BezierPath+SpatialIndex.h"
#include "frameworks/penwork/geometry/BezierPath+Support.h"

#include <2geom/intersection-graph.h>

#include <cmath>

namespace pw {

namespace {

enum class Operation { Union, Intersection, Difference, ExclusiveOr };

detail::FillRule fillRuleOf(const pf::BezierPath& path)
{
    return path.windingRule() == pf::BezierPath::WindingRule::EvenOdd ? detail::FillRule::EvenOdd
                                                                       : detail::FillRule::NonZero;
}

bool selects(Operation operation, bool inA, bool inB)
{
    switch (operation) {
    case Operation::Union: return inA || inB;
    case Operation::Intersection: return inA && inB;
    case Operation::Difference: return inA && !inB;
    case Operation::ExclusiveOr: return inA != inB;
    }
    return false;
}

// Whether the borders of the two areas run along each other somewhere (shared sides): the
// intersection graph cannot tell inside from outside along such a stretch.
bool sharesBorder(const Geom::PathVector& a, const Geom::PathVector& b)
{
    Geom::PathVector closedB = b;
    for (auto& path : closedB)
        path.close(true);
    const detail::CurveGrid grid(detail::curvesOf(closedB));
    Geom::PathVector both = a;
    both.insert(both.end(), b.begin(), b.end());
    const double tolerance = 1e-7 * detail::scaleOf(both);
    Geom::PathVector closedA = a;
    for (auto& path : closedA)
        path.close(true);
    for (const Geom::Curve* curve : detail::curvesOf(closedA)) {
        for (double t : {0.25, 0.5, 0.75}) {
            const Geom::Point point = curve->pointAt(t);
            const Geom::Rect area(point - Geom::Point(tolerance, tolerance), point + Geom::Point(tolerance, tolerance));
            for (size_t index : grid.curvesNear(area)) {
                const Geom::Curve& other = grid.curve(index);
                const double time = other.nearestTime(point);
                if (Geom::distance(other.pointAt(time), point) > tolerance)
                    continue;
                const Geom::Point d1 = curve->unitTangentAt(t), d2 = other.unitTangentAt(time);
                if (std::abs(d1.x() * d2.y() - d1.y() * d2.x()) < 1e-6)
                    return true;
            }
        }
    }
    return false;
}

pf::Ref<pf::BezierPath> combine(const pf::BezierPath& a, const pf::BezierPath& b, Operation operation)
{
    const Geom::PathVector geometryA = detail::geometryOf(a);
    const Geom::PathVector geometryB = detail::geometryOf(b);
    const Geom::PathVector areaA = detail::withoutOverlaps(geometryA, fillRuleOf(a));
    const Geom::PathVector areaB = detail::withoutOverlaps(geometryB, fillRuleOf(b));

    Geom::PathVector result;
    if (areaA.empty() || areaB.empty()) {
        // Nothing to cross: the answer is one side or nothing.
        if (selects(operation, true, false))
            result = areaA;
        if (selects(operation, false, true))
            result.insert(result.end(), areaB.begin(), areaB.end());
    } else {
        Geom::PathIntersectionGraph graph(areaA, areaB);
        if (graph.valid() && !sharesBorder(areaA, areaB) && !sharesBorder(areaB, areaA)) {
            switch (operation) {
            case Operation::Union: result = graph.getUnion(); break;
            case Operation::Intersection: result = graph.getIntersection(); break;
            case Operation::Difference: result = graph.getAminusB(); break;
            case Operation::ExclusiveOr: result = graph.getXOR(); break;
            }
        } else {
            result = detail::regionOutline(
                {{&areaA, detail::FillRule::EvenOdd}, {&areaB, detail::FillRule::EvenOdd}},
                [operation](const std::array<bool, 2>& inside) { return selects(operation, inside[0], inside[1]); });
        }
    }
    auto path = detail::pathLike(a, result);
    path->setWindingRule(pf::BezierPath::WindingRule::EvenOdd);
    return path;
}

} // namespace

pf::Ref<pf::BezierPath> unionPath(const pf::BezierPath& a, const pf::BezierPath& b)
{
    return combine(a, b, Operation::Union);
}

pf::Ref<pf::BezierPath> intersectionPath(const pf::BezierPath& a, const pf::BezierPath& b)
{
    return combine(a, b, Operation::Intersection);
}

pf::Ref<pf::BezierPath> differencePath(const pf::BezierPath& a, const pf::BezierPath& b)
{
    return combine(a, b, Operation::Difference);
}

pf::Ref<pf::BezierPath> exclusiveOrPath(const pf::BezierPath& a, const pf::BezierPath& b)
{
    return combine(a, b, Operation::ExclusiveOr);
}

} // namespace pw
