#include "widgets/RVScrollwheelStep.h"

#include <cmath>

std::optional<double> RVScrollwheelStep::valueAfterScroll(double value, double deltaY, double minValue,
                                                          double maxValue, bool wraps)
{
    // A horizontal scroll or a momentum tail of zero is no change (and sends no action).
    if (deltaY == 0 || !std::isfinite(deltaY))
        return std::nullopt;
    const float step = float(deltaY) * float(maxValue - minValue) / 100.0f;
    double result = value + step;
    if (wraps) {
        if (result < minValue)
            result = maxValue - std::abs(step);
        else if (result > maxValue)
            result = minValue + std::abs(step);
    }
    return result;
}
