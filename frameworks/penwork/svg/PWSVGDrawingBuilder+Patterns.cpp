// Patterns: the content of a pattern element built as drawing objects in the pattern's own
// space and set in a pattern fill that repeats it.
#include "frameworks/penwork/svg/PWSVGDrawingBuilder.h"

#include "frameworks/penwork/renderers/PWObjectPatternFill.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/svg/PWSVGStyle.h"
#include "frameworks/penwork/svg/PWSVGValueParsing.h"

#include <QSet>

using pwsvg::Length;
using pwsvg::LengthAxis;
using pwsvg::Paint;
using pwsvg::Style;

namespace {

// What a pattern element says, each attribute from the first element of its href chain that
// has it, and the children from the first that has any.
struct PatternSpec {
    QHash<QString, QString> attributes;
    const PWSVGElement* content = nullptr;
};

PatternSpec resolvePattern(const PWSVGElement& pattern, const QHash<QString, const PWSVGElement*>& ids)
{
    static const QStringList inherited = {"patternUnits", "patternContentUnits", "patternTransform", "x", "y",
                                          "width", "height", "viewBox", "preserveAspectRatio"};
    PatternSpec spec;
    QSet<const PWSVGElement*> seen;
    for (const PWSVGElement* link = &pattern; link && link->name == u"pattern" && !seen.contains(link)
                                              && seen.size() < 64;
         link = ids.value(pwsvg::localHrefId(link->href()))) {
        seen.insert(link);
        for (const QString& key : inherited)
            if (!spec.attributes.contains(key) && link->hasAttribute(key))
                spec.attributes.insert(key, link->attribute(key));
        if (!spec.content)
            for (const auto& child : link->children)
                if (!child->isText()) {
                    spec.content = link;
                    break;
                }
    }
    return spec;
}

} // namespace

bool PWSVGDrawingBuilder::isPatternPaint(const Paint& paint) const
{
    if (paint.kind != Paint::Server)
        return false;
    const PWSVGElement* target = m_ids.value(paint.serverId);
    return target && target->name == u"pattern";
}

pf::Ref<PWFill> PWSVGDrawingBuilder::patternFill(const Paint& paint, double opacity, const QRectF& bbox,
                                                 const QTransform& ctm, const QRectF& area)
{
    auto fallback = [&]() -> pf::Ref<PWFill> {
        if (paint.fallback) {
            QColor colour = *paint.fallback;
            colour.setAlphaF(float(std::clamp(colour.alphaF() * opacity, 0.0, 1.0)));
            return PWFill::fillWithColour(pf::Color(colour));
        }
        return nullptr;
    };
    const PWSVGElement* pattern = m_ids.value(paint.serverId);
    // A pattern used within its own content draws nothing there.
    if (!pattern || m_referenceStack.contains(pattern))
        return nullptr;
    const PatternSpec spec = resolvePattern(*pattern, m_ids);
    const bool boxUnits = spec.attributes.value(QStringLiteral("patternUnits")).trimmed() != u"userSpaceOnUse";
    const bool boxContent = spec.attributes.value(QStringLiteral("patternContentUnits")).trimmed()
                            == u"objectBoundingBox";
    const bool hasBox = bbox.width() > 0.0 && bbox.height() > 0.0;
    if ((boxUnits || boxContent) && !hasBox)
        return nullptr;
    auto number = [&](const char* key, int axis) {
        auto parsed = pwsvg::parseLength(spec.attributes.value(QLatin1String(key)));
        if (!parsed)
            return 0.0;
        if (boxUnits) {
            const double fraction = parsed->unit == Length::Percent ? parsed->value / 100.0 : parsed->value;
            return axis == int(LengthAxis::Horizontal) ? fraction * bbox.width() : fraction * bbox.height();
        }
        return pwsvg::resolveLength(*parsed, LengthAxis(axis), m_viewport, 16.0);
    };
    QRectF tile(number("x", int(LengthAxis::Horizontal)), number("y", int(LengthAxis::Vertical)),
                number("width", int(LengthAxis::Horizontal)), number("height", int(LengthAxis::Vertical)));
    if (boxUnits)
        tile.translate(bbox.topLeft());
    if (!(tile.width() > 0.0) || !(tile.height() > 0.0) || !spec.content)
        return nullptr;

    // Content units: a viewBox onto the tile, else the bounding box, else user space, each
    // from the tile's corner.
    QTransform content;
    if (auto viewBox = pwsvg::parseViewBox(spec.attributes.value(QStringLiteral("viewBox")));
        viewBox && viewBox->width() > 0.0 && viewBox->height() > 0.0)
        content = pwsvg::viewBoxTransform(*viewBox, QRectF(QPointF(), tile.size()),
                                          spec.attributes.value(QStringLiteral("preserveAspectRatio")));
    else if (boxContent)
        content = QTransform::fromScale(bbox.width(), bbox.height());
    content *= QTransform::fromTranslate(tile.x(), tile.y());
    QTransform patternTransform;
    if (auto parsed = pwsvg::parseTransform(spec.attributes.value(QStringLiteral("patternTransform"))))
        patternTransform = pwsvg::aboutOrigin(*parsed, computeStyle(*pattern, Style()).transformOrigin, m_viewport);
    const QTransform toDrawing = patternTransform * ctm;
    if (!pwsvg::isFinite(content) || !pwsvg::isFinite(toDrawing) || !(std::abs(toDrawing.determinant()) > 1e-18)
        || !(std::abs(content.determinant()) > 1e-18))
        return fallback();

    m_referenceStack.append(pattern);
    const int clipContent = std::exchange(m_clipContent, 0);
    Objects objects;
    const Style patternStyle = inheritedStyle(*spec.content);
    const bool ok = buildChildren(*spec.content, patternStyle, content, 1.0, false, objects);
    m_clipContent = clipContent;
    m_referenceStack.removeLast();
    if (!ok || objects.size() == 0)
        return nullptr;
    auto fill = std::make_shared<PWObjectPatternFill>();
    fill->setTile(objects.objects, tile, toDrawing * QTransform::fromTranslate(-area.left(), -area.top()));
    fill->setOpacity(opacity);
    return fill;
}
