// Markers: the content of marker elements drawn as objects at a path's vertices, turned as
// the marker's orient says and clipped to its viewport unless its overflow shows.
#include "frameworks/penwork/svg/PWSVGDrawingBuilder.h"

#include "frameworks/penwork/drawables/PWClippingGroup.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/svg/PWSVGStyle.h"
#include "frameworks/penwork/svg/PWSVGValueParsing.h"

#include "platform/graphics/BezierPath.h"

#include <2geom/pathvector.h>

#include <QtMath>

#include <cmath>
#include <optional>

using pwsvg::LengthAxis;
using pwsvg::Style;

namespace {

struct Vertex {
    QPointF point;
    std::optional<QPointF> in;  // the direction the path arrives in
    std::optional<QPointF> out; // the direction it leaves in
};

std::optional<QPointF> direction(const Geom::Curve& curve, double t)
{
    const Geom::Point tangent = curve.unitTangentAt(t);
    if (!std::isfinite(tangent[Geom::X]) || !std::isfinite(tangent[Geom::Y])
        || (tangent[Geom::X] == 0.0 && tangent[Geom::Y] == 0.0))
        return std::nullopt;
    return QPointF(tangent[Geom::X], tangent[Geom::Y]);
}

QPointF qt(const Geom::Point& p) { return QPointF(p[Geom::X], p[Geom::Y]); }

// Every vertex of the path: each subpath's start and the end of each of its segments, with the
// directions in and out of it; a closed subpath arrives at its start by its closing segment.
QList<Vertex> verticesOf(const Geom::PathVector& paths)
{
    QList<Vertex> vertices;
    for (const Geom::Path& path : paths) {
        const size_t n = path.size_default();
        if (n == 0) {
            vertices.append({qt(path.initialPoint()), std::nullopt, std::nullopt});
            continue;
        }
        const bool closed = path.closed();
        vertices.append({qt(path.initialPoint()), closed ? direction(path[n - 1], 1.0) : std::nullopt,
                         direction(path[0], 0.0)});
        for (size_t k = 0; k + 1 < n; ++k)
            vertices.append({qt(path[k].finalPoint()), direction(path[k], 1.0), direction(path[k + 1], 0.0)});
        vertices.append({qt(path[n - 1].finalPoint()), direction(path[n - 1], 1.0),
                         closed ? direction(path[0], 0.0) : std::nullopt});
    }
    return vertices;
}

// The angle that halves the turn from `in` to `out`; either alone when the other is missing.
double bisectorAngle(const Vertex& vertex)
{
    if (vertex.in && vertex.out) {
        const double a = std::atan2(vertex.in->y(), vertex.in->x());
        const double b = std::atan2(vertex.out->y(), vertex.out->x());
        double turn = b - a;
        while (turn > M_PI)
            turn -= 2 * M_PI;
        while (turn <= -M_PI)
            turn += 2 * M_PI;
        return a + turn / 2.0;
    }
    if (vertex.in)
        return std::atan2(vertex.in->y(), vertex.in->x());
    if (vertex.out)
        return std::atan2(vertex.out->y(), vertex.out->x());
    return 0.0;
}

// orient as an angle in radians (deg, grad, rad or turn; degrees without a unit); nothing for
// auto and auto-start-reverse, 0 for what cannot be read.
std::optional<double> fixedOrient(const QString& text, bool* reverseAtStart)
{
    const QString value = text.trimmed();
    *reverseAtStart = value == u"auto-start-reverse";
    if (value == u"auto" || *reverseAtStart)
        return std::nullopt;
    struct Unit {
        const char* suffix;
        double toRadians;
    };
    static const Unit units[] = {{"deg", M_PI / 180.0}, {"grad", M_PI / 200.0}, {"rad", 1.0}, {"turn", 2 * M_PI}};
    for (const Unit& unit : units)
        if (value.endsWith(QLatin1String(unit.suffix))) {
            const auto number = pwsvg::parseNumber(QStringView(value).chopped(qsizetype(qstrlen(unit.suffix))));
            return number ? *number * unit.toRadians : 0.0;
        }
    const auto number = pwsvg::parseNumber(value);
    return number ? qDegreesToRadians(*number) : 0.0;
}

} // namespace

