#pragma once

#include "platform/foundation/Coding.h"
#include "platform/foundation/Object.h"
#include "platform/graphics/Color.h"

#include <QGradient>
#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>

class QPainter;

namespace pf {

// One colour of a gradient and where it lies, 0 at the start to 1 at the end.
struct ColorStop {
    Color color;
    double location = 0.0;
    bool operator==(const ColorStop& other) const = default;
};

// A run of colours between stops, blended linearly in sRGB (alpha too, not premultiplied).
// Gradients do not change once made.
//
// Angles follow the platform's convention, which is counter-clockwise as seen on screen: 0 runs
// from the left edge to the right, 90 from the bottom edge up to the top edge (in the model's
// y-down coordinates, from the rect's larger-y edge to its smaller-y edge), 180 from right to
// left. The gradient line passes through the middle of the rect and is just long enough for the
// rect's corners to reach the first and last colours. Beyond the first and last stops the end
// colours carry on.
class Gradient : public Object, public Coding {
    PF_CLASS(Gradient)
public:
    Gradient() = default;
    Gradient(const Color& start, const Color& end);
    // Stops in any order; kept sorted by location, stops at the same location in the order
    // given. Locations are clamped to 0..1. Raises NSInvalidArgumentException for a location
    // that is not a number or a colour that is a pattern or invalid.
    explicit Gradient(QList<ColorStop> stops);
    explicit Gradient(const QGradientStops& stops);
    Gradient(const Gradient& other) = default;

    int numberOfColorStops() const { return int(m_stops.size()); }
    // Raises NSRangeException for an index out of range.
    ColorStop colorStopAt(int index) const;
    const QList<ColorStop>& colorStops() const { return m_stops; }

    // The colour at `location` (clamped to 0..1): the blend of the stops either side; the only
    // stop's colour when there is one; clear when there are none. Where two stops share a
    // location, the later one holds from there on.
    Color interpolatedColorAtLocation(double location) const;

    // Stops for a QGradient: strictly increasing locations, two of them for a one-stop gradient.
    QGradientStops qGradientStops() const;
    // The linear gradient that drawInRect paints.
    QLinearGradient linearGradientInRect(const QRectF& rect, double angle) const;

    // Paint the rect, or the inside of the path (its bounds standing for the rect), with the
    // gradient at `angle` degrees. An empty gradient paints nothing.
    void drawInRect(QPainter& painter, const QRectF& rect, double angle) const;
    void drawInPath(QPainter& painter, const QPainterPath& path, double angle) const;
    // A radial gradient from the start circle (location 0) to the end circle (location 1), each
    // circle between painting over the ones before it. Paints the hull of the two circles and
    // nothing beyond it.
    void drawRadial(QPainter& painter, const QPointF& startCentre, double startRadius, const QPointF& endCentre,
                    double endRadius) const;

    // Shared gradients for colour-stop boxes, lighter at the end (the top, drawn at 90): plain
    // greys for normal and pressed, a blue for selected.
    static Ref<Gradient> unifiedNormalGradient();
    static Ref<Gradient> unifiedDarkGradient();
    static Ref<Gradient> sourceListSelectedGradient();
    // A glossy fill of `colour`: a light upper half over the colour itself, brightening again
    // towards the bottom. A pattern colour fills the rect plainly; an invalid one paints nothing.
    static void drawShinyGradientInRect(QPainter& painter, const QRectF& rect, const Color& colour);

    bool operator==(const Gradient& other) const { return m_stops == other.m_stops; }

    Ref<Object> copy() const override;
    bool isEqual(const Reflective* other) const override;
    QString description() const override;

    void encodeWithCoder(KeyedArchiver& coder) const override;
    // Raises NSInvalidArgumentException when the colours and locations do not pair up.
    void initWithCoder(KeyedUnarchiver& coder) override;

private:
    QList<ColorStop> m_stops;
};

} // namespace pf
