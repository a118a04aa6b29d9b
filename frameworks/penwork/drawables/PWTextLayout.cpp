#include "frameworks/penwork/drawables/PWTextLayout.h"

#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/geometry/BezierPath+Length.h"
#include "frameworks/penwork/renderers/PWTextAdornment.h"
#include "frameworks/penwork/styles/PWRastGroup.h"
#include "frameworks/penwork/styles/PWRendererSupport.h"
#include "frameworks/penwork/styles/PWStyle.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/PropertyList.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QPainterPathStroker>
#include <QRawFont>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Tags of attribute values that are not property-list values of their own.
const QString kFontTag = QStringLiteral("pw_font");
const QString kColourTag = QStringLiteral("pw_colour");

constexpr double kMaxFontSize = 10000.0;
// A single line along a path is laid out this wide, so that it never wraps.
constexpr double kUnboundedWidth = 1.0e7;

Qt::Alignment qtAlignment(int alignment)
{
    switch (alignment) {
    case PWTextFormat::AlignRight:
        return Qt::AlignRight | Qt::AlignAbsolute;
    case PWTextFormat::AlignCentre:
        return Qt::AlignHCenter;
    case PWTextFormat::AlignJustified:
        return Qt::AlignJustify;
    case PWTextFormat::AlignNatural:
        // Follows the writing direction: right-to-left text starts at the right.
        return Qt::AlignLeading;
    default:
        return Qt::AlignLeft | Qt::AlignAbsolute;
    }
}

// Layout units to drawing units: fonts are laid out at the platform's resolution, while the
// drawing measures a font's size in its own units.
double unitScale(const QFont& font)
{
    const QRawFont raw = QRawFont::fromFont(font);
    const double pixels = raw.isValid() ? raw.pixelSize() : 0.0;
    return pixels > 0.0 ? font.pointSizeF() / pixels : 1.0;
}

QString titleCased(const QString& text)
{
    QString result = text.toLower();
    QList<qsizetype> starts;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, result);
    for (qsizetype at = 0; at != -1; at = finder.toNextBoundary())
        if (finder.boundaryReasons() & QTextBoundaryFinder::StartOfItem)
            starts.append(at);
    for (qsizetype at : starts)
        if (at < result.size())
            result[at] = result.at(at).toUpper();
    return result;
}

} // namespace

// PWTextFormat ---------------------------------------------------------------------------------

