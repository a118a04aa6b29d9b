#include "frameworks/penwork/geometry/BezierPath+Support.h"

#include "platform/graphics/BezierPathGeom.h"

#include <cmath>

namespace pw::detail {

pf::Ref<pf::BezierPath> emptyPathLike(const pf::BezierPath& source)
{
    auto result = std::make_shared<pf::BezierPath>(source);
    result->removeAllPoints();
    return result;
}

pf::Ref<pf::BezierPath> copyOf(const pf::BezierPath& source)
{
    return std::make_shared<pf::BezierPath>(source);
}

pf::Ref<pf::BezierPath> pathLike(const pf::BezierPath& source, const Geom::PathVector& geometry)
{
    auto result = emptyPathLike(source);
    if (!geometry.empty())
        result->appendPath(*pf::bezierPathFromGeomPathVector(geometry));
    return result;
}

Geom::PathVector geometryOf(const pf::BezierPath& path)
{
    for (const auto& element : path.elements()) {
        for (int i = 0; i < element.pointCount(); ++i) {
            if (!std::isfinite(element.points[i].x()) || !std::isfinite(element.points[i].y()))
                return {};
        }
    }
    return pf::toGeomPathVector(path);
}

std::vector<const Geom::Curve*> curvesOf(const Geom::PathVector& paths)
{
    std::vector<const Geom::Curve*> curves;
    for (const auto& subpath : paths) {
        for (size_t i = 0; i < subpath.size_default(); ++i)
            curves.push_back(&subpath[i]);
    }
    return curves;
}

void appendJoined(Geom::Path& path, CurvePtr curve)
{
    curve->setInitial(path.finalPoint());
    path.append(curve.release());
}

double scaleOf(const Geom::PathVector& paths)
{
    const Geom::OptRect bounds = paths.boundsFast();
    if (!bounds)
        return 1.0;
    return std::max(1.0, std::max(bounds->width(), bounds->height()));
}

double magnitudeOf(const Geom::PathVector& paths)
{
    const Geom::OptRect bounds = paths.boundsFast();
    if (!bounds)
        return 0.0;
    return std::max({std::abs(bounds->left()), std::abs(bounds->right()), std::abs(bounds->top()), std::abs(bounds->bottom())});
}

} // namespace pw::detail
