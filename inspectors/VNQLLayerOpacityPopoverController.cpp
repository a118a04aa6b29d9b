#include "inspectors/VNQLLayerOpacityPopoverController.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/TextField.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QWidget>

namespace {

// Objects arrive by name-built calls as a Ref, widgets as their QObject.
pf::Reflective* reflectiveFromVariant(const QVariant& value)
{
    if (pf::Ref<pf::Object> object = pf::objectFromVariant(value))
        return object.get();
    if (auto* qobject = value.value<QObject*>())
        return dynamic_cast<pf::Reflective*>(qobject);
    return nullptr;
}

} // namespace

PF_DEFINE_CLASS(VNQLLayerOpacityPopoverController, pf::ViewController)
{
    using Self = VNQLLayerOpacityPopoverController;
    b.method("setTarget:", std::function<QVariant(Self&, const QVariantList&)>([](Self& self, const QVariantList& args) {
        self.setTarget(reflectiveFromVariant(args.value(0)));
        return QVariant();
    }));
    b.method("setControlsTarget:",
             std::function<QVariant(Self&, const QVariantList&)>([](Self& self, const QVariantList& args) {
                 self.setControlsTarget(reflectiveFromVariant(args.value(0)));
                 return QVariant();
             }));
    b.method("setControlsAction:", &Self::setControlsAction);
    b.method("setControlsValue:", &Self::setControlsValue);
}

VNQLLayerOpacityPopoverController::VNQLLayerOpacityPopoverController() = default;

void VNQLLayerOpacityPopoverController::loadView()
{
    auto* root = new QWidget;
    auto* layout = new QHBoxLayout(root);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->addWidget(pf::TextField::label(QCoreApplication::translate("VNQLLayerOpacityPopoverController", "Opacity:"), root));
    mSlider = new pf::Slider(root);
    mSlider->setMinValue(0.0);
    mSlider->setMaxValue(1.0);
    mSlider->setContinuous(true);
    mSlider->setMinimumWidth(120);
    layout->addWidget(mSlider, 1);
    mStepper = new pf::Stepper(root);
    mStepper->setMinValue(0.0);
    mStepper->setMaxValue(1.0);
    mStepper->setIncrement(0.05);
    layout->addWidget(mStepper);
    setView(root);
}

pf::Slider* VNQLLayerOpacityPopoverController::slider()
{
    view();
    return mSlider;
}

pf::Stepper* VNQLLayerOpacityPopoverController::stepper()
{
    view();
    return mStepper;
}

void VNQLLayerOpacityPopoverController::setTarget(pf::Reflective* target)
{
    mTarget = pf::ActionTarget(target);
    setControlsTarget(target);
}

void VNQLLayerOpacityPopoverController::setControlsTarget(pf::Reflective* target)
{
    slider()->setTarget(target);
    stepper()->setTarget(target);
}

void VNQLLayerOpacityPopoverController::setControlsAction(const QString& action)
{
    slider()->setAction(action);
    stepper()->setAction(action);
}

void VNQLLayerOpacityPopoverController::setControlsValue(double value)
{
    slider()->setDoubleValue(value);
    stepper()->setDoubleValue(value);
}