QFont PWTextFormat::defaultFont()
{
    QFont font(QStringLiteral("Helvetica"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(12.0);
    return font;
}

PWTextFormat PWTextFormat::fromAttributes(const QVariantMap& attributes)
{
    PWTextFormat format;
    format.font = pwtext::fontFromAttributes(attributes);
    format.colour = pwtext::colourFromAttributes(attributes);
    return format;
}

// PWTextLayout ---------------------------------------------------------------------------------

PWTextLayout::PWTextLayout(const QString& text, const PWTextFormat& format) : m_text(text), m_format(format)
{
    m_glyphs.setFillRule(Qt::WindingFill);
}

QString PWTextLayout::displayedText() const
{
    QString text = m_text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    switch (m_format.capitalization) {
    case PWTextFormat::CapsUpper:
        return text.toUpper();
    case PWTextFormat::CapsLower:
        return text.toLower();
    case PWTextFormat::CapsTitle:
        return titleCased(text);
    default:
        return text;
    }
}

QFont PWTextLayout::displayedFont() const
{
    return displayedFont(m_format.font);
}

QFont PWTextLayout::displayedFont(const QFont& base) const
{
    QFont font = base;
    double size = font.pointSizeF() > 0.0 ? font.pointSizeF() : 12.0;
    if (m_format.superscript != 0)
        size *= std::pow(0.7, std::min(std::abs(m_format.superscript), 3));
    font.setPointSizeF(std::clamp(size, 0.1, kMaxFontSize));
    font.setUnderline(false);
    font.setStrikeOut(false);
    font.setCapitalization(m_format.capitalization == PWTextFormat::CapsSmall ? QFont::SmallCaps : QFont::MixedCase);
    return font;
}

QList<QTextLayout::FormatRange> PWTextLayout::formatRanges(int length, double k) const
{
    QList<QTextLayout::FormatRange> ranges;
    for (const PWTextRun& run : pwtext::runsFittingLength(m_format.runs, length)) {
        QFont font = displayedFont(run.font);
        if (m_format.kerning != 0.0)
            font.setLetterSpacing(QFont::AbsoluteSpacing, m_format.kerning / k);
        QTextLayout::FormatRange range;
        range.start = run.start;
        range.length = run.length;
        range.format.setFont(font, QTextCharFormat::FontPropertiesAll);
        ranges.append(range);
    }
    return ranges;
}

QList<std::pair<std::pair<int, int>, QColor>> PWTextLayout::colourSegments(int length) const
{
    QList<std::pair<std::pair<int, int>, QColor>> segments;
    int at = 0;
    for (const PWTextRun& run : pwtext::runsFittingLength(m_format.runs, length)) {
        if (!run.colour.isValid())
            continue;
        if (run.start > at)
            segments.append({{at, run.start - at}, QColor()});
        segments.append({{run.start, run.length}, run.colour});
        at = run.start + run.length;
    }
    if (at < length)
        segments.append({{at, length - at}, QColor()});
    return segments;
}

double PWTextLayout::outlinePenWidth() const
{
    const double size = m_format.font.pointSizeF() > 0.0 ? m_format.font.pointSizeF() : 12.0;
    return std::abs(m_format.outlineWidth) * size / 100.0;
}

void PWTextLayout::addDecorations(QPainterPath& path, const QFontMetricsF& metrics, double x, double width,
                                  double baseline) const
{
    if (width <= 0.0)
        return;
    const double thickness = std::max(metrics.lineWidth(), 0.5);
    auto addLine = [&](int style, double y) {
        if (style <= 0)
            return;
        const double weight = style == PWTextFormat::LineThick ? thickness * 2.0 : thickness;
        path.addRect(QRectF(x, y, width, weight));
        if (style == PWTextFormat::LineDouble)
            path.addRect(QRectF(x, y + weight * 2.0, width, weight));
    };
    addLine(m_format.underlines, baseline + metrics.underlinePos());
    addLine(m_format.strikethroughs, baseline - metrics.strikeOutPos());
}

void PWTextLayout::layOutInBox(const QSizeF& box)
{
    m_glyphs = QPainterPath();
    m_glyphs.setFillRule(Qt::WindingFill);
    m_coloured.clear();
    m_textHeight = 0.0;
    m_overflows = false;
    m_mode = PWTextFormat::LayoutInBox;
    QString text = displayedText();
    if (text.isEmpty())
        return;
    // Line separators break lines within one layout, as newlines do in the text.
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);

    QFont font = displayedFont();
    const double k = unitScale(font);
    if (m_format.kerning != 0.0)
        font.setLetterSpacing(QFont::AbsoluteSpacing, m_format.kerning / k);
    QTextLayout layout(text, font);
    layout.setFormats(formatRanges(int(text.size()), k));
    QTextOption option(qtAlignment(m_format.alignment));
    option.setWrapMode(m_format.wrapsLines ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    layout.setTextOption(option);
    const double width = std::max(0.0, box.width()) / k;
    double y = 0.0;
    double widest = 0.0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0.0, y));
        y += line.height();
        widest = std::max(widest, line.naturalTextWidth());
    }
    layout.endLayout();
    if (layout.lineCount() == 0)
        return;

    QPainterPath glyphs;
    glyphs.setFillRule(Qt::WindingFill);
    QList<std::pair<QPainterPath, QColor>> coloured;
    for (const auto& [range, colour] : colourSegments(int(text.size()))) {
        QPainterPath part;
        part.setFillRule(Qt::WindingFill);
        for (const QGlyphRun& run : layout.glyphRuns(range.first, range.second)) {
            const QRawFont raw = run.rawFont();
            const QList<quint32> indexes = run.glyphIndexes();
            const QList<QPointF> positions = run.positions();
            for (qsizetype i = 0; i < indexes.size() && i < positions.size(); ++i)
                part.addPath(raw.pathForGlyph(indexes.at(i)).translated(positions.at(i)));
        }
        glyphs.addPath(part);
        coloured.append({part, colour});
    }
    const QFontMetricsF metrics(font);
    QPainterPath decorations;
    decorations.setFillRule(Qt::WindingFill);
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        const QRectF natural = line.naturalTextRect();
        addDecorations(decorations, metrics, natural.x(), natural.width(), line.y() + line.ascent());
    }
    if (!decorations.isEmpty()) {
        glyphs.addPath(decorations);
        coloured.append({decorations, QColor()});
    }

    m_textHeight = y * k;
    double top = 0.0;
    switch (m_format.verticalAlignment) {
    case PWTextFormat::AlignMiddle:
        top = (box.height() - m_textHeight) / 2.0;
        break;
    case PWTextFormat::AlignBottom:
        top = box.height() - m_textHeight;
        break;
    case PWTextFormat::AlignBaseline:
        top = m_format.baselineProportion * box.height() - layout.lineAt(0).ascent() * k;
        break;
    default:
        break;
    }
    const double size = m_format.font.pointSizeF() > 0.0 ? m_format.font.pointSizeF() : 12.0;
    const double raise = m_format.baselineOffset + m_format.superscript * size * 0.35;
    m_glyphs = glyphs;
    m_coloured = coloured;
    transform(QTransform::fromScale(k, k) * QTransform::fromTranslate(0.0, top - raise));
    m_overflows = m_textHeight > box.height() + 1e-6 || (!m_format.wrapsLines && widest * k > box.width() + 1e-6);
}

