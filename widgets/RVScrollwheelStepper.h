#pragma once

#include "platform/ui/Stepper.h"

// A stepper the scroll wheel moves; one whose value wraps comes round past its ends.
class RVScrollwheelStepper : public pf::Stepper {
    Q_OBJECT
    PF_CLASS(RVScrollwheelStepper)
public:
    explicit RVScrollwheelStepper(QWidget* parent = nullptr);

    void scrollWheel(const pf::Event& event) override;
};
