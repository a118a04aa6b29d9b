#include "widgets/BFColorPickerPopover.h"

#include "widgets/BFColorPickerViewController.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/ColorPanel.h"
#include "platform/ui/ColorWell.h"

PF_DEFINE_CLASS(BFColorPickerPopover, pf::Popover)
{
    b.method("cancelOperation:", &BFColorPickerPopover::cancelOperation);
}

BFColorPickerPopover::BFColorPickerPopover()
{
    setBehavior(Semitransient);
    // However it closes (a click outside, the platform), a standard close ends the
    // observation and forgets the target as close() does.
    mCloseObservation = pf::NotificationCenter::defaultCenter().addObserver(
        pf::NSPopoverDidCloseNotification, this, [this](const pf::Notification& note) {
            if (note.userInfo.value(pf::NSPopoverCloseReasonKey).toString() != pf::NSPopoverCloseReasonStandard)
                return;
            removeTargetAndAction();
            setObservingColor(false);
        });
}

BFColorPickerPopover::~BFColorPickerPopover()
{
    pf::NotificationCenter::defaultCenter().removeObserver(mCloseObservation);
    setObservingColor(false);
}

BFColorPickerPopover* BFColorPickerPopover::sharedPopover()
{
    // Kept for the life of the process, past the application object: never destroyed.
    static const pf::Ref<BFColorPickerPopover>* popover = new pf::Ref<BFColorPickerPopover>(std::make_shared<BFColorPickerPopover>());
    return popover->get();
}

pf::ColorPanel* BFColorPickerPopover::colorPanel() const
{
    if (auto controller = std::dynamic_pointer_cast<BFColorPickerViewController>(contentViewController()))
        return controller->colorPanel();
    return mColorPanel;
}

pf::Color BFColorPickerPopover::color() const
{
    if (pf::ColorPanel* panel = colorPanel())
        return panel->color();
    return mColor;
}

void BFColorPickerPopover::setColor(const pf::Color& colour)
{
    mColor = colour;
    if (isShown()) {
        if (pf::ColorPanel* panel = colorPanel())
            panel->setColor(colour);
    }
}

void BFColorPickerPopover::showRelativeToRect(const QRectF& rect, QWidget* view, int edge)
{
    if (isShown()) {
        pf::Reflective* keptTarget = target();
        const QString keptAction = action();
        const bool animated = animates();
        setAnimates(false);
        close();
        setAnimates(animated);
        setTarget(keptTarget);
        setAction(keptAction);
    }
    setContentViewController(std::make_shared<BFColorPickerViewController>());
    pf::Popover::showRelativeToRect(rect, view, edge);
    if (pf::ColorPanel* panel = colorPanel())
        panel->setColor(mColor);
    setObservingColor(true);
}

void BFColorPickerPopover::close()
{
    closeAndDeactivateColorWell(true, true, true);
}

void BFColorPickerPopover::cancelOperation(const QVariant&)
{
    close();
}

void BFColorPickerPopover::closeAndDeactivateColorWell(bool deactivateWell, bool removeTarget, bool removeObserver)
{
    if (removeTarget)
        removeTargetAndAction();
    if (removeObserver)
        setObservingColor(false);
    pf::ColorPanel* panel = colorPanel();
    const pf::Color colour = panel ? panel->color() : pf::Color();
    if (deactivateWell) {
        pf::Popover::close();
    } else {
        // The pickers go on elsewhere (torn off): the served well stays active.
        closeWithReason(pf::NSPopoverCloseReasonDetachToWindow);
    }
    if (panel && colour.isValid())
        panel->setColor(colour);
    if (deactivateWell)
        deactivateColorWell();
}

void BFColorPickerPopover::removeTargetAndAction()
{
    mTarget = pf::ActionTarget();
    mAction.clear();
}

void BFColorPickerPopover::deactivateColorWell()
{
    QPointer<pf::ColorWell> well = mColorWell;
    mColorWell = nullptr;
    if (well)
        well->deactivate();
}

void BFColorPickerPopover::setObservingColor(bool observing)
{
    if (observing == mObservingColor)
        return;
    pf::ColorPanel* panel = colorPanel();
    if (observing) {
        if (!panel)
            return;
        panel->addObserver(this, QStringLiteral("color"), pf::ObservingNew, this);
        mColorPanel = panel;
    } else if (mColorPanel) {
        mColorPanel->removeObserver(this, QStringLiteral("color"), this);
    }
    mObservingColor = observing;
}

void BFColorPickerPopover::observeValueForKeyPath(const QString& keyPath, pf::Reflective* object, const QVariantMap&,
                                                  void* context)
{
    if (context != this || keyPath != QLatin1String("color") || !mColorPanel || object != mColorPanel)
        return;
    mColor = mColorPanel->color();
    pf::Reflective* receiver = target();
    if (receiver && !mAction.isEmpty() && receiver->respondsTo(mAction))
        receiver->perform(mAction, {pf::toVariant(ref())});
}
