#pragma once

class RVBasicDialogController;

namespace pf {
class Control;
}

// What a basic dialog tells and asks the object it runs for. Every message is optional: the
// defaults do nothing and leave the OK button enabled.
class RVBasicDialogControllerDelegate {
public:
    virtual ~RVBasicDialogControllerDelegate() = default;
    virtual void basicDialogDidEndWithReturnCode(RVBasicDialogController&, int) {}
    virtual bool basicDialogValidateDefaultButton(RVBasicDialogController&) { return true; }
    virtual void basicDialogSetObjectValueForPrimaryItem(RVBasicDialogController&, pf::Control&) {}
};
