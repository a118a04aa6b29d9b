#pragma once

#include "platform/foundation/Object.h"

namespace pf {
class Popover;
}

class RVAugmentedButton;

// Supplies an augmented button's popover. The button keeps only a weak reference to what it
// is given, so the delegate keeps the popover alive.
class RVAugmentedButtonDelegate {
public:
    virtual ~RVAugmentedButtonDelegate() = default;
    virtual pf::Ref<pf::Popover> popoverForAugmentedButton(RVAugmentedButton& button) = 0;
    virtual void augmentedButtonWillShowPopover(RVAugmentedButton&) {}
    virtual void augmentedButtonDidClosePopover(RVAugmentedButton&) {}
};
