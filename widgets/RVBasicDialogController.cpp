#include "widgets/RVBasicDialogController.h"

#include "widgets/RVBasicDialogControllerDelegate.h"

#include "platform/foundation/Log.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/Responder.h"
#include "platform/ui/Sheet.h"
#include "platform/ui/TextField.h"
#include "platform/ui/Window.h"

PF_DEFINE_CLASS(RVBasicDialogController, pf::WindowController)
{
    b.method("ok:", &RVBasicDialogController::ok);
    b.method("cancel:", &RVBasicDialogController::cancel);
    b.method("primaryItemAction:", &RVBasicDialogController::primaryItemAction);
    b.method("sheetDidEnd:returnCode:contextInfo:", &RVBasicDialogController::sheetDidEnd);
}

void RVBasicDialogController::setOKButton(pf::Button* button)
{
    mOK = button;
}

void RVBasicDialogController::setCancelButton(pf::Button* button)
{
    mCancel = button;
}

void RVBasicDialogController::setPrimaryItem(pf::Control* control)
{
    mPrimaryItem = control;
    if (auto* field = qobject_cast<pf::TextField*>(control))
        field->setDelegate(this);
}

RVBasicDialogControllerDelegate* RVBasicDialogController::delegateObject() const
{
    return dynamic_cast<RVBasicDialogControllerDelegate*>(mDelegateRef.lock().get());
}

int RVBasicDialogController::runModal()
{
    mRunningAsSheet = false;
    QWidget* dialog = window();
    const int result = pf::Application::shared()->runModalForWindow(dialog);
    if (auto* asWindow = qobject_cast<pf::Window*>(dialog))
        asWindow->orderOut();
    else if (dialog)
        dialog->hide();
    return result;
}

void RVBasicDialogController::runModalInParentWindow(QWidget* parent, const pf::Ref<pf::Object>& delegate)
{
    QWidget* dialog = window();
    pf::log(QStringLiteral("running basic dialog as modal sheet, delegate = %1, par window = %2")
                .arg(delegate ? delegate->description() : QStringLiteral("(null)"),
                     parent ? parent->objectName() : QStringLiteral("(null)")));
    mDelegateRef = delegate;
    mRunningAsSheet = true;
    pf::Sheet::beginSheet(dialog, parent, this, QStringLiteral("sheetDidEnd:returnCode:contextInfo:"),
                          kModalSheetContext);
    setPrimaryItemValue();
    updateOKEnabled();
}

void RVBasicDialogController::runAsSheetInParentWindow(QWidget* parent, pf::Reflective* modalDelegate)
{
    mRunningAsSheet = true;
    QVariant context;
    if (auto self = weak_from_this().lock())
        context = QVariant::fromValue(self);
    pf::Sheet::beginSheet(window(), parent, modalDelegate, QStringLiteral("sheetDidEnd:returnCode:contextInfo:"),
                          context);
}

void RVBasicDialogController::sheetDidEnd(const QVariant& sheet, int returnCode, const QVariant& contextInfo)
{
    QWidget* dialog = window();
    auto* delegate = delegateObject();
    if (sheet.value<QWidget*>() == dialog && contextInfo.toString() == kModalSheetContext && delegate) {
        // Ends any editing in the dialog before the delegate reads its values.
        pf::makeFirstResponder(dialog, dialog);
        delegate->basicDialogDidEndWithReturnCode(*this, returnCode);
    }
    if (auto* asWindow = qobject_cast<pf::Window*>(dialog))
        asWindow->orderOut();
    else if (dialog)
        dialog->hide();
}

void RVBasicDialogController::endWithCode(int code)
{
    if (mRunningAsSheet)
        pf::Sheet::endSheet(window(), code);
    else
        pf::Application::shared()->stopModalWithCode(code);
}

void RVBasicDialogController::ok(const QVariant&)
{
    endWithCode(kReturnOK);
}

void RVBasicDialogController::cancel(const QVariant&)
{
    endWithCode(kReturnCancel);
}

void RVBasicDialogController::primaryItemAction(const QVariant&)
{
    updateOKEnabled();
}

void RVBasicDialogController::controlTextDidChange(pf::TextField&)
{
    updateOKEnabled();
}

bool RVBasicDialogController::checkForOKEnabled()
{
    auto* delegate = delegateObject();
    return delegate ? delegate->basicDialogValidateDefaultButton(*this) : true;
}

void RVBasicDialogController::updateOKEnabled()
{
    const bool enabled = checkForOKEnabled();
    if (mOK)
        mOK->setEnabled(enabled);
}

void RVBasicDialogController::setPrimaryItemValue()
{
    if (!mPrimaryItem)
        return;
    if (auto* delegate = delegateObject())
        delegate->basicDialogSetObjectValueForPrimaryItem(*this, *mPrimaryItem);
    if (auto* field = qobject_cast<pf::TextField*>(mPrimaryItem.data()))
        field->selectText();
}

void RVBasicDialogController::windowDidLoad()
{
    setPrimaryItemValue();
    updateOKEnabled();
}
