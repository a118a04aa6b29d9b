#include "platform/graphics/StripStroker.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPathStroker>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace pf {

namespace {

// The engine flattens an outline's curves in the painter's coordinates, splitting each in
// halves until both control points lie within `tolerance` of the chord (measured against the
// chord's Manhattan length; for chords shorter than a unit, the control points' own distances
// from its start), then maps the points to the device and rounds them to its grid of 1/64 pixel.
// The same steps here give the same points.
class Flattener {
public:
    Flattener(double tolerance, const QTransform& toDevice) : m_tolerance(tolerance), m_toDevice(toDevice) {}

    void point(std::vector<QPointF>& points, const QPointF& p) const
    {
        // As the engine maps its points: each axis on its own where the transform only scales.
        double x = p.x();
        double y = p.y();
        switch (m_toDevice.type()) {
        case QTransform::TxNone:
            break;
        case QTransform::TxTranslate:
            x += m_toDevice.dx();
            y += m_toDevice.dy();
            break;
        default:
            x = m_toDevice.m11() * x + m_toDevice.dx();
            y = m_toDevice.m22() * y + m_toDevice.dy();
            break;
        }
        points.emplace_back(std::round(x * 64.0) / 64.0, std::round(y * 64.0) / 64.0);
    }

    void curve(std::vector<QPointF>& points, const QPointF& p1, const QPointF& c1, const QPointF& c2,
               const QPointF& p2) const
    {
        struct Piece {
            QPointF a, b, c, d;
        };
        // Each split replaces the piece on top by its two halves: the depth never exceeds the
        // levels the test allows.
        Piece stack[kMostLevels + 1];
        int levels[kMostLevels + 1];
        int top = 0;
        stack[0] = {p1, c1, c2, p2};
        levels[0] = kMostLevels;
        while (top >= 0) {
            const Piece& piece = stack[top];
            const double dx = piece.d.x() - piece.a.x();
            const double dy = piece.d.y() - piece.a.y();
            double length = std::abs(dx) + std::abs(dy);
            double distance;
            if (length > 1.0) {
                distance = std::abs(dx * (piece.a.y() - piece.b.y()) - dy * (piece.a.x() - piece.b.x()))
                           + std::abs(dx * (piece.a.y() - piece.c.y()) - dy * (piece.a.x() - piece.c.x()));
            } else {
                distance = std::abs(piece.a.x() - piece.b.x()) + std::abs(piece.a.y() - piece.b.y())
                           + std::abs(piece.a.x() - piece.c.x()) + std::abs(piece.a.y() - piece.c.y());
                length = 1.0;
            }
            if (distance < m_tolerance * length || levels[top] == 0) {
                point(points, piece.d);
                --top;
                continue;
            }
            // de Casteljau at the middle: the second half stays below the first.
            const QPointF ab = (piece.a + piece.b) * 0.5;
            const QPointF bc = (piece.b + piece.c) * 0.5;
            const QPointF cd = (piece.c + piece.d) * 0.5;
            const QPointF abc = (ab + bc) * 0.5;
            const QPointF bcd = (bc + cd) * 0.5;
            const QPointF middle = (abc + bcd) * 0.5;
            const Piece first{piece.a, ab, abc, middle};
            const Piece second{middle, bcd, cd, piece.d};
            const int level = levels[top] - 1;
            stack[top] = second;
            levels[top] = level;
            stack[top + 1] = first;
            levels[top + 1] = level;
            ++top;
        }
    }

private:
    static constexpr int kMostLevels = 30;
    double m_tolerance;
    QTransform m_toDevice;
};

// The outline as closed polygons in device pixels, each point where the engine would place it.
struct Polygons {
    std::vector<QPointF> points;
    std::vector<size_t> ends; // one past each polygon's last point
};

Polygons flatten(const QPainterPath& outline, const Flattener& flattener)
{
    Polygons polygons;
    const int count = outline.elementCount();
    polygons.points.reserve(size_t(count) * 2);
    size_t start = 0;
    const auto close = [&] {
        if (polygons.points.size() - start >= 3)
            polygons.ends.push_back(polygons.points.size());
        else
            polygons.points.resize(start);
        start = polygons.points.size();
    };
    QPointF last;
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element e = outline.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            close();
            last = QPointF(e.x, e.y);
            flattener.point(polygons.points, last);
            break;
        case QPainterPath::LineToElement:
            last = QPointF(e.x, e.y);
            flattener.point(polygons.points, last);
            break;
        case QPainterPath::CurveToElement: {
            if (i + 2 >= count)
                break;
            const QPainterPath::Element c2 = outline.elementAt(i + 1);
            const QPainterPath::Element end = outline.elementAt(i + 2);
            flattener.curve(polygons.points, last, QPointF(e.x, e.y), QPointF(c2.x, c2.y), QPointF(end.x, end.y));
            last = QPointF(end.x, end.y);
            i += 2;
            break;
        }
        case QPainterPath::CurveToDataElement:
            break;
        }
    }
    close();
    return polygons;
}

