#pragma once

// The paths whose lengths, trims, offsets and outlines the geometry tests know by heart.

#include "platform/graphics/BezierPath.h"

#include <cmath>
#include <numbers>

namespace golden {

// From (0, 0) to (100, 0).
inline pf::Ref<pf::BezierPath> straightLine()
{
    auto path = pf::BezierPath::path();
    path->moveTo({0, 0});
    path->lineTo({100, 0});
    return path;
}

// A quarter of the circle of radius 100 about the origin, from (100, 0) to (0, 100), in four
// cubics so that the cubics stand for the circle to well below the tolerances tested.
inline pf::Ref<pf::BezierPath> quarterCircle()
{
    auto path = pf::BezierPath::path();
    const double step = std::numbers::pi / 8.0;
    const double handle = 4.0 / 3.0 * std::tan(step / 4.0) * 100.0;
    path->moveTo({100, 0});
    for (int i = 0; i < 4; ++i) {
        const double a0 = i * step, a1 = (i + 1) * step;
        const QPointF p0(100 * std::cos(a0), 100 * std::sin(a0));
        const QPointF p1(100 * std::cos(a1), 100 * std::sin(a1));
        path->curveTo(p1, p0 + handle * QPointF(-std::sin(a0), std::cos(a0)),
                      p1 - handle * QPointF(-std::sin(a1), std::cos(a1)));
    }
    return path;
}

// One cubic that bends one way and then the other.
inline pf::Ref<pf::BezierPath> sCurve()
{
    auto path = pf::BezierPath::path();
    path->moveTo({0, 0});
    path->curveTo({100, 0}, {40, -60}, {60, 60});
    return path;
}

} // namespace golden
