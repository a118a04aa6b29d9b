#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/BezierPath.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QVariant>

#include <functional>

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
