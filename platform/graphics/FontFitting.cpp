#include "platform/graphics/FontFitting.h"

#include "platform/graphics/TextMeasurement.h"

#include <cmath>

namespace pf {

qreal FontFitting::fittedPointSize(const QString& text, const QFont& font, const QSizeF& box, Lines lines,
                                   qreal minimum, qreal maximum)
{
    if (!(minimum >= kSmallestPointSize))
        minimum = kSmallestPointSize;
    if (minimum > kLargestPointSize)
        minimum = kLargestPointSize;
    if (!(maximum >= minimum))
        return minimum;
    if (maximum > kLargestPointSize)
        maximum = kLargestPointSize;

    // Candidates are minimum + step / 10; computing them from tenths keeps sizes such as 12.3
    // exact rather than the sum of repeated 0.1 steps.
    const auto sizeAt = [&](int step) { return (minimum * 10 + step) / 10; };
    // At the smallest sizes a font may measure as nothing at all; text still needs some room.
    if (!text.isEmpty() && !(box.width() > 0 && box.height() > 0))
        return minimum;
    const auto fitsAt = [&](int step) {
        QFont sized = font;
        sized.setPointSizeF(sizeAt(step));
        const TextMeasurement::Extent extent = lines == Lines::Wrapped
            ? TextMeasurement::wrapped(text, sized, box.width())
            : TextMeasurement::singleLine(text, sized);
        return extent.size.width() <= box.width() && extent.size.height() <= box.height();
    };

    const int steps = int(std::floor((maximum - minimum) * 10 + 1e-9));
    if (!fitsAt(0))
        return minimum;
    if (fitsAt(steps))
        return sizeAt(steps);
    // Text grows with its size, so the fitting sizes form a run from the minimum; look for its end.
    int fitting = 0;
    int tooLarge = steps;
    while (tooLarge - fitting > 1) {
        const int step = fitting + (tooLarge - fitting) / 2;
        if (fitsAt(step))
            fitting = step;
        else
            tooLarge = step;
    }
    return sizeAt(fitting);
}

} // namespace pf
