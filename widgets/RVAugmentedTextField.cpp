#include "widgets/RVAugmentedTextField.h"

#include "widgets/RVAugmentationSliderController.h"
#include "widgets/RVAugmentedTextFieldCell.h"
#include "widgets/RVAugmentedTextFieldEditor.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/NumberFormatter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Responder.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Stepper.h"

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS(RVAugmentedTextField, pf::TextField)
{
    b.method("sliderOrStepperAction:", &RVAugmentedTextField::sliderOrStepperAction);
    b.method("showPopover", &RVAugmentedTextField::showPopover);
}

namespace {

pf::Weak<pf::Popover>& currentPopover()
{
    static pf::Weak<pf::Popover> popover;
    return popover;
}

} // namespace

RVAugmentedTextField::RVAugmentedTextField(const QRectF& frame, QWidget* parent)
    : pf::TextField(std::make_shared<RVAugmentedTextFieldCell>(), parent)
{
    setFrame(frame);
    setEditable(true);
    setBezeled(true);
    setDrawsBackground(true);
    makePopover(0);
}

RVAugmentedTextField::~RVAugmentedTextField()
{
    if (mSliderPopover) {
        if (mSliderPopover->delegate() == this)
            mSliderPopover->setDelegate(nullptr);
        if (currentAugmentedPopover() == mSliderPopover.get())
            setCurrentAugmentedPopover(nullptr);
        if (mOwnsPopover)
            mSliderPopover->close();
    }
}

void RVAugmentedTextField::setAugmentedTextFieldPopoversEnabled(bool enabled)
{
    pf::UserDefaults::standard().setBool(enabled, kPopoversEnabledKey);
}

bool RVAugmentedTextField::augmentedTextFieldPopoversEnabled()
{
    return pf::UserDefaults::standard().boolForKey(kPopoversEnabledKey);
}

pf::Popover* RVAugmentedTextField::currentAugmentedPopover()
{
    return currentPopover().lock().get();
}

void RVAugmentedTextField::setCurrentAugmentedPopover(pf::Popover* popover)
{
    currentPopover() = popover ? popover->ref<pf::Popover>() : nullptr;
}

void RVAugmentedTextField::awakeFromNib(const pf::Ref<pf::Popover>& connectedPopover, unsigned options)
{
    if (connectedPopover) {
        if (mSliderPopover && mOwnsPopover)
            mSliderPopover->close();
        mSliderPopover = connectedPopover;
        mOwnsPopover = false;
        mSliderPopover->setDelegate(this);
    } else if (options != 0 || !mSliderPopover) {
        makePopover(options);
    }
    mMin = sliderMinimumValue();
    mMax = sliderMaximumValue();
    if (auto number = formatter())
        setLimitsFromFormatter(*number);
}

void RVAugmentedTextField::makePopover(unsigned options)
{
    const bool withStepper = options & kStepperOption;
    auto* content = new pf::View(QRectF(0, 0, 130, 23));
    const QRectF area(0, 0, withStepper ? 130 - 16 : 130, 23);
    auto controller = std::make_shared<RVAugmentationSliderController>();
    auto* slider = new pf::Slider;
    slider->setFrame(area.adjusted(3, 3, -3, -3));
    slider->setContinuous(true);
    slider->setMinValue(0);
    slider->setMaxValue(1);
    slider->setTarget(controller.get());
    slider->setAction(QStringLiteral("sliderAction:"));
    content->addSubview(slider);
    controller->setSliderControl(slider);
    if (withStepper) {
        auto* stepper = new pf::Stepper;
        stepper->setFrame(QRectF(area.width(), 0, 15, 23));
        stepper->setContinuous(true);
        stepper->setMinValue(0);
        stepper->setMaxValue(1);
        stepper->setIncrement(1);
        stepper->setTarget(controller.get());
        stepper->setAction(QStringLiteral("sliderAction:"));
        content->addSubview(stepper);
        controller->setStepperControl(stepper);
    }
    controller->setView(content);
    controller->setTextField(this);
    if (mSliderPopover && mOwnsPopover)
        mSliderPopover->close();
    mSliderPopover = std::make_shared<pf::Popover>();
    mSliderPopover->setContentViewController(controller);
    mSliderPopover->setBehavior(pf::Popover::Semitransient);
    mSliderPopover->setDelegate(this);
    mOwnsPopover = true;
}

void RVAugmentedTextField::setLimitsFromFormatter(const pf::NumberFormatter& formatter)
{
    double minimum = mOwnsPopover ? 0.0 : mMin;
    if (formatter.minimum())
        minimum = *formatter.minimum();
    double maximum = mMax;
    if (formatter.maximum()) {
        maximum = *formatter.maximum();
        if (maximum == 0)
            maximum = 100;
    } else if (mOwnsPopover) {
        maximum = formatter.style() == pf::NumberFormatter::Style::Percent ? 1.0 : 1000.0;
    }
    setSliderMinimumValue(minimum);
    setSliderMaximumValue(maximum);
}

