#include "widgets/RVScrollwheelStepper.h"

#include "widgets/RVScrollwheelStep.h"

#include "platform/ui/Event.h"

PF_DEFINE_CLASS(RVScrollwheelStepper, pf::Stepper) {}

RVScrollwheelStepper::RVScrollwheelStepper(QWidget* parent)
    : pf::Stepper(parent)
{
}

void RVScrollwheelStepper::scrollWheel(const pf::Event& event)
{
    if (!isEnabled())
        return;
    const auto value =
        RVScrollwheelStep::valueAfterScroll(doubleValue(), event.deltaY, minValue(), maxValue(), valueWraps());
    if (!value)
        return;
    setDoubleValue(*value);
    sendAction();
}
