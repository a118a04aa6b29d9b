#include "drawing/BezierPath+Shims.h"

#include "frameworks/penwork/geometry/BezierPath+Outline.h"
#include "frameworks/penwork/geometry/BezierPath+Smoothing.h"

#include <atomic>
#include <cmath>

namespace pwx {

namespace {

std::atomic<bool> g_interpolated{false};

using Type = pf::BezierPath::ElementType;
using Element = pf::BezierPath::Element;

// Where an element leaves the pen: a curve's end point, a move's or line's point. A close
// returns to its sub-path's start.
QPointF endPoint(const Element& element)
{
    return element.type == Type::CurveTo ? element.points[2] : element.points[0];
}

bool isSegment(const Element& element)
{
    return element.type == Type::LineTo || element.type == Type::CurveTo;
}

bool isZero(const QPointF& v)
{
    return v.x() == 0.0 && v.y() == 0.0;
}

// The direction in which a segment starting at `from` leaves it.
QPointF outgoing(const Element& segment, const QPointF& from)
{
    if (segment.type == Type::CurveTo) {
        for (const QPointF& p : segment.points)
            if (!isZero(p - from))
                return p - from;
        return {};
    }
    return segment.points[0] - from;
}

// The direction in which a segment starting at `from` arrives at its end.
QPointF incoming(const Element& segment, const QPointF& from)
{
    if (segment.type == Type::CurveTo) {
        const QPointF end = segment.points[2];
        for (const QPointF& p : {segment.points[1], segment.points[0], from})
            if (!isZero(end - p))
                return end - p;
        return {};
    }
    return segment.points[0] - from;
}

} // namespace

bool shimPathsInterpolated()
{
    return g_interpolated.load(std::memory_order_relaxed);
}

void setShimPathsInterpolated(bool interpolated)
{
    g_interpolated.store(interpolated, std::memory_order_relaxed);
}

ShimInterpolationScope::ShimInterpolationScope(bool interpolated) : m_previous(shimPathsInterpolated())
{
    setShimPathsInterpolated(interpolated);
}

ShimInterpolationScope::~ShimInterpolationScope()
{
    setShimPathsInterpolated(m_previous);
}

pf::Ref<pf::BezierPath> taperPathWithOffsets(const pf::BezierPath& path, double startOffset, double endOffset,
                                             TaperFunction taper)
{
    auto result = pf::BezierPath::path();
    const QList<Element>& elements = path.elements();
    const int n = int(elements.size());
    if (n == 0)
        return result;

    QPointF previousDisplacement;
    QPointF subpathStart;
    QPointF pen; // where the previous element left the pen
    double lastAngle = M_PI / 2.0;
    for (int i = 0; i < n; ++i) {
        const Element& element = elements[i];
        double t = n > 1 ? double(i) / double(n - 1) : 0.0;
        if (taper)
            t = taper(t);
        const double offset = startOffset + t * (endOffset - startOffset);

        if (element.type == Type::ClosePath) {
            // A close has no point of its own: it keeps the displacement it follows.
            result->closePath();
            pen = subpathStart;
            continue;
        }

        const QPointF here = endPoint(element);
        // Within a sub-path the direction is the next segment's way out of this point; at the
        // end of a sub-path (next is a move, a close or nothing) it is this segment's way in.
        QPointF direction;
        if (i + 1 < n && isSegment(elements[i + 1]))
            direction = outgoing(elements[i + 1], here);
        if (isZero(direction) && isSegment(element))
            direction = incoming(element, pen);
        const double angle = isZero(direction) ? lastAngle : std::atan2(direction.y(), direction.x()) + M_PI / 2.0;
        lastAngle = angle;
        const QPointF displacement(offset * std::cos(angle), offset * std::sin(angle));

        switch (element.type) {
        case Type::MoveTo:
            result->moveTo(element.points[0] + displacement);
            subpathStart = element.points[0];
            break;
        case Type::LineTo:
            result->lineTo(element.points[0] + displacement);
            break;
        case Type::CurveTo:
            result->curveTo(element.points[2] + displacement, element.points[0] + previousDisplacement,
                            element.points[1] + displacement);
            break;
        case Type::ClosePath:
            break;
        }
        previousDisplacement = displacement;
        pen = here;
    }
    return result;
}

pf::Ref<pf::BezierPath> shimPath(const pf::BezierPath& path, double startWidth, double startOffset,
                                 double endWidth, double endOffset, TaperFunction taper)
{
    if (path.isEmpty())
        return pf::BezierPath::path();
    if (startOffset == 0.0 && startWidth == endWidth && endOffset == 0.0)
        return pw::strokedPathWithStrokeWidth(path, startWidth);

    pf::Ref<pf::BezierPath> upper =
        taperPathWithOffsets(path, startOffset + startWidth / 2.0, endOffset + endWidth / 2.0, taper);
    pf::Ref<pf::BezierPath> lower =
        taperPathWithOffsets(path, startOffset - startWidth / 2.0, endOffset - endWidth / 2.0, taper);
    if (shimPathsInterpolated()) {
        upper = pw::bezierPathByInterpolatingPath(*upper, 0.5);
        lower = pw::bezierPathByInterpolatingPath(*lower, 0.5);
    }
    const pf::Ref<pf::BezierPath> back = lower->reversed();
    if (upper->isEmpty() || back->isEmpty())
        return pf::BezierPath::path();
    upper->lineTo(back->firstPoint());
    upper->appendPathRemovingInitialMoveTo(*back);
    upper->closePath();
    return upper;
}

pf::Ref<pf::BezierPath> shimPath(const pf::BezierPath& path, double startWidth, double endWidth, TaperFunction taper)
{
    return shimPath(path, startWidth, 0.0, endWidth, 0.0, taper);
}

} // namespace pwx
