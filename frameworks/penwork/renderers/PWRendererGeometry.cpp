#include "frameworks/penwork/renderers/PWRendererGeometry.h"

#include "platform/foundation/Variant.h"

#include <QBuffer>

#include <algorithm>
#include <cmath>

namespace pw::renderers {

namespace {

// Splitmix64: small, fast and the same on every platform, so roughened shapes never change
// between runs or builds.
quint64 nextRandom(quint64& state)
{
    quint64 z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

QPointF leftNormal(double slope)
{
    return QPointF(std::sin(slope), -std::cos(slope));
}

QPointF tangent(double slope)
{
    return QPointF(std::cos(slope), std::sin(slope));
}

struct Vertex {
    QPointF point;
    QPointF tangent;
};

void appendVertices(pf::BezierPath& out, const QList<Vertex>& vertices, double handle, bool close)
{
    if (vertices.isEmpty())
        return;
    out.moveTo(vertices.first().point);
    const int count = int(vertices.size());
    const int segments = close ? count : count - 1;
    for (int i = 0; i < segments; ++i) {
        const Vertex& from = vertices[i];
        const Vertex& to = vertices[(i + 1) % count];
        if (handle <= 0.0)
            out.lineTo(to.point);
        else
            out.curveTo(to.point, from.point + from.tangent * handle, to.point - to.tangent * handle);
    }
    if (close)
        out.closePath();
}

// A distance, relative to the path's size, lost in the rounding of its coordinates (doubles
// carry some 16 digits; this leaves room for the walk's own rounding).
constexpr double kNegligibleDistance = 1e-12;

// True when moving the path's points by `distance` could not show: the path is so large that
// the distance is lost in the rounding of its coordinates.
bool isLostInRounding(const pf::BezierPath& path, double distance)
{
    const QRectF box = path.controlPointBounds();
    const double scale = std::max({std::abs(box.left()), std::abs(box.right()), std::abs(box.top()),
                                   std::abs(box.bottom()), box.width(), box.height()});
    return std::abs(distance) <= scale * kNegligibleDistance;
}

pf::Ref<pf::BezierPath> emptyLike(const pf::BezierPath& path)
{
    auto out = std::static_pointer_cast<pf::BezierPath>(path.copy());
    out->removeAllPoints();
    return out;
}

} // namespace

QPointF Polyline::pointAt(double distance, double* slope, int* hint) const
{
    if (points.isEmpty()) {
        if (slope)
            *slope = 0.0;
        return QPointF();
    }
    if (points.size() == 1 || lengths.size() != points.size()) {
        if (slope)
            *slope = 0.0;
        return points.first();
    }
    if (!(distance > 0.0))
        distance = 0.0;
    distance = std::min(distance, length());
    int i = hint ? std::clamp(*hint, 0, int(points.size()) - 2) : 0;
    if (i > 0 && lengths[i] > distance)
        i = 0;
    while (i < int(points.size()) - 2 && lengths[i + 1] < distance)
        ++i;
    if (hint)
        *hint = i;
    const QPointF a = points[i];
    const QPointF b = points[std::min(i + 1, int(points.size()) - 1)];
    const double span = lengths[std::min(i + 1, int(lengths.size()) - 1)] - lengths[i];
    const double t = span > 0.0 ? (distance - lengths[i]) / span : 0.0;
    if (slope)
        *slope = std::atan2(b.y() - a.y(), b.x() - a.x());
    return a + (b - a) * t;
}

QList<Polyline> polylinesOfPath(const pf::BezierPath& path, double flatness)
{
    QList<Polyline> result;
    const pf::Ref<pf::BezierPath> flat = path.flattened(flatness);
    Polyline current;
    auto finish = [&] {
        if (current.points.size() >= 2 && current.length() > 0.0)
            result.append(current);
        current = Polyline();
    };
    auto add = [&](const QPointF& point) {
        if (!current.points.isEmpty()) {
            const QPointF last = current.points.last();
            const double step = std::hypot(point.x() - last.x(), point.y() - last.y());
            if (step <= 0.0)
                return;
            current.points.append(point);
            current.lengths.append(current.lengths.last() + step);
        } else {
            current.points.append(point);
            current.lengths.append(0.0);
        }
    };
    for (const pf::BezierPath::Element& element : flat->elements()) {
        for (int i = 0; i < element.pointCount(); ++i) {
            if (!std::isfinite(element.points[i].x()) || !std::isfinite(element.points[i].y()))
                return {};
        }
        switch (element.type) {
        case pf::BezierPath::ElementType::MoveTo:
            finish();
            add(element.points[0]);
            break;
        case pf::BezierPath::ElementType::LineTo:
            add(element.points[0]);
            break;
        case pf::BezierPath::ElementType::CurveTo:
            // A flattened path holds none, but a curve's end point keeps the walk right.
            add(element.points[2]);
            break;
        case pf::BezierPath::ElementType::ClosePath:
            if (!current.points.isEmpty()) {
                add(current.points.first());
                current.closed = true;
            }
            finish();
            break;
        }
    }
    finish();
    return result;
}

pf::Ref<pf::BezierPath> zigZagPath(const pf::BezierPath& path, double amplitude, double wavelength, double spread,
                                   bool closed)
{
    // Peaks lost in the rounding would lie on the path, and a damaged path that large would
    // still get the greatest number of them.
    if (amplitude > 0.0 && isLostInRounding(path, amplitude))
        return std::static_pointer_cast<pf::BezierPath>(path.copy());
    pf::Ref<pf::BezierPath> out = emptyLike(path);
    const QList<Polyline> polylines = polylinesOfPath(path);
    double total = 0.0;
    for (const Polyline& line : polylines)
        total += line.length();
    if (total <= 0.0)
        return out;
    double half = std::isfinite(wavelength) && wavelength > 0.0 ? wavelength / 2.0 : total;
    half = std::max(half, total / kMaxZigZagPeaks);
    for (const Polyline& line : polylines) {
        const double length = line.length();
        const bool closeIt = closed && line.closed;
        int count = std::max(1, int(std::lround(length / half)));
        if (closeIt && count % 2)
            ++count; // peaks must alternate all the way round
        const double step = length / count;
        QList<Vertex> vertices;
        vertices.reserve(count + 2);
        int hint = 0;
        double slope = 0.0;
        if (!closeIt) {
            const QPointF start = line.pointAt(0.0, &slope, &hint);
            vertices.append({start, tangent(slope)});
        }
        for (int k = 0; k < count; ++k) {
            const QPointF on = line.pointAt((k + 0.5) * step, &slope, &hint);
            const double side = k % 2 == 0 ? 1.0 : -1.0;
            vertices.append({on + leftNormal(slope) * (side * amplitude), tangent(slope)});
        }
        if (!closeIt) {
            const QPointF end = line.pointAt(length, &slope, &hint);
            vertices.append({end, tangent(slope)});
        }
        const double handle = std::clamp(spread, 0.0, step) / 2.0;
        appendVertices(*out, vertices, handle, closeIt);
    }
    return out;
}

pf::Ref<pf::BezierPath> roughenedPath(const pf::BezierPath& path, double roughness, quint64 seed)
{
    // Roughness lost in the rounding of the coordinates is none.
    if (!(roughness > 0.0) || isLostInRounding(path, roughness))
        return std::static_pointer_cast<pf::BezierPath>(path.copy());
    pf::Ref<pf::BezierPath> out = emptyLike(path);
    const QList<Polyline> polylines = polylinesOfPath(path);
    double total = 0.0;
    for (const Polyline& line : polylines)
        total += line.length();
    // Pieces about twice the roughness long look rough without turning into noise.
    constexpr int kMaxPieces = 100000;
    const double piece = std::max({3.0, 2.0 * roughness, total / kMaxPieces});
    quint64 state = seed;
    for (const Polyline& line : polylines) {
        const int count = std::max(1, int(std::ceil(line.length() / piece)));
        const double step = line.length() / count;
        int hint = 0;
        const int last = line.closed ? count - 1 : count;
        for (int k = 0; k <= last; ++k) {
            const QPointF on = line.pointAt(k * step, nullptr, &hint);
            const QPointF moved(on.x() + signedRandom(state) * roughness, on.y() + signedRandom(state) * roughness);
            if (k == 0)
                out->moveTo(moved);
            else
                out->lineTo(moved);
        }
        if (line.closed)
            out->closePath();
    }
    return out;
}

quint64 seedForPath(const pf::BezierPath& path, quint64 geometryChecksum)
{
    quint64 state = quint64(path.hash()) ^ (geometryChecksum * 0x9E3779B97F4A7C15ull);
    return nextRandom(state);
}

double signedRandom(quint64& state)
{
    return double(nextRandom(state) >> 11) / double(1ull << 53) * 2.0 - 1.0;
}

TurnedFrame turnedFrameForPath(const pf::BezierPath& path, double degrees)
{
    TurnedFrame frame;
    frame.turn.rotate(degrees);
    frame.area = path.transformed(frame.turn.inverted())->controlPointBounds();
    return frame;
}

void drawMotifs(QPainter& painter, const QImage& image, const QList<MotifPlacement>& placements,
                const QPainterPath* keepWithin)
{
    if (image.isNull())
        return;
    const QRectF imageRect(-image.width() / 2.0, -image.height() / 2.0, image.width(), image.height());
    QPainterPath footprint;
    if (keepWithin)
        footprint.addRect(imageRect);
    const QTransform base = painter.worldTransform();
    for (const MotifPlacement& place : placements) {
        if (!(place.scale > 0.0))
            continue;
        QTransform placing;
        placing.translate(place.centre.x(), place.centre.y());
        placing.rotate(place.degrees);
        placing.scale(place.scale, place.scale);
        if (keepWithin && !keepWithin->contains(placing.map(footprint)))
            continue;
        painter.setWorldTransform(placing * base);
        painter.drawImage(imageRect, image);
    }
    painter.setWorldTransform(base);
}

quint64 geometryKey(const PWRenderable& object, const pf::BezierPath& path, quint64 extra)
{
    // The path's own hash leaves its coordinates out (they compare within a tolerance), and
    // two objects may share a checksum: the exact points go into the key.
    size_t seed = qHashMulti(0, object.geometryChecksum(), path.hash(), extra);
    for (const pf::BezierPath::Element& element : path.elements()) {
        for (int i = 0; i < element.pointCount(); ++i)
            seed = qHashMulti(seed, element.points[i].x(), element.points[i].y());
    }
    return seed;
}

double clampedValue(double value, double lo, double hi, double fallback)
{
    if (std::isnan(value))
        return fallback;
    return std::clamp(value, lo, hi);
}

bool validateNumber(QVariant* value, double lo, double hi, const QString& what, pf::Error* error)
{
    const double number = value->toDouble();
    if (!pf::isNumber(*value) || !std::isfinite(number))
        return pf::fail(error, pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorCoderInvalidValue,
                                               QStringLiteral("%1 must be a number.").arg(what)));
    if (number < lo || number > hi)
        *value = std::clamp(number, lo, hi);
    return true;
}

QByteArray imageToData(const QImage& image)
{
    if (image.isNull())
        return {};
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return data;
}

QImage imageFromData(const QByteArray& data)
{
    if (data.isEmpty())
        return {};
    return QImage::fromData(data);
}

} // namespace pw::renderers
