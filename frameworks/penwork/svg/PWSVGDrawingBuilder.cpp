#include "frameworks/penwork/svg/PWSVGDrawingBuilder.h"

#include "frameworks/penwork/drawables/PWClippingGroup.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/renderers/PWCompositing.h"
#include "frameworks/penwork/renderers/PWGradientFill.h"
#include "frameworks/penwork/renderers/PWObjectPatternFill.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWStroke.h"
#include "frameworks/penwork/styles/PWStrokeDash.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "frameworks/penwork/svg/PWSVGElement.h"
#include "frameworks/penwork/svg/PWSVGErrors.h"
#include "frameworks/penwork/svg/PWSVGStyle.h"
#include "frameworks/penwork/svg/PWSVGValueParsing.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/BezierPathGeom.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/ImageReader.h"
#include "platform/graphics/Shadow.h"

#include <2geom/svg-path-parser.h>

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QtMath>

#include <cmath>


using pwsvg::Length;
using pwsvg::LengthAxis;
using pwsvg::Paint;
using pwsvg::Style;
using pwsvg::kNormalBlend;

namespace {

const QSet<QString>& propertyNames()
{
    static const QSet<QString> names = {
        QStringLiteral("fill"), QStringLiteral("fill-opacity"), QStringLiteral("fill-rule"),
        QStringLiteral("stroke"), QStringLiteral("stroke-width"), QStringLiteral("stroke-opacity"),
        QStringLiteral("stroke-linecap"), QStringLiteral("stroke-linejoin"), QStringLiteral("stroke-miterlimit"),
        QStringLiteral("stroke-dasharray"), QStringLiteral("stroke-dashoffset"), QStringLiteral("opacity"),
        QStringLiteral("color"), QStringLiteral("display"), QStringLiteral("visibility"),
        QStringLiteral("font-family"), QStringLiteral("font-size"), QStringLiteral("font-weight"),
        QStringLiteral("font-style"), QStringLiteral("text-anchor"), QStringLiteral("filter"),
        QStringLiteral("stop-color"), QStringLiteral("stop-opacity"), QStringLiteral("clip-path"),
        QStringLiteral("clip-rule"), QStringLiteral("mask"), QStringLiteral("mask-type"),
        QStringLiteral("paint-order"), QStringLiteral("marker-start"), QStringLiteral("marker-mid"),
        QStringLiteral("marker-end"), QStringLiteral("marker"), QStringLiteral("mix-blend-mode"),
        QStringLiteral("isolation"), QStringLiteral("transform-origin"), QStringLiteral("overflow")};
    return names;
}

// Elements that draw or hold what draws; everything else (definitions, paint servers, clip
// paths, metadata, scripts, foreign content) is not drawn where it stands.
const QSet<QString>& renderedElements()
{
    static const QSet<QString> names = {
        QStringLiteral("g"), QStringLiteral("a"), QStringLiteral("svg"), QStringLiteral("switch"),
        QStringLiteral("use"), QStringLiteral("path"), QStringLiteral("rect"), QStringLiteral("circle"),
        QStringLiteral("ellipse"), QStringLiteral("line"), QStringLiteral("polyline"), QStringLiteral("polygon"),
        QStringLiteral("text"), QStringLiteral("image")};
    return names;
}

double opacityValue(const QString& text, double fallback)
{
    QStringView view = QStringView(text).trimmed();
    const bool percent = view.endsWith(u'%');
    auto value = pwsvg::parseNumber(percent ? view.chopped(1) : view);
    if (!value)
        return fallback;
    return std::clamp(percent ? *value / 100.0 : *value, 0.0, 1.0);
}

// The compositing value of a mix-blend-mode keyword; normal for any other.
int blendModeValue(const QString& text)
{
    using namespace pw::renderers;
    static const QHash<QString, int> modes = {
        {"multiply", CompositeMultiply},     {"screen", CompositeScreen},         {"overlay", CompositeOverlay},
        {"darken", CompositeDarken},         {"lighten", CompositeLighten},       {"color-dodge", CompositeColorDodge},
        {"color-burn", CompositeColorBurn},  {"hard-light", CompositeHardLight}, {"soft-light", CompositeSoftLight},
        {"difference", CompositeDifference}, {"exclusion", CompositeExclusion}, {"hue", CompositeHue},
        {"saturation", CompositeSaturation}, {"color", CompositeColour},          {"luminosity", CompositeLuminosity}};
    return modes.value(text.trimmed(), kNormalBlend);
}

// "normal", or one to three of fill, stroke and markers in the order they are painted, the
// ones left out following in their usual order; anything else is normal.
QString paintOrderValue(const QString& text)
{
    QString order;
    for (QStringView word : QStringView(text).split(u' ', Qt::SkipEmptyParts)) {
        const QChar letter = word == u"fill" ? u'f' : word == u"stroke" ? u's' : word == u"markers" ? u'm' : QChar();
        if (letter.isNull() || order.contains(letter))
            return QStringLiteral("fsm");
        order.append(letter);
    }
    for (QChar letter : QStringLiteral("fsm"))
        if (!order.contains(letter))
            order.append(letter);
    return order;
}

QColor withAlpha(QColor colour, double factor)
{
    colour.setAlphaF(float(std::clamp(colour.alphaF() * factor, 0.0, 1.0)));
    return colour;
}

bool isWithinReach(double v) { return std::isfinite(v) && std::abs(v) <= PWSVGDrawingBuilder::kMaxCoordinate; }

// Whether every point is finite and within the reading bounds: geometry beyond them is left
// out, as other damaged values are.
bool isWithinReach(const pf::BezierPath& path)
{
    for (const auto& element : path.elements())
        for (int k = 0; k < element.pointCount(); ++k)
            if (!isWithinReach(element.points[size_t(k)].x()) || !isWithinReach(element.points[size_t(k)].y()))
                return false;
    return true;
}

// The font an SVG text run asks for; the size is in user units and becomes points one to one.
QFont fontForStyle(const Style& style, double size)
{
    QFont font;
    QString family = style.fontFamily.split(u',').value(0).trimmed();
    if (family.size() >= 2 && (family.front() == u'"' || family.front() == u'\'') && family.back() == family.front())
        family = family.mid(1, family.size() - 2);
    if (!family.isEmpty())
        font.setFamily(family);
    if (family == u"serif")
        font.setStyleHint(QFont::Serif);
    else if (family == u"sans-serif")
        font.setStyleHint(QFont::SansSerif);
    else if (family == u"monospace")
        font.setStyleHint(QFont::Monospace);
    font.setPointSizeF(std::clamp(size, 0.01, 10000.0));
    font.setWeight(QFont::Weight(std::clamp(style.fontWeight, 100, 900)));
    font.setItalic(style.italic);
    return font;
}

// Font metrics at 72 dots per inch, where a point of font size is one unit of the drawing.
QFontMetricsF drawingFontMetrics(const QFont& font)
{
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
        image.setDotsPerMeterX(qRound(72.0 / 0.0254));
        image.setDotsPerMeterY(qRound(72.0 / 0.0254));
        return image;
    }();
    return QFontMetricsF(font, &device);
}

} // namespace

QTransform pwsvg::aboutOrigin(const QTransform& transform, const QString& origin, const QSizeF& viewport)
{
    if (origin.trimmed().isEmpty())
        return transform;
    QStringList parts = origin.simplified().split(u' ');
    auto isVertical = [](const QString& word) { return word == u"top" || word == u"bottom"; };
    auto isHorizontal = [](const QString& word) { return word == u"left" || word == u"right"; };
    if (parts.size() == 1)
        parts.append(isVertical(parts.first()) ? QStringLiteral("center") : QStringLiteral("center"));
    if (isVertical(parts[0]) || isHorizontal(parts[1]))
        std::swap(parts[0], parts[1]);
    auto coordinate = [&](const QString& text, LengthAxis axis, double side) -> std::optional<double> {
        if (text == u"center")
            return side / 2.0;
        if (text == u"left" || text == u"top")
            return 0.0;
        if (text == u"right" || text == u"bottom")
            return side;
        auto length = pwsvg::parseLength(text);
        if (!length)
            return std::nullopt;
        return pwsvg::resolveLength(*length, axis, viewport, 16.0);
    };
    // A lone vertical keyword puts the origin at the horizontal centre.
    const auto x = coordinate(parts[0], LengthAxis::Horizontal, viewport.width());
    const auto y = coordinate(parts[1], LengthAxis::Vertical, viewport.height());
    if (!x || !y)
        return transform;
    return QTransform::fromTranslate(-*x, -*y) * transform * QTransform::fromTranslate(*x, *y);
}

std::optional<QTransform> pwsvg::parseCSSTransform(const QString& text)
{
    // CSS writes units: lengths in px (user units here) and angles in deg.
    QString plain = text;
    plain.replace(QStringLiteral("px"), QString()).replace(QStringLiteral("deg"), QString());
    return pwsvg::parseTransform(plain);
}

