#include "frameworks/penwork/styles/PWStroke.h"

#include "frameworks/penwork/geometry/BezierPath+Offset.h"
#include "frameworks/penwork/geometry/BezierPath+Outline.h"
#include "frameworks/penwork/styles/PWRendererSupport.h"

#include "platform/foundation/Error.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/BezierPath+Rectangle.h"
#include "platform/graphics/GraphicsContext.h"

#include <QPainterPathStroker>

#include <algorithm>
#include <cmath>

namespace {

// Above this many elements (a zig-zag or roughened line thousands of points long) a stroke's
// bounds come from the path's own bounds and the furthest a join or cap can reach: outlining
// the whole stroke to measure it grows a path many times the size of the line's.
constexpr int kExactStrokeBoundsElements = 4096;

// Whether every sub-path is closed and turns nowhere by more than half a degree: the outline of
// such a path (an oval, a rounded outline) has no caps and no corner reaching out, whatever the
// join, so it lies within half the line's width of the path.
bool closedWithoutCorners(const pf::BezierPath& path)
{
    using Type = pf::BezierPath::ElementType;
    const auto smooth = [](const QPointF& in, const QPointF& out) {
        const double cross = in.x() * out.y() - in.y() * out.x();
        const double dot = QPointF::dotProduct(in, out);
        const double lengths = std::hypot(in.x(), in.y()) * std::hypot(out.x(), out.y());
        return lengths > 0.0 && dot > 0.0 && std::abs(cross) <= 0.01 * lengths;
    };
    // The direction a piece leaves `from` in and arrives at `to` in, skipping control points
    // that sit on its ends.
    const auto firstDirection = [](const QPointF& from, std::initializer_list<QPointF> next) {
        for (const QPointF& point : next)
            if (point != from)
                return point - from;
        return QPointF();
    };
    const QList<pf::BezierPath::Element>& elements = path.elements();
    QPointF current;
    QPointF start;
    QPointF firstOut;
    QPointF lastIn;
    bool open = false;
    const auto piece = [&](const QPointF& out, const QPointF& in) {
        if (out.isNull() || in.isNull())
            return false; // a piece of no length
        if (!open) {
            firstOut = out;
            open = true;
        } else if (!smooth(lastIn, out)) {
            return false;
        }
        lastIn = in;
        return true;
    };
    bool anything = false;
    for (qsizetype i = 0; i < elements.size(); ++i) {
        const pf::BezierPath::Element& e = elements[i];
        switch (e.type) {
        case Type::MoveTo:
            if (open)
                return false; // the sub-path before was left open
            current = start = e.points[0];
            break;
        case Type::LineTo:
            if (!piece(e.points[0] - current, e.points[0] - current))
                return false;
            current = e.points[0];
            break;
        case Type::CurveTo: {
            const QPointF out = firstDirection(current, {e.points[0], e.points[1], e.points[2]});
            const QPointF in = -firstDirection(e.points[2], {e.points[1], e.points[0], current});
            if (!piece(out, in))
                return false;
            current = e.points[2];
            break;
        }
        case Type::ClosePath:
            if (!open)
                return false;
            if (current != start && !piece(start - current, start - current))
                return false;
            if (!smooth(lastIn, firstOut))
                return false;
            open = false;
            anything = true;
            current = start;
            break;
        }
    }
    return anything && !open;
}

} // namespace

