#pragma once

#include <optional>

// How the scroll wheel moves the value of a slider or stepper: each notch moves it by a
// hundredth of the range; a control whose value wraps comes round past either end.
class RVScrollwheelStep {
public:
    // The new value, or none when the wheel did not move vertically.
    static std::optional<double> valueAfterScroll(double value, double deltaY, double minValue, double maxValue,
                                                  bool wraps);
};
