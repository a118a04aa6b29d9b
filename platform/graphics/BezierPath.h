#pragma once

#include "platform/foundation/Coding.h"
#include "platform/foundation/Object.h"

#include <QList>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QTransform>

#include <array>

class QPainter;

namespace pf {

// A path of straight and cubic segments in several sub-paths, with the stroke settings it is
// drawn with. The element list is our own (move, line, curve, close), so that an element can be
// read and changed as up to three points; it is painted through QPainterPath and handed to
// lib2geom for geometry (BezierPathGeom.h).
//
// Coordinates are the model's: y grows downwards. Angles are in degrees, measured from the
// positive x axis towards the positive y axis; "clockwise" means decreasing angles.
//
// Every sub-path begins with a move: a line or curve appended after a close starts a new
// sub-path at the closed one's start, and a close with nothing to close is ignored.
class BezierPath : public Object, public Coding {
    PF_CLASS(BezierPath)
public:
    enum class ElementType { MoveTo = 0, LineTo = 1, CurveTo = 2, ClosePath = 3 };
    enum class LineCap { Butt = 0, Round = 1, Square = 2 };
    enum class LineJoin { Miter = 0, Round = 1, Bevel = 2 };
    enum class WindingRule { NonZero = 0, EvenOdd = 1 };

    // One element and its points: a move or line has one (the end point), a curve three
    // (first control point, second control point, end point), a close none.
    struct Element {
        ElementType type = ElementType::MoveTo;
        std::array<QPointF, 3> points{};
        int pointCount() const;
        bool operator==(const Element&) const = default;
    };

    // Regular polygons and stars have at most this many corners.
    static constexpr int kMaxPolygonCorners = 10000;

    BezierPath();
    BezierPath(const BezierPath& other);
    BezierPath& operator=(const BezierPath& other);

    static Ref<BezierPath> path();
    // Rectangles, ovals and rounded rectangles are closed sub-paths that run towards +x first
    // and then +y (increasing angles). A rectangle starts at its minimum corner, an oval at its
    // point on the +x side.
    static Ref<BezierPath> pathWithRect(const QRectF& rect);
    static Ref<BezierPath> pathWithOval(const QRectF& rect);
    // Elliptical corners: each radius is clamped to half its side; a radius of zero gives a
    // plain rectangle.
    static Ref<BezierPath> pathWithRoundedRect(const QRectF& rect, double xRadius, double yRadius);
    // Each corner with its own radius; radii are clamped to half the shorter side, and a radius
    // of zero leaves a sharp corner. The path starts where the top edge leaves the top-left
    // corner ("top" being the minimum y).
    static Ref<BezierPath> pathWithRoundedRect(const QRectF& rect, double topLeftRadius, double topRightRadius,
                                               double bottomLeftRadius, double bottomRightRadius);
    static Ref<BezierPath> pathWithPolygon(const QList<QPointF>& points, bool closed);
    // A regular polygon with `sides` corners (3 to kMaxPolygonCorners, else
    // InvalidArgumentException) on a circle; the first corner lies at `rotationDegrees`.
    static Ref<BezierPath> pathWithRegularPolygon(const QPointF& centre, double radius, int sides,
                                                  double rotationDegrees = -90.0);
    // A star of `points` tips (2 to kMaxPolygonCorners / 2, else InvalidArgumentException)
    // alternating between the two radii, the first tip at `rotationDegrees`.
    static Ref<BezierPath> pathWithStar(const QPointF& centre, double outerRadius, double innerRadius, int points,
                                        double rotationDegrees = -90.0);
    // QPainterPath keeps no close element, so a sub-path that ends where it starts is taken as
    // closed (a final line back to the start becomes the close).
    static Ref<BezierPath> fromQPainterPath(const QPainterPath& path);

    // Building. A line or curve with no current point starts a sub-path at its first point.
    // Relative operations count from the current point.
    void moveTo(const QPointF& point);
    void lineTo(const QPointF& point);
    void curveTo(const QPointF& end, const QPointF& control1, const QPointF& control2);
    void closePath();
    void relativeMoveTo(const QPointF& offset);
    void relativeLineTo(const QPointF& offset);
    void relativeCurveTo(const QPointF& end, const QPointF& control1, const QPointF& control2);
    void appendRect(const QRectF& rect);
    void appendOval(const QRectF& rect);
    void appendRoundedRect(const QRectF& rect, double topLeftRadius, double topRightRadius,
                           double bottomLeftRadius, double bottomRightRadius);
    // An arc about `centre`, joined by a line from the current point when there is one (else it
    // starts with a move). It runs towards increasing angles unless `clockwise`, at most once
    // round: angles a multiple of 360 apart (but not equal) give a full circle. Made of cubic
    // segments of at most 90 degrees each.
    void appendArc(const QPointF& centre, double radius, double startAngle, double endAngle, bool clockwise = false);
    // The arc of `radius` tangent to the lines from the current point to `point1` and from
    // `point1` to `point2`: a line to the first tangent point, then the arc, which ends at the
    // second. Collinear points (or a radius that is not positive) give a line to `point1`.
    void appendArcFromPoint(const QPointF& point1, const QPointF& point2, double radius);
    void appendPath(const BezierPath& other);
    // Appends `other` without its first move, so that it continues the current sub-path. An
    // empty receiver has no sub-path to continue, so it takes the move as well.
    void appendPathRemovingInitialMoveTo(const BezierPath& other);
    void removeAllPoints();