bool pwsvg::passesConditions(const PWSVGElement& element)
{
    // No extension is supported; features are no longer tested (every renderer claims them).
    if (element.hasAttribute(QStringLiteral("requiredExtensions")))
        return false;
    const QString* languages = element.attributes.find(QStringView(u"systemLanguage"));
    if (!languages)
        return true;
    // A language matches by its primary tag: "en-GB" for a user reading "en_US".
    static const QString user = [] {
        const QString name = QLocale::system().name();
        const QString primary = name.section(u'_', 0, 0).section(u'-', 0, 0).toLower();
        return primary.isEmpty() || primary == u"c" ? QStringLiteral("en") : primary;
    }();
    for (QStringView tag : QStringView(*languages).split(u',', Qt::SkipEmptyParts))
        if (tag.trimmed().split(u'-').first().compare(user, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// Places a box-shaped object (text, image) on `rect` of user space seen through `ctm`: its
// centre, its sides scaled as the transform scales them, and the transform's rotation.
void pwsvg::placeBox(PWDrawableObject& object, const QRectF& rect, const QTransform& ctm)
{
    const QPointF xAxis(ctm.m11(), ctm.m12());
    const double xScale = std::hypot(xAxis.x(), xAxis.y());
    const double yScale = xScale > 0.0 ? std::abs(ctm.determinant()) / xScale : 0.0;
    object.setSize(QSizeF(rect.width() * xScale, rect.height() * yScale));
    object.setLocation(ctm.map(rect.center()));
    const double angle = std::atan2(xAxis.y(), xAxis.x());
    if (std::abs(angle) > 1e-12)
        object.setAngle(angle);
}

bool pwsvg::isShapeElement(const QString& name)
{
    return name == u"path" || name == u"rect" || name == u"circle" || name == u"ellipse" || name == u"line"
        || name == u"polyline" || name == u"polygon";
}

namespace {

bool isDigitAt(const QString& data, qsizetype i, qsizetype end)
{
    return i < end && data[i] >= u'0' && data[i] <= u'9';
}

bool isPathCommand(QChar c)
{
    switch (c.unicode()) {
    case u'M': case u'm': case u'Z': case u'z': case u'L': case u'l': case u'H': case u'h': case u'V': case u'v':
    case u'C': case u'c': case u'S': case u's': case u'Q': case u'q': case u'T': case u't': case u'A': case u'a':
        return true;
    default:
        return false;
    }
}

// The number that starts at `i` (a sign, digits with an optional point and fraction or a point
// and a fraction, then an optional exponent): its length, 0 when none starts there, and
// whether it is plainly within reach (no exponent, at most nine digits before the point), so
// that most numbers need not be converted to be checked.
struct NumberToken {
    qsizetype length = 0;
    bool plainlyWithinReach = false;
};

NumberToken numberAt(const QString& data, qsizetype i, qsizetype end)
{
    qsizetype k = i;
    if (k < end && (data[k] == u'+' || data[k] == u'-'))
        ++k;
    const qsizetype mantissa = k;
    while (isDigitAt(data, k, end))
        ++k;
    const qsizetype integerDigits = k - mantissa;
    if (integerDigits > 0) {
        if (k < end && data[k] == u'.')
            ++k;
        while (isDigitAt(data, k, end))
            ++k;
    } else {
        if (!(k < end && data[k] == u'.' && isDigitAt(data, k + 1, end)))
            return {};
        k += 2;
        while (isDigitAt(data, k, end))
            ++k;
    }
    bool exponent = false;
    if (k < end && (data[k] == u'e' || data[k] == u'E')) {
        qsizetype e = k + 1;
        if (e < end && (data[e] == u'+' || data[e] == u'-'))
            ++e;
        if (isDigitAt(data, e, end)) {
            while (isDigitAt(data, e, end))
                ++e;
            k = e;
            exponent = true;
        }
    }
    return {k - i, !exponent && integerDigits <= 9};
}

// Path data draws up to its first error, as SVG asks: the data before the first character that
// has no place in path data, cut back to the last command before it (the parser would drop the
// segment it was reading).
QString validPathDataPrefix(const QString& data)
{
    // The data before the command holding the first damage.
    auto before = [&](qsizetype damage) {
        for (qsizetype i = damage; i >= 0; --i)
            if (isPathCommand(data[i]))
                return data.left(i);
        return QString();
    };
    qsizetype end = data.size();
    for (qsizetype i = 0; i < data.size(); ++i) {
        const QChar c = data[i];
        if (isPathCommand(c) || c.isDigit() || c.isSpace() || c == u',' || c == u'.' || c == u'-' || c == u'+'
            || c == u'e' || c == u'E')
            continue;
        end = i;
        break;
    }
    // A number that is not finite or lies beyond the reading bounds is damage too: lib2geom
    // raises on an arc to an infinite point and subdivides an arc to a far one without end.
    for (qsizetype i = 0; i < end;) {
        const NumberToken number = numberAt(data, i, end);
        if (number.length == 0) {
            ++i;
            continue;
        }
        if (!number.plainlyWithinReach) {
            bool ok = false;
            const double value = QStringView(data).sliced(i, number.length).toDouble(&ok);
            if (!ok || !isWithinReach(value))
                return before(i);
        }
        i += number.length;
    }
    return end == data.size() ? data : before(end);
}

pf::Error svgError(int code, const QString& reason)
{
    return pf::Error::make(kPWSVGErrorDomain, code,
                           QCoreApplication::translate("PWSVGImporter", "The SVG document could not be read."),
                           reason);
}

// ---- Paint servers -------------------------------------------------------------------------

struct GradientSpec {
    bool radial = false;
    bool userSpace = false;
    QTransform transform;
    QHash<QString, QString> attributes;
    QList<pf::ColorStop> stops;
};

} // namespace

PWSVGDrawingBuilder::PWSVGDrawingBuilder(std::unique_ptr<PWSVGElement> root)
    : m_document(std::move(root))
    , m_root(*m_document)
{
    collect(m_root);
}

PWSVGDrawingBuilder::~PWSVGDrawingBuilder() = default;

bool PWSVGDrawingBuilder::fail(int code, const QString& reason)
{
    if (!m_failed) {
        m_failed = true;
        m_error = svgError(code, reason);
    }
    return false;
}

void PWSVGDrawingBuilder::collect(const PWSVGElement& element)
{
    // Iterative, so that even the deepest document the reader lets through costs no stack.
    QList<const PWSVGElement*> pending{&element};
    while (!pending.isEmpty()) {
        const PWSVGElement* node = pending.takeLast();
        if (node->isText())
            continue;
        const QString id = node->attribute(QStringLiteral("id"));
        if (!id.isEmpty()) {
            if (!m_ids.contains(id))
                m_ids.insert(id, node);
            const PWSVGElement* topmost = node;
            while (topmost->parent && topmost->parent != &m_root)
                topmost = topmost->parent;
            m_referable.insert(topmost);
        }
        if (node->name == u"style") {
            const QString type = node->attribute(QStringLiteral("type"));
            if (type.isEmpty() || type.compare(u"text/css", Qt::CaseInsensitive) == 0) {
                QString css;
                for (const auto& child : node->children)
                    if (child->isText())
                        css += child->text;
                m_sheet.addSheet(css);
            }
        }
        for (auto it = node->children.rbegin(); it != node->children.rend(); ++it)
            pending.append(it->get());
    }
}

PWSVGAttributes PWSVGDrawingBuilder::declaredProperties(const PWSVGElement& element) const
{
    // Presentation attributes, then the style sheet, then the style attribute.
    PWSVGAttributes declared;
    // "marker", "mix-blend-mode" and "isolation" are properties but no presentation attributes.
    for (const auto& [key, value] : element.attributes)
        if (propertyNames().contains(key) && key != u"marker" && key != u"mix-blend-mode" && key != u"isolation")
            declared.insert(key, value.trimmed());
    if (!m_sheet.isEmpty()) {
        const QHash<QString, QString> sheet = m_sheet.declarationsFor(element);
        for (auto it = sheet.constBegin(); it != sheet.constEnd(); ++it)
            declared.insert(it.key(), it.value());
    }
    if (const QString* styleAttribute = element.attributes.find(QStringView(u"style")); styleAttribute && !styleAttribute->isEmpty()) {
        const QHash<QString, QString> inline_ = pwsvg::parseDeclarations(*styleAttribute);
        for (auto it = inline_.constBegin(); it != inline_.constEnd(); ++it)
            declared.insert(it.key(), it.value());
    }
    return declared;
}

Style PWSVGDrawingBuilder::computeStyle(const PWSVGElement& element, const Style& parent) const
{
    Style style = parent;
    style.opacity = 1.0;
    style.displayNone = false;
    style.filterId.clear();
    style.clipId.clear();
    style.maskId.clear();
    style.cssTransform.clear();
    style.transformOrigin.clear();
    style.blendMode = kNormalBlend;
    style.isolated = false;
    const PWSVGAttributes declared = declaredProperties(element);
    if (declared.size() == 0)
        return style;

    auto value = [&](const char* name) { return declared.value(QLatin1String(name)); };
    auto has = [&](const char* name) {
        const QString* found = declared.find(QLatin1String(name));
        return found && found->compare(u"inherit", Qt::CaseInsensitive) != 0;
    };

    if (has("color"))
        if (auto colour = pwsvg::parseColour(value("color")))
            style.colour = *colour;
    auto resolvePaint = [&](const char* name, Paint* paint) {
        if (!has(name))
            return;
        if (auto parsed = pwsvg::parsePaint(value(name))) {
            *paint = *parsed;
            // currentColor takes the colour where it is given, and inherits as that colour.
            if (paint->kind == Paint::CurrentColour) {
                paint->kind = Paint::Colour;
                paint->colour = style.colour;
            }
            // Context paints take the context element's paint, and none without one.
            if (paint->kind == Paint::ContextFill || paint->kind == Paint::ContextStroke) {
                const bool fill = paint->kind == Paint::ContextFill;
                *paint = m_context ? (fill ? m_context->fill : m_context->stroke) : Paint();
                if (m_context && paint->kind == Paint::Colour)
                    paint->colour = withAlpha(paint->colour, fill ? m_context->fillOpacity : m_context->strokeOpacity);
            }
        }
    };
    resolvePaint("fill", &style.fill);
    resolvePaint("stroke", &style.stroke);
    if (has("fill-opacity"))
        style.fillOpacity = opacityValue(value("fill-opacity"), style.fillOpacity);
    if (has("stroke-opacity"))
        style.strokeOpacity = opacityValue(value("stroke-opacity"), style.strokeOpacity);
    if (has("opacity"))
        style.opacity = opacityValue(value("opacity"), 1.0);
    if (has("fill-rule"))
        style.evenOdd = value("fill-rule").trimmed() == u"evenodd";
    if (has("font-size")) {
        const QString text = value("font-size").trimmed().toLower();
        static const QHash<QString, double> keywords = {{"xx-small", 9}, {"x-small", 10}, {"small", 13},
                                                        {"medium", 16},  {"large", 18},   {"x-large", 24},
                                                        {"xx-large", 32}};
        if (keywords.contains(text)) {
            style.fontSize = keywords.value(text);
        } else if (auto size = pwsvg::parseLength(text)) {
            const double resolved = size->unit == Length::Percent ? parent.fontSize * size->value / 100.0
                                                                   : pwsvg::resolveLength(*size, LengthAxis::Other,
                                                                                          m_viewport, parent.fontSize);
            if (resolved > 0.0 && std::isfinite(resolved))
                style.fontSize = resolved;
        }
    }
    if (has("stroke-width")) {
        if (auto width = pwsvg::parseLength(value("stroke-width"))) {
            const double resolved = pwsvg::resolveLength(*width, LengthAxis::Other, m_viewport, style.fontSize);
            if (resolved >= 0.0)
                style.strokeWidth = resolved;
        }
    }
    if (has("stroke-linecap")) {
        const QString cap = value("stroke-linecap").trimmed();
        style.cap = cap == u"round"    ? pf::BezierPath::LineCap::Round
                    : cap == u"square" ? pf::BezierPath::LineCap::Square
                                       : pf::BezierPath::LineCap::Butt;
    }
    if (has("stroke-linejoin")) {
        const QString join = value("stroke-linejoin").trimmed();
        style.join = join == u"round"   ? pf::BezierPath::LineJoin::Round
                     : join == u"bevel" ? pf::BezierPath::LineJoin::Bevel
                                        : pf::BezierPath::LineJoin::Miter;
    }
    if (has("stroke-miterlimit"))
        if (auto limit = pwsvg::parseNumber(value("stroke-miterlimit")); limit && *limit >= 1.0)
            style.miterLimit = *limit;
    if (has("stroke-dasharray")) {
        const QString text = value("stroke-dasharray").trimmed();
        QList<double> dashes;
        bool valid = text != u"none";
        if (valid) {
            for (QStringView item : QStringView(text).split(u',', Qt::SkipEmptyParts)) {
                for (QStringView part : item.split(u' ', Qt::SkipEmptyParts)) {
                    auto length = pwsvg::parseLength(part);
                    const double resolved = length ? pwsvg::resolveLength(*length, LengthAxis::Other, m_viewport,
                                                                          style.fontSize)
                                                   : -1.0;
                    if (resolved < 0.0)
                        valid = false;
                    dashes.append(resolved);
                }
            }
        }
        // An odd list repeats to make an even one; a damaged or empty one draws solid.
        if (valid && dashes.size() % 2 == 1)
            dashes += dashes;
        style.dashes = valid ? dashes : QList<double>();
    }
    if (has("stroke-dashoffset"))
        if (auto offset = pwsvg::parseLength(value("stroke-dashoffset")))
            style.dashOffset = pwsvg::resolveLength(*offset, LengthAxis::Other, m_viewport, style.fontSize);
    if (has("font-family"))
        style.fontFamily = value("font-family");
    if (has("font-weight")) {
        const QString weight = value("font-weight").trimmed();
        if (weight == u"bold")
            style.fontWeight = 700;
        else if (weight == u"normal")
            style.fontWeight = 400;
        else if (weight == u"bolder")
            style.fontWeight = std::min(900, parent.fontWeight + 300);
        else if (weight == u"lighter")
            style.fontWeight = std::max(100, parent.fontWeight - 300);
        else if (auto number = pwsvg::parseNumber(weight))
            style.fontWeight = std::clamp(int(*number), 100, 900);
    }
    if (has("font-style")) {
        const QString fontStyle = value("font-style").trimmed();
        style.italic = fontStyle == u"italic" || fontStyle == u"oblique";
    }
    if (has("text-anchor")) {
        const QString anchor = value("text-anchor").trimmed();
        style.anchor = anchor == u"middle" ? 1 : anchor == u"end" ? 2 : 0;
    }
    if (has("visibility")) {
        const QString visibility = value("visibility").trimmed();
        style.visible = visibility != u"hidden" && visibility != u"collapse";
    }
    if (has("display"))
        style.displayNone = value("display").trimmed() == u"none";
    if (has("filter"))
        style.filterId = pwsvg::urlReference(value("filter"));
    if (has("transform"))
        style.cssTransform = value("transform");
    if (has("mix-blend-mode"))
        style.blendMode = blendModeValue(value("mix-blend-mode"));
    if (has("isolation"))
        style.isolated = value("isolation").trimmed() == u"isolate";
    if (has("transform-origin"))
        style.transformOrigin = value("transform-origin");
    if (has("clip-path"))
        style.clipId = pwsvg::urlReference(value("clip-path"));
    if (has("mask"))
        style.maskId = pwsvg::urlReference(value("mask"));
    if (has("clip-rule"))
        style.clipEvenOdd = value("clip-rule").trimmed() == u"evenodd";
    if (has("paint-order"))
        style.paintOrder = paintOrderValue(value("paint-order"));
    // The marker shorthand (from style sheets and style attributes only) sets all three; the
    // longhands win over it.
    if (has("marker")) {
        const QString marker = pwsvg::urlReference(value("marker"));
        style.markerStart = style.markerMid = style.markerEnd = marker;
    }
    if (has("marker-start"))
        style.markerStart = pwsvg::urlReference(value("marker-start"));
    if (has("marker-mid"))
        style.markerMid = pwsvg::urlReference(value("marker-mid"));
    if (has("marker-end"))
        style.markerEnd = pwsvg::urlReference(value("marker-end"));
    return style;
}

double PWSVGDrawingBuilder::length(const PWSVGElement& element, const QString& key, int axis, double fontSize,
                                   double fallback) const
{
    const QString* text = element.attributes.find(key);
    if (!text)
        return fallback;
    auto parsed = pwsvg::parseLength(*text);
    if (!parsed)
        return fallback;
    return pwsvg::resolveLength(*parsed, LengthAxis(axis), m_viewport, fontSize);
}

namespace {

constexpr int kX = int(LengthAxis::Horizontal);
constexpr int kY = int(LengthAxis::Vertical);
constexpr int kOther = int(LengthAxis::Other);

// Follows the href chain of a gradient (bounded, cycles cut) and merges what each link leaves
// unsaid from the next.
std::optional<GradientSpec> resolveGradient(const QString& id, const QHash<QString, const PWSVGElement*>& ids,
                                            const std::function<PWSVGAttributes(const PWSVGElement&)>& declared,
                                            const QSizeF& viewport)
{
    const PWSVGElement* element = ids.value(id);
    if (!element || (element->name != u"linearGradient" && element->name != u"radialGradient"))
        return std::nullopt;
    GradientSpec spec;
    spec.radial = element->name == u"radialGradient";
    static const QStringList inherited = {"gradientUnits", "gradientTransform", "spreadMethod", "x1", "y1", "x2",
                                          "y2", "cx", "cy", "r", "fx", "fy", "fr"};
    bool haveStops = false;
    QSet<const PWSVGElement*> seen;
    for (const PWSVGElement* link = element; link && !seen.contains(link) && seen.size() < 64;
         link = ids.value(pwsvg::localHrefId(link->href()))) {
        seen.insert(link);
        if (link->name != u"linearGradient" && link->name != u"radialGradient")
            break;
        for (const QString& key : inherited)
            if (!spec.attributes.contains(key) && link->hasAttribute(key))
                spec.attributes.insert(key, link->attribute(key));
        if (haveStops)
            continue;
        double last = 0.0;
        for (const auto& child : link->children) {
            if (child->name != u"stop")
                continue;
            haveStops = true;
            QStringView offsetText = QStringView(child->attribute(QStringLiteral("offset"))).trimmed();
            const bool percent = offsetText.endsWith(u'%');
            auto offset = pwsvg::parseNumber(percent ? offsetText.chopped(1) : offsetText);
            double location = offset ? std::clamp(percent ? *offset / 100.0 : *offset, 0.0, 1.0) : 0.0;
            location = std::max(location, last);
            last = location;
            const PWSVGAttributes properties = declared(*child);
            QColor colour = Qt::black;
            if (auto parsed = pwsvg::parseColour(properties.value(QStringView(u"stop-color"))))
                colour = *parsed;
            colour = withAlpha(colour, opacityValue(properties.value(QStringView(u"stop-opacity")), 1.0));
            spec.stops.append(pf::ColorStop{pf::Color(colour), location});
        }
    }
    spec.userSpace = spec.attributes.value(QStringLiteral("gradientUnits")) == u"userSpaceOnUse";
    if (auto transform = pwsvg::parseTransform(spec.attributes.value(QStringLiteral("gradientTransform"))))
        spec.transform = pwsvg::aboutOrigin(*transform, declared(*element).value(QStringView(u"transform-origin")),
                                            viewport);
    return spec;
}

} // namespace

namespace {

// The fill (or colour, for strokes and text) a paint gives an object.
class PaintResolver {
public:
    PaintResolver(const QHash<QString, const PWSVGElement*>& ids,
                  std::function<PWSVGAttributes(const PWSVGElement&)> declared, QSizeF viewport)
        : m_ids(ids)
        , m_declared(std::move(declared))
        , m_viewport(viewport)
    {
    }

    // A colour for paints that cannot carry a gradient: the colour itself, a gradient's middle,
    // or the fallback. Invalid for none.
    QColor colourFor(const Paint& paint, double opacity) const
    {
        if (paint.kind == Paint::Colour)
            return withAlpha(paint.colour, opacity);
        if (paint.kind != Paint::Server)
            return {};
        if (auto spec = resolveGradient(paint.serverId, m_ids, m_declared, m_viewport); spec && !spec->stops.isEmpty())
            return withAlpha(pf::Gradient(spec->stops).interpolatedColorAtLocation(0.5).qColor(), opacity);
        if (paint.fallback)
            return withAlpha(*paint.fallback, opacity);
        return {};
    }

    // A fill for an object whose user-space bounds are `bbox`, drawn through `ctm` with
    // drawing-space bounds `area`; null for none.
    pf::Ref<PWFill> fillFor(const Paint& paint, double opacity, const QRectF& bbox, const QTransform& ctm,
                            const QRectF& area) const
    {
        if (paint.kind == Paint::Colour)
            return PWFill::fillWithColour(pf::Color(withAlpha(paint.colour, opacity)));
        if (paint.kind != Paint::Server)
            return nullptr;
        auto spec = resolveGradient(paint.serverId, m_ids, m_declared, m_viewport);
        if (!spec) {
            if (paint.fallback)
                return PWFill::fillWithColour(pf::Color(withAlpha(*paint.fallback, opacity)));
            return nullptr;
        }
        // A gradient without stops paints as none, or as the fallback colour given with it.
        if (spec->stops.isEmpty())
            return paint.fallback ? PWFill::fillWithColour(pf::Color(withAlpha(*paint.fallback, opacity))) : nullptr;
        QList<pf::ColorStop> stops = spec->stops;
        for (auto& stop : stops)
            stop.color = pf::Color(withAlpha(stop.color.qColor(), opacity));
        if (stops.size() == 1)
            return PWFill::fillWithColour(stops.first().color);
        // A box without width or height cannot place the gradient: the fallback colour paints.
        if (!spec->userSpace && (bbox.width() <= 0.0 || bbox.height() <= 0.0))
            return paint.fallback ? PWFill::fillWithColour(pf::Color(withAlpha(*paint.fallback, opacity))) : nullptr;
        if (area.isEmpty())
            return nullptr;

        QTransform units;
        if (!spec->userSpace)
            units = QTransform(bbox.width(), 0, 0, bbox.height(), bbox.x(), bbox.y());
        const QTransform toDrawing = spec->transform * units * ctm;
        if (!pwsvg::isFinite(toDrawing) || !toDrawing.isInvertible())
            return nullptr;
        const pf::Gradient svgGradient(stops);
        auto fill = std::make_shared<PWGradientFill>();
        if (!spec->radial) {
            const QPointF p1 = toDrawing.map(QPointF(coordinate(*spec, "x1", kX, 0.0), coordinate(*spec, "y1", kY, 0.0)));
            const QPointF p2 = toDrawing.map(QPointF(coordinate(*spec, "x2", kX, 1.0), coordinate(*spec, "y2", kY, 0.0)));
            const QPointF v = p2 - p1;
            const double length = std::hypot(v.x(), v.y());
            // A gradient vector of no length paints the last colour.
            if (!(length > 1e-9))
                return PWFill::fillWithColour(stops.last().color);
            const QPointF d = v / length;
            // The fill's own gradient runs across the whole area at the vector's angle; the stops
            // are moved so that the colours fall where the SVG vector puts them.
            const double half = area.width() / 2.0 * std::abs(d.x()) + area.height() / 2.0 * std::abs(d.y());
            if (!(half > 1e-9))
                return PWFill::fillWithColour(stops.last().color);
            const QPointF c = area.center() - p1;
            const double centreAlong = c.x() * d.x() + c.y() * d.y();
            auto svgAt = [&](double location) { return (location * 2.0 * half - half + centreAlong) / length; };
            auto locationAt = [&](double svg) { return (svg * length - centreAlong + half) / (2.0 * half); };
            QList<pf::ColorStop> mapped;
            mapped.append({svgGradient.interpolatedColorAtLocation(std::clamp(svgAt(0.0), 0.0, 1.0)), 0.0});
            for (const auto& stop : stops) {
                const double location = locationAt(stop.location);
                if (location > 0.0 && location < 1.0)
                    mapped.append({stop.color, location});
            }
            mapped.append({svgGradient.interpolatedColorAtLocation(std::clamp(svgAt(1.0), 0.0, 1.0)), 1.0});
            fill->setGradient(std::make_shared<pf::Gradient>(mapped));
            fill->setGradientType(PWGradientFill::Linear);
            fill->setGradientAngle(std::atan2(-v.y(), v.x()));
            return fill;
        }
        const double cx = coordinate(*spec, "cx", kX, 0.5);
        const double cy = coordinate(*spec, "cy", kY, 0.5);
        const double r = coordinate(*spec, "r", kOther, 0.5);
        const double fx = spec->attributes.contains("fx") ? coordinate(*spec, "fx", kX, cx) : cx;
        const double fy = spec->attributes.contains("fy") ? coordinate(*spec, "fy", kY, cy) : cy;
        const double fr = coordinate(*spec, "fr", kOther, 0.0);
        if (!(r > 0.0))
            return PWFill::fillWithColour(stops.last().color);
        const double scale = pwsvg::lengthScale(toDrawing);
        const double side = std::max(area.width(), area.height());
        auto relative = [&](const QPointF& p) {
            const QPointF offset = toDrawing.map(p) - area.center();
            return QPointF(area.width() > 0 ? offset.x() / area.width() : 0.0,
                           area.height() > 0 ? offset.y() / area.height() : 0.0);
        };
        fill->setGradient(std::make_shared<pf::Gradient>(stops));
        fill->setGradientType(PWGradientFill::Radial);
        fill->setStartingLocation(relative(QPointF(fx, fy)));
        fill->setEndingLocation(relative(QPointF(cx, cy)));
        fill->setStartingRadius(std::max(0.0, fr) * scale / side);
        fill->setEndingRadius(r * scale / side);
        return fill;
    }

private:
    // A gradient coordinate: a fraction of the box under objectBoundingBox units (numbers or
    // percentages), a length in user space otherwise.
    double coordinate(const GradientSpec& spec, const char* key, int axis, double fallback) const
    {
        const QString text = spec.attributes.value(QLatin1String(key)).trimmed();
        if (text.isEmpty())
            return spec.userSpace ? fallbackInUserSpace(axis, fallback) : fallback;
        auto parsed = pwsvg::parseLength(text);
        if (!parsed)
            return spec.userSpace ? fallbackInUserSpace(axis, fallback) : fallback;
        if (!spec.userSpace)
            return parsed->unit == Length::Percent ? parsed->value / 100.0 : parsed->value;
        return pwsvg::resolveLength(*parsed, LengthAxis(axis), m_viewport, 16.0);
    }
    double fallbackInUserSpace(int axis, double fraction) const
    {
        return pwsvg::resolveLength(Length{fraction * 100.0, Length::Percent}, LengthAxis(axis), m_viewport, 16.0);
    }

    const QHash<QString, const PWSVGElement*>& m_ids;
    std::function<PWSVGAttributes(const PWSVGElement&)> m_declared;
    QSizeF m_viewport;
};

// The shadow a filter stands for: a drop shadow (feDropShadow, or an offset blur of the
// source) becomes the style's shadow; other filters give none.
pf::Ref<pf::Shadow> shadowForFilter(const PWSVGElement* filter, const QTransform& ctm)
{
    if (!filter || filter->name != u"filter")
        return nullptr;
    std::optional<QPointF> offset;
    double deviation = 0.0;
    QColor colour(0, 0, 0);
    for (const auto& child : filter->children) {
        const auto number = [&](const char* key, double fallback) {
            return pwsvg::parseNumber(child->attribute(QLatin1String(key))).value_or(fallback);
        };
        auto deviationOf = [&]() {
            const QList<double> values = pwsvg::parseNumberList(child->attribute(QStringLiteral("stdDeviation")));
            return values.isEmpty() ? 0.0 : std::max(0.0, values.first());
        };
        if (child->name == u"feDropShadow") {
            offset = QPointF(number("dx", 2.0), number("dy", 2.0));
            deviation = child->hasAttribute(QStringLiteral("stdDeviation")) ? deviationOf() : 2.0;
        } else if (child->name == u"feOffset") {
            offset = QPointF(number("dx", 0.0), number("dy", 0.0));
        } else if (child->name == u"feGaussianBlur") {
            deviation = deviationOf();
        } else {
            continue;
        }
        if (child->hasAttribute(QStringLiteral("flood-color")))
            if (auto parsed = pwsvg::parseColour(child->attribute(QStringLiteral("flood-color"))))
                colour = *parsed;
        if (child->hasAttribute(QStringLiteral("flood-opacity")))
            colour = withAlpha(colour, opacityValue(child->attribute(QStringLiteral("flood-opacity")), 1.0));
    }
    for (const auto& child : filter->children)
        if (child->name == u"feFlood") {
            if (auto parsed = pwsvg::parseColour(child->attribute(QStringLiteral("flood-color"))))
                colour = *parsed;
            colour = withAlpha(colour, opacityValue(child->attribute(QStringLiteral("flood-opacity")), 1.0));
        }
    if (!offset)
        return nullptr;
    const QPointF mapped = ctm.map(*offset) - ctm.map(QPointF());
    auto shadow = std::make_shared<pf::Shadow>();
    // Shadows measure their offset upwards.
    shadow->setShadowOffset(QSizeF(mapped.x(), -mapped.y()));
    // A Gaussian of deviation s looks like a blur of about twice that radius.
    shadow->setShadowBlurRadius(2.0 * deviation * pwsvg::lengthScale(ctm));
    shadow->setShadowColor(pf::Color(colour));
    return shadow;
}

} // namespace

bool PWSVGDrawingBuilder::rootGeometry(QSizeF* drawingSize, QTransform* rootTransform, bool* sizeFromContent)
{
    const auto badSize = [&](const QString& reason) { return fail(kPWSVGErrorBadSize, reason); };
    std::optional<QRectF> viewBox;
    if (m_root.hasAttribute(QStringLiteral("viewBox"))) {
        viewBox = pwsvg::parseViewBox(m_root.attribute(QStringLiteral("viewBox")));
        if (!viewBox || !(viewBox->width() > 0.0) || !(viewBox->height() > 0.0)
            || !std::isfinite(viewBox->right()) || !std::isfinite(viewBox->bottom()))
            return badSize(QCoreApplication::translate("PWSVGImporter", "The viewBox \"%1\" is not usable.")
                               .arg(m_root.attribute(QStringLiteral("viewBox"))));
    }
    // Width and height: absolute lengths, or missing / percentages (taken from the viewBox).
    auto side = [&](const QString& key, std::optional<double>* out) {
        if (!m_root.hasAttribute(key))
            return true;
        const QString text = m_root.attribute(key).trimmed();
        if (text == u"auto")
            return true;
        auto parsed = pwsvg::parseLength(text);
        if (!parsed)
            return false;
        // Relative to a viewport the document has no say over: taken as not given.
        if (parsed->unit == Length::Percent || parsed->unit == Length::ViewportWidth
            || parsed->unit == Length::ViewportHeight || parsed->unit == Length::ViewportMin
            || parsed->unit == Length::ViewportMax)
            return true;
        const double value = pwsvg::resolveLength(*parsed, LengthAxis::Other, {}, 16.0);
        if (!(value > 0.0) || !std::isfinite(value))
            return false;
        *out = value;
        return true;
    };
    std::optional<double> width;
    std::optional<double> height;
    if (!side(QStringLiteral("width"), &width) || !side(QStringLiteral("height"), &height))
        return badSize(QCoreApplication::translate("PWSVGImporter", "The width \"%1\" or height \"%2\" is not a size "
                                                                    "a drawing can have.")
                           .arg(m_root.attribute(QStringLiteral("width")), m_root.attribute(QStringLiteral("height"))));
    *sizeFromContent = false;
    if (viewBox) {
        if (!width && !height) {
            width = viewBox->width();
            height = viewBox->height();
        } else if (!width) {
            width = *height * viewBox->width() / viewBox->height();
        } else if (!height) {
            height = *width * viewBox->height() / viewBox->width();
        }
    } else if (!width || !height) {
        // No viewBox to size by: the content says (see build), percentages refer to 100 x 100.
        *sizeFromContent = !width && !height;
        if (!width)
            width = height.value_or(100.0);
        if (!height)
            height = *width;
    }
    if (!std::isfinite(*width) || !std::isfinite(*height) || *width > kMaxDrawingSide || *height > kMaxDrawingSide)
        return badSize(QCoreApplication::translate("PWSVGImporter", "The drawing would be larger than %1 points a "
                                                                    "side.")
                           .arg(kMaxDrawingSide));
    *drawingSize = QSizeF(*width, *height);
    m_viewport = viewBox ? viewBox->size() : *drawingSize;
    *rootTransform = viewBox ? pwsvg::viewBoxTransform(*viewBox, QRectF(QPointF(), *drawingSize),
                                                       m_root.attribute(QStringLiteral("preserveAspectRatio")))
                             : QTransform();
    if (!pwsvg::isFinite(*rootTransform) || !rootTransform->isInvertible())
        return badSize(QCoreApplication::translate("PWSVGImporter", "The viewBox cannot be shown at this size."));
    return true;
}

qint64 PWSVGDrawingBuilder::expandedVisits(const PWSVGElement& element, QList<const PWSVGElement*>& useStack,
                                           VisitCounts& counts, bool* holdsEverywhere) const
{
    if (auto known = counts.constFind(&element); known != counts.constEnd())
        return *known;
    bool everywhere = true;
    qint64 visits = 1;
    for (const auto& child : element.children) {
        if (visits > kMaxVisits)
            break;
        if (!child->isText() && renderedElements().contains(child->name)) {
            if (element.name == u"switch" && !pwsvg::passesConditions(*child))
                continue;
            visits += expandedVisits(*child, useStack, counts, &everywhere);
            if (element.name == u"switch")
                break; // only its first child whose conditions hold is drawn
        }
    }
    if (element.name == u"use" && visits <= kMaxVisits) {
        if (const PWSVGElement* target = useTarget(element)) {
            if (isStoppedByOpenUses(element, *target, useStack)) {
                // Reached with other uses open, the same use may instance its target after all.
                everywhere = false;
            } else {
                useStack.append(&element);
                useStack.append(target);
                visits += expandedVisits(*target, useStack, counts, &everywhere);
                useStack.removeLast();
                useStack.removeLast();
            }
        }
    }
    visits = std::min<qint64>(visits, kMaxVisits + 1);
    if (everywhere)
        counts.insert(&element, visits);
    else
        *holdsEverywhere = false;
    return visits;
}

qint64 PWSVGDrawingBuilder::elementCount(const PWSVGElement& element)
{
    qint64 count = 1;
    for (const auto& child : element.children)
        count += elementCount(*child);
    return count;
}

qint64 PWSVGDrawingBuilder::stepsToDraw() const
{
    VisitCounts counts;
    QList<const PWSVGElement*> useStack;
    bool holdsEverywhere = true;
    return expandedVisits(m_root, useStack, counts, &holdsEverywhere);
}

const PWSVGElement* PWSVGDrawingBuilder::useTarget(const PWSVGElement& use) const
{
    // Only references inside the document: a use of another file is never followed.
    const PWSVGElement* target = m_ids.value(pwsvg::localHrefId(use.href()));
    if (!target || target == &use)
        return nullptr;
    for (const PWSVGElement* up = use.parent; up; up = up->parent)
        if (up == target)
            return nullptr;
    return target;
}

bool PWSVGDrawingBuilder::isStoppedByOpenUses(const PWSVGElement& use, const PWSVGElement& target,
                                              const QList<const PWSVGElement*>& useStack)
{
    // The stack holds each open use and its target. A use that is itself the target of an
    // open use (a use of a use) is a chain, not a cycle: only its own target coming round
    // again is one.
    for (qsizetype i = 0; i + 1 < useStack.size(); i += 2)
        if (useStack[i] == &use || useStack[i + 1] == &target)
            return true;
    return useStack.size() >= kMaxUseDepth;
}

pf::Ref<PWDrawing> PWSVGDrawingBuilder::build(pf::Error* error)
{
    // Uses multiply what they instance: a document that would take more steps than allowed is
    // refused before anything is made, not after a quarter of a million objects.
    const qint64 allowed = std::min<qint64>(kMaxVisits, kFreeSteps + qint64(kMaxStepsPerElement) * elementCount(m_root));
    if (stepsToDraw() > allowed) {
        pf::fail(error, svgError(kPWSVGErrorTooComplex, QCoreApplication::translate("PWSVGImporter", "The document "
                                                                                                     "takes more than "
                                                                                                     "%1 steps to draw.")
                                                            .arg(allowed)));
        return nullptr;
    }
    QSizeF size;
    QTransform rootTransform;
    bool sizeFromContent = false;
    Objects objects;
    if (rootGeometry(&size, &rootTransform, &sizeFromContent))
        buildRootChildren(rootTransform, 1.0, objects);
    if (m_failed) {
        pf::fail(error, m_error);
        return nullptr;
    }
    if (sizeFromContent) {
        // Reaching from the origin to the content's far corner, within the bounds; a page of
        // 100 x 100 points when there is nothing to measure.
        QRectF content;
        for (const auto& object : objects.objects)
            content = content.united(object->bounds());
        const double w = std::min(content.right(), kMaxDrawingSide);
        const double h = std::min(content.bottom(), kMaxDrawingSide);
        size = QSizeF(w >= 1.0 && std::isfinite(w) ? w : 100.0, h >= 1.0 && std::isfinite(h) ? h : 100.0);
    }

    auto drawing = std::make_shared<PWDrawing>();
    RVUndoManager* undo = drawing->undoManager();
    undo->disableUndoRegistration();
    drawing->setDrawingSize(size);
    auto layer = std::make_shared<PWObjectDrawingLayer>();
    drawing->addLayer(layer);
    drawing->setActiveLayer(layer, false);
    layer->addObjectsFromArray(objects.objects);
    undo->enableUndoRegistration();
    return drawing;
}

void PWSVGDrawingBuilder::buildRootChildren(const QTransform& ctm, double opacity, Objects& objects)
{
    const Style rootStyle = computeStyle(m_root, Style());
    if (rootStyle.displayNone)
        return;
    for (auto& child : m_document->children) {
        if (!child || child->isText() || !renderedElements().contains(child->name))
            continue;
        if (!buildElement(*child, rootStyle, ctm, opacity * rootStyle.opacity, objects))
            break;
        // Nothing refers to a part of the document without ids once it is built; the root's
        // children are not visited again.
        if (!m_referable.contains(child.get()))
            child.reset();
    }
}

bool PWSVGDrawingBuilder::addObject(const pf::Ref<PWDrawableObject>& object, Objects& out)
{
    if (++m_objectCount > kMaxObjects)
        return fail(kPWSVGErrorTooComplex, QCoreApplication::translate("PWSVGImporter", "The document makes more than "
                                                                                        "%1 objects.")
                                               .arg(kMaxObjects));
    out.append(object);
    return true;
}

QRectF PWSVGDrawingBuilder::Objects::boundsAt(qsizetype i) const
{
    return logicalBounds[i] ? *logicalBounds[i] : objects[i]->logicalBounds();
}

void PWSVGDrawingBuilder::appendGrouped(const Objects& objects, Objects& out)
{
    if (objects.size() == 1) {
        out.append(objects.objects.first(), objects.logicalBounds.first());
    } else if (objects.size() > 1) {
        QRectF bounds;
        for (qsizetype i = 0; i < objects.size(); ++i)
            bounds = bounds.united(objects.boundsAt(i));
        out.append(PWShapeGroup::groupWithObjects(objects.objects, bounds), bounds);
    }
}

bool PWSVGDrawingBuilder::buildChildren(const PWSVGElement& element, const Style& style, const QTransform& ctm,
                                        double opacity, bool firstOnly, Objects& out)
{
    for (const auto& child : element.children) {
        if (child->isText() || !renderedElements().contains(child->name))
            continue;
        // A switch draws the first of its children whose conditions hold.
        if (firstOnly && !pwsvg::passesConditions(*child))
            continue;
        if (!buildElement(*child, style, ctm, opacity, out))
            return false;
        if (firstOnly)
            break;
    }
    return true;
}

bool PWSVGDrawingBuilder::buildElement(const PWSVGElement& element, const Style& parentStyle,
                                       const QTransform& parentCTM, double opacityAbove, Objects& out)
{
    if (m_failed)
        return false;
    if (++m_visits > kMaxVisits)
        return fail(kPWSVGErrorTooComplex, QCoreApplication::translate("PWSVGImporter", "The document takes more than "
                                                                                        "%1 steps to draw.")
                                               .arg(kMaxVisits));
    if (element.isText() || !renderedElements().contains(element.name) || !pwsvg::passesConditions(element))
        return true;
    Style style = computeStyle(element, parentStyle);
    if (style.displayNone)
        return true;
    const QString& name = element.name;
    QTransform ctm = parentCTM;
    if (name != u"svg") {
        std::optional<QTransform> own;
        if (!style.cssTransform.isEmpty())
            own = pwsvg::parseCSSTransform(style.cssTransform);
        else if (element.hasAttribute(QStringLiteral("transform")))
            own = pwsvg::parseTransform(element.attribute(QStringLiteral("transform")));
        if (own)
            ctm = pwsvg::aboutOrigin(*own, style.transformOrigin, m_viewport) * parentCTM;
    }
    // A transform that flattens everything onto a line draws nothing.
    if (!pwsvg::isFinite(ctm) || !(std::abs(ctm.determinant()) > 1e-18))
        return true;
    if (m_clipContent > 0) {
        // A clip path is the union of its shapes', texts' and direct uses' outlines, each with
        // its own clip rule; paint, opacity and containers play no part in it.
        if (name != u"use" && name != u"text" && !pwsvg::isShapeElement(name))
            return true;
        style.fill = Paint{Paint::Colour, QColor(Qt::black), {}, {}, false};
        style.fillOpacity = 1.0;
        style.stroke = Paint();
        style.evenOdd = style.clipEvenOdd;
        style.opacity = 1.0;
        style.filterId.clear();
        style.maskId.clear();
        style.markerStart.clear();
        style.markerMid.clear();
        style.markerEnd.clear();
    }
    // A container's opacity applies to its content as one picture; so does a blend mode or
    // an isolated group. Leaves take their opacity into their own style.
    const bool container = name == u"g" || name == u"a" || name == u"switch" || name == u"svg" || name == u"use";
    const bool groupOpacity = container && style.opacity < 1.0 && m_clipContent == 0;
    const bool composited = groupOpacity || (m_clipContent == 0 && (style.blendMode != kNormalBlend || style.isolated));
    const double opacity = groupOpacity ? opacityAbove : opacityAbove * style.opacity;
    if (style.clipId.isEmpty() && style.maskId.isEmpty() && !composited)
        return buildElementContent(element, style, ctm, opacity, out);
    Objects content;
    if (!buildElementContent(element, style, ctm, opacity, content))
        return false;
    if (!style.clipId.isEmpty() || !style.maskId.isEmpty()) {
        Objects clipped;
        if (!appendClipped(element, style, ctm, content, clipped))
            return false;
        content = clipped;
    }
    if (!composited || content.size() == 0) {
        for (qsizetype i = 0; i < content.size(); ++i)
            out.append(content.objects[i], content.logicalBounds[i]);
        return true;
    }
    double groupAlpha = groupOpacity ? style.opacity : 1.0;
    if (content.size() == 1 && style.blendMode == kNormalBlend && !style.isolated) {
        // One shape or path alone shows its opacity the same through its own style.
        const pf::Ref<PWDrawableObject>& only = content.objects.first();
        if ((std::dynamic_pointer_cast<PWDrawableShape>(only) || std::dynamic_pointer_cast<PWDrawablePath>(only))
            && only->style()) {
            only->style()->setOpacity(only->style()->opacity() * groupAlpha);
            out.append(only, content.logicalBounds.first());
            return true;
        }
    }
    auto group = PWClippingGroup::clippingGroupWithObjects(content.objects, nullptr, PWClippingGroup::ClipCoverage);
    group->setGroupOpacity(groupAlpha);
    group->setBlendMode(style.blendMode);
    return addObject(group, out);
}

bool PWSVGDrawingBuilder::buildElementContent(const PWSVGElement& element, const Style& style, const QTransform& ctmIn,
                                              double opacity, Objects& out)
{
    QTransform ctm = ctmIn;
    const QString& name = element.name;
    if (name == u"g" || name == u"a" || name == u"switch" || name == u"svg") {
        if (name == u"svg") {
            const double x = length(element, QStringLiteral("x"), kX, style.fontSize);
            const double y = length(element, QStringLiteral("y"), kY, style.fontSize);
            const double w = length(element, QStringLiteral("width"), kX, style.fontSize, m_viewport.width());
            const double h = length(element, QStringLiteral("height"), kY, style.fontSize, m_viewport.height());
            return buildViewport(element, style, ctm, opacity, QRectF(x, y, w, h), out);
        }
        Objects children;
        if (!buildChildren(element, style, ctm, opacity, name == u"switch", children))
            return false;
        appendGrouped(children, out);
        return true;
    }
    if (name == u"use")
        return buildUse(element, style, ctm, opacity, out);
    if (!style.visible)
        return true;
    if (name == u"text")
        return buildText(element, style, ctm, opacity, out);
    if (name == u"image")
        return buildImage(element, ctm, opacity, out);
    return buildShape(element, style, ctm, opacity, out);
}

bool PWSVGDrawingBuilder::buildUse(const PWSVGElement& use, const Style& style, const QTransform& ctm, double opacity,
                                   Objects& out)
{
    // A use that would instance itself again (directly or through the element it uses) is an
    // error in the document; it draws nothing rather than recursing.
    const PWSVGElement* target = useTarget(use);
    if (!target || isStoppedByOpenUses(use, *target, m_useStack))
        return true;
    const double x = length(use, QStringLiteral("x"), kX, style.fontSize);
    const double y = length(use, QStringLiteral("y"), kY, style.fontSize);
    QTransform placed = QTransform::fromTranslate(x, y) * ctm;

    m_useStack.append(&use);
    m_useStack.append(target);
    // The use is the context element of what it instances.
    const Style* outerContext = std::exchange(m_context, &style);
    bool ok = true;
    Objects objects;
    if (target->name == u"symbol" || target->name == u"svg") {
        // A symbol or svg element instanced by a use takes the use's size, when it gives one.
        const Style targetStyle = computeStyle(*target, style);
        if (!targetStyle.displayNone && pwsvg::passesConditions(*target)) {
            const bool isSymbol = target->name == u"symbol";
            const double fs = style.fontSize;
            const double w = use.hasAttribute(QStringLiteral("width")) || isSymbol
                                 ? length(use, QStringLiteral("width"), kX, fs, m_viewport.width())
                                 : length(*target, QStringLiteral("width"), kX, fs, m_viewport.width());
            const double h = use.hasAttribute(QStringLiteral("height")) || isSymbol
                                 ? length(use, QStringLiteral("height"), kY, fs, m_viewport.height())
                                 : length(*target, QStringLiteral("height"), kY, fs, m_viewport.height());
            const double x = isSymbol ? 0.0 : length(*target, QStringLiteral("x"), kX, fs);
            const double y = isSymbol ? 0.0 : length(*target, QStringLiteral("y"), kY, fs);
            ok = buildViewport(*target, targetStyle, placed, opacity * targetStyle.opacity, QRectF(x, y, w, h),
                               objects);
        }
    } else {
        ok = buildElement(*target, style, placed, opacity, objects);
    }
    m_context = outerContext;
    m_useStack.removeLast();
    m_useStack.removeLast();
    if (!ok)
        return false;
    appendGrouped(objects, out);
    return true;
}

bool PWSVGDrawingBuilder::buildViewport(const PWSVGElement& element, const Style& style, const QTransform& ctm,
                                        double opacity, const QRectF& viewport, Objects& out)
{
    if (!(viewport.width() > 0.0) || !(viewport.height() > 0.0))
        return true;
    QTransform content = QTransform::fromTranslate(viewport.x(), viewport.y()) * ctm;
    QSizeF inner = viewport.size();
    if (element.hasAttribute(QStringLiteral("viewBox"))) {
        auto viewBox = pwsvg::parseViewBox(element.attribute(QStringLiteral("viewBox")));
        if (viewBox && viewBox->width() > 0.0 && viewBox->height() > 0.0) {
            content = pwsvg::viewBoxTransform(*viewBox, viewport,
                                              element.attribute(QStringLiteral("preserveAspectRatio")))
                * ctm;
            inner = viewBox->size();
        }
    }
    if (!pwsvg::isFinite(content) || !(std::abs(content.determinant()) > 1e-18))
        return true;
    // Percentages within refer to this viewport.
    const QSizeF outer = std::exchange(m_viewport, inner);
    Objects children;
    const bool ok = buildChildren(element, style, content, opacity, false, children);
    m_viewport = outer;
    if (!ok)
        return false;
    if (children.size() == 0)
        return true;
    // What lies outside the viewport is cut off unless its overflow shows.
    const QString overflow = declaredProperties(element).value(QStringView(u"overflow")).trimmed();
    auto frame = pf::BezierPath::pathWithRect(viewport)->transformed(ctm);
    QRectF drawn;
    for (qsizetype i = 0; i < children.size(); ++i)
        drawn = drawn.isNull() ? children.objects[i]->bounds() : drawn.united(children.objects[i]->bounds());
    const bool rectilinear = std::abs(ctm.m12()) < 1e-12 && std::abs(ctm.m21()) < 1e-12;
    if (overflow == u"visible" || overflow == u"auto" || (rectilinear && frame->bounds().contains(drawn))) {
        appendGrouped(children, out);
        return true;
    }
    auto frameStyle = std::make_shared<PWStyle>();
    frameStyle->addRenderer(PWFill::fillWithColour(pf::Color(QColor(Qt::black))));
    return addObject(PWClippingGroup::clippingGroupWithObjects(
                         children.objects, PWDrawableShape::drawableShapeWithPath(*frame, frameStyle),
                         PWClippingGroup::ClipCoverage),
                     out);
}

bool PWSVGDrawingBuilder::buildShape(const PWSVGElement& element, const Style& style, const QTransform& ctm,
                                     double opacity, Objects& out)
{
    const QString& name = element.name;
    const double fs = style.fontSize;
    auto userPath = pf::BezierPath::path();
    // A path's segments as written (arcs whole), for the markers at its vertices.
    Geom::PathVector geomPaths;
    bool isShape = false;
    bool isLine = false;
    if (name == u"rect") {
        const double x = length(element, QStringLiteral("x"), kX, fs);
        const double y = length(element, QStringLiteral("y"), kY, fs);
        const double w = length(element, QStringLiteral("width"), kX, fs);
        const double h = length(element, QStringLiteral("height"), kY, fs);
        if (!(w > 0.0) || !(h > 0.0))
            return true;
        double rx = length(element, QStringLiteral("rx"), kX, fs, -1.0);
        double ry = length(element, QStringLiteral("ry"), kY, fs, -1.0);
        if (rx < 0.0)
            rx = std::max(ry, 0.0);
        if (ry < 0.0)
            ry = rx;
        rx = std::min(rx, w / 2.0);
        ry = std::min(ry, h / 2.0);
        userPath = rx > 0.0 && ry > 0.0 ? pf::BezierPath::pathWithRoundedRect(QRectF(x, y, w, h), rx, ry)
                                        : pf::BezierPath::pathWithRect(QRectF(x, y, w, h));
        isShape = true;
    } else if (name == u"circle" || name == u"ellipse") {
        const double cx = length(element, QStringLiteral("cx"), kX, fs);
        const double cy = length(element, QStringLiteral("cy"), kY, fs);
        double rx = 0.0;
        double ry = 0.0;
        if (name == u"circle") {
            rx = ry = length(element, QStringLiteral("r"), kOther, fs);
        } else {
            rx = length(element, QStringLiteral("rx"), kX, fs, -1.0);
            ry = length(element, QStringLiteral("ry"), kY, fs, -1.0);
            if (rx < 0.0)
                rx = ry;
            if (ry < 0.0)
                ry = rx;
        }
        if (!(rx > 0.0) || !(ry > 0.0))
            return true;
        userPath = pf::BezierPath::pathWithOval(QRectF(cx - rx, cy - ry, 2 * rx, 2 * ry));
        isShape = true;
    } else if (name == u"line") {
        userPath->moveTo(QPointF(length(element, QStringLiteral("x1"), kX, fs), length(element, QStringLiteral("y1"), kY, fs)));
        userPath->lineTo(QPointF(length(element, QStringLiteral("x2"), kX, fs), length(element, QStringLiteral("y2"), kY, fs)));
        isLine = true;
    } else if (name == u"polyline" || name == u"polygon") {
        const QList<QPointF> points = pwsvg::parsePointList(element.attribute(QStringLiteral("points")));
        if (points.size() < 2)
            return true;
        userPath = pf::BezierPath::pathWithPolygon(points, name == u"polygon");
    } else if (name == u"path") {
        const QString data = element.attribute(QStringLiteral("d"));
        if (data.size() > kMaxPathDataChars)
            return fail(kPWSVGErrorTooComplex, QCoreApplication::translate("PWSVGImporter", "A path holds more than %1 "
                                                                                            "characters of data.")
                                                   .arg(kMaxPathDataChars));
        Geom::PathVector& paths = geomPaths;
        Geom::SubpathInserter inserter(paths);
        Geom::PathIteratorSink<Geom::SubpathInserter> sink(inserter);
        try {
            Geom::parse_svg_path(validPathDataPrefix(data).toStdString(), sink);
        } catch (const std::exception&) {
            // A command short of numbers: what was read before it stays.
            sink.flush();
        }
        if (paths.empty())
            return true;
        try {
            userPath = pf::bezierPathFromGeomPathVector(paths);
        } catch (const std::exception& exception) {
            return fail(kPWSVGErrorTooComplex, QCoreApplication::translate("PWSVGImporter", "A path's geometry cannot "
                                                                                            "be converted (%1).")
                                                   .arg(QString::fromLocal8Bit(exception.what())));
        }
    } else {
        return true;
    }
    if (userPath->isEmpty() || !isWithinReach(*userPath))
        return true;

    const QRectF bbox = userPath->bounds();
    auto drawingPath = userPath->transformed(ctm);
    if (!isWithinReach(*drawingPath))
        return true;
    drawingPath->setWindingRule(style.evenOdd ? pf::BezierPath::WindingRule::EvenOdd
                                              : pf::BezierPath::WindingRule::NonZero);
    drawingPath->setMiterLimit(style.miterLimit);
    const QRectF area = drawingPath->bounds();

    PaintResolver paints(
        m_ids, [this](const PWSVGElement& e) { return declaredProperties(e); }, m_viewport);
    pf::Ref<PWFill> fill;
    if (!isLine)
        fill = isPatternPaint(style.fill) ? patternFill(style.fill, style.fillOpacity, bbox, ctm, area)
                                          : paints.fillFor(style.fill, style.fillOpacity, bbox, ctm, area);
    const double scale = pwsvg::lengthScale(ctm);
    const double width = style.strokeWidth * scale;
    pf::Ref<PWStroke> stroke;
    // A stroke painted with a gradient or a pattern: its outline shows that paint through a
    // clipping group, a stroke renderer carrying one colour.
    pf::Ref<PWFill> strokePaint;
    QRectF strokeReach;
    if (width > 0.0 && std::isfinite(width) && style.stroke.kind == Paint::Server && m_clipContent == 0) {
        const double joins = style.join == pf::BezierPath::LineJoin::Miter ? std::max(1.0, style.miterLimit) : 1.0;
        const double reach = width / 2.0 * std::max(joins, std::sqrt(2.0)) + 1.0;
        strokeReach = area.adjusted(-reach, -reach, reach, reach);
        strokePaint = isPatternPaint(style.stroke)
                          ? patternFill(style.stroke, style.strokeOpacity, bbox, ctm, strokeReach)
                          : paints.fillFor(style.stroke, style.strokeOpacity, bbox, ctm, strokeReach);
    }
    const bool paintedStroke = strokePaint && (std::dynamic_pointer_cast<PWGradientFill>(strokePaint)
                                               || std::dynamic_pointer_cast<PWObjectPatternFill>(strokePaint));
    if (width > 0.0 && std::isfinite(width)) {
        QColor colour = paints.colourFor(style.stroke, style.strokeOpacity);
        if (style.stroke.kind == Paint::Server && m_clipContent == 0)
            colour = paintedStroke ? QColor(Qt::black) : strokePaint ? strokePaint->colour().qColor() : QColor();
        if (colour.isValid()) {
            stroke = PWStroke::strokeWithWidth(width, pf::Color(colour));
            stroke->setLineCapStyle(style.cap);
            stroke->setLineJoinStyle(style.join);
            QList<double> dashes;
            double total = 0.0;
            for (double dash : style.dashes.mid(0, PWStrokeDash::kMaxCount)) {
                dashes.append(dash * scale);
                total += dash;
            }
            if (!dashes.isEmpty() && total > 0.0) {
                if (auto dash = PWStrokeDash::dashWithPattern(dashes, int(dashes.size()))) {
                    dash->setScalesToLineWidth(false);
                    dash->setPhase(style.dashOffset * scale);
                    stroke->setDash(dash);
                }
            }
        }
    }
    if (!style.filterId.isEmpty() && !PWStyle::ignoresFilterElements()) {
        if (auto shadow = shadowForFilter(m_ids.value(style.filterId), ctm)) {
            if (fill)
                fill->setShadow(shadow);
            else if (stroke)
                stroke->setShadow(shadow);
        }
    }

    // The object painting `renderers` in their order; the shape's kind is kept.
    auto objectWith = [&](const QList<pf::Ref<PWRasterizer>>& renderers) -> pf::Ref<PWDrawableObject> {
        auto pwStyle = std::make_shared<PWStyle>();
        pwStyle->setOpacity(opacity);
        for (const auto& renderer : renderers)
            if (renderer)
                pwStyle->addRenderer(renderer);
        if (isShape)
            return PWDrawableShape::drawableShapeWithPath(*drawingPath, pwStyle);
        return PWDrawablePath::drawablePathWithPath(*drawingPath, pwStyle);
    };
    pf::Ref<PWDrawableObject> strokeGroup;
    if (paintedStroke && stroke) {
        auto outline = std::make_shared<PWStyle>();
        outline->addRenderer(stroke);
        pf::Ref<PWDrawableObject> clip;
        if (isShape)
            clip = PWDrawableShape::drawableShapeWithPath(*drawingPath, outline);
        else
            clip = PWDrawablePath::drawablePathWithPath(*drawingPath, outline);
        auto paintStyle = std::make_shared<PWStyle>();
        paintStyle->addRenderer(strokePaint);
        auto painted = PWDrawableShape::drawableShapeWithPath(*pf::BezierPath::pathWithRect(strokeReach), paintStyle);
        auto group = PWClippingGroup::clippingGroupWithObjects({painted}, clip, PWClippingGroup::ClipCoverage);
        group->setGroupOpacity(opacity);
        strokeGroup = group;
        stroke = nullptr;
    }

    Objects markers;
    const bool takesMarkers = name == u"path" || name == u"line" || name == u"polyline" || name == u"polygon";
    if (takesMarkers && m_clipContent == 0
        && (!style.markerStart.isEmpty() || !style.markerMid.isEmpty() || !style.markerEnd.isEmpty())) {
        if (geomPaths.empty())
            geomPaths = pf::toGeomPathVector(*userPath);
        if (!buildMarkers(geomPaths, style, ctm, opacity, markers))
            return false;
    }
    // Fill, stroke and markers in the order paint-order gives them: renderers next to each
    // other share one object; markers and a painted stroke stand between them.
    struct Layer {
        pf::Ref<PWRasterizer> renderer;
        pf::Ref<PWDrawableObject> object;
        bool markers = false;
    };
    QList<Layer> layers;
    for (QChar c : style.paintOrder) {
        if (c == u'f' && fill)
            layers.append({fill, nullptr});
        else if (c == u's' && stroke)
            layers.append({stroke, nullptr});
        else if (c == u's' && strokeGroup)
            layers.append({nullptr, strokeGroup});
        else if (c == u'm' && markers.size() > 0)
            layers.append({nullptr, nullptr, true});
    }
    // An unpainted shape stays an object of its own, as the document has it.
    if (layers.isEmpty())
        return addObject(objectWith({}), out);
    if (std::all_of(layers.cbegin(), layers.cend(), [](const Layer& layer) { return bool(layer.renderer); })) {
        QList<pf::Ref<PWRasterizer>> renderers;
        for (const Layer& layer : layers)
            renderers.append(layer.renderer);
        return addObject(objectWith(renderers), out);
    }
    Objects painted;
    QList<pf::Ref<PWRasterizer>> run;
    auto flush = [&] {
        const bool ok = run.isEmpty() || addObject(objectWith(run), painted);
        run.clear();
        return ok;
    };
    for (const Layer& layer : layers) {
        if (layer.renderer) {
            run.append(layer.renderer);
            continue;
        }
        if (!flush())
            return false;
        if (layer.markers) {
            for (qsizetype i = 0; i < markers.size(); ++i)
                painted.append(markers.objects[i], markers.logicalBounds[i]);
        } else if (!addObject(layer.object, painted)) {
            return false;
        }
    }
    if (!flush())
        return false;
    appendGrouped(painted, out);
    return true;
}

namespace {

struct TextRun {
    QString text;
    Style style;
    std::optional<double> x;
    std::optional<double> y;
    double dx = 0.0;
    double dy = 0.0;
};

} // namespace

bool PWSVGDrawingBuilder::buildText(const PWSVGElement& element, const Style& style, const QTransform& ctm,
                                    double opacity, Objects& out)
{
    // Gather the runs of character data in order, each with the style and position of the
    // element it sits in (a tspan's position applies to its first run).
    QList<TextRun> runs;
    struct Pending {
        std::optional<double> x, y;
        double dx = 0.0, dy = 0.0;
    } pending;
    auto takePosition = [&](const PWSVGElement& e, const Style& s) {
        auto first = [&](const char* key, int axis) -> std::optional<double> {
            const QString text = e.attribute(QLatin1String(key));
            const QStringView item = QStringView(text).trimmed().split(QRegularExpression(QStringLiteral("[\\s,]+"))).value(0);
            auto parsed = pwsvg::parseLength(item);
            if (!parsed)
                return std::nullopt;
            return pwsvg::resolveLength(*parsed, LengthAxis(axis), m_viewport, s.fontSize);
        };
        if (auto x = first("x", kX))
            pending.x = x;
        if (auto y = first("y", kY))
            pending.y = y;
        pending.dx += first("dx", kX).value_or(0.0);
        pending.dy += first("dy", kY).value_or(0.0);
    };
    std::function<void(const PWSVGElement&, const Style&, int)> gather = [&](const PWSVGElement& e, const Style& s,
                                                                               int depth) {
        for (const auto& child : e.children) {
            if (child->isText()) {
                TextRun run{child->text, s, pending.x, pending.y, pending.dx, pending.dy};
                pending = Pending();
                runs.append(run);
            } else if (child->name == u"tspan" && depth < 32) {
                const Style childStyle = computeStyle(*child, s);
                if (childStyle.displayNone)
                    continue;
                takePosition(*child, childStyle);
                gather(*child, childStyle, depth + 1);
            }
        }
    };
    takePosition(element, style);
    if (!pending.x)
        pending.x = 0.0;
    if (!pending.y)
        pending.y = 0.0;
    gather(element, style, 0);

    // White space as xml:space="default" treats it: newlines go, tabs become spaces, runs of
    // spaces become one, and the text loses its leading and trailing spaces.
    bool lastEndedWithSpace = true;
    for (TextRun& run : runs) {
        QString text = run.text;
        text.remove(u'\n').remove(u'\r').replace(u'\t', u' ');
        QString collapsed;
        for (QChar c : text) {
            if (c == u' ' && (lastEndedWithSpace || (!collapsed.isEmpty() && collapsed.back() == u' ')))
                continue;
            collapsed.append(c);
            lastEndedWithSpace = false;
        }
        if (!collapsed.isEmpty())
            lastEndedWithSpace = collapsed.back() == u' ';
        run.text = collapsed;
    }
    for (auto it = runs.rbegin(); it != runs.rend(); ++it) {
        if (it->text.isEmpty())
            continue;
        if (it->text.endsWith(u' '))
            it->text.chop(1);
        break;
    }

    struct Piece {
        QString text;
        Style style;
        QFont font;
        QPointF origin; // the baseline's start, in user space
        double advance = 0.0;
        int chunk = 0;
    };
    QList<Piece> pieces;
    QPointF pen;
    int chunk = -1;
    QList<int> chunkAnchors;
    for (const TextRun& run : runs) {
        if (run.x || run.y || chunk < 0) {
            pen = QPointF(run.x.value_or(pen.x()), run.y.value_or(pen.y()));
            ++chunk;
            chunkAnchors.append(run.style.anchor);
        }
        pen += QPointF(run.dx, run.dy);
        if (run.text.isEmpty())
            continue;
        const QFont font = fontForStyle(run.style, run.style.fontSize);
        const double advance = drawingFontMetrics(font).horizontalAdvance(run.text);
        pieces.append(Piece{run.text, run.style, font, pen, advance, chunk});
        pen.rx() += advance;
    }
    // Each chunk's width runs from its first piece's start to its last piece's end.
    QList<double> chunkStart(chunkAnchors.size(), std::numeric_limits<double>::quiet_NaN());
    QList<double> chunkEnd(chunkAnchors.size(), 0.0);
    for (const Piece& piece : pieces) {
        if (std::isnan(chunkStart[piece.chunk]))
            chunkStart[piece.chunk] = piece.origin.x();
        chunkEnd[piece.chunk] = piece.origin.x() + piece.advance;
    }

    const double fontScale = pwsvg::lengthScale(ctm);
    PaintResolver paints(
        m_ids, [this](const PWSVGElement& e) { return declaredProperties(e); }, m_viewport);
    Objects shapes;
    for (const Piece& piece : pieces) {
        if (!piece.style.visible)
            continue;
        // Text painted with a gradient or a pattern shows that paint through its glyphs.
        const bool paintedFill = piece.style.fill.kind == Paint::Server && m_clipContent == 0;
        QColor colour = paintedFill ? QColor(Qt::black)
                                    : paints.colourFor(piece.style.fill, piece.style.fillOpacity * opacity);
        if (!colour.isValid())
            continue;
        const double chunkWidth = chunkEnd[piece.chunk] - chunkStart[piece.chunk];
        const int anchor = chunkAnchors.value(piece.chunk);
        const double shift = anchor == 1 ? -chunkWidth / 2.0 : anchor == 2 ? -chunkWidth : 0.0;
        const QFontMetricsF metrics = drawingFontMetrics(piece.font);
        // A little room to the right and below, so that the box never wraps or clips the run.
        const QRectF box(piece.origin.x() + shift, piece.origin.y() - metrics.ascent(),
                         piece.advance + piece.style.fontSize * 0.25 + 1.0, metrics.height() + 1.0);
        auto shape = PWTextShape::textShapeWithRect(QRectF(0, 0, 1, 1), piece.text, std::make_shared<PWStyle>());
        QFont drawingFont = piece.font;
        const double size = std::clamp(piece.style.fontSize * fontScale, 0.01, 10000.0);
        drawingFont.setPointSizeF(size);
        shape->setTextAttributes({{kPWTextFontAttribute, drawingFont},
                                  {kPWTextFontSizeAttribute, size},
                                  {kPWTextColourAttribute, colour}});
        pwsvg::placeBox(*shape, box, ctm);
        if (paintedFill) {
            const QRectF area = shape->bounds();
            // The run's box in user space stands for the text's bounding box.
            const QRectF textBox(box.x(), box.y(), piece.advance, metrics.height());
            pf::Ref<PWFill> paint = isPatternPaint(piece.style.fill)
                                        ? patternFill(piece.style.fill, piece.style.fillOpacity, textBox, ctm, area)
                                        : paints.fillFor(piece.style.fill, piece.style.fillOpacity, textBox, ctm, area);
            if (!paint || area.isEmpty())
                continue;
            if (!std::dynamic_pointer_cast<PWGradientFill>(paint) && !std::dynamic_pointer_cast<PWObjectPatternFill>(paint)) {
                shape->setTextAttributes({{kPWTextFontAttribute, drawingFont},
                                          {kPWTextFontSizeAttribute, size},
                                          {kPWTextColourAttribute, withAlpha(paint->colour().qColor(), opacity)}});
            } else {
                auto paintStyle = std::make_shared<PWStyle>();
                paintStyle->addRenderer(paint);
                auto painted = PWDrawableShape::drawableShapeWithPath(*pf::BezierPath::pathWithRect(area), paintStyle);
                auto group = PWClippingGroup::clippingGroupWithObjects({painted}, shape, PWClippingGroup::ClipCoverage);
                group->setGroupOpacity(opacity);
                if (!addObject(group, shapes))
                    return false;
                continue;
            }
        }
        if (!addObject(shape, shapes))
            return false;
    }
    appendGrouped(shapes, out);
    return true;
}
