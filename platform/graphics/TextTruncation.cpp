#include "platform/graphics/TextTruncation.h"

#include "platform/graphics/TextMeasurement.h"

#include <QList>
#include <QTextBoundaryFinder>

namespace pf {

namespace {

// The offsets at which the text may be cut: 0, every grapheme boundary, and the length.
QList<int> graphemeBoundaries(const QString& text)
{
    QList<int> boundaries{0};
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype next = finder.toNextBoundary(); next != -1; next = finder.toNextBoundary())
        boundaries.append(int(next));
    if (boundaries.last() != text.size())
        boundaries.append(int(text.size()));
    return boundaries;
}

} // namespace

QString TextTruncation::ellipsis()
{
    return QString(QChar(0x2026));
}

QString TextTruncation::truncated(const QString& text, const QFont& font, qreal width, Position position)
{
    const auto fits = [&](const QString& candidate) {
        return TextMeasurement::singleLine(candidate, font).size.width() <= width;
    };
    if (text.isEmpty() || fits(text))
        return text;
    const QString mark = ellipsis();
    if (!fits(mark))
        return QString();

    const QList<int> boundaries = graphemeBoundaries(text);
    const int clusters = int(boundaries.size()) - 1;
    // The text with `kept` of its clusters left beside the ellipsis.
    const auto shortened = [&](int kept) {
        switch (position) {
        case Position::Head:
            return mark + text.mid(boundaries[clusters - kept]);
        case Position::Middle:
            return text.left(boundaries[(kept + 1) / 2]) + mark + text.mid(boundaries[clusters - kept / 2]);
        case Position::Tail:
            break;
        }
        return text.left(boundaries[kept]) + mark;
    };

    // Widths grow with the clusters kept, up to shaping and kerning; the search only ever
    // accepts a candidate it has measured to fit, so the answer fits even where they do not.
    int fitting = 0;
    int tooWide = clusters;
    while (tooWide - fitting > 1) {
        const int kept = fitting + (tooWide - fitting) / 2;
        if (fits(shortened(kept)))
            fitting = kept;
        else
            tooWide = kept;
    }
    return shortened(fitting);
}

} // namespace pf
