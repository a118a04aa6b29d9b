#include "frameworks/penwork/geometry/BezierPath+Parallels.h"

#include <2geom/bezier-curve.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pw::detail {

namespace {

// A curve's parallel is split in halves at most this often, whatever the flatness asks.
constexpr int kMaxSubdivisions = 8;

using Settings = ParallelSettings;

double crossProduct(const Geom::Point& a, const Geom::Point& b)
{
    return a.x() * b.y() - a.y() * b.x();
}

// The parallel of one original segment, and what the joins need to know of that segment.
struct Chunk {
    std::vector<CurvePtr> pieces;
    Geom::Point end;
    Geom::Point startTangent;
    Geom::Point endTangent;
};

Geom::Point offsetPoint(const Geom::Curve& curve, double t, double offset)
{
    return curve.pointAt(t) + leftNormal(curve.unitTangentAt(t)) * offset;
}

// A point of the parallel and its derivative by the curve's time: the parallel moves at the
// curve's speed times (1 + offset * curvature).
std::pair<Geom::Point, Geom::Point> offsetPointAndVelocity(const Geom::Curve& curve, double t, const Settings& s)
{
    const std::vector<Geom::Point> derivatives = curve.pointAndDerivatives(t, 2);
    const Geom::Point& velocity = derivatives[1];
    const double speed = Geom::L2(velocity);
    if (speed < 1e-9 * s.scale)
        return {derivatives[0] + leftNormal(curve.unitTangentAt(t)) * s.offset, Geom::Point(0, 0)};
    const double curvature = crossProduct(velocity, derivatives[2]) / (speed * speed * speed);
    return {derivatives[0] + leftNormal(velocity / speed) * s.offset, velocity * (1.0 + s.offset * curvature)};
}

// The parallel of curve times t0..t1 as cubic pieces: a Hermite cubic through the parallel's
// ends and end derivatives, halved until it keeps within the flatness.
void offsetSpan(const Geom::Curve& curve, double t0, double t1, const Settings& s, int depth,
                std::vector<CurvePtr>& out)
{
    const auto [q0, v0] = offsetPointAndVelocity(curve, t0, s);
    const auto [q3, v3] = offsetPointAndVelocity(curve, t1, s);
    const double third = (t1 - t0) / 3.0;
    auto cubic = std::make_unique<Geom::CubicBezier>(q0, q0 + v0 * third, q3 - v3 * third, q3);
    if (depth < kMaxSubdivisions) {
        double error = 0.0;
        for (double u : {0.25, 0.5, 0.75})
            error = std::max(error, Geom::distance(cubic->pointAt(u), offsetPoint(curve, t0 + u * (t1 - t0), s.offset)));
        if (error > s.flatness) {
            const double middle = 0.5 * (t0 + t1);
            offsetSpan(curve, t0, middle, s, depth + 1, out);
            offsetSpan(curve, middle, t1, s, depth + 1, out);
            return;
        }
    }
    out.push_back(std::move(cubic));
}

std::optional<Chunk> offsetCurve(const Geom::Curve& curve, const Settings& s)
{
    if (curve.isDegenerate() || Geom::L2(curve.boundsFast().dimensions()) <= 1e-12 * s.scale)
        return std::nullopt;
    Chunk chunk;
    chunk.end = curve.finalPoint();
    chunk.startTangent = curve.unitTangentAt(0.0);
    chunk.endTangent = curve.unitTangentAt(1.0);
    if (curve.isLineSegment()) {
        const Geom::Point shift = leftNormal(chunk.startTangent) * s.offset;
        chunk.pieces.push_back(std::make_unique<Geom::LineSegment>(curve.initialPoint() + shift, curve.finalPoint() + shift));
    } else {
        offsetSpan(curve, 0.0, 1.0, s, 0, chunk.pieces);
    }
    return chunk;
}

CurvePtr line(const Geom::Point& from, const Geom::Point& to)
{
    return std::make_unique<Geom::LineSegment>(from, to);
}

// Joins the parallel of one segment to the next one's at their corner: outside the bend by a
// miter or a bevel, inside it by cutting both where they cross (or, where they do not, by a
// line whose loop the loop cutting removes).
void join(Chunk& a, Chunk& b, const Settings& s)
{
    const Geom::Point endPoint = a.pieces.back()->finalPoint();
    const Geom::Point startPoint = b.pieces.front()->initialPoint();
    if (Geom::distance(endPoint, startPoint) <= 1e-9 * s.scale) {
        b.pieces.front()->setInitial(endPoint);
        return;
    }
    const Geom::Point& in = a.endTangent;
    const Geom::Point& out = b.startTangent;
    const double turn = crossProduct(in, out);
    const bool outside = turn * s.offset > 0.0 || (std::abs(turn) <= 1e-12 && Geom::dot(in, out) < 0.0);
    if (outside && s.join == CornerJoin::Round) {
        const Geom::Point from = endPoint - a.end, to = startPoint - a.end;
        const double start = std::atan2(from.y(), from.x());
        double sweep = std::remainder(std::atan2(to.y(), to.x()) - start, 2 * std::numbers::pi);
        // Round the outside of the bend: the arc turns the way the path does.
        if ((turn > 0.0) != (sweep > 0.0) && std::abs(turn) > 1e-12)
            sweep = sweep > 0.0 ? sweep - 2 * std::numbers::pi : sweep + 2 * std::numbers::pi;
        for (CurvePtr& piece : arcPieces(a.end, std::abs(s.offset), start, sweep))
            a.pieces.push_back(std::move(piece));
        a.pieces.back()->setFinal(startPoint);
        return;
    }
    if (outside) {
        if (s.join == CornerJoin::Miter && std::abs(turn) > 1e-12) {
            const double along = crossProduct(startPoint - endPoint, out) / turn;
            const Geom::Point miter = endPoint + in * along;
            if (along > 0.0 && Geom::distance(miter, a.end) <= s.miterLimit * std::abs(s.offset)) {
                a.pieces.push_back(line(endPoint, miter));
                a.pieces.push_back(line(miter, startPoint));
                return;
            }
        }
        a.pieces.push_back(line(endPoint, startPoint));
        return;
    }
    if (s.throughInnerCorners) {
        a.pieces.push_back(line(endPoint, a.end));
        a.pieces.push_back(line(a.end, startPoint));
        return;
    }
    if (&a != &b) {
        const auto crossings = a.pieces.back()->intersect(*b.pieces.front());
        const Geom::CurveIntersection* best = nullptr;
        for (const auto& x : crossings) {
            if (!best || (1.0 - x.first) + x.second < (1.0 - best->first) + best->second)
                best = &x;
        }
        if (best) {
            const double endTime = best->first;
            const double startTime = best->second;
            const Geom::Point meeting = a.pieces.back()->pointAt(endTime);
            a.pieces.back().reset(a.pieces.back()->portion(0.0, endTime));
            b.pieces.front().reset(b.pieces.front()->portion(startTime, 1.0));
            a.pieces.back()->setFinal(meeting);
            b.pieces.front()->setInitial(meeting);
            return;
        }
    }
    a.pieces.push_back(line(endPoint, startPoint));
}

} // namespace