bool PWSVGDrawingBuilder::buildMarkers(const Geom::PathVector& paths, const Style& style, const QTransform& ctm,
                                       double opacity, Objects& out)
{
    const QList<Vertex> vertices = verticesOf(paths);
    if (vertices.isEmpty())
        return true;
    for (qsizetype i = 0; i < vertices.size(); ++i) {
        const bool isStart = i == 0;
        const bool isEnd = i == vertices.size() - 1;
        // The first vertex takes the start marker, the last the end marker, all others the
        // middle one.
        QList<const QString*> wanted;
        if (isStart)
            wanted.append(&style.markerStart);
        if (!isStart && !isEnd)
            wanted.append(&style.markerMid);
        if (isEnd)
            wanted.append(&style.markerEnd);
        for (const QString* id : wanted) {
            const PWSVGElement* marker = referencedElement(*id, "marker");
            if (!marker)
                continue;
            bool reverse = false;
            const std::optional<double> fixed = fixedOrient(marker->attribute(QStringLiteral("orient")), &reverse);
            double angle = fixed ? *fixed : bisectorAngle(vertices[i]);
            if (!fixed && reverse && isStart && id == &style.markerStart)
                angle += M_PI;
            if (!buildMarker(*marker, vertices[i].point, angle, style, ctm, opacity, out))
                return false;
        }
    }
    return true;
}

bool PWSVGDrawingBuilder::buildMarker(const PWSVGElement& marker, const QPointF& vertex, double angle,
                                      const Style& style, const QTransform& ctm, double opacity, Objects& out)
{
    const Style* outer = std::exchange(m_context, &style);
    const Style markerStyle = inheritedStyle(marker);
    m_context = outer;
    const double fs = markerStyle.fontSize;
    const double width = length(marker, QStringLiteral("markerWidth"), int(LengthAxis::Horizontal), fs, 3.0);
    const double height = length(marker, QStringLiteral("markerHeight"), int(LengthAxis::Vertical), fs, 3.0);
    if (!(width > 0.0) || !(height > 0.0))
        return true;
    const double refX = length(marker, QStringLiteral("refX"), int(LengthAxis::Horizontal), fs);
    const double refY = length(marker, QStringLiteral("refY"), int(LengthAxis::Vertical), fs);
    QTransform viewBox;
    if (marker.hasAttribute(QStringLiteral("viewBox"))) {
        auto box = pwsvg::parseViewBox(marker.attribute(QStringLiteral("viewBox")));
        if (!box || !(box->width() > 0.0) || !(box->height() > 0.0))
            return true;
        viewBox = pwsvg::viewBoxTransform(*box, QRectF(0, 0, width, height),
                                          marker.attribute(QStringLiteral("preserveAspectRatio")));
    }
    const double scale = marker.attribute(QStringLiteral("markerUnits")).trimmed() == u"userSpaceOnUse"
                             ? 1.0
                             : style.strokeWidth;
    // The marker's viewport, (refX, refY) of its content on the vertex, turned and scaled.
    const QPointF reference = viewBox.map(QPointF(refX, refY));
    QTransform placement = QTransform::fromTranslate(-reference.x(), -reference.y());
    placement *= QTransform::fromScale(scale, scale);
    placement *= QTransform().rotateRadians(angle);
    placement *= QTransform::fromTranslate(vertex.x(), vertex.y());
    placement *= ctm;
    const QTransform content = viewBox * placement;
    if (!pwsvg::isFinite(content) || !(std::abs(content.determinant()) > 1e-18))
        return true;

    m_referenceStack.append(&marker);
    // The marked element is the context element of the marker's content.
    const Style* outerContext = std::exchange(m_context, &style);
    Objects drawn;
    const bool ok = buildChildren(marker, markerStyle, content, opacity * markerStyle.opacity, false, drawn);
    m_context = outerContext;
    m_referenceStack.removeLast();
    if (!ok)
        return false;
    if (drawn.size() == 0)
        return true;
    // overflow does not inherit, but may ask for its parent's value.
    QString overflow = declaredProperties(marker).value(QStringView(u"overflow")).trimmed();
    for (const PWSVGElement* up = marker.parent; overflow == u"inherit" && up; up = up->parent)
        overflow = declaredProperties(*up).value(QStringView(u"overflow")).trimmed();
    const bool clips = overflow != u"visible" && overflow != u"auto";
    auto viewport = pf::BezierPath::pathWithRect(QRectF(0, 0, width, height))->transformed(placement);
    QRectF shown;
    for (qsizetype i = 0; i < drawn.size(); ++i)
        shown = shown.isNull() ? drawn.objects[i]->bounds() : shown.united(drawn.objects[i]->bounds());
    // Content wholly within the viewport needs no clip; most markers are drawn so.
    if (!clips || viewport->bounds().contains(shown)) {
        appendGrouped(drawn, out);
        return true;
    }
    auto clipStyle = std::make_shared<PWStyle>();
    clipStyle->addRenderer(PWFill::fillWithColour(pf::Color(QColor(Qt::black))));
    return addObject(PWClippingGroup::clippingGroupWithObjects(
                         drawn.objects, PWDrawableShape::drawableShapeWithPath(*viewport, clipStyle),
                         PWClippingGroup::ClipCoverage),
                     out);
}