// One strip's share of the outline: the polygons cut to its rows, each run outside them folded
// onto the border it left by, which adds only level edges (and level edges cover nothing).
struct Strip {
    std::vector<QPointF> points;
    std::vector<size_t> starts;
    size_t polygon = size_t(-1);
};

class Cutter {
public:
    Cutter(int firstStrip, int lastStrip) : m_first(firstStrip), m_strips(size_t(lastStrip - firstStrip + 1)) {}

    void cut(const Polygons& polygons)
    {
        size_t start = 0;
        for (size_t polygon = 0; polygon < polygons.ends.size(); ++polygon) {
            const size_t end = polygons.ends[polygon];
            for (size_t i = start; i < end; ++i)
                edge(polygon, polygons.points[i], polygons.points[i + 1 < end ? i + 1 : start]);
            start = end;
        }
    }

    std::vector<Strip>& strips() { return m_strips; }
    int firstStrip() const { return m_first; }

private:
    void edge(size_t polygon, const QPointF& a, const QPointF& b)
    {
        if (a.y() == b.y())
            return; // level edges cover nothing; the points around them join up level anyway
        const double low = std::min(a.y(), b.y());
        const double high = std::max(a.y(), b.y());
        const int rows = StripStroker::kStripRows;
        // In doubles until clamped to the strips there are: an edge may lie far off the image.
        const double last = double(m_first) + double(m_strips.size()) - 1.0;
        const double firstMet = std::max(std::floor(low / rows), double(m_first));
        const double lastMet = std::min(std::ceil(high / rows) - 1.0, last);
        if (!(firstMet <= lastMet))
            return;
        const int from = int(firstMet);
        const int to = int(lastMet);
        const double slope = (b.x() - a.x()) / (b.y() - a.y());
        const auto at = [&](double y) { return QPointF(a.x() + (y - a.y()) * slope, y); };
        for (int k = from; k <= to; ++k) {
            const double top = double(k) * rows;
            const double bottom = top + rows;
            const QPointF enter = a.y() < top ? at(top) : a.y() > bottom ? at(bottom) : a;
            const QPointF leave = b.y() < top ? at(top) : b.y() > bottom ? at(bottom) : b;
            Strip& strip = m_strips[size_t(k - m_first)];
            if (strip.polygon != polygon) {
                strip.polygon = polygon;
                strip.starts.push_back(strip.points.size());
                strip.points.push_back(enter);
            } else if (strip.points.back() != enter) {
                strip.points.push_back(enter);
            }
            strip.points.push_back(leave);
        }
    }

    int m_first;
    std::vector<Strip> m_strips;
};

// Fills one strip's share through a painter drawing in device pixels.
void fillStrip(QPainter& painter, Strip& strip, const QBrush& brush, QPainterPath& part)
{
    if (strip.points.empty())
        return;
    part.clear();
    part.setFillRule(Qt::WindingFill);
    part.reserve(int(strip.points.size()));
    strip.starts.push_back(strip.points.size());
    for (size_t s = 0; s + 1 < strip.starts.size(); ++s) {
        part.moveTo(strip.points[strip.starts[s]]);
        for (size_t i = strip.starts[s] + 1; i < strip.starts[s + 1]; ++i)
            part.lineTo(strip.points[i]);
    }
    painter.fillPath(part, brush);
}

QThreadPool& stripPool()
{
    static QThreadPool pool;
    static std::once_flag once;
    std::call_once(once, [] { pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1)); });
    return pool;
}

// Below this many points in all, handing strips to other threads costs more than it saves.
constexpr size_t kParallelPoints = 20000;
// Strips a thread takes at a time.
constexpr size_t kStripsPerTurn = 4;

// Each strip touches only its own rows, so strips can be filled on several threads at once, each
// through a painter of its own on the same pixels, where those painters can stand as the
// caller's does: an image painted at its own resolution, with no clip but one around the whole
// of it and nothing the engine clips to on its own. False, having drawn nothing, otherwise.
bool fillInParallel(QPainter& painter, std::vector<Strip>& strips, const QBrush& brush)
{
    size_t points = 0;
    for (const Strip& strip : strips)
        points += strip.points.size();
    const int threads = QThread::idealThreadCount();
    if (points < kParallelPoints || strips.size() < 2 * kStripsPerTurn || threads < 2)
        return false;
    QPaintEngine* engine = painter.paintEngine();
    if (!engine->systemClip().isEmpty() || painter.device()->devType() != QInternal::Image)
        return false;
    auto* image = static_cast<QImage*>(painter.device());
    if (image->devicePixelRatio() != 1.0 || image->depth() != 32)
        return false;
    const QRect whole(0, 0, image->width(), image->height());
    if (painter.hasClipping()) {
        const QRegion clip = painter.clipRegion();
        if (clip.rectCount() != 1
            || !painter.deviceTransform().mapRect(QRectF(clip.boundingRect())).contains(QRectF(whole)))
            return false;
    }

    uchar* bits = const_cast<uchar*>(image->constBits()); // constBits does not detach a painted image
    const int width = image->width();
    const int height = image->height();
    const qsizetype bytesPerLine = image->bytesPerLine();
    const QImage::Format format = image->format();
    const QPainter::RenderHints hints = painter.renderHints();
    const double opacity = painter.opacity();
    const QPainter::CompositionMode mode = painter.compositionMode();
    const size_t turns = (strips.size() + kStripsPerTurn - 1) / kStripsPerTurn;
    std::atomic<size_t> next{0};
    const auto work = [&] {
        QImage target(bits, width, height, bytesPerLine, format);
        QPainter strip(&target);
        strip.setRenderHints(hints, true);
        strip.setOpacity(opacity);
        strip.setCompositionMode(mode);
        QPainterPath part;
        for (size_t turn = next++; turn < turns; turn = next++) {
            const size_t end = std::min(strips.size(), (turn + 1) * kStripsPerTurn);
            for (size_t i = turn * kStripsPerTurn; i < end; ++i)
                fillStrip(strip, strips[i], brush, part);
        }
    };
    const int helpers = int(std::min<size_t>(size_t(threads), turns)) - 1;
    QSemaphore finished;
    for (int i = 0; i < helpers; ++i)
        stripPool().start([&] {
            work();
            finished.release();
        });
    work();
    finished.acquire(helpers);
    return true;
}