std::vector<CurvePtr> arcPieces(const Geom::Point& centre, double radius, double startAngle, double sweep)
{
    std::vector<CurvePtr> pieces;
    const int count = std::max(1, int(std::ceil(std::abs(sweep) / (std::numbers::pi / 2) - 1e-9)));
    const double step = sweep / count;
    const double handle = 4.0 / 3.0 * std::tan(step / 4.0) * radius;
    for (int i = 0; i < count; ++i) {
        const double a0 = startAngle + i * step, a1 = a0 + step;
        const Geom::Point d0(std::cos(a0), std::sin(a0)), d1(std::cos(a1), std::sin(a1));
        const Geom::Point p0 = centre + d0 * radius, p1 = centre + d1 * radius;
        pieces.push_back(std::make_unique<Geom::CubicBezier>(p0, p0 + Geom::Point(-d0.y(), d0.x()) * handle,
                                                             p1 - Geom::Point(-d1.y(), d1.x()) * handle, p1));
    }
    return pieces;
}

std::optional<Geom::Path> joinedParallel(const Geom::Path& subpath, const ParallelSettings& s)
{
    std::vector<Chunk> chunks;
    for (size_t c = 0; c < subpath.size_default(); ++c) {
        if (auto chunk = offsetCurve(subpath[c], s))
            chunks.push_back(std::move(*chunk));
    }
    if (chunks.empty())
        return std::nullopt;
    for (size_t i = 0; i + 1 < chunks.size(); ++i)
        join(chunks[i], chunks[i + 1], s);
    const bool closed = subpath.closed();
    if (closed)
        join(chunks.back(), chunks.front(), s);

    Geom::Path parallel(chunks.front().pieces.front()->initialPoint());
    parallel.setStitching(true);
    for (Chunk& chunk : chunks) {
        for (CurvePtr& piece : chunk.pieces)
            appendJoined(parallel, std::move(piece));
    }
    if (closed) {
        if (Geom::distance(parallel.finalPoint(), parallel.initialPoint()) <= 1e-9 * s.scale)
            parallel.setFinal(parallel.initialPoint());
        parallel.close(true);
    }
    return parallel;
}

} // namespace pw::detail
