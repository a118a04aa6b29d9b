#pragma once

#include <functional>

class QWidget;

namespace pf {

// Lets a test answer the dialogs that would otherwise wait for a person. While a hook is set,
// every alert, sheet, open or save panel, print or page-layout dialog this layer presents is
// handed to it on the next turn of the event loop, once the dialog is up (inside its modal
// loop when it has one). The hook answers by pressing a button or ending the sheet.
class PresentationHook {
public:
    using Hook = std::function<void(QWidget* dialog)>;

    static void set(Hook hook);
    static void clear() { set({}); }
    static bool isSet();

    // Called by the dialog runners once `dialog` is shown.
    static void presented(QWidget* dialog);

private:
    PresentationHook() = delete;
};

} // namespace pf
