#pragma once

#include "platform/ui/ActionTarget.h"
#include "platform/ui/Button.h"

namespace pf {
class Popover;
}

class RVAugmentedButtonDelegate;

// A button that also opens a popover: on a right click, or a click with the Control key held
// (which then does not click the button).
class RVAugmentedButton : public pf::Button {
    Q_OBJECT
    PF_CLASS(RVAugmentedButton)
public:
    // The popover's arrow edge: the minimum-y edge by default.
    static constexpr unsigned kDefaultPreferredEdge = 1;

    explicit RVAugmentedButton(QWidget* parent = nullptr);
    explicit RVAugmentedButton(const QRectF& frame, QWidget* parent = nullptr);

    // The popover set, else the delegate's (remembered weakly); null when there is none.
    pf::Ref<pf::Popover> popover();
    void setPopover(const pf::Ref<pf::Popover>& popover) { mPopover = popover; }

    double popoverDelay() const { return mPopoverDelay; }
    void setPopoverDelay(double delay) { mPopoverDelay = delay; }
    unsigned preferredEdge() const { return mPreferredEdge; }
    void setPreferredEdge(unsigned edge) { mPreferredEdge = edge; }
    pf::Reflective* popoverTarget() const { return mPopoverTarget.get(); }
    void setPopoverTarget(pf::Reflective* target) { mPopoverTarget = pf::ActionTarget(target); }
    QString popoverAction() const { return mPopoverAction; }
    void setPopoverAction(const QString& action) { mPopoverAction = action; }
    RVAugmentedButtonDelegate* delegate() const { return mDelegate; }
    // Not owned.
    void setDelegate(RVAugmentedButtonDelegate* delegate) { mDelegate = delegate; }

    void mouseDown(const pf::Event& event) override;
    void rightMouseDown(const pf::Event& event) override;
    void prepareAndShowPopover();

private:
    pf::Weak<pf::Popover> mPopover;
    double mPopoverDelay = 0;
    unsigned mPreferredEdge = kDefaultPreferredEdge;
    pf::ActionTarget mPopoverTarget;
    QString mPopoverAction;
    RVAugmentedButtonDelegate* mDelegate = nullptr;
};
