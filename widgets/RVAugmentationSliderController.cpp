#include "widgets/RVAugmentationSliderController.h"

#include "widgets/RVAugmentedTextField.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Stepper.h"

PF_DEFINE_CLASS(RVAugmentationSliderController, pf::ViewController)
{
    b.method("sliderAction:", &RVAugmentationSliderController::sliderAction);
}

void RVAugmentationSliderController::setSliderMaximumValue(double value)
{
    if (mSlider)
        mSlider->setMaxValue(value);
    if (mStepper) {
        mStepper->setMaxValue(value);
        if (value == 1.0)
            mStepper->setIncrement(0.01);
    }
}

void RVAugmentationSliderController::setSliderMinimumValue(double value)
{
    if (mSlider)
        mSlider->setMinValue(value);
    if (mStepper)
        mStepper->setMinValue(value);
}

double RVAugmentationSliderController::sliderMaximumValue() const
{
    return mSlider ? mSlider->maxValue() : 0.0;
}

double RVAugmentationSliderController::sliderMinimumValue() const
{
    return mSlider ? mSlider->minValue() : 0.0;
}

void RVAugmentationSliderController::setSliderValue(double value)
{
    if (mSettingValue)
        return;
    if (mSlider)
        mSlider->setDoubleValue(value);
    if (mStepper)
        mStepper->setDoubleValue(value);
}

double RVAugmentationSliderController::sliderValue() const
{
    return mSlider ? mSlider->doubleValue() : 0.0;
}

void RVAugmentationSliderController::sliderAction(const QVariant& sender)
{
    pf::Control* control = pf::Control::fromSender(sender);
    if (!control)
        return;
    mSettingValue = true;
    if (control == mSlider && mStepper)
        mStepper->setDoubleValue(control->doubleValue());
    else if (control == mStepper && mSlider)
        mSlider->setDoubleValue(control->doubleValue());
    if (mTextField)
        mTextField->sliderOrStepperAction(sender);
    mSettingValue = false;
}
