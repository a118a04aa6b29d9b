#pragma once

#include "platform/ui/ActionTarget.h"
#include "platform/ui/ViewController.h"

#include <QPointer>

namespace pf {
class Slider;
class Stepper;
}

// The content of the layers panel's opacity popover: a slider and a stepper over 0 ... 1 that
// send their action to the layer cell that opened the popover.
class VNQLLayerOpacityPopoverController : public pf::ViewController {
    PF_CLASS(VNQLLayerOpacityPopoverController)
public:
    VNQLLayerOpacityPopoverController();

    pf::Slider* slider();
    pf::Stepper* stepper();
    pf::Reflective* target() const { return mTarget.get(); }
    // Stores the target and makes it the target of both controls.
    void setTarget(pf::Reflective* target);
    void setControlsTarget(pf::Reflective* target);
    void setControlsAction(const QString& action);
    void setControlsValue(double value);

    void loadView() override;

private:
    QPointer<pf::Slider> mSlider;
    QPointer<pf::Stepper> mStepper;
    pf::ActionTarget mTarget;
};