void PWTextLayout::layOutAlongPath(const pf::BezierPath& path, int mode)
{
    m_glyphs = QPainterPath();
    m_glyphs.setFillRule(Qt::WindingFill);
    m_coloured.clear();
    m_textHeight = 0.0;
    m_overflows = false;
    m_mode = mode == PWTextFormat::LayoutCentredOnPath ? mode : PWTextFormat::LayoutOnPath;
    QString text = displayedText();
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const double total = pw::length(path);
    if (text.isEmpty() || !(total > 0.0) || !std::isfinite(total))
        return;

    QFont font = displayedFont();
    const double k = unitScale(font);
    if (m_format.kerning != 0.0)
        font.setLetterSpacing(QFont::AbsoluteSpacing, m_format.kerning / k);
    QTextLayout layout(text, font);
    layout.setFormats(formatRanges(int(text.size()), k));
    QTextOption option(Qt::AlignLeft | Qt::AlignAbsolute);
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) {
        line.setLineWidth(kUnboundedWidth);
        line.setPosition(QPointF());
    }
    layout.endLayout();
    if (!line.isValid())
        return;

    const double width = line.naturalTextWidth() * k;
    const double ascent = line.ascent() * k;
    m_textHeight = line.height() * k;
    double start = 0.0;
    if (mode == PWTextFormat::LayoutCentredOnPath || m_format.alignment == PWTextFormat::AlignCentre)
        start = (total - width) / 2.0;
    else if (m_format.alignment == PWTextFormat::AlignRight)
        start = total - width;
    const double size = m_format.font.pointSizeF() > 0.0 ? m_format.font.pointSizeF() : 12.0;
    const double lower =
        m_format.baselineProportion * ascent - m_format.baselineOffset - m_format.superscript * size * 0.35;
    m_overflows = width > total + 1e-6;

    const QFontMetricsF metrics(font);
    for (const auto& [range, colour] : colourSegments(int(text.size()))) {
    QPainterPath part;
    part.setFillRule(Qt::WindingFill);
    for (const QGlyphRun& run : layout.glyphRuns(range.first, range.second)) {
        const QRawFont raw = run.rawFont();
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        const QList<QPointF> advances = raw.advancesForGlyphIndexes(indexes);
        for (qsizetype i = 0; i < indexes.size() && i < positions.size(); ++i) {
            // The glyph's share of the line runs to the next glyph (letter spacing included).
            const double advance = i + 1 < positions.size() ? positions.at(i + 1).x() - positions.at(i).x()
                                                             : advances.value(i).x();
            const double middle = start + (positions.at(i).x() + advance / 2.0) * k;
            if (middle < 0.0 || middle > total)
                continue;
            QPainterPath glyph = raw.pathForGlyph(indexes.at(i));
            addDecorations(glyph, metrics, 0.0, advance, 0.0);
            double slope = 0.0;
            const QPointF at = pw::pointOnPathAtLength(path, middle, &slope);
            QTransform turn;
            turn.rotateRadians(slope);
            const QTransform place = QTransform::fromTranslate(-advance / 2.0, 0.0) * QTransform::fromScale(k, k) *
                                     QTransform::fromTranslate(0.0, lower) * turn *
                                     QTransform::fromTranslate(at.x(), at.y());
            part.addPath(place.map(glyph));
        }
    }
    m_glyphs.addPath(part);
    m_coloured.append({part, colour});
    }
}

