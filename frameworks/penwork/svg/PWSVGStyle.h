#pragma once

#include "frameworks/penwork/svg/PWSVGValueParsing.h"
#include "platform/graphics/BezierPath.h"

#include <QColor>
#include <QList>
#include <QString>

struct PWSVGElement;
class PWDrawableObject;

namespace pwsvg {

// The computed properties of an element. Everything above `opacity` inherits.
struct Style {
    Paint fill{Paint::Colour, QColor(Qt::black), {}, {}, false};
    double fillOpacity = 1.0;
    bool evenOdd = false;
    Paint stroke;
    double strokeOpacity = 1.0;
    double strokeWidth = 1.0;
    pf::BezierPath::LineCap cap = pf::BezierPath::LineCap::Butt;
    pf::BezierPath::LineJoin join = pf::BezierPath::LineJoin::Miter;
    double miterLimit = 4.0;
    QList<double> dashes;
    double dashOffset = 0.0;
    QColor colour = Qt::black;
    QString fontFamily;
    double fontSize = 16.0;
    int fontWeight = 400;
    bool italic = false;
    int anchor = 0; // 0 start, 1 middle, 2 end
    bool visible = true;
    bool clipEvenOdd = false;
    // paint-order: the order fill (f), stroke (s) and markers (m) are painted in.
    QString paintOrder = QStringLiteral("fsm");
    QString markerStart;
    QString markerMid;
    QString markerEnd;

    double opacity = 1.0;
    bool displayNone = false;
    QString filterId;
    QString clipId;
    QString maskId;
    // From style sheets and style attributes, which override the transform attribute.
    QString cssTransform;
    QString transformOrigin;
    int blendMode = 2; // source over: kNormalBlend
    bool isolated = false;
};

// The compositing value of mix-blend-mode: normal.
inline constexpr int kNormalBlend = 2;

// Whether the element's conditional attributes (requiredExtensions, systemLanguage) hold
// for this program and its user's language.
bool passesConditions(const PWSVGElement& element);
// `transform` applied about the point transform-origin `origin` names; percentages and
// keywords refer to `viewport`.
QTransform aboutOrigin(const QTransform& transform, const QString& origin, const QSizeF& viewport);
// A transform list as CSS writes it ("rotate(45deg) translate(10px, 0)"), or nothing.
std::optional<QTransform> parseCSSTransform(const QString& text);
// Places a box-shaped object (text, image) on `rect` of user space seen through `ctm`: its
// centre, its sides scaled as the transform scales them, and the transform's rotation.
void placeBox(PWDrawableObject& object, const QRectF& rect, const QTransform& ctm);
// path, rect, circle, ellipse, line, polyline or polygon.
bool isShapeElement(const QString& name);

} // namespace pwsvg