    // Elements.
    int elementCount() const { return int(m_elements.size()); }
    // Raises NSRangeException for an index out of range (as setAssociatedPoints does).
    const Element& elementAt(int index) const;
    const QList<Element>& elements() const { return m_elements; }
    // Replaces the points of an element, keeping its type.
    void setAssociatedPoints(int index, const std::array<QPointF, 3>& points);
    bool isEmpty() const { return m_elements.isEmpty(); }
    // The end point of the last element (a close answers its sub-path's start); (0, 0) when empty.
    QPointF currentPoint() const;
    // The point of the first move; (0, 0) when empty.
    QPointF firstPoint() const;
    int subpathCount() const;

    // Stroke settings.
    double lineWidth() const { return m_lineWidth; }
    void setLineWidth(double width) { m_lineWidth = width; }
    LineCap lineCapStyle() const { return m_lineCap; }
    void setLineCapStyle(LineCap cap) { m_lineCap = cap; }
    LineJoin lineJoinStyle() const { return m_lineJoin; }
    void setLineJoinStyle(LineJoin join) { m_lineJoin = join; }
    double miterLimit() const { return m_miterLimit; }
    void setMiterLimit(double limit) { m_miterLimit = limit; }
    // The largest distance between a curve and the lines that stand for it when flattened.
    // A flatness that is not positive and finite is replaced by the default.
    double flatness() const { return m_flatness; }
    void setFlatness(double flatness);
    WindingRule windingRule() const { return m_windingRule; }
    void setWindingRule(WindingRule rule) { m_windingRule = rule; }
    const QList<double>& dashPattern() const { return m_dashPattern; }
    double dashPhase() const { return m_dashPhase; }
    // Lengths in the path's units. A pattern with a negative or non-finite length, or with no
    // length above zero, draws solid; a non-finite phase counts as 0.
    void setLineDash(const QList<double>& pattern, double phase);

    // The settings new paths start with; safe from any thread. Values that could not be used
    // (negative or non-finite widths, non-positive flatness or miter limits) are ignored.
    static double defaultLineWidth();
    static void setDefaultLineWidth(double width);
    static double defaultFlatness();
    static void setDefaultFlatness(double flatness);
    static double defaultMiterLimit();
    static void setDefaultMiterLimit(double limit);

    // Geometry.
    // Both bounds take in every on-curve point, moves included; an empty path answers a null
    // rectangle, a lone move a rectangle of no size at its point.
    QRectF controlPointBounds() const;
    // The exact bounds of the curves, without the stroke.
    QRectF bounds() const;
    // Inside the area by the winding rule, open sub-paths closed by a straight line.
    bool containsPoint(const QPointF& point) const;
    // Whether `point` lies on the stroke of the given width (cap, join and miter limit of this
    // path, no dash). False for a width that is not positive.
    bool strokeContainsPoint(const QPointF& point, double width) const;
    void transform(const QTransform& transform);
    Ref<BezierPath> transformed(const QTransform& transform) const;
    // Curves replaced by lines no further than `flatness` from them; moves and closes stay. A
    // flatness that is not positive falls back to defaultFlatness().
    Ref<BezierPath> flattened(double flatness) const;
    Ref<BezierPath> flattened() const { return flattened(m_flatness); }
    // The same sub-paths in the same order, each travelled the other way, with the settings.
    // An open sub-path starts at its old end. A closed one still starts at its old start and
    // first goes back along its closing line (when that has any length); a line that would
    // end it at its start is left to the close. So move A, line B, line C, close reverses to
    // move A, line C, line B, close.
    Ref<BezierPath> reversed() const;

    // Painting.
    // The fill rule follows the winding rule.
    QPainterPath toQPainterPath() const;
    // The stroke settings as a pen. A width of zero (or less) is a cosmetic one-pixel pen;
    // dash lengths, given in path units, are converted to QPen's width-relative ones.
    QPen pen(const QBrush& brush) const;
    void fill(QPainter& painter, const QBrush& brush) const;
    void stroke(QPainter& painter, const QBrush& brush) const;

    Ref<Object> copy() const override;
    // Same elements and same settings.
    bool isEqual(const Reflective* other) const override;
    size_t hash() const override;
    QString description() const override;

    // The elements are archived as one data blob (see BezierPath.cpp). A damaged blob decodes
    // to an empty path; settings that are missing or unusable keep their defaults.
    void encodeWithCoder(KeyedArchiver& coder) const override;
    void initWithCoder(KeyedUnarchiver& coder) override;

private:
    void appendElement(ElementType type, const QPointF& a = {}, const QPointF& b = {}, const QPointF& c = {});
    // Starts a sub-path at `point` when a line or curve has none to continue.
    void beginSegment(const QPointF& point);
    // The point of the move that begins the sub-path holding element `index`.
    QPointF subpathStart(int index) const;

    QList<Element> m_elements;
    double m_lineWidth;
    LineCap m_lineCap = LineCap::Butt;
    LineJoin m_lineJoin = LineJoin::Miter;
    double m_miterLimit;
    double m_flatness;
    WindingRule m_windingRule = WindingRule::NonZero;
    QList<double> m_dashPattern;
    double m_dashPhase = 0.0;
};

} // namespace pf