PF_DEFINE_CLASS(PWStroke, PWRasterizer)
{
    b.protocol(pf::kCodingProtocol);
    b.property(PWStroke::kWidthKey, &PWStroke::width, &PWStroke::setWidth);
    b.validator(PWStroke::kWidthKey, [](PWStroke&, QVariant* value, pf::Error* error) {
        const double width = value->toDouble();
        if (!pf::isNumber(*value) || !std::isfinite(width))
            return pf::fail(error, pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorCoderInvalidValue,
                                                   QStringLiteral("The stroke width must be a number.")));
        if (width < 0.0)
            *value = 0.0;
        return true;
    });
    b.property(
        PWStroke::kColourKey,
        std::function<QVariant(const PWStroke&)>(
            [](const PWStroke& stroke) { return pw::renderers::colourToVariant(stroke.colour()); }),
        std::function<void(PWStroke&, const QVariant&)>([](PWStroke& stroke, const QVariant& value) {
            stroke.setColour(pw::renderers::colourFromVariant(value, QStringLiteral("-[PWStroke setColour:]")));
        }));
    b.property(PWStroke::kLineCapStyleKey, &PWStroke::lineCapStyle, &PWStroke::setLineCapStyle);
    b.property(PWStroke::kLineJoinStyleKey, &PWStroke::lineJoinStyle, &PWStroke::setLineJoinStyle);
    b.property(PWStroke::kDashKey, &PWStroke::dash, &PWStroke::setDash);
    b.property(PWStroke::kLateralOffsetKey, &PWStroke::lateralOffset, &PWStroke::setLateralOffset);
    b.validator(PWStroke::kLateralOffsetKey, [](PWStroke&, QVariant* value, pf::Error* error) {
        if (!pf::isNumber(*value) || !std::isfinite(value->toDouble()))
            return pf::fail(error, pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorCoderInvalidValue,
                                                   QStringLiteral("The lateral offset must be a number.")));
        return true;
    });
    b.property(PWStroke::kShadowKey, &PWStroke::shadow, &PWStroke::setShadow);
    b.property("hasShadow", &PWStroke::hasShadow);
    b.keyPathsAffecting("hasShadow", {PWStroke::kShadowKey});
    b.property(PWStroke::kClippingKey, &PWStroke::clipping, &PWStroke::setClipping);
    b.validator(PWStroke::kClippingKey, [](PWStroke&, QVariant* value, pf::Error* error) {
        const int clipping = value->toInt();
        if (!pf::isNumber(*value) || clipping < PWStroke::ClipNone || clipping > PWStroke::ClipInside)
            return pf::fail(error, pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorCoderInvalidValue,
                                                   QStringLiteral("Unknown clipping.")));
        return true;
    });
}

namespace {

const QString kWidthArchiveKey = QStringLiteral("pw_stroke_width");
const QString kColourArchiveKey = QStringLiteral("pw_stroke_colour");
const QString kCapArchiveKey = QStringLiteral("pw_stroke_lineCapStyle");
const QString kJoinArchiveKey = QStringLiteral("pw_stroke_lineJoinStyle");
const QString kDashArchiveKey = QStringLiteral("pw_stroke_dash");
const QString kOffsetArchiveKey = QStringLiteral("pw_stroke_lateralOffset");
const QString kShadowArchiveKey = QStringLiteral("pw_stroke_shadow");
const QString kClippingArchiveKey = QStringLiteral("pw_stroke_clipping");

// Curves of an offset path stay this close to the true parallel.
constexpr double kOffsetFlatness = 0.05;

bool validCap(int cap)
{
    return cap >= int(pf::BezierPath::LineCap::Butt) && cap <= int(pf::BezierPath::LineCap::Square);
}

bool validJoin(int join)
{
    return join >= int(pf::BezierPath::LineJoin::Miter) && join <= int(pf::BezierPath::LineJoin::Bevel);
}

} // namespace

PWStroke::PWStroke() = default;

PWStroke::PWStroke(double width, const pf::Color& colour) : m_colour(colour)
{
    m_width = std::isfinite(width) ? std::max(0.0, width) : 1.0;
}

PWStroke::PWStroke(const PWStroke& other)
    : PWRasterizer(other),
      m_width(other.m_width),
      m_colour(other.m_colour),
      m_lineCap(other.m_lineCap),
      m_lineJoin(other.m_lineJoin),
      m_dash(other.m_dash ? std::static_pointer_cast<PWStrokeDash>(other.m_dash->copy()) : nullptr),
      m_lateralOffset(other.m_lateralOffset),
      m_shadow(other.m_shadow ? std::static_pointer_cast<pf::Shadow>(other.m_shadow->copy()) : nullptr),
      m_clipping(other.m_clipping)
{
}

