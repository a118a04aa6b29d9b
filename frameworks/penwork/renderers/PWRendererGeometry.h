#pragma once

#include "frameworks/penwork/styles/PWRenderable.h"

#include "platform/foundation/Error.h"
#include "platform/graphics/BezierPath.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QTransform>
#include <QVariant>

#include <functional>
#include <mutex>
#include <optional>

// Geometry and value helpers the stroke and fill renderers share.
namespace pw::renderers {

// One sub-path flattened to straight lines, with the length travelled at each point. A closed
// sub-path ends with its first point again.
struct Polyline {
    QList<QPointF> points;
    QList<double> lengths;
    bool closed = false;

    double length() const { return lengths.isEmpty() ? 0.0 : lengths.last(); }
    // The point at `distance` (clamped to the polyline) and the direction of travel there, in
    // radians. `hint` (a segment index) speeds up walks that move forward.
    QPointF pointAt(double distance, double* slope = nullptr, int* hint = nullptr) const;
};

// The sub-paths of `path` as polylines within `flatness` of the curves; sub-paths without
// length are left out. Coordinates that are not finite give no polylines at all.
QList<Polyline> polylinesOfPath(const pf::BezierPath& path, double flatness = 0.1);

// A zig-zag that runs along `path`: peaks `amplitude` either side of it, a whole wave every
// `wavelength`, each peak rounded over `spread` (0 keeps sharp corners). With `closed`, closed
// sub-paths get a whole number of waves and stay closed; otherwise every sub-path is open and
// runs from the sub-path's start to its end. At most kMaxZigZagPeaks peaks are made per path:
// a shorter wavelength is lengthened to that count.
inline constexpr int kMaxZigZagPeaks = 100000;
pf::Ref<pf::BezierPath> zigZagPath(const pf::BezierPath& path, double amplitude, double wavelength, double spread,
                                   bool closed);

// `path` cut into short lines whose corners are moved at random, up to `roughness` in each
// direction. The same path, roughness and seed always give the same result.
pf::Ref<pf::BezierPath> roughenedPath(const pf::BezierPath& path, double roughness, quint64 seed);

// A seed that follows the object's geometry: equal paths give equal seeds.
quint64 seedForPath(const pf::BezierPath& path, quint64 geometryChecksum);
// The next number of a seeded sequence, uniform in -1...1; the same seed always gives the same
// sequence, on every platform.
double signedRandom(quint64& state);

// A path seen in a frame turned by `degrees`: the turn (frame to user space) and the path's
// control-point bounds in the frame. Renderers that lay out rows or a grid at an angle work in
// it and map their places back with `turn`.
struct TurnedFrame {
    QTransform turn;
    QRectF area;
};
TurnedFrame turnedFrameForPath(const pf::BezierPath& path, double degrees);

// One copy of a motif: its centre, turn (degrees) and scale.
struct MotifPlacement {
    QPointF centre;
    double degrees = 0.0;
    double scale = 1.0;
};
// Draws `image` centred on each placement, turned and scaled. With `keepWithin`, copies whose
// footprint does not lie wholly inside it are left out.
void drawMotifs(QPainter& painter, const QImage& image, const QList<MotifPlacement>& placements,
                const QPainterPath* keepWithin = nullptr);

// What a renderer builds from an object's geometry and keeps between redraws. An entry's key
// combines the object's geometryChecksum, the hash of the path drawn and whatever else the
// entry depends on (geometryKey), so objects that share a renderer never see each other's
// entries; the renderer clears the cache when one of its settings changes. Copies start empty.
// Entries are weighed by a cost (say, their points); when the total would pass kMaxCost the
// cache starts again, and an entry costing more than that is not kept at all.
template <class T>
class GeometryCache {
public:
    static constexpr qint64 kMaxCost = 3'000'000;

    GeometryCache() = default;
    GeometryCache(const GeometryCache&) {}
    GeometryCache& operator=(const GeometryCache&)
    {
        clear();
        return *this;
    }

    std::optional<T> find(quint64 key) const
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_entries.constFind(key);
        if (it == m_entries.constEnd())
            return std::nullopt;
        return *it;
    }
    void insert(quint64 key, T value, qint64 cost)
    {
        cost = std::max<qint64>(cost, 1);
        if (cost > kMaxCost)
            return;
        std::lock_guard lock(m_mutex);
        if (m_cost + cost > kMaxCost) {
            m_entries.clear();
            m_cost = 0;
        }
        m_entries.insert(key, std::move(value));
        m_cost += cost;
    }
    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_entries.clear();
        m_cost = 0;
    }
    int count() const
    {
        std::lock_guard lock(m_mutex);
        return int(m_entries.size());
    }

private:
    mutable std::mutex m_mutex;
    QHash<quint64, T> m_entries;
    qint64 m_cost = 0;
};

// The key of what is built for `object` from `path`, with `extra` for anything else it depends on.
quint64 geometryKey(const PWRenderable& object, const pf::BezierPath& path, quint64 extra = 0);

// A value clamped to lo..hi; NaN gives `fallback`.
double clampedValue(double value, double lo, double hi, double fallback);

// Key-value validator body for a number property: refuses what is not a finite number and
// clamps the rest to lo..hi.
bool validateNumber(QVariant* value, double lo, double hi, const QString& what, pf::Error* error);

// Images as archives hold them: PNG bytes (empty for a null image), and back (a null image for
// data that is not an image).
QByteArray imageToData(const QImage& image);
QImage imageFromData(const QByteArray& data);

} // namespace pw::renderers