// The scales of a transform that only scales and translates, along x and y; none for others.
std::optional<std::pair<double, double>> axisScales(const QTransform& transform)
{
    if (transform.type() > QTransform::TxScale)
        return std::nullopt;
    const double sx = std::abs(transform.m11());
    const double sy = std::abs(transform.m22());
    if (!(sx > 0.0) || !(sy > 0.0) || !std::isfinite(sx) || !std::isfinite(sy))
        return std::nullopt;
    return std::make_pair(sx, sy);
}

} // namespace

bool StripStroker::stroke(QPainter& painter, const QPainterPath& path, const QPen& pen)
{
    if (path.elementCount() < kMinimumElements || !painter.isActive())
        return false;
    QPaintEngine* engine = painter.paintEngine();
    QPaintDevice* device = painter.device();
    if (!engine || engine->type() != QPaintEngine::Raster || !device || device->devType() != QInternal::Image
        || !painter.testRenderHint(QPainter::Antialiasing))
        return false;
    if (pen.style() != Qt::SolidLine || pen.isCosmetic() || pen.brush().style() != Qt::SolidPattern)
        return false;
    const QTransform toDevice = painter.deviceTransform();
    const std::optional<std::pair<double, double>> scales = axisScales(toDevice);
    if (!scales)
        return false;
    const double scale = std::max(scales->first, scales->second);
    // The engine draws pens of a pixel or less with a stroker of its own.
    if (!(pen.widthF() * std::min(scales->first, scales->second) > 1.0 + 1e-9) || !std::isfinite(pen.widthF() * scale))
        return false;
    const double width = pen.widthF() * scale;

    // Only the rows the painter may touch.
    QRectF visible(0, 0, device->width(), device->height());
    if (painter.hasClipping())
        visible &= toDevice.mapRect(painter.clipBoundingRect());
    const QRectF reach = toDevice.mapRect(path.controlPointRect())
                             .adjusted(-width * pen.miterLimit(), -width * pen.miterLimit(), width * pen.miterLimit(),
                                       width * pen.miterLimit());
    // Coordinates the engine could not place (not finite, or beyond its fixed-point range) are
    // left to it.
    constexpr double kFarthest = 1 << 22;
    if (!(std::abs(reach.left()) < kFarthest && std::abs(reach.right()) < kFarthest
          && std::abs(reach.top()) < kFarthest && std::abs(reach.bottom()) < kFarthest))
        return false;
    const QRectF area = visible & reach;
    if (area.isEmpty())
        return true; // nothing of it shows
    // A stroke over few rows gains nothing from strips.
    if (reach.height() < 4 * kStripRows)
        return false;

    // The outline as the engine makes it: stroked in the painter's coordinates by the same
    // stroker, which sets how finely it follows curves from the width, then flattened to a
    // quarter of a pixel.
    QPainterPathStroker stroker;
    stroker.setWidth(pen.widthF());
    stroker.setCapStyle(pen.capStyle());
    stroker.setJoinStyle(pen.joinStyle());
    stroker.setMiterLimit(pen.miterLimit());
    const QPainterPath outline = stroker.createStroke(path);
    const Polygons polygons = flatten(outline, Flattener(0.25 / scale, toDevice));
    if (polygons.ends.empty())
        return true;

    const int firstStrip = int(std::floor(area.top() / kStripRows));
    const int lastStrip = int(std::floor((std::ceil(area.bottom()) - 1.0) / kStripRows));
    if (lastStrip < firstStrip)
        return true;
    Cutter cutter(firstStrip, lastStrip);
    cutter.cut(polygons);

    std::vector<Strip>& strips = cutter.strips();
    const QBrush brush = pen.brush();
    if (fillInParallel(painter, strips, brush))
        return true;
    const QTransform userTransform = painter.worldTransform();
    painter.setWorldTransform(QTransform());
    QPainterPath part;
    for (Strip& strip : strips)
        fillStrip(painter, strip, brush, part);
    painter.setWorldTransform(userTransform);
    return true;
}

} // namespace pf