pf::Ref<PWStroke> PWStroke::strokeWithWidth(double width, const pf::Color& colour)
{
    return std::make_shared<PWStroke>(width, colour);
}

void PWStroke::setWidth(double width)
{
    if (!std::isfinite(width)) {
        PF_LOG("PWStroke: width %f refused", width);
        return;
    }
    changeProperty(m_width, std::max(0.0, width), kWidthKey);
}

void PWStroke::setColour(const pf::Color& colour)
{
    changeProperty(m_colour, colour, kColourKey);
}

void PWStroke::setLineCapStyle(pf::BezierPath::LineCap cap)
{
    if (!validCap(int(cap))) {
        PF_LOG("PWStroke: line cap style %d refused", int(cap));
        return;
    }
    changeProperty(m_lineCap, cap, kLineCapStyleKey);
}

void PWStroke::setLineJoinStyle(pf::BezierPath::LineJoin join)
{
    if (!validJoin(int(join))) {
        PF_LOG("PWStroke: line join style %d refused", int(join));
        return;
    }
    changeProperty(m_lineJoin, join, kLineJoinStyleKey);
}

void PWStroke::setDash(const pf::Ref<PWStrokeDash>& dash)
{
    changeProperty(m_dash, dash, kDashKey);
}

void PWStroke::setLateralOffset(double offset)
{
    if (!std::isfinite(offset)) {
        PF_LOG("PWStroke: lateral offset %f refused", offset);
        return;
    }
    changeProperty(m_lateralOffset, offset, kLateralOffsetKey);
}

void PWStroke::setShadow(const pf::Ref<pf::Shadow>& shadow)
{
    changeProperty(m_shadow, shadow, kShadowKey);
}

void PWStroke::setClipping(int clipping)
{
    if (clipping < ClipNone || clipping > ClipInside) {
        PF_LOG("PWStroke: clipping %d refused", clipping);
        return;
    }
    changeProperty(m_clipping, clipping, kClippingKey);
}

void PWStroke::applyAttributesToPath(pf::BezierPath& path) const
{
    path.setLineWidth(width());
    path.setLineCapStyle(m_lineCap);
    path.setLineJoinStyle(m_lineJoin);
    if (m_dash)
        m_dash->applyToPath(path);
    else
        path.setLineDash({}, 0.0);
    if (pf::GraphicsContext* context = pf::GraphicsContext::current())
        context->setColour(m_colour);
}

pf::Ref<pf::BezierPath> PWStroke::offsetPath(const pf::BezierPath& path) const
{
    if (m_lateralOffset == 0.0)
        return std::static_pointer_cast<pf::BezierPath>(path.copy());
    return pw::paralleloidPathWithOffset2(path, m_lateralOffset, kOffsetFlatness);
}

pf::Ref<pf::BezierPath> PWStroke::outlinedStrokeForObject(const PWRenderable& object) const
{
    const pf::Ref<pf::BezierPath> path = pathForObject(object);
    if (!path)
        return pf::BezierPath::path();
    pf::Ref<pf::BezierPath> line = offsetPath(*path);
    line->setLineCapStyle(m_lineCap);
    line->setLineJoinStyle(m_lineJoin);
    return pw::strokedPathWithStrokeWidth(*line, width());
}

