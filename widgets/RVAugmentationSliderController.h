#pragma once

#include "platform/ui/ViewController.h"

#include <QPointer>

class RVAugmentedTextField;

namespace pf {
class Slider;
class Stepper;
}

// The content of an augmented text field's popover: a slider and, optionally, a stepper bound
// to the field's value.
class RVAugmentationSliderController : public pf::ViewController {
    PF_CLASS(RVAugmentationSliderController)
public:
    RVAugmentationSliderController() = default;

    // A maximum of exactly 1 makes the stepper step by 0.01.
    void setSliderMaximumValue(double value);
    void setSliderMinimumValue(double value);
    double sliderMaximumValue() const;
    double sliderMinimumValue() const;
    // Ignored while the controller itself is handing a value to the field.
    void setSliderValue(double value);
    double sliderValue() const;
    // The slider or stepper moved: the other follows, then the field takes the value.
    void sliderAction(const QVariant& sender);

    RVAugmentedTextField* textField() const { return mTextField; }
    void setTextField(RVAugmentedTextField* field) { mTextField = field; }
    pf::Slider* sliderControl() const { return mSlider; }
    void setSliderControl(pf::Slider* slider) { mSlider = slider; }
    pf::Stepper* stepperControl() const { return mStepper; }
    void setStepperControl(pf::Stepper* stepper) { mStepper = stepper; }

private:
    QPointer<pf::Slider> mSlider;
    QPointer<pf::Stepper> mStepper;
    QPointer<RVAugmentedTextField> mTextField;
    bool mSettingValue = false;
};
