// The value rules of sliders and steppers (wrapping, clamping, snapping to ticks) and their
// clicks.
#include "platform/ui/Slider.h"
#include "platform/ui/Stepper.h"
#include "tests/platform/ui/ControlTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(SliderStepperTest, SliderValuesClampOrWrapAndSnapToTicks)
{
    const struct {
        pf::SliderType type;
        double min, max;
        int ticks;
        bool ticksOnly;
        double set;
        double expected;
    } cases[] = {
        {pf::SliderType::Linear, 0, 1, 0, false, 1.5, 1.0},
        {pf::SliderType::Linear, 0, 1, 0, false, -2, 0.0},
        {pf::SliderType::Linear, 0, 100, 5, true, 60, 50.0},
        {pf::SliderType::Linear, 0, 100, 5, true, 63, 75.0},
        {pf::SliderType::Linear, 0, 100, 5, false, 63, 63.0},
        {pf::SliderType::Circular, 0, 360, 0, false, 370, 10.0},
        {pf::SliderType::Circular, 0, 360, 0, false, -90, 270.0},
        {pf::SliderType::Circular, 0, 360, 0, false, 360, 0.0},
        {pf::SliderType::Circular, 0, 360, 5, true, 350, 0.0}, // the last tick of a ring is its first
        {pf::SliderType::Linear, 5, 5, 0, false, 9, 5.0},      // an empty range keeps its minimum
    };
    for (const auto& c : cases) {
        pf::Slider slider;
        slider.setSliderType(c.type);
        slider.setMinValue(c.min);
        slider.setMaxValue(c.max);
        slider.setNumberOfTickMarks(c.ticks);
        slider.setAllowsTickMarkValuesOnly(c.ticksOnly);
        slider.setDoubleValue(c.set);
        EXPECT_DOUBLE_EQ(slider.doubleValue(), c.expected) << int(c.type) << " " << c.set;
    }
}

TEST(SliderStepperTest, StepperWrapsOrStopsAtTheEnds)
{
    const struct {
        double value, increment, min, max;
        bool wraps, up;
        double expected;
    } cases[] = {
        {5, 1, 0, 10, true, true, 6},   {10, 1, 0, 10, true, true, 0}, {0, 1, 0, 10, true, false, 10},
        {10, 1, 0, 10, false, true, 10}, {0, 1, 0, 10, false, false, 0}, {9.5, 1, 0, 10, false, true, 10},
        {0.5, 0.25, 0, 1, true, false, 0.25},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(pf::Stepper::steppedValue(c.value, c.increment, c.min, c.max, c.wraps, c.up), c.expected)
            << c.value << (c.up ? " up" : " down") << (c.wraps ? " wrapping" : "");
}

TEST(SliderStepperTest, TickMarkValuesSpreadOverTheRange)
{
    pf::Slider slider;
    slider.setMinValue(10);
    slider.setMaxValue(20);
    slider.setNumberOfTickMarks(3);
    EXPECT_DOUBLE_EQ(slider.tickMarkValueAtIndex(0), 10);
    EXPECT_DOUBLE_EQ(slider.tickMarkValueAtIndex(1), 15);
    EXPECT_DOUBLE_EQ(slider.tickMarkValueAtIndex(2), 20);
    EXPECT_DOUBLE_EQ(slider.closestTickMarkValueToValue(17.4), 15);
}

TEST(SliderStepperTest, ClicksMoveTheValueAndSendTheAction)
{
    quillory::test::ActiveWindow active;
    auto* stepper = new pf::Stepper(active.window.get());
    stepper->setFrame(QRectF(0, 0, 15, 22));
    stepper->setMaxValue(3);
    stepper->setDoubleValue(3);
    stepper->setAction(QStringLiteral("takeValue:"));
    stepper->show();
    // The upper half (small Qt y) steps up and wraps past the maximum.
    quillory::test::click(stepper, QPointF(7, 4));
    EXPECT_DOUBLE_EQ(stepper->doubleValue(), 0);
    quillory::test::click(stepper, QPointF(7, 18));
    EXPECT_DOUBLE_EQ(stepper->doubleValue(), 3);
    EXPECT_EQ(active.recorder->actions.size(), 2);

    auto* slider = new pf::Slider(active.window.get());
    slider->setFrame(QRectF(0, 40, 110, 20));
    slider->setMaxValue(100);
    slider->setAction(QStringLiteral("otherAction:"));
    slider->show();
    // The knob's half width is kept clear at each end of the track.
    quillory::test::pressDragRelease(slider, QPointF(5, 10), QPointF(105, 10));
    EXPECT_DOUBLE_EQ(slider->doubleValue(), 100);
    EXPECT_TRUE(active.recorder->actions.contains(QStringLiteral("otherAction:")));
}

TEST(SliderStepperTest, CircularSliderReadsAnglesClockwiseFromTheTop)
{
    pf::Slider slider;
    slider.setSliderType(pf::SliderType::Circular);
    slider.setMaxValue(360);
    slider.setFrame(QRectF(0, 0, 40, 40));
    // Unflipped: the top is the high y.
    EXPECT_NEAR(slider.valueForPoint(QPointF(20, 39)), 0, 1e-9);
    EXPECT_NEAR(slider.valueForPoint(QPointF(39, 20)), 90, 1e-9);
    EXPECT_NEAR(slider.valueForPoint(QPointF(20, 1)), 180, 1e-9);
    EXPECT_NEAR(slider.valueForPoint(QPointF(1, 20)), 270, 1e-9);
}

} // namespace
