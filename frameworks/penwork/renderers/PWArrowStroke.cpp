#include "frameworks/penwork/renderers/PWArrowStroke.h"

#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/geometry/BezierPath+Length.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/renderers/PWRendererGeometry.h"
#include "frameworks/penwork/styles/PWRendererSupport.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPathStroker>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace {

const QString kStartArchiveKey = QStringLiteral("pw_arrowStroke_arrowHeadAtStart");
const QString kEndArchiveKey = QStringLiteral("pw_arrowStroke_arrowHeadAtEnd");
const QString kHeadWidthArchiveKey = QStringLiteral("pw_arrowStroke_arrowHeadWidth");
const QString kHeadLengthArchiveKey = QStringLiteral("pw_arrowStroke_arrowHeadLength");
const QString kOutlineColourArchiveKey = QStringLiteral("pw_arrowStroke_outlineColour");
const QString kOutlineWidthArchiveKey = QStringLiteral("pw_arrowStroke_outlineWidth");
const QString kOptionsArchiveKey = QStringLiteral("pw_arrowStroke_dimensioningLineOptions");
const QString kTextKindArchiveKey = QStringLiteral("pw_arrowStroke_dimensionTextKind");
const QString kToleranceArchiveKey = QStringLiteral("pw_arrowStroke_dimensionToleranceOption");

// The gap between the line and the text beside it, and around the text set in the line.
constexpr double kTextGap = 2.0;

bool inRange(int value, int lo, int hi)
{
    return value >= lo && value <= hi;
}

pf::Error invalid(const QString& what)
{
    return pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorCoderInvalidValue, what);
}

// A validator for an enumerated integer property.
std::function<bool(PWArrowStroke&, QVariant*, pf::Error*)> enumValidator(int lo, int hi, const QString& what)
{
    return [lo, hi, what](PWArrowStroke&, QVariant* value, pf::Error* error) {
        if (!pf::isNumber(*value) || !inRange(value->toInt(), lo, hi) || value->toDouble() != value->toInt())
            return pf::fail(error, invalid(what));
        return true;
    };
}

QFont dimensionFont(double lineWidth)
{
    QFont font;
    font.setPixelSize(std::max(8, int(std::lround(9.0 + lineWidth))));
    return font;
}

} // namespace