void PWStroke::renderPath(const pf::BezierPath& path)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context || path.isEmpty())
        return;
    // A clear line casts no shadow either: the shadow takes its alpha from the shape.
    if (!m_colour.isValid() || m_colour.alphaComponent() <= 0.0)
        return;
    if (!pw::renderers::shadowShows(m_shadow.get()) && m_clipping != 1 && m_clipping != 2) {
        // No shadow and no clip: the stroke leaves the painter as it found it, so the context
        // needs no full save (the costliest part of drawing a small shape), only its colours kept.
        const pf::Color fillColour = context->fillColour();
        const pf::Color strokeColour = context->strokeColour();
        const pf::Ref<pf::BezierPath> line = offsetPath(path);
        applyAttributesToPath(*line);
        QPainter& painter = context->painter();
        if (painter.isActive())
            line->stroke(painter, context->strokeColour().brush());
        context->setFillColour(fillColour);
        context->setStrokeColour(strokeColour);
        return;
    }
    pf::GraphicsStateSaver saver(context);
    const pf::Ref<pf::BezierPath> line = offsetPath(path);
    applyAttributesToPath(*line);
    pw::renderers::setShadow(*context, m_shadow.get());
    pw::renderers::clipToSide(*context, path, m_clipping, std::abs(m_lateralOffset) + width() + 1.0);
    context->strokePath(*line);
}

QRectF PWStroke::strokeBoundsForPath(const pf::BezierPath& path) const
{
    if (path.isEmpty())
        return QRectF();
    const double lineWidth = width();
    if (lineWidth <= 0.0) {
        // A hairline is one device pixel: a point either side is always enough.
        return path.bounds().adjusted(-1.0, -1.0, 1.0, 1.0);
    }
    // Whatever its joins, a rectangle's outline reaches half the line's width past each side
    // and no further; large drawings hold many, and the stroker would only confirm it.
    if (const std::optional<QRectF> rect = pf::axisAlignedRectangle(path.elements()))
        return rect->adjusted(-lineWidth / 2.0, -lineWidth / 2.0, lineWidth / 2.0, lineWidth / 2.0);
    // With round joins and caps the line covers every point within half its width of the path
    // and no other: its bounds are the path's grown by that much, without outlining a road
    // thousands of points long to measure it. The outline draws its round parts as cubic arcs,
    // which bulge past the circle by under 0.03 % of its radius.
    // So do closed paths without corners (ovals), whatever their joins.
    if ((m_lineJoin == pf::BezierPath::LineJoin::Round && m_lineCap == pf::BezierPath::LineCap::Round)
        || closedWithoutCorners(path)) {
        const double reach = lineWidth / 2.0 * 1.001;
        return path.bounds().adjusted(-reach, -reach, reach, reach);
    }
    if (path.elementCount() > kExactStrokeBoundsElements) {
        // No corner or cap reaches further from the path than this; a miter's tip stops at the
        // miter limit, in widths either way it is read.
        const double limit = std::isfinite(path.miterLimit()) && path.miterLimit() > 0.0
                                 ? path.miterLimit()
                                 : pf::BezierPath::defaultMiterLimit();
        const double reach = m_lineJoin == pf::BezierPath::LineJoin::Miter ? lineWidth * std::max(1.0, limit)
                                                                           : lineWidth / 2.0 * std::sqrt(2.0);
        return path.bounds().adjusted(-reach, -reach, reach, reach);
    }
    pf::BezierPath solid(path);
    solid.setLineWidth(lineWidth);
    solid.setLineCapStyle(m_lineCap);
    solid.setLineJoinStyle(m_lineJoin);
    solid.setLineDash({}, 0.0);
    QPainterPathStroker stroker(solid.pen(QBrush(Qt::black)));
    const QRectF area = stroker.createStroke(solid.toQPainterPath()).boundingRect();
    // A lone point with butt caps strokes nothing, yet its place belongs to the bounds.
    return area.isNull() ? path.bounds() : area;
}

QRectF PWStroke::boundsNeededForObject(const PWRenderable& object) const
{
    const pf::Ref<pf::BezierPath> path = pathForObject(object);
    if (!path || path->isEmpty())
        return QRectF();
    const QRectF line = strokeBoundsForPath(*offsetPath(*path));
    return pw::renderers::boundsWithShadow(line, m_shadow.get());
}

QString PWStroke::displayName() const
{
    return QStringLiteral("Stroke");
}

