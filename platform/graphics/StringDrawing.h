#pragma once

#include "platform/graphics/AttributedString.h"

#include <QRectF>
#include <QSizeF>

class QPainter;

namespace pf {

// Measures and draws attributed strings with QTextLayout: each run's font, colours,
// underline, strikethrough, kern, outline stroke and super/subscript become its character
// format; the paragraph style of the first character sets alignment, line breaking and line
// spacing. Truncating line-break modes keep each paragraph on one line and cut it with an
// ellipsis at the head, middle or tail; a cut line is drawn in the attributes of its first
// character. Rectangles and points are in the painter's coordinates, y down, the origin at the
// top-left of the text.
class StringDrawing {
public:
    // Options with the platform's values.
    enum Option : unsigned {
        UsesLineFragmentOrigin = 1u << 0,
        UsesFontLeading = 1u << 1,
        TruncatesLastVisibleLine = 1u << 5,
    };

    // The size the string takes within `maxSize` (a width or height that is not positive
    // sets no limit). Without UsesLineFragmentOrigin the string is one line, breaks
    // included.
    static QSizeF size(const AttributedString& string, QSizeF maxSize = {}, unsigned options = UsesLineFragmentOrigin);

    // Draws the string at `point` on unbounded lines.
    static void draw(QPainter& painter, const AttributedString& string, QPointF point);
    // Draws the lines that fit `rect`; with TruncatesLastVisibleLine a last line with text
    // left over ends in an ellipsis.
    static void draw(QPainter& painter, const AttributedString& string, const QRectF& rect,
                     unsigned options = UsesLineFragmentOrigin);
};

} // namespace pf
