#include "frameworks/penwork/geometry/BezierPath+Smoothing.h"

#include "frameworks/penwork/geometry/BezierPath+Support.h"

#include <cmath>

namespace pw {

namespace {

using Type = pf::BezierPath::ElementType;

void appendSmoothed(pf::BezierPath& result, QList<QPointF> points, bool closed, double smoothing)
{
    if (points.isEmpty())
        return;
    if (closed && points.size() > 1 && points.last() == points.first())
        points.removeLast();
    result.moveTo(points.first());
    const qsizetype count = points.size();
    if (count == 1) {
        if (closed)
            result.closePath();
        return;
    }
    auto at = [&](qsizetype i) {
        if (closed)
            return points[((i % count) + count) % count];
        return points[std::clamp<qsizetype>(i, 0, count - 1)];
    };
    // The tangent at point i: the chord across its neighbours, scaled.
    auto tangent = [&](qsizetype i) { return (at(i + 1) - at(i - 1)) * smoothing; };
    const qsizetype stretches = closed ? count : count - 1;
    for (qsizetype i = 0; i < stretches; ++i) {
        const QPointF end = at(i + 1);
        if (smoothing == 0.0)
            result.lineTo(end);
        else
            result.curveTo(end, at(i) + tangent(i) / 3.0, end - tangent(i + 1) / 3.0);
    }
    if (closed)
        result.closePath();
}

} // namespace

pf::Ref<pf::BezierPath> bezierPathByInterpolatingPath(const pf::BezierPath& path, double smoothing)
{
    auto result = detail::emptyPathLike(path);
    if (!std::isfinite(smoothing) || detail::geometryOf(path).empty())
        return result;
    smoothing = std::max(smoothing, 0.0);
    QList<QPointF> points;
    bool closed = false;
    auto flush = [&] {
        appendSmoothed(*result, points, closed, smoothing);
        points.clear();
        closed = false;
    };
    for (const auto& element : path.elements()) {
        switch (element.type) {
        case Type::MoveTo:
            flush();
            points.append(element.points[0]);
            break;
        case Type::LineTo:
        case Type::CurveTo: {
            const QPointF end = element.points[element.pointCount() - 1];
            if (points.isEmpty() || points.last() != end)
                points.append(end);
            break;
        }
        case Type::ClosePath:
            closed = true;
            flush();
            break;
        }
    }
    flush();
    return result;
}

} // namespace pw
