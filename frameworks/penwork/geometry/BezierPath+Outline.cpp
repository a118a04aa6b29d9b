#include "frameworks/penwork/geometry/BezierPath+Outline.h"

#include "frameworks/penwork/geometry/BezierPath+Parallels.h"
#include "frameworks/penwork/geometry/BezierPath+Regions.h"
#include "frameworks/penwork/geometry/BezierPath+Support.h"

#include <2geom/bezier-curve.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pw {

namespace {

using detail::CurvePtr;
using Cap = pf::BezierPath::LineCap;

// A stroke width, relative to the path's size, below which the two sides of the outline are one
// (doubles carry some 16 digits; this leaves room for the offsets' own rounding).
constexpr double kNegligibleWidth = 1e-12;

detail::CornerJoin cornerJoin(pf::BezierPath::LineJoin join)
{
    switch (join) {
    case pf::BezierPath::LineJoin::Round: return detail::CornerJoin::Round;
    case pf::BezierPath::LineJoin::Bevel: return detail::CornerJoin::Bevel;
    case pf::BezierPath::LineJoin::Miter: break;
    }
    return detail::CornerJoin::Miter;
}

void lineTo(Geom::Path& path, const Geom::Point& point)
{
    path.appendNew<Geom::LineSegment>(point);
}

// The cap at `end` (travelling along `direction` there) from the left side to the right side.
void appendCap(Geom::Path& path, const Geom::Point& end, const Geom::Point& direction, double radius, Cap cap)
{
    const Geom::Point side = detail::leftNormal(direction) * radius;
    const Geom::Point ahead = direction * radius;
    switch (cap) {
    case Cap::Butt:
        break;
    case Cap::Square:
        lineTo(path, end + side + ahead);
        lineTo(path, end - side + ahead);
        break;
    case Cap::Round:
        for (CurvePtr& piece : detail::arcPieces(end, radius, std::atan2(side.y(), side.x()), std::numbers::pi))
            detail::appendJoined(path, std::move(piece));
        break;
    }
    lineTo(path, end - side);
}

// The stroker's raw contours of one sub-path: its two parallels, joined by the caps (open) or
// as two rings (closed). Their overlaps are left for the merging that follows.
void appendContours(const Geom::Path& subpath, double radius, Cap cap, const detail::ParallelSettings& base,
                    Geom::PathVector& contours)
{
    detail::ParallelSettings left = base, right = base;
    left.offset = radius;
    right.offset = -radius;
    auto leftSide = detail::joinedParallel(subpath, left);
    auto rightSide = detail::joinedParallel(subpath, right);
    if (!leftSide || !rightSide) {
        // No length: a dot, as Qt strokes one.
        const Geom::Point at = subpath.initialPoint();
        Geom::Path dot(at + Geom::Point(radius, 0));
        if (cap == Cap::Round) {
            for (CurvePtr& piece : detail::arcPieces(at, radius, 0.0, 2 * std::numbers::pi))
                detail::appendJoined(dot, std::move(piece));
        } else if (cap == Cap::Square) {
            dot = Geom::Path(at + Geom::Point(radius, -radius));
            lineTo(dot, at + Geom::Point(radius, radius));
            lineTo(dot, at + Geom::Point(-radius, radius));
            lineTo(dot, at + Geom::Point(-radius, -radius));
        } else {
            return;
        }
        dot.close(true);
        contours.push_back(std::move(dot));
        return;
    }
    if (subpath.closed()) {
        contours.push_back(std::move(*leftSide));
        contours.push_back(rightSide->reversed());
        return;
    }
    // The directions the sub-path starts and ends in, from its segments with length.
    Geom::Point startDirection(1, 0), endDirection(1, 0);
    for (size_t c = 0; c < subpath.size_default(); ++c) {
        if (!subpath[c].isDegenerate()) {
            startDirection = subpath[c].unitTangentAt(0.0);
            break;
        }
    }
    for (size_t c = subpath.size_default(); c-- > 0;) {
        if (!subpath[c].isDegenerate()) {
            endDirection = subpath[c].unitTangentAt(1.0);
            break;
        }
    }
    Geom::Path contour = std::move(*leftSide);
    contour.setStitching(true);
    appendCap(contour, subpath.finalPoint(), endDirection, radius, cap);
    const Geom::Path back = rightSide->reversed();
    for (size_t c = 0; c < back.size_default(); ++c)
        detail::appendJoined(contour, CurvePtr(back[c].duplicate()));
    appendCap(contour, subpath.initialPoint(), -startDirection, radius, cap);
    contour.close(true);
    contours.push_back(std::move(contour));
}

} // namespace

pf::Ref<pf::BezierPath> strokedPathWithStrokeWidth(const pf::BezierPath& path, double width)
{
    if (!(width > 0.0) || !std::isfinite(width))
        return detail::emptyPathLike(path);
    const Geom::PathVector geometry = detail::geometryOf(path);
    if (geometry.empty())
        return detail::emptyPathLike(path);
    // A width lost in the rounding of the path's own coordinates parts no sides: the outline
    // has no area, and merging its two coinciding sides would only grind through their overlap.
    const double scale = detail::scaleOf(geometry);
    if (width <= scale * kNegligibleWidth)
        return detail::emptyPathLike(path);

    detail::ParallelSettings settings;
    settings.scale = std::max(scale, width);
    // Fine enough that the outline's area and edges are right to a small part of the width.
    settings.flatness = std::clamp(width * 5e-4, 1e-6, path.flatness());
    settings.miterLimit = path.miterLimit();
    settings.join = cornerJoin(path.lineJoinStyle());
    settings.throughInnerCorners = true;
    Geom::PathVector contours;
    for (const Geom::Path& subpath : geometry)
        appendContours(subpath, width / 2, path.lineCapStyle(), settings, contours);
    // The contours cover the stroke by the non-zero rule; their overlaps are merged here.
    return detail::pathLike(path, detail::withoutOverlaps(contours, detail::FillRule::NonZero));
}

} // namespace pw
