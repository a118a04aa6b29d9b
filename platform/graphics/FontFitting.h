#pragma once

#include <QFont>
#include <QSizeF>
#include <QString>

namespace pf {

// The largest point size at which a string fits a box, found by search in steps of 0.1 pt
// from the minimum up to the maximum. Only the font's point size changes; its family, weight
// and style are kept. When nothing fits the answer is the minimum, so callers always get a
// usable size; an empty string fits any box that is not negative, and so answers the maximum.
class FontFitting {
public:
    enum class Lines {
        Single,  // on one line, as TextMeasurement::singleLine measures it
        Wrapped, // wrapped to the box's width, as TextMeasurement::wrapped measures it
    };

    // Sizes outside these are not searched: below the smallest a font has no usable size, and
    // above the largest the step count would be unbounded for an infinite maximum.
    static constexpr qreal kSmallestPointSize = 0.1;
    static constexpr qreal kLargestPointSize = 10000;

    // A minimum below kSmallestPointSize (or not a number) is raised to it, a maximum above
    // kLargestPointSize is lowered to it, and a maximum below the minimum (or not a number)
    // answers the minimum.
    static qreal fittedPointSize(const QString& text, const QFont& font, const QSizeF& box, Lines lines,
                                 qreal minimum, qreal maximum);
};

} // namespace pf
