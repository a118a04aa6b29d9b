#include "platform/graphics/StringDrawing.h"

#include "platform/foundation/Variant.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/ParagraphStyle.h"
#include "platform/graphics/TextTruncation.h"

#include <QPainter>
#include <QTextLayout>

#include <cmath>
#include <memory>
#include <vector>

namespace pf {

namespace {

bool bounded(qreal extent)
{
    return std::isfinite(extent) && extent > 0;
}

QFont fontOf(const QVariantMap& attributes)
{
    if (auto font = fromVariant<Ref<Font>>(attributes.value(kFontAttributeName)); font && font->isValid())
        return font->qFont();
    return Font::systemFont(Font::kSystemFontSize).qFont();
}

QTextCharFormat formatOf(const QVariantMap& attributes)
{
    QTextCharFormat format;
    const QFont font = fontOf(attributes);
    format.setFont(font);
    QColor foreground = Qt::black;
    if (auto colour = fromVariant<Ref<Color>>(attributes.value(kForegroundColorAttributeName)); colour && colour->isValid())
        foreground = colour->qColor();
    format.setForeground(foreground);
    if (auto background = fromVariant<Ref<Color>>(attributes.value(kBackgroundColorAttributeName)); background && background->isValid())
        format.setBackground(background->qColor());
    if (attributes.value(kUnderlineStyleAttributeName).toInt() != 0)
        format.setFontUnderline(true);
    if (attributes.value(kStrikethroughStyleAttributeName).toInt() != 0)
        format.setFontStrikeOut(true);
    if (attributes.contains(kKernAttributeName)) {
        format.setFontLetterSpacingType(QFont::AbsoluteSpacing);
        format.setFontLetterSpacing(attributes.value(kKernAttributeName).toDouble());
    }
    const double stroke = attributes.value(kStrokeWidthAttributeName).toDouble();
    if (stroke != 0) {
        QColor strokeColour = foreground;
        if (auto colour = fromVariant<Ref<Color>>(attributes.value(kStrokeColorAttributeName)); colour && colour->isValid())
            strokeColour = colour->qColor();
        format.setTextOutline(QPen(strokeColour, std::abs(stroke) * font.pointSizeF() / 100.0));
        // A positive width outlines only.
        if (stroke > 0)
            format.setForeground(Qt::transparent);
    }
    const int superscript = attributes.value(kSuperscriptAttributeName).toInt();
    if (superscript > 0)
        format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (superscript < 0)
        format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    return format;
}

Qt::Alignment alignmentOf(const ParagraphStyle& style)
{
    switch (style.alignment()) {
    case RightTextAlignment: return Qt::AlignRight;
    case CenterTextAlignment: return Qt::AlignHCenter;
    case JustifiedTextAlignment: return Qt::AlignJustify;
    default: return style.baseWritingDirection() == WritingDirectionRightToLeft ? Qt::AlignRight : Qt::AlignLeft;
    }
}

TextTruncation::Position truncationOf(int mode)
{
    switch (mode) {
    case LineBreakByTruncatingHead: return TextTruncation::Position::Head;
    case LineBreakByTruncatingMiddle: return TextTruncation::Position::Middle;
    default: return TextTruncation::Position::Tail;
    }
}

// Lines laid out for measuring or drawing, each its own layout so that a cut line can be
// replaced by its shortened text.
struct Layout {
    std::vector<std::unique_ptr<QTextLayout>> lines;
    QSizeF size{0, 0};
};

std::unique_ptr<QTextLayout> oneLine(const QString& text, const QList<QTextLayout::FormatRange>& formats,
                                     const QTextOption& option, qreal width, qreal* height, qreal* advance)
{
    auto layout = std::make_unique<QTextLayout>(text);
    layout->setFormats(formats);
    layout->setTextOption(option);
    layout->beginLayout();
    QTextLine line = layout->createLine();
    if (line.isValid()) {
        if (bounded(width))
            line.setLineWidth(width);
        else
            line.setNumColumns(int(text.size()) + 1);
    }
    layout->endLayout();
    *height = line.isValid() ? line.height() : 0;
    *advance = line.isValid() ? line.naturalTextWidth() : 0;
    return layout;
}

Layout layOut(const AttributedString& string, QSizeF maxSize, unsigned options)
{
    Layout result;
    if (string.isEmpty())
        return result;
    auto styleObject = fromVariant<Ref<ParagraphStyle>>(string.attributeAtIndex(kParagraphStyleAttributeName, 0));
    const ParagraphStyle style = styleObject ? *styleObject : ParagraphStyle();
    const bool singleLine = !(options & StringDrawing::UsesLineFragmentOrigin);
    const qreal width = singleLine ? 0 : maxSize.width();
    const qreal maxHeight = singleLine ? 0 : maxSize.height();

    QString text = string.string();
    for (QChar& c : text) {
        if (c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator)
            c = singleLine ? QChar(u' ') : QChar::LineSeparator;
    }
    QList<QTextLayout::FormatRange> formats;
    qsizetype start = 0;
    for (const AttributedString::Run& run : string.runs()) {
        formats.append(QTextLayout::FormatRange{int(start), int(run.length), formatOf(run.attributes)});
        start += run.length;
    }
    QTextOption option(alignmentOf(style));
    const bool truncating = style.isTruncating() && bounded(width);
    const bool wraps = bounded(width) && !truncating && style.lineBreakMode() != LineBreakByClipping;
    option.setWrapMode(!wraps ? QTextOption::NoWrap
                       : style.lineBreakMode() == LineBreakByCharWrapping ? QTextOption::WrapAnywhere
                                                                           : QTextOption::WrapAtWordBoundaryOrAnywhere);
    if (style.baseWritingDirection() == WritingDirectionRightToLeft)
        option.setTextDirection(Qt::RightToLeft);

    // Paragraphs one by one, and the lines of each: every line is laid out alone, so that a
    // truncated one can be replaced by its cut text.
    QTextLayout whole(text);
    whole.setFormats(formats);
    whole.setTextOption(option);
    whole.beginLayout();
    std::vector<std::pair<int, int>> spans; // line start, length
    for (QTextLine line = whole.createLine(); line.isValid(); line = whole.createLine()) {
        if (bounded(width))
            line.setLineWidth(width);
        else
            line.setNumColumns(int(text.size()) + 1);
        spans.emplace_back(line.textStart(), line.textLength());
    }
    whole.endLayout();

    qreal y = 0;
    for (size_t i = 0; i < spans.size(); ++i) {
        const auto [lineStart, lineLength] = spans[i];
        QString lineText = text.mid(lineStart, lineLength);
        while (!lineText.isEmpty() && lineText.back() == QChar::LineSeparator)
            lineText.chop(1);
        QList<QTextLayout::FormatRange> lineFormats;
        for (const auto& range : formats) {
            const int s = std::max(range.start, lineStart);
            const int e = std::min(range.start + range.length, lineStart + int(lineText.size()));
            if (e > s)
                lineFormats.append(QTextLayout::FormatRange{s - lineStart, e - s, range.format});
        }
        qreal height = 0;
        qreal advance = 0;
        auto line = oneLine(lineText, lineFormats, option, width, &height, &advance);
        const bool last = i + 1 == spans.size();
        const bool nextFits = !bounded(maxHeight) || last
            || y + height + style.lineSpacing() + line->lineAt(0).height() <= maxHeight;
        const bool cutHere = (truncating && advance > width)
            || ((options & StringDrawing::TruncatesLastVisibleLine) && bounded(width) && !last && !nextFits);
        if (cutHere) {
            // The rest of the text from here, shortened to the line in its first attributes.
            const QString rest = text.mid(lineStart).replace(QChar::LineSeparator, u' ');
            const QTextCharFormat format = lineFormats.isEmpty() ? formatOf({}) : lineFormats.first().format;
            const QString cut = TextTruncation::truncated(truncating ? lineText : rest, format.font(), width,
                                                          truncationOf(style.isTruncating() ? style.lineBreakMode()
                                                                                            : LineBreakByTruncatingTail));
            line = oneLine(cut, {QTextLayout::FormatRange{0, int(cut.size()), format}}, option, width, &height, &advance);
        }
        if (bounded(maxHeight) && y + height > maxHeight && !result.lines.empty())
            break;
        line->lineAt(0).setPosition(QPointF(0, y));
        result.size.setWidth(std::max(result.size.width(), advance));
        result.size.setHeight(y + height);
        y += height + style.lineSpacing();
        result.lines.push_back(std::move(line));
        if (cutHere && !truncating)
            break;
    }
    result.size = QSizeF(std::ceil(result.size.width()), std::ceil(result.size.height()));
    return result;
}

} // namespace

QSizeF StringDrawing::size(const AttributedString& string, QSizeF maxSize, unsigned options)
{
    return layOut(string, maxSize, options).size;
}

void StringDrawing::draw(QPainter& painter, const AttributedString& string, QPointF point)
{
    const Layout layout = layOut(string, QSizeF(), UsesLineFragmentOrigin);
    for (const auto& line : layout.lines)
        line->draw(&painter, point);
}

void StringDrawing::draw(QPainter& painter, const AttributedString& string, const QRectF& rect, unsigned options)
{
    const Layout layout = layOut(string, rect.size(), options | UsesLineFragmentOrigin);
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    for (const auto& line : layout.lines)
        line->draw(&painter, rect.topLeft());
    painter.restore();
}

} // namespace pf
