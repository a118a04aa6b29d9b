#pragma once

#include "platform/ui/TextField.h"
#include "platform/ui/WindowController.h"

#include <QPointer>
#include <QVariant>

namespace pf {
class Button;
class Control;
class TextField;
} // namespace pf

class RVBasicDialogControllerDelegate;

// Runs a simple OK/Cancel dialog with one primary control, modally or as a sheet. The window
// and its controls come from the caller, who connects them with the setters; OK answers 1,
// Cancel 0.
class RVBasicDialogController : public pf::WindowController, public pf::TextFieldDelegate {
    PF_CLASS(RVBasicDialogController)
public:
    static constexpr int kReturnOK = 1;
    static constexpr int kReturnCancel = 0;
    static inline const QString kModalSheetContext = QStringLiteral("runModalSheet_basic");

    using pf::WindowController::WindowController;

    // The dialog's controls (not owned; they live in the window).
    void setOKButton(pf::Button* button);
    void setCancelButton(pf::Button* button);
    // A text field as primary item gets this controller as its delegate, so typing re-checks OK.
    void setPrimaryItem(pf::Control* control);
    pf::Control* primaryItem() const { return mPrimaryItem; }
    pf::Button* okButton() const { return mOK; }

    int runModal();
    // The delegate (not retained) hears the end through basicDialogDidEndWithReturnCode.
    void runModalInParentWindow(QWidget* parent, const pf::Ref<pf::Object>& delegate);
    // The modal delegate gets "sheetDidEnd:returnCode:contextInfo:" with this controller as the
    // context, and orders the window out itself.
    void runAsSheetInParentWindow(QWidget* parent, pf::Reflective* modalDelegate);
    void sheetDidEnd(const QVariant& sheet, int returnCode, const QVariant& contextInfo);

    void ok(const QVariant& sender = {});
    void cancel(const QVariant& sender = {});
    void primaryItemAction(const QVariant& sender = {});
    void controlTextDidChange(pf::TextField& field) override;

    bool checkForOKEnabled();
    void setPrimaryItemValue();
    void windowDidLoad() override;

    bool isRunningAsSheet() const { return mRunningAsSheet; }

private:
    RVBasicDialogControllerDelegate* delegateObject() const;
    void endWithCode(int code);
    void updateOKEnabled();

    QPointer<pf::Button> mOK;
    QPointer<pf::Button> mCancel;
    QPointer<pf::Control> mPrimaryItem;
    bool mRunningAsSheet = false;
    pf::Weak<pf::Object> mDelegateRef;
};