void PWTextLayout::transform(const QTransform& transform)
{
    if (transform.isIdentity() || m_glyphs.isEmpty())
        return;
    m_glyphs = transform.map(m_glyphs);
    m_glyphs.setFillRule(Qt::WindingFill);
    for (auto& [path, colour] : m_coloured) {
        path = transform.map(path);
        path.setFillRule(Qt::WindingFill);
    }
}

QRectF PWTextLayout::inkBounds(bool withShadow) const
{
    if (m_glyphs.isEmpty())
        return QRectF();
    const double grow = std::max(outlinePenWidth(), m_format.knockoutDistance) + 1.0;
    const QRectF ink = m_glyphs.boundingRect().adjusted(-grow, -grow, grow, grow);
    return withShadow ? pw::renderers::boundsWithShadow(ink, m_format.shadow.get()) : ink;
}

void PWTextLayout::draw(pf::GraphicsContext& context) const
{
    if (m_glyphs.isEmpty())
        return;
    pf::GraphicsStateSaver saver(&context);
    QPainter& painter = context.painter();

    if (m_format.knockoutDistance > 0.0) {
        QPainterPathStroker stroker;
        stroker.setWidth(m_format.knockoutDistance * 2.0);
        stroker.setJoinStyle(Qt::RoundJoin);
        stroker.setCapStyle(Qt::RoundCap);
        QPainterPath halo = stroker.createStroke(m_glyphs);
        halo.addPath(m_glyphs);
        halo.setFillRule(Qt::WindingFill);
        painter.save();
        if (m_format.knockoutColour.isValid()) {
            painter.fillPath(halo, m_format.knockoutColour);
        } else {
            // No colour: the halo clears what was drawn beneath, so the text stands free of it.
            painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
            painter.fillPath(halo, Qt::black);
        }
        painter.restore();
    }

    auto fillColour = [&](const QColor& own) { return own.isValid() ? own : m_format.colour; };
    bool fills = false;
    if (m_format.outlineWidth <= 0.0)
        for (const auto& [path, colour] : m_coloured)
            fills = fills || (fillColour(colour).isValid() && fillColour(colour).alpha() > 0);
    const double penWidth = outlinePenWidth();
    const QColor outline = m_format.outlineColour.isValid() ? m_format.outlineColour : m_format.colour;
    const bool outlines = m_format.outlineWidth != 0.0 && penWidth > 0.0 && outline.isValid() && outline.alpha() > 0;
    if (!fills && !outlines)
        return;
    pw::renderers::setShadow(context, m_format.shadow.get());
    context.draw([&](QPainter& p) {
        if (fills)
            for (const auto& [path, colour] : m_coloured)
                if (fillColour(colour).isValid() && fillColour(colour).alpha() > 0)
                    p.fillPath(path, fillColour(colour));
        if (outlines) {
            QPen pen(outline, penWidth);
            pen.setJoinStyle(Qt::MiterJoin);
            p.strokePath(m_glyphs, pen);
        }
    });
}

// PWTextContent --------------------------------------------------------------------------------

void PWTextContent::encode(pf::KeyedArchiver& coder, const QString& prefix) const
{
    coder.encodeString(text, prefix + QStringLiteral("_text"));
    coder.encodePropertyListValue(pwtext::archivableAttributes(attributes), prefix + QStringLiteral("_attributes"));
    coder.encodeBool(clipsToPath, prefix + QStringLiteral("_clipsToPath"));
    coder.encodeInt32(layoutMode, prefix + QStringLiteral("_layoutMode"));
    // Text without runs is written as it always was, so older readers see nothing new.
    if (!runs.isEmpty())
        coder.encodePropertyListValue(pwtext::archivableRuns(runs), prefix + QStringLiteral("_runs"));
}

void PWTextContent::decode(pf::KeyedUnarchiver& coder, const QString& prefix, bool (*accepts)(int), int defaultMode)
{
    text = coder.decodeString(prefix + QStringLiteral("_text"));
    attributes = pwtext::attributesFromArchive(coder.decodePropertyListValue(prefix + QStringLiteral("_attributes")).toMap());
    clipsToPath = coder.decodeBool(prefix + QStringLiteral("_clipsToPath"));
    const QString modeKey = prefix + QStringLiteral("_layoutMode");
    const int mode = coder.containsValueForKey(modeKey) ? coder.decodeInt32(modeKey) : defaultMode;
    layoutMode = accepts(mode) ? mode : defaultMode;
    runs = pwtext::runsFittingLength(
        pwtext::runsFromArchive(coder.decodePropertyListValue(prefix + QStringLiteral("_runs")).toList()), int(text.size()));
}

