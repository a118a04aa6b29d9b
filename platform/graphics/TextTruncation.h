#pragma once

#include <QFont>
#include <QString>

namespace pf {

// Shortens a string to a width on one line by replacing part of it with an ellipsis "…".
// Cuts fall only between grapheme clusters, so an accented letter, a surrogate pair or an
// emoji sequence is kept whole or dropped whole. The result always fits the width: a string
// that fits comes back unchanged, and when even the ellipsis alone is wider than the width the
// answer is empty (drawing an ellipsis there would overflow, which is what truncation exists
// to prevent). Widths are measured as TextMeasurement::singleLine does.
class TextTruncation {
public:
    enum class Position {
        Head,   // "…end of the text"
        Middle, // "start…end"
        Tail,   // "start of the text…"
    };

    static QString ellipsis();

    static QString truncated(const QString& text, const QFont& font, qreal width, Position position);
};

} // namespace pf
