#include "widgets/RVScrollwheelSlider.h"

#include "widgets/RVScrollwheelStep.h"

#include "platform/ui/Event.h"

PF_DEFINE_CLASS(RVScrollwheelSlider, pf::Slider) {}

RVScrollwheelSlider::RVScrollwheelSlider(QWidget* parent)
    : pf::Slider(parent)
{
}

void RVScrollwheelSlider::scrollWheel(const pf::Event& event)
{
    if (!isEnabled())
        return;
    const auto value = RVScrollwheelStep::valueAfterScroll(doubleValue(), event.deltaY, minValue(), maxValue(),
                                                           sliderType() == pf::SliderType::Circular);
    if (!value)
        return;
    setDoubleValue(*value);
    sendAction();
}