// Shared text support --------------------------------------------------------------------------

namespace pwtext {

pf::Ref<PWTextAdornment> textAdornmentInStyle(const PWStyle* style)
{
    if (!style)
        return nullptr;
    return style->renderersOfClass<PWTextAdornment>().value(0);
}

bool styleHasGraphics(const PWStyle* style)
{
    if (!style)
        return false;
    for (const pf::Ref<PWRasterizer>& renderer : style->renderersOfClass(PWRasterizer::staticClass())) {
        if (renderer->isKindOf(PWRastGroup::staticClass()) || renderer->isKindOf(PWTextAdornment::staticClass()))
            continue;
        return true;
    }
    return false;
}

QFont fontFromAttributes(const QVariantMap& attributes)
{
    QFont font = PWTextFormat::defaultFont();
    const QVariant stored = attributes.value(kPWTextFontAttribute);
    if (stored.typeId() == QMetaType::QFont)
        font = stored.value<QFont>();
    else if (stored.typeId() == QMetaType::QString && !stored.toString().isEmpty())
        font.setFamily(stored.toString());
    const double size = attributes.value(kPWTextFontSizeAttribute).toDouble();
    if (std::isfinite(size) && size > 0.0)
        font.setPointSizeF(std::min(size, kMaxFontSize));
    else if (!(font.pointSizeF() > 0.0))
        font.setPointSizeF(12.0);
    return font;
}

QColor colourFromAttributes(const QVariantMap& attributes)
{
    const QVariant stored = attributes.value(kPWTextColourAttribute);
    if (stored.typeId() == QMetaType::QColor && stored.value<QColor>().isValid())
        return stored.value<QColor>();
    if (auto colour = pf::objectCast<pf::Color>(stored); colour && colour->qColor().isValid())
        return colour->qColor();
    return QColor(Qt::black);
}

QVariantMap archivableAttributes(const QVariantMap& attributes)
{
    QVariantMap stored;
    for (auto it = attributes.constBegin(); it != attributes.constEnd(); ++it) {
        const QVariant& value = it.value();
        if (value.typeId() == QMetaType::QFont)
            stored.insert(it.key(), QVariantMap{{kFontTag, value.value<QFont>().toString()}});
        else if (value.typeId() == QMetaType::QColor)
            stored.insert(it.key(), QVariantMap{{kColourTag, value.value<QColor>().name(QColor::HexArgb)}});
        else if (pf::PropertyList::isValidPropertyList(value))
            stored.insert(it.key(), value);
    }
    return stored;
}

QVariantMap attributesFromArchive(const QVariantMap& stored)
{
    QVariantMap attributes;
    for (auto it = stored.constBegin(); it != stored.constEnd(); ++it) {
        const QVariantMap tagged = it.value().toMap();
        const bool isTagged = it.value().typeId() == QMetaType::QVariantMap && tagged.size() == 1;
        if (isTagged && tagged.contains(kFontTag)) {
            QFont font;
            if (font.fromString(tagged.value(kFontTag).toString()))
                attributes.insert(it.key(), font);
        } else if (isTagged && tagged.contains(kColourTag)) {
            const QColor colour = QColor::fromString(tagged.value(kColourTag).toString());
            if (colour.isValid())
                attributes.insert(it.key(), colour);
        } else {
            attributes.insert(it.key(), it.value());
        }
    }
    return attributes;
}

QTransform boxTransform(const PWRenderable& object)
{
    const QSizeF size = object.size();
    const auto* drawable = dynamic_cast<const PWDrawableObject*>(&object);
    if (drawable && size.width() > 0.0 && size.height() > 0.0) {
        // The unit square's corner (-0.5, -0.5) is the box's top-left, wherever the offset puts
        // the object's location.
        return QTransform::fromScale(1.0 / size.width(), 1.0 / size.height()) *
               QTransform::fromTranslate(-0.5, -0.5) * drawable->transform() * drawable->containerTransform();
    }
    QTransform turn;
    turn.rotateRadians(object.angle());
    const QPointF at = object.location();
    return QTransform::fromTranslate(-size.width() / 2.0, -size.height() / 2.0) * turn *
           QTransform::fromTranslate(at.x(), at.y()) * object.containerTransform();
}

PWTextLayout layoutForObject(const QString& text, const PWTextFormat& format, const PWRenderable& object)
{
    PWTextLayout layout(text, format);
    if (format.layoutMode == PWTextFormat::LayoutInBox) {
        layout.layOutInBox(object.size());
        layout.transform(boxTransform(object));
    } else if (const pf::Ref<pf::BezierPath> path = object.renderingPath()) {
        layout.layOutAlongPath(*path, format.layoutMode);
    }
    return layout;
}

namespace {

// Only box text is clipped: text along an open path would lose everything.
pf::Ref<pf::BezierPath> clipOutline(const PWTextLayout& layout, const PWRenderable& object, bool clips)
{
    if (!clips || layout.layoutMode() != PWTextFormat::LayoutInBox)
        return nullptr;
    pf::Ref<pf::BezierPath> outline = object.renderingPath();
    return outline && !outline->isEmpty() ? outline : nullptr;
}

} // namespace

void drawLayout(const PWTextLayout& layout, const PWRenderable& object, bool clips)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context || layout.glyphs().isEmpty())
        return;
    pf::GraphicsStateSaver saver(context);
    if (const pf::Ref<pf::BezierPath> outline = clipOutline(layout, object, clips))
        context->addClip(*outline);
    layout.draw(*context);
}