PF_DEFINE_CLASS(PWArrowStroke, PWStroke)
{
    using pw::renderers::validateNumber;
    b.protocol(pf::kCodingProtocol);
    b.property(PWArrowStroke::kArrowHeadAtStartKey, &PWArrowStroke::arrowHeadAtStart,
               &PWArrowStroke::setArrowHeadAtStart);
    b.validator(PWArrowStroke::kArrowHeadAtStartKey,
                enumValidator(0, PWArrowStroke::kLastHeadKind, QStringLiteral("Unknown arrow head kind.")));
    b.property(PWArrowStroke::kArrowHeadAtEndKey, &PWArrowStroke::arrowHeadAtEnd, &PWArrowStroke::setArrowHeadAtEnd);
    b.validator(PWArrowStroke::kArrowHeadAtEndKey,
                enumValidator(0, PWArrowStroke::kLastHeadKind, QStringLiteral("Unknown arrow head kind.")));
    b.property(PWArrowStroke::kArrowHeadWidthKey, &PWArrowStroke::arrowHeadWidth, &PWArrowStroke::setArrowHeadWidth);
    b.validator(PWArrowStroke::kArrowHeadWidthKey, [](PWArrowStroke&, QVariant* value, pf::Error* error) {
        return validateNumber(value, 0.0, PWArrowStroke::kMaxHeadSize, QStringLiteral("The head width"), error);
    });
    b.property(PWArrowStroke::kArrowHeadLengthKey, &PWArrowStroke::arrowHeadLength,
               &PWArrowStroke::setArrowHeadLength);
    b.validator(PWArrowStroke::kArrowHeadLengthKey, [](PWArrowStroke&, QVariant* value, pf::Error* error) {
        return validateNumber(value, 0.0, PWArrowStroke::kMaxHeadSize, QStringLiteral("The head length"), error);
    });
    b.property(
        PWArrowStroke::kOutlineColourKey,
        std::function<QVariant(const PWArrowStroke&)>(
            [](const PWArrowStroke& stroke) { return pw::renderers::colourToVariant(stroke.outlineColour()); }),
        std::function<void(PWArrowStroke&, const QVariant&)>([](PWArrowStroke& stroke, const QVariant& value) {
            stroke.setOutlineColour(
                pw::renderers::colourFromVariant(value, QStringLiteral("-[PWArrowStroke setOutlineColour:]")));
        }));
    b.property(PWArrowStroke::kOutlineWidthKey, &PWArrowStroke::outlineWidth, &PWArrowStroke::setOutlineWidth);
    b.validator(PWArrowStroke::kOutlineWidthKey, [](PWArrowStroke&, QVariant* value, pf::Error* error) {
        return validateNumber(value, 0.0, PWArrowStroke::kMaxOutlineWidth, QStringLiteral("The outline width"),
                              error);
    });
    b.property(PWArrowStroke::kDimensioningLineOptionsKey, &PWArrowStroke::dimensioningLineOptions,
               &PWArrowStroke::setDimensioningLineOptions);
    b.validator(PWArrowStroke::kDimensioningLineOptionsKey,
                enumValidator(0, PWArrowStroke::DimensionTextBelow, QStringLiteral("Unknown dimensioning option.")));
    b.property(PWArrowStroke::kDimensionTextKindKey, &PWArrowStroke::dimensionTextKind,
               &PWArrowStroke::setDimensionTextKind);
    b.validator(PWArrowStroke::kDimensionTextKindKey,
                enumValidator(0, PWArrowStroke::DimensionTextNumberOnly, QStringLiteral("Unknown dimension text kind.")));
    b.property(PWArrowStroke::kDimensionToleranceOptionKey, &PWArrowStroke::dimensionToleranceOption,
               &PWArrowStroke::setDimensionToleranceOption);
    b.validator(PWArrowStroke::kDimensionToleranceOptionKey,
                enumValidator(0, 1, QStringLiteral("Unknown tolerance option.")));
    b.method("trimLengthForKind:", &PWArrowStroke::trimLengthForKind);
}

PWArrowStroke::PWArrowStroke() = default;

void PWArrowStroke::setArrowHeadAtStart(int kind)
{
    if (!inRange(kind, HeadNone, kLastHeadKind))
        return PF_LOG("PWArrowStroke: head kind %d refused", kind);
    changeProperty(m_headAtStart, kind, kArrowHeadAtStartKey);
}

void PWArrowStroke::setArrowHeadAtEnd(int kind)
{
    if (!inRange(kind, HeadNone, kLastHeadKind))
        return PF_LOG("PWArrowStroke: head kind %d refused", kind);
    changeProperty(m_headAtEnd, kind, kArrowHeadAtEndKey);
}

void PWArrowStroke::setArrowHeadWidth(double width)
{
    if (std::isnan(width))
        return PF_LOG("PWArrowStroke: head width NaN refused");
    changeProperty(m_headWidth, std::clamp(width, 0.0, kMaxHeadSize), kArrowHeadWidthKey);
}

void PWArrowStroke::setArrowHeadLength(double length)
{
    if (std::isnan(length))
        return PF_LOG("PWArrowStroke: head length NaN refused");
    changeProperty(m_headLength, std::clamp(length, 0.0, kMaxHeadSize), kArrowHeadLengthKey);
}

void PWArrowStroke::setOutlineColour(const pf::Color& colour)
{
    changeProperty(m_outlineColour, colour, kOutlineColourKey);
}

void PWArrowStroke::setOutlineWidth(double width)
{
    if (std::isnan(width))
        return PF_LOG("PWArrowStroke: outline width NaN refused");
    changeProperty(m_outlineWidth, std::clamp(width, 0.0, kMaxOutlineWidth), kOutlineWidthKey);
}

