#pragma once

#include "platform/ui/Slider.h"

// A slider the scroll wheel moves; a circular one comes round past its ends.
class RVScrollwheelSlider : public pf::Slider {
    Q_OBJECT
    PF_CLASS(RVScrollwheelSlider)
public:
    explicit RVScrollwheelSlider(QWidget* parent = nullptr);

    void scrollWheel(const pf::Event& event) override;
};
