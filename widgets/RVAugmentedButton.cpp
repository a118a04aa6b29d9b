#include "widgets/RVAugmentedButton.h"

#include "widgets/RVAugmentedButtonDelegate.h"

#include "platform/ui/Popover.h"
#include "platform/ui/ViewController.h"

PF_DEFINE_CLASS(RVAugmentedButton, pf::Button) {}

namespace {

// The layers panel's opacity popover controller (of the inspectors, which this layer may not
// name) is known by the two operations through which it takes the button's action and target.
const QString kSetControlsAction = QStringLiteral("setControlsAction:");
const QString kSetTarget = QStringLiteral("setTarget:");

// Objects travel by name-built calls as a Ref, widgets as their QObject.
QVariant targetAsVariant(pf::Reflective* target)
{
    if (auto* object = dynamic_cast<pf::Object*>(target)) {
        if (auto ref = object->weak_from_this().lock())
            return QVariant::fromValue(ref);
    }
    if (auto* widget = dynamic_cast<QObject*>(target))
        return QVariant::fromValue(widget);
    return {};
}

} // namespace

RVAugmentedButton::RVAugmentedButton(QWidget* parent)
    : pf::Button(parent)
{
}

RVAugmentedButton::RVAugmentedButton(const QRectF& frame, QWidget* parent)
    : pf::Button(frame, parent)
{
}

pf::Ref<pf::Popover> RVAugmentedButton::popover()
{
    if (auto popover = mPopover.lock())
        return popover;
    if (!mDelegate)
        return nullptr;
    auto popover = mDelegate->popoverForAugmentedButton(*this);
    mPopover = popover;
    return popover;
}

void RVAugmentedButton::mouseDown(const pf::Event& event)
{
    if (event.modifierFlags & pf::ControlKeyMask) {
        rightMouseDown(event);
        return;
    }
    pf::Button::mouseDown(event);
}

void RVAugmentedButton::rightMouseDown(const pf::Event&)
{
    prepareAndShowPopover();
}

void RVAugmentedButton::prepareAndShowPopover()
{
    auto shown = popover();
    if (!shown)
        return;
    shown->setBehavior(pf::Popover::Transient);
    if (auto controller = shown->contentViewController()) {
        if (controller->respondsTo(kSetControlsAction) && controller->respondsTo(kSetTarget)) {
            controller->perform(kSetControlsAction, {mPopoverAction});
            controller->perform(kSetTarget, {targetAsVariant(popoverTarget())});
        }
    }
    if (mDelegate)
        mDelegate->augmentedButtonWillShowPopover(*this);
    shown->showRelativeToRect(bounds(), this, int(mPreferredEdge));
}