void PWArrowStroke::setDimensioningLineOptions(int options)
{
    if (!inRange(options, DimensionNone, DimensionTextBelow))
        return PF_LOG("PWArrowStroke: dimensioning option %d refused", options);
    changeProperty(m_dimensionOptions, options, kDimensioningLineOptionsKey);
}

void PWArrowStroke::setDimensionTextKind(int kind)
{
    if (!inRange(kind, DimensionTextWithUnits, DimensionTextNumberOnly))
        return PF_LOG("PWArrowStroke: dimension text kind %d refused", kind);
    changeProperty(m_dimensionTextKind, kind, kDimensionTextKindKey);
}

void PWArrowStroke::setDimensionToleranceOption(int option)
{
    if (!inRange(option, 0, 1))
        return PF_LOG("PWArrowStroke: tolerance option %d refused", option);
    changeProperty(m_toleranceOption, option, kDimensionToleranceOptionKey);
}

double PWArrowStroke::trimLengthForKind(int kind) const
{
    switch (kind) {
    case HeadArrow:
        return m_headLength;
    case HeadCircle:
    case HeadSquare:
    case HeadDiamond:
        return m_headLength / 2.0;
    default:
        return 0.0;
    }
}

QString PWArrowStroke::dimensionTextForLength(double length, const PWRenderable* object) const
{
    if (m_dimensionOptions == DimensionNone || !std::isfinite(length))
        return {};
    double value = length;
    QString units = QStringLiteral("pt");
    const auto* drawable = dynamic_cast<const PWDrawableObject*>(object);
    if (const PWDrawing* drawing = drawable ? drawable->drawing() : nullptr) {
        value = drawing->convertLength(length);
        units = drawing->abbreviatedDrawingUnits();
    }
    QString text = QString::number(value, 'f', kDimensionDecimals);
    if (m_toleranceOption)
        text += QStringLiteral(" \u00B1") + QString::number(std::pow(10.0, -kDimensionDecimals), 'f', kDimensionDecimals);
    if (m_dimensionTextKind == DimensionTextWithUnits && !units.isEmpty())
        text += QLatin1Char(' ') + units;
    return text;
}

QPainterPath PWArrowStroke::headShape(int kind, const QPointF& tip, double outwardAngle) const
{
    // Drawn with the tip at the origin and the line coming in from -x.
    const double length = m_headLength;
    const double half = m_headWidth / 2.0;
    QPainterPath shape;
    switch (kind) {
    case HeadArrow:
        shape.addPolygon(QPolygonF({QPointF(0, 0), QPointF(-length, half), QPointF(-length, -half)}));
        shape.closeSubpath();
        break;
    case HeadOpenArrow: {
        QPainterPath arms;
        arms.moveTo(-length, half);
        arms.lineTo(0, 0);
        arms.lineTo(-length, -half);
        QPainterPathStroker stroker;
        stroker.setWidth(std::max(width(), 0.5));
        stroker.setJoinStyle(Qt::MiterJoin);
        stroker.setCapStyle(Qt::FlatCap);
        shape = stroker.createStroke(arms);
        break;
    }
    case HeadCircle:
        shape.addEllipse(QRectF(-length, -half, length, 2.0 * half));
        break;
    case HeadSquare:
        shape.addRect(QRectF(-length, -half, length, 2.0 * half));
        break;
    case HeadBar: {
        const double thickness = std::max(width(), 1.0);
        shape.addRect(QRectF(-thickness, -half, thickness, 2.0 * half));
        break;
    }
    case HeadDiamond:
        shape.addPolygon(QPolygonF(
            {QPointF(0, 0), QPointF(-length / 2.0, half), QPointF(-length, 0), QPointF(-length / 2.0, -half)}));
        shape.closeSubpath();
        break;
    default:
        return shape;
    }
    QTransform place;
    place.translate(tip.x(), tip.y());
    place.rotateRadians(outwardAngle);
    return place.map(shape);
}

