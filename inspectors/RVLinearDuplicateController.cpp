#include "inspectors/RVLinearDuplicateController.h"

#include "inspectors/DuplicateDialogFields.h"

#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/ui/Button.h"
#include "platform/ui/Responder.h"
#include "platform/ui/Sheet.h"
#include "platform/ui/Window.h"

#include <QCoreApplication>

PF_DEFINE_CLASS(RVLinearDuplicateController, pf::WindowController)
{
    b.method("numberOfCopiesAction:", &RVLinearDuplicateController::numberOfCopiesAction);
    b.method("xyOffsetAction:", &RVLinearDuplicateController::xyOffsetAction);
    b.method("okAction:", &RVLinearDuplicateController::okAction);
    b.method("cancelAction:", &RVLinearDuplicateController::cancelAction);
    b.method("sheetDidEnd:returnCode:contextInfo:", &RVLinearDuplicateController::sheetDidEnd);
}

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("RVLinearDuplicateController", text);
}

} // namespace

RVLinearDuplicateController::RVLinearDuplicateController() : pf::WindowController(kNibName) {}

void RVLinearDuplicateController::loadWindow()
{
    using namespace DuplicateDialogFields;
    auto* window = new pf::Window;
    window->setWindowTitle(tr("Linear Duplication"));
    auto* content = new QWidget;
    window->setContentView(content);
    window->resize(320, 160);

    mNumberOfCopiesTextField = addLabelledField(content, tr("Copies:"), 14);
    mXOffsetTextField = addLabelledField(content, tr("X offset:"), 46);
    mYOffsetTextField = addLabelledField(content, tr("Y offset:"), 78);
    const std::pair<pf::TextField*, const char*> fields[] = {{mNumberOfCopiesTextField, "numberOfCopiesAction:"},
                                                            {mXOffsetTextField, "xyOffsetAction:"},
                                                            {mYOffsetTextField, "xyOffsetAction:"}};
    for (const auto& [field, action] : fields) {
        field->setTarget(this);
        field->setAction(QString::fromLatin1(action));
        field->setDelegate(this);
    }
    setNumber(mNumberOfCopiesTextField, 1);
    setNumber(mXOffsetTextField, 1);
    setNumber(mYOffsetTextField, 0);

    pf::Button* cancel = addButton(content, tr("Cancel"), QRect(120, 118, 90, 28));
    cancel->setTarget(this);
    cancel->setAction(QStringLiteral("cancelAction:"));
    mOKButton = addButton(content, tr("OK"), QRect(220, 118, 90, 28));
    mOKButton->setTarget(this);
    mOKButton->setAction(QStringLiteral("okAction:"));
    setWindow(window);
}

void RVLinearDuplicateController::windowDidLoad()
{
    checkOKButton();
}

void RVLinearDuplicateController::beginLinearDuplicationDialog(QWidget* window, const pf::Ref<pf::Object>& delegate)
{
    mDelegateRef = delegate;
    QWidget* sheet = this->window();
    if (!window)
        return;
    pf::Sheet::beginSheet(sheet, window, this, QStringLiteral("sheetDidEnd:returnCode:contextInfo:"), kSheetContext);
    checkOKButton();
}

bool RVLinearDuplicateController::checkOKButton()
{
    using namespace DuplicateDialogFields;
    const bool usable = copies(mNumberOfCopiesTextField) && number(mXOffsetTextField) && number(mYOffsetTextField);
    if (mOKButton)
        mOKButton->setEnabled(usable);
    return usable;
}

void RVLinearDuplicateController::numberOfCopiesAction(const QVariant&)
{
    checkOKButton();
}

void RVLinearDuplicateController::xyOffsetAction(const QVariant&)
{
    checkOKButton();
}

void RVLinearDuplicateController::controlTextDidChange(pf::TextField&)
{
    checkOKButton();
}

void RVLinearDuplicateController::okAction(const QVariant&)
{
    // Return in a field lands here too: nothing unusable leaves the sheet.
    if (!checkOKButton())
        return;
    if (QWidget* sheet = window())
        pf::Sheet::endSheet(sheet, 1);
}

void RVLinearDuplicateController::cancelAction(const QVariant&)
{
    if (QWidget* sheet = window())
        pf::Sheet::endSheet(sheet, 0);
}

void RVLinearDuplicateController::sheetDidEnd(const QVariant&, int returnCode, const QVariant&)
{
    using namespace DuplicateDialogFields;
    if (returnCode != 1)
        return;
    if (QWidget* sheet = window())
        pf::makeFirstResponder(sheet, sheet); // ends any editing first
    const std::optional<int> count = copies(mNumberOfCopiesTextField);
    const std::optional<double> x = number(mXOffsetTextField);
    const std::optional<double> y = number(mYOffsetTextField);
    pf::Ref<pf::Object> delegate = mDelegateRef.lock();
    if (!count || !x || !y || !delegate)
        return;
    const QSizeF offset(static_cast<float>(*x), static_cast<float>(*y));
    RVLog(kInfoEvent, QString::asprintf("dialog data: copies %d; offset {%.2f,%.2f}", *count, offset.width(),
                                        offset.height()));
    const QString selector = QStringLiteral("doLinearDuplicateCopies:offset:");
    if (delegate->respondsTo(selector))
        delegate->perform(selector, {*count, offset});
}
