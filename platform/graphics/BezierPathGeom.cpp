#include "platform/graphics/BezierPathGeom.h"

#include <2geom/bezier-curve.h>
#include <2geom/path.h>
#include <2geom/sbasis-to-bezier.h>

#include <cmath>

namespace pf {

namespace {

Geom::Point geomPoint(const QPointF& point)
{
    return Geom::Point(point.x(), point.y());
}

QPointF qtPoint(const Geom::Point& point)
{
    return QPointF(point.x(), point.y());
}

bool isFinitePoint(const QPointF& point)
{
    return std::isfinite(point.x()) && std::isfinite(point.y());
}

// Appends a line, quadratic or cubic; false for any other curve.
bool appendBezier(BezierPath& path, const Geom::Curve& curve)
{
    const auto* bezier = dynamic_cast<const Geom::BezierCurve*>(&curve);
    if (!bezier)
        return false;
    switch (bezier->order()) {
    case 1:
        path.lineTo(qtPoint(bezier->controlPoint(1)));
        return true;
    case 2: {
        // Degree elevation: the cubic with these controls is the same curve.
        const QPointF start = qtPoint(bezier->controlPoint(0));
        const QPointF control = qtPoint(bezier->controlPoint(1));
        const QPointF end = qtPoint(bezier->controlPoint(2));
        path.curveTo(end, start + 2.0 / 3.0 * (control - start), end + 2.0 / 3.0 * (control - end));
        return true;
    }
    case 3:
        path.curveTo(qtPoint(bezier->controlPoint(3)), qtPoint(bezier->controlPoint(1)),
                     qtPoint(bezier->controlPoint(2)));
        return true;
    default:
        return false;
    }
}

void appendCurve(BezierPath& path, const Geom::Curve& curve)
{
    if (appendBezier(path, curve))
        return;
    const Geom::Path cubics = Geom::cubicbezierpath_from_sbasis(curve.toSBasis(), kGeomCurveTolerance);
    for (size_t i = 0; i < cubics.size_open(); ++i) {
        if (!appendBezier(path, cubics[i]))
            path.lineTo(qtPoint(cubics[i].finalPoint()));
    }
    // The pieces may end a rounding error away from the curve's own end.
    if (path.currentPoint() != qtPoint(curve.finalPoint()))
        path.lineTo(qtPoint(curve.finalPoint()));
}

} // namespace

Geom::PathVector toGeomPathVector(const BezierPath& path)
{
    Geom::PathVector result;
    Geom::Path current;
    bool started = false;
    bool usable = true;
    const auto flush = [&] {
        if (started && usable)
            result.push_back(current);
        started = false;
    };

    for (const BezierPath::Element& e : path.elements()) {
        for (int i = 0; i < e.pointCount(); ++i)
            usable = usable && isFinitePoint(e.points[i]);
        switch (e.type) {
        case BezierPath::ElementType::MoveTo:
            flush();
            usable = isFinitePoint(e.points[0]);
            current = Geom::Path(geomPoint(usable ? e.points[0] : QPointF()));
            started = true;
            break;
        case BezierPath::ElementType::LineTo:
            if (usable)
                current.appendNew<Geom::LineSegment>(geomPoint(e.points[0]));
            break;
        case BezierPath::ElementType::CurveTo:
            if (usable)
                current.appendNew<Geom::CubicBezier>(geomPoint(e.points[0]), geomPoint(e.points[1]),
                                                     geomPoint(e.points[2]));
            break;
        case BezierPath::ElementType::ClosePath:
            current.close(true);
            flush();
            break;
        }
    }
    flush();
    return result;
}

Ref<BezierPath> bezierPathFromGeomPathVector(const Geom::PathVector& paths)
{
    auto result = BezierPath::path();
    for (const Geom::Path& path : paths) {
        result->moveTo(qtPoint(path.initialPoint()));
        for (size_t i = 0; i < path.size_open(); ++i)
            appendCurve(*result, path[i]);
        if (path.closed())
            result->closePath();
    }
    return result;
}

} // namespace pf