PWArrowStroke::Parts PWArrowStroke::partsForPath(const pf::BezierPath& path, const QString& text) const
{
    Parts parts;
    const pf::Ref<pf::BezierPath> line = offsetPath(path);
    // Measured once for the ends, the trimming and the text.
    const pw::PathMeasure measure(*line);
    const double total = measure.length();
    if (total <= 0.0) {
        parts.line = line;
        return parts;
    }
    double startSlope = 0.0;
    double endSlope = 0.0;
    const QPointF start = measure.pointAtLength(0.0, &startSlope);
    const QPointF end = measure.pointAtLength(total, &endSlope);
    parts.shapes.addPath(headShape(m_headAtStart, start, startSlope + M_PI));
    parts.shapes.addPath(headShape(m_headAtEnd, end, endSlope));

    const double trimStart = trimLengthForKind(m_headAtStart);
    const double trimEnd = trimLengthForKind(m_headAtEnd);
    parts.line = measure.pieceFromLength(trimStart, total - trimStart - trimEnd);

    if (!text.isEmpty()) {
        const QFont font = dimensionFont(width());
        const QFontMetricsF metrics(font);
        const double textWidth = metrics.horizontalAdvance(text);
        double slope = 0.0;
        const QPointF middle = measure.pointAtLength(total / 2.0, &slope);
        // Text is never drawn upside down: on a line running leftwards it reads the other way.
        const bool reversed = std::cos(slope) < 0.0;
        const double readingAngle = reversed ? slope + M_PI : slope;
        // The line's left is the text's "above" unless the text is turned round.
        const double aboveSign = reversed ? -1.0 : 1.0;
        double baseline = 0.0; // along the text's own y axis (down)
        const double clearance = width() / 2.0 + kTextGap;
        switch (m_dimensionOptions) {
        case DimensionTextAbove:
            baseline = aboveSign > 0 ? -clearance - metrics.descent() : clearance + metrics.ascent();
            break;
        case DimensionTextBelow:
            baseline = aboveSign > 0 ? clearance + metrics.ascent() : -clearance - metrics.descent();
            break;
        default:
            baseline = (metrics.ascent() - metrics.descent()) / 2.0;
            break;
        }
        QPainterPath glyphs;
        glyphs.addText(QPointF(-textWidth / 2.0, baseline), font, text);
        QTransform place;
        place.translate(middle.x(), middle.y());
        place.rotateRadians(readingAngle);
        parts.shapes.addPath(place.map(glyphs));
        if (m_dimensionOptions == DimensionTextInline && parts.line) {
            // The line breaks around the text.
            const double gap = textWidth + 2.0 * kTextGap;
            const double gapStart = total / 2.0 - gap / 2.0;
            const double gapEnd = total / 2.0 + gap / 2.0;
            auto broken = measure.pieceFromLength(trimStart, gapStart - trimStart);
            broken->appendPath(*measure.pieceFromLength(gapEnd, total - trimEnd - gapEnd));
            parts.line = broken;
        }
    }
    parts.shapes.setFillRule(Qt::WindingFill);
    return parts;
}

void PWArrowStroke::drawParts(const pf::BezierPath& path, const Parts& parts)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context || path.isEmpty())
        return;
    if (!colour().isValid() || colour().alphaComponent() <= 0.0)
        return;
    pf::GraphicsStateSaver saver(context);
    if (parts.line)
        applyAttributesToPath(*parts.line);
    pw::renderers::setShadow(*context, shadow().get());
    pw::renderers::clipToSide(*context, path, clipping(),
                              std::abs(lateralOffset()) + width() + m_headWidth + m_headLength + 1.0);
    const QColor ink = colour().qColor();
    const bool outlined = m_outlineWidth > 0.0 && m_outlineColour.isValid() && m_outlineColour.alphaComponent() > 0.0;
    // One drawing, so the shadow falls once under line, heads and text together.
    context->draw([&](QPainter& painter) {
        if (parts.line && !parts.line->isEmpty())
            parts.line->stroke(painter, QBrush(ink));
        if (parts.shapes.isEmpty())
            return;
        painter.fillPath(parts.shapes, ink);
        if (outlined) {
            QPen pen(m_outlineColour.qColor(), m_outlineWidth);
            pen.setJoinStyle(Qt::MiterJoin);
            painter.strokePath(parts.shapes, pen);
        }
    });
}