QRectF layoutBounds(const PWTextLayout& layout, const PWRenderable& object, bool clips)
{
    QRectF ink = layout.inkBounds(true);
    if (ink.isNull())
        return ink;
    if (const pf::Ref<pf::BezierPath> outline = clipOutline(layout, object, clips))
        ink &= outline->bounds();
    return ink;
}

QRectF withPlainTextBounds(const QRectF& styleBounds, const QString& text, const PWTextFormat& format,
                           const PWRenderable& object, bool clips)
{
    if (text.isEmpty())
        return styleBounds;
    const QRectF shown = layoutBounds(layoutForObject(text, format, object), object, clips);
    if (shown.isNull())
        return styleBounds;
    return styleBounds.isNull() ? shown : styleBounds.united(shown);
}

void drawOverflowIndicator(QPainter& painter, const QSizeF& box)
{
    const double side = std::min({8.0, box.width(), box.height()});
    if (!(side > 0.0))
        return;
    painter.save();
    const QRectF mark(box.width() - side, box.height() - side, side, side);
    QPen pen(Qt::red);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setBrush(Qt::white);
    painter.drawRect(mark);
    const double inset = side * 0.2;
    painter.drawLine(QPointF(mark.center().x(), mark.top() + inset), QPointF(mark.center().x(), mark.bottom() - inset));
    painter.drawLine(QPointF(mark.left() + inset, mark.center().y()), QPointF(mark.right() - inset, mark.center().y()));
    painter.restore();
}

std::unique_ptr<QTextDocument> editingDocument(const QString& text, const PWTextFormat& format, double width)
{
    auto document = std::make_unique<QTextDocument>();
    document->setDocumentMargin(0.0);
    document->setDefaultFont(format.font);
    QTextOption option = document->defaultTextOption();
    option.setAlignment(qtAlignment(format.alignment));
    option.setWrapMode(format.wrapsLines ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    document->setDefaultTextOption(option);
    document->setPlainText(text);
    if (width > 0.0 && std::isfinite(width))
        document->setTextWidth(width);
    // The colour goes on the text and on the block, so that text typed later takes it too.
    QTextCharFormat colour;
    colour.setForeground(format.colour.isValid() ? format.colour : QColor(Qt::black));
    QTextCursor cursor(document.get());
    cursor.select(QTextCursor::Document);
    cursor.mergeCharFormat(colour);
    cursor.mergeBlockCharFormat(colour);
    for (const PWTextRun& run : runsFittingLength(format.runs, int(document->characterCount() - 1))) {
        QTextCharFormat own;
        own.setFont(run.font, QTextCharFormat::FontPropertiesAll);
        if (run.colour.isValid())
            own.setForeground(run.colour);
        QTextCursor stretch(document.get());
        stretch.setPosition(run.start);
        stretch.setPosition(run.start + run.length, QTextCursor::KeepAnchor);
        stretch.mergeCharFormat(own);
    }
    return document;
}

} // namespace pwtext