QStringList PWStroke::observableKeyPaths() const
{
    return PWRasterizer::observableKeyPaths() << kWidthKey << kColourKey << kLineCapStyleKey << kLineJoinStyleKey
                                              << kDashKey << kLateralOffsetKey << kShadowKey << kClippingKey;
}

void PWStroke::registerActionNames() const
{
    PWRasterizer::registerActionNames();
    setActionName(QStringLiteral("#kind# Width"), kWidthKey);
    setActionName(QStringLiteral("#kind# Colour"), kColourKey);
    setActionName(QStringLiteral("#kind# Line Cap"), kLineCapStyleKey);
    setActionName(QStringLiteral("#kind# Line Join"), kLineJoinStyleKey);
    setActionName(QStringLiteral("#kind# Dash"), kDashKey);
    setActionName(QStringLiteral("#kind# Lateral Offset"), kLateralOffsetKey);
    setActionName(QStringLiteral("#kind# Shadow"), kShadowKey);
    setActionName(QStringLiteral("#kind# Clipping"), kClippingKey);
}

pf::Ref<pf::Object> PWStroke::copy() const
{
    return std::make_shared<PWStroke>(*this);
}

bool PWStroke::isEqual(const pf::Reflective* other) const
{
    if (!PWRasterizer::isEqual(other))
        return false;
    const auto* stroke = static_cast<const PWStroke*>(other);
    return stroke->width() == width() && stroke->m_colour == m_colour && stroke->m_lineCap == m_lineCap &&
           stroke->m_lineJoin == m_lineJoin && sameValue(stroke->m_dash, m_dash) &&
           stroke->m_lateralOffset == m_lateralOffset && sameValue(stroke->m_shadow, m_shadow) &&
           stroke->m_clipping == m_clipping;
}

void PWStroke::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWRasterizer::encodeWithCoder(coder);
    coder.encodeDouble(m_width, kWidthArchiveKey);
    coder.encodeObject(m_colour.isValid() ? std::make_shared<pf::Color>(m_colour) : nullptr, kColourArchiveKey);
    coder.encodeInt32(int(m_lineCap), kCapArchiveKey);
    coder.encodeInt32(int(m_lineJoin), kJoinArchiveKey);
    coder.encodeObject(m_dash, kDashArchiveKey);
    coder.encodeDouble(m_lateralOffset, kOffsetArchiveKey);
    coder.encodeObject(m_shadow, kShadowArchiveKey);
    coder.encodeInt32(m_clipping, kClippingArchiveKey);
}

void PWStroke::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWRasterizer::initWithCoder(coder);
    // Values a damaged archive could hold that no setter accepts fall back to the defaults.
    if (coder.containsValueForKey(kWidthArchiveKey)) {
        const double width = coder.decodeDouble(kWidthArchiveKey);
        m_width = std::isfinite(width) ? std::max(0.0, width) : 1.0;
    }
    const pf::Ref<pf::Color> colour = coder.decodeObjectOfClass<pf::Color>(kColourArchiveKey);
    m_colour = colour ? *colour : pf::Color();
    const int cap = coder.decodeInt32(kCapArchiveKey);
    m_lineCap = validCap(cap) ? pf::BezierPath::LineCap(cap) : pf::BezierPath::LineCap::Butt;
    const int join = coder.decodeInt32(kJoinArchiveKey);
    m_lineJoin = validJoin(join) ? pf::BezierPath::LineJoin(join) : pf::BezierPath::LineJoin::Miter;
    m_dash = coder.decodeObjectOfClass<PWStrokeDash>(kDashArchiveKey);
    const double offset = coder.decodeDouble(kOffsetArchiveKey);
    m_lateralOffset = std::isfinite(offset) ? offset : 0.0;
    m_shadow = coder.decodeObjectOfClass<pf::Shadow>(kShadowArchiveKey);
    const int clipping = coder.decodeInt32(kClippingArchiveKey);
    m_clipping = clipping >= ClipNone && clipping <= ClipInside ? clipping : ClipNone;
}