QString PWArrowStroke::textForPath(const pf::BezierPath& path, const PWRenderable* object) const
{
    // Measuring a path costs more than the rest of an arrow: only when the length is shown.
    return m_dimensionOptions == DimensionNone ? QString() : dimensionTextForLength(pw::length(path), object);
}

PWArrowStroke::Parts PWArrowStroke::partsForObject(const PWRenderable& object, const pf::BezierPath& path) const
{
    // The text follows the drawing's units as well as the geometry: both are in the key.
    quint64 units = 0;
    if (m_dimensionOptions != DimensionNone) {
        const auto* drawable = dynamic_cast<const PWDrawableObject*>(&object);
        if (const PWDrawing* drawing = drawable ? drawable->drawing() : nullptr)
            units = qHashMulti(0, drawing->abbreviatedDrawingUnits(), drawing->convertLength(1.0));
    }
    const quint64 key = pw::renderers::geometryKey(object, path, units);
    if (std::optional<Parts> cached = m_partsCache.find(key))
        return *cached;
    Parts parts = partsForPath(path, textForPath(path, &object));
    const qint64 cost = (parts.line ? parts.line->elementCount() : 0) + parts.shapes.elementCount();
    m_partsCache.insert(key, parts, cost);
    return parts;
}

void PWArrowStroke::render(const PWRenderable& object)
{
    if (!pf::GraphicsContext::current())
        return;
    const pf::Ref<pf::BezierPath> path = pathForObject(object);
    if (path && !path->isEmpty())
        drawParts(*path, partsForObject(object, *path));
}

void PWArrowStroke::renderPath(const pf::BezierPath& path)
{
    if (!pf::GraphicsContext::current() || path.isEmpty())
        return;
    drawParts(path, partsForPath(path, textForPath(path, nullptr)));
}

void PWArrowStroke::sendDidChange(const QString& keyPath)
{
    m_partsCache.clear();
    PWStroke::sendDidChange(keyPath);
}

QRectF PWArrowStroke::boundsNeededForObject(const PWRenderable& object) const
{
    const pf::Ref<pf::BezierPath> path = pathForObject(object);
    if (!path || path->isEmpty())
        return QRectF();
    const Parts parts = partsForObject(object, *path);
    QRectF area;
    if (parts.line && !parts.line->isEmpty())
        area = strokeBoundsForPath(*parts.line);
    if (!parts.shapes.isEmpty()) {
        const double grow = m_outlineWidth / 2.0 + 0.5;
        area = area.united(parts.shapes.boundingRect().adjusted(-grow, -grow, grow, grow));
    }
    if (area.isNull())
        area = path->bounds();
    return pw::renderers::boundsWithShadow(area, shadow().get());
}

QString PWArrowStroke::displayName() const
{
    return QStringLiteral("Arrow Stroke");
}

QStringList PWArrowStroke::observableKeyPaths() const
{
    return PWStroke::observableKeyPaths() << kArrowHeadAtStartKey << kArrowHeadAtEndKey << kOutlineColourKey
                                          << kOutlineWidthKey << kDimensioningLineOptionsKey << kDimensionTextKindKey
                                          << kArrowHeadWidthKey << kArrowHeadLengthKey << kDimensionToleranceOptionKey;
}

