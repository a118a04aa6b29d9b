#include "platform/graphics/TextMeasurement.h"

#include <QFontMetricsF>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace pf {

namespace {

bool isBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar(0x0085) || c == QChar::LineSeparator
        || c == QChar::ParagraphSeparator;
}

// QTextLayout breaks lines only at U+2028, so every kind of break is turned into that (or into a
// space for one-line text). A CR LF pair is one break.
QString withBreaksAs(const QString& text, QChar replacement)
{
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QString(replacement));
    for (QChar& c : result) {
        if (isBreak(c))
            c = replacement;
    }
    return result;
}

TextMeasurement::Extent layOut(const QString& text, const QFont& font, QTextOption::WrapMode wrapMode,
                               qreal lineWidth)
{
    if (text.isEmpty())
        return {};
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(wrapMode);
    layout.setTextOption(option);
    qreal widest = 0;
    int lines = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(lineWidth);
        widest = std::max(widest, line.naturalTextWidth());
        ++lines;
    }
    layout.endLayout();
    return {QSizeF(widest, lines * QFontMetricsF(font).lineSpacing()), lines};
}

} // namespace

TextMeasurement::Extent TextMeasurement::singleLine(const QString& text, const QFont& font)
{
    return layOut(withBreaksAs(text, u' '), font, QTextOption::NoWrap, 0);
}

TextMeasurement::Extent TextMeasurement::wrapped(const QString& text, const QFont& font, qreal maxWidth)
{
    const QString lines = withBreaksAs(text, QChar::LineSeparator);
    if (!(std::isfinite(maxWidth) && maxWidth > 0))
        return layOut(lines, font, QTextOption::NoWrap, 0);
    return layOut(lines, font, QTextOption::WrapAtWordBoundaryOrAnywhere, maxWidth);
}

} // namespace pf