RVAugmentationSliderController* RVAugmentedTextField::sliderController() const
{
    return mSliderPopover ? dynamic_cast<RVAugmentationSliderController*>(mSliderPopover->contentViewController().get())
                          : nullptr;
}

void RVAugmentedTextField::setSliderMinimumValue(double value)
{
    if (auto* controller = sliderController())
        controller->setSliderMinimumValue(value);
}

void RVAugmentedTextField::setSliderMaximumValue(double value)
{
    if (auto* controller = sliderController())
        controller->setSliderMaximumValue(value);
}

double RVAugmentedTextField::sliderMinimumValue() const
{
    auto* controller = sliderController();
    return controller ? controller->sliderMinimumValue() : mMin;
}

double RVAugmentedTextField::sliderMaximumValue() const
{
    auto* controller = sliderController();
    return controller ? controller->sliderMaximumValue() : mMax;
}

void RVAugmentedTextField::showPopover()
{
    showPopoverAndFocus(true);
}

void RVAugmentedTextField::showPopoverAndFocus(bool focus)
{
    if (!augmentedTextFieldPopoversEnabled() || !isEnabled() || !isEditable() || !mSliderPopover || mOpeningPopover)
        return;
    mOpeningPopover = true;
    if (focus) {
        if (QWidget* window = windowWidget())
            pf::makeFirstResponder(window, this);
    }
    setCurrentAugmentedPopover(mSliderPopover.get());
    if (auto* controller = sliderController())
        controller->setSliderValue(doubleValue());
    mSliderPopover->showRelativeToRect(bounds(), this, mPreferredEdge);
    mOpeningPopover = false;
}

void RVAugmentedTextField::sliderOrStepperAction(const QVariant& sender)
{
    pf::Control* control = pf::Control::fromSender(sender);
    if (!control)
        return;
    auto number = formatter();
    if (number && number->allowsFloats())
        setDoubleValue(control->doubleValue());
    else
        setIntegerValue(int(std::lround(control->doubleValue())));
    sendAction();
}

void RVAugmentedTextField::setObjectValue(const QVariant& value)
{
    pf::TextField::setObjectValue(value);
    if (auto* controller = sliderController())
        controller->setSliderValue(doubleValue());
}

void RVAugmentedTextField::textDidChange(pf::FieldEditor& editor)
{
    QPointer<RVAugmentedTextField> self(this);
    pf::TextField::textDidChange(editor);
    if (!self)
        return;
    auto* controller = sliderController();
    if (!controller)
        return;
    const QString text = editor.text();
    if (auto number = formatter()) {
        QVariant parsed;
        QString error;
        if (number->getObjectValue(text, &parsed, &error))
            controller->setSliderValue(parsed.toDouble());
    } else {
        controller->setSliderValue(text.toDouble());
    }
}

void RVAugmentedTextField::textDidEndEditing(pf::FieldEditor& editor, pf::TextMovement movement)
{
    QPointer<RVAugmentedTextField> self(this);
    pf::TextField::textDidEndEditing(editor, movement);
    if (!self)
        return;
    const bool closes = movement == pf::TextMovement::Tab || movement == pf::TextMovement::Backtab
                        || movement == pf::TextMovement::Cancel;
    if (closes && !mOpeningPopover && mSliderPopover)
        mSliderPopover->close();
}

void RVAugmentedTextField::scrollWheel(const pf::Event& event)
{
    // Only a field the user may change follows the wheel.
    if (!isEnabled() || !isEditable() || !mSliderPopover)
        return;
    showPopoverAndFocus(false);
    double multiplier = 1.0;
    if (auto number = formatter()) {
        multiplier = number->multiplier().value_or(1.0);
        if (multiplier == 0)
            multiplier = 1.0;
    }
    const double low = sliderMinimumValue();
    const double high = sliderMaximumValue();
    double value = doubleValue() + event.deltaY / multiplier;
    value = std::clamp(value, std::min(low, high), std::max(low, high));
    setObjectValue(value);
    sendAction();
}

void RVAugmentedTextField::performClick(const QVariant&)
{
    QWidget* window = windowWidget();
    if (window && pf::makeFirstResponder(window, this))
        showPopover();
}

void RVAugmentedTextField::popoverDidClose(pf::Popover& popover, const QString&)
{
    // Only this field's popover: another field's may be the one shown now.
    if (currentAugmentedPopover() == &popover && &popover == mSliderPopover.get())
        setCurrentAugmentedPopover(nullptr);
}

RVAugmentedTextFieldEditor* RVAugmentedTextField::augmentedFieldEditor() const
{
    return RVAugmentedTextFieldEditor::forWindow(windowWidget());
}
