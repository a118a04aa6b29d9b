#pragma once

#include <QFont>
#include <QSizeF>
#include <QString>

namespace pf {

// The space a plain string takes in a font. Heights count whole lines at the font's line
// spacing, so stacked measurements line up with text drawn line by line; widths are the widest
// line's advance. An empty string takes no space and has no lines.
class TextMeasurement {
public:
    struct Extent {
        QSizeF size{0, 0};
        int lineCount = 0;
    };

    // The string laid out on a single line. Line and paragraph breaks in it count as spaces,
    // because a one-line label shows them that way rather than starting a new line.
    static Extent singleLine(const QString& text, const QFont& font);

    // The string wrapped to `maxWidth`: at word boundaries, and inside a word only where the word
    // alone is wider than the line (never inside a grapheme cluster). Line and paragraph breaks
    // start new lines; a trailing break ends with an empty line. A `maxWidth` that is not a
    // positive finite number sets no limit, so only the breaks in the text start lines.
    static Extent wrapped(const QString& text, const QFont& font, qreal maxWidth);
};

} // namespace pf
