#pragma once

#include "platform/ui/Popover.h"
#include "platform/ui/PopoverDelegate.h"
#include "platform/ui/TextField.h"

class RVAugmentationSliderController;
class RVAugmentedTextFieldEditor;

namespace pf {
class NumberFormatter;
}

// A numeric text field that shows a small popover with a slider (and optionally a stepper)
// bound to its value when the user clicks into it or turns the scroll wheel over it, if the
// user default "RVAugmentedTextFieldPopoversEnabled" allows popovers. The scroll wheel changes
// the value either way.
class RVAugmentedTextField : public pf::TextField, public pf::PopoverDelegate {
    Q_OBJECT
    PF_CLASS(RVAugmentedTextField)
public:
    inline static const QString kPopoversEnabledKey = QStringLiteral("RVAugmentedTextFieldPopoversEnabled");
    // makePopover option: a stepper beside the slider.
    static constexpr unsigned kStepperOption = 2;

    explicit RVAugmentedTextField(const QRectF& frame, QWidget* parent = nullptr);
    ~RVAugmentedTextField() override;

    static void setAugmentedTextFieldPopoversEnabled(bool enabled);
    static bool augmentedTextFieldPopoversEnabled();
    static pf::Popover* currentAugmentedPopover();
    static void setCurrentAugmentedPopover(pf::Popover* popover);

    // Once configured (formatter set): takes the popover given (or makes one), records the
    // slider range as the fallback limits and applies the formatter's limits.
    void awakeFromNib(const pf::Ref<pf::Popover>& connectedPopover = nullptr, unsigned options = 0);
    void makePopover(unsigned options);
    void setLimitsFromFormatter(const pf::NumberFormatter& formatter);
    pf::Popover* sliderPopover() const { return mSliderPopover.get(); }
    bool ownsPopover() const { return mOwnsPopover; }

    RVAugmentationSliderController* sliderController() const;
    void setSliderMinimumValue(double value);
    void setSliderMaximumValue(double value);
    double sliderMinimumValue() const;
    double sliderMaximumValue() const;

    void showPopover();
    void showPopoverAndFocus(bool focus);
    void sliderOrStepperAction(const QVariant& sender);

    int preferredEdge() const { return mPreferredEdge; }
    void setPreferredEdge(int edge) { mPreferredEdge = edge; }
    RVAugmentedTextFieldEditor* augmentedFieldEditor() const;

    void setObjectValue(const QVariant& value) override;
    void textDidChange(pf::FieldEditor& editor) override;
    void textDidEndEditing(pf::FieldEditor& editor, pf::TextMovement movement) override;
    void scrollWheel(const pf::Event& event) override;
    void performClick(const QVariant& sender = {}) override;
    void popoverDidClose(pf::Popover& popover, const QString& reason) override;

private:
    pf::Ref<pf::Popover> mSliderPopover;
    int mPreferredEdge = pf::MinYEdge;
    bool mOpeningPopover = false;
    double mMin = 0;
    double mMax = 1;
    bool mOwnsPopover = false;
};