void PWArrowStroke::registerActionNames() const
{
    PWStroke::registerActionNames();
    setActionName(QStringLiteral("Arrow Head"), kArrowHeadAtStartKey);
    setActionName(QStringLiteral("Arrow Tail"), kArrowHeadAtEndKey);
    setActionName(QStringLiteral("Arrow Head Width"), kArrowHeadWidthKey);
    setActionName(QStringLiteral("Arrow Head Length"), kArrowHeadLengthKey);
    setActionName(QStringLiteral("#kind# Outline Colour"), kOutlineColourKey);
    setActionName(QStringLiteral("#kind# Outline Width"), kOutlineWidthKey);
    setActionName(QStringLiteral("Dimension Options"), kDimensioningLineOptionsKey);
    setActionName(QStringLiteral("Dimension Text"), kDimensionTextKindKey);
    setActionName(QStringLiteral("Dimension Tolerance"), kDimensionToleranceOptionKey);
}

pf::Ref<pf::Object> PWArrowStroke::copy() const
{
    return std::make_shared<PWArrowStroke>(*this);
}

bool PWArrowStroke::isEqual(const pf::Reflective* other) const
{
    if (!PWStroke::isEqual(other))
        return false;
    const auto* arrow = static_cast<const PWArrowStroke*>(other);
    return arrow->m_headAtStart == m_headAtStart && arrow->m_headAtEnd == m_headAtEnd &&
           arrow->m_headWidth == m_headWidth && arrow->m_headLength == m_headLength &&
           arrow->m_outlineColour == m_outlineColour && arrow->m_outlineWidth == m_outlineWidth &&
           arrow->m_dimensionOptions == m_dimensionOptions && arrow->m_dimensionTextKind == m_dimensionTextKind &&
           arrow->m_toleranceOption == m_toleranceOption;
}

void PWArrowStroke::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWStroke::encodeWithCoder(coder);
    coder.encodeInt32(m_headAtStart, kStartArchiveKey);
    coder.encodeInt32(m_headAtEnd, kEndArchiveKey);
    coder.encodeDouble(m_headWidth, kHeadWidthArchiveKey);
    coder.encodeDouble(m_headLength, kHeadLengthArchiveKey);
    coder.encodeObject(m_outlineColour.isValid() ? std::make_shared<pf::Color>(m_outlineColour) : nullptr,
                       kOutlineColourArchiveKey);
    coder.encodeDouble(m_outlineWidth, kOutlineWidthArchiveKey);
    coder.encodeInt32(m_dimensionOptions, kOptionsArchiveKey);
    coder.encodeInt32(m_dimensionTextKind, kTextKindArchiveKey);
    coder.encodeInt32(m_toleranceOption, kToleranceArchiveKey);
}

void PWArrowStroke::initWithCoder(pf::KeyedUnarchiver& coder)
{
    using pw::renderers::clampedValue;
    PWStroke::initWithCoder(coder);
    auto decodeKind = [&](const QString& key, int lo, int hi, int fallback) {
        if (!coder.containsValueForKey(key))
            return fallback;
        const int value = coder.decodeInt32(key);
        return inRange(value, lo, hi) ? value : fallback;
    };
    m_headAtStart = decodeKind(kStartArchiveKey, HeadNone, kLastHeadKind, HeadNone);
    m_headAtEnd = decodeKind(kEndArchiveKey, HeadNone, kLastHeadKind, HeadArrow);
    m_headWidth = clampedValue(coder.decodeDouble(kHeadWidthArchiveKey), 0.0, kMaxHeadSize, 8.0);
    m_headLength = clampedValue(coder.decodeDouble(kHeadLengthArchiveKey), 0.0, kMaxHeadSize, 10.0);
    const pf::Ref<pf::Color> outline = coder.decodeObjectOfClass<pf::Color>(kOutlineColourArchiveKey);
    m_outlineColour = outline ? *outline : pf::Color();
    m_outlineWidth = clampedValue(coder.decodeDouble(kOutlineWidthArchiveKey), 0.0, kMaxOutlineWidth, 0.0);
    m_dimensionOptions = decodeKind(kOptionsArchiveKey, DimensionNone, DimensionTextBelow, DimensionNone);
    m_dimensionTextKind =
        decodeKind(kTextKindArchiveKey, DimensionTextWithUnits, DimensionTextNumberOnly, DimensionTextWithUnits);
    m_toleranceOption = decodeKind(kToleranceArchiveKey, 0, 1, 0);
}
