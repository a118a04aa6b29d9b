#include "inspectors/CVLParallelDuplicateController.h"

#include "inspectors/DuplicateDialogFields.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/ui/Button.h"
#include "platform/ui/Responder.h"
#include "platform/ui/Sheet.h"
#include "platform/ui/Window.h"

#include <QCoreApplication>

PF_DEFINE_CLASS(CVLParallelDuplicateController, pf::WindowController)
{
    b.method("okAction:", &CVLParallelDuplicateController::okAction);
    b.method("cancelAction:", &CVLParallelDuplicateController::cancelAction);
    b.method("sheetDidEnd:returnCode:contextInfo:", &CVLParallelDuplicateController::sheetDidEnd);
}

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("CVLParallelDuplicateController", text);
}

const QString kParallelSelector = QStringLiteral("parallelCopyWithOffset:numberOfCopies:smooth:");

} // namespace

CVLParallelDuplicateController::CVLParallelDuplicateController() : pf::WindowController(kNibName) {}

void CVLParallelDuplicateController::loadWindow()
{
    using namespace DuplicateDialogFields;
    auto* window = new pf::Window;
    window->setWindowTitle(tr("Offset Copies"));
    auto* content = new QWidget;
    window->setContentView(content);
    window->resize(320, 150);

    mOffsetTextField = addLabelledField(content, tr("Offset (points):"), 14);
    mCopiesTextField = addLabelledField(content, tr("Copies:"), 46);
    for (pf::TextField* field : {mOffsetTextField.data(), mCopiesTextField.data()})
        field->setDelegate(this);
    mSmoothCheckbox = pf::Button::checkBox(tr("Smooth"), content);
    mSmoothCheckbox->setGeometry(148, 78, 160, 22);

    pf::Button* cancel = addButton(content, tr("Cancel"), QRect(120, 110, 90, 28));
    cancel->setTarget(this);
    cancel->setAction(QStringLiteral("cancelAction:"));
    mOKButton = addButton(content, tr("OK"), QRect(220, 110, 90, 28));
    mOKButton->setTarget(this);
    mOKButton->setAction(QStringLiteral("okAction:"));
    setWindow(window);
}

void CVLParallelDuplicateController::windowDidLoad()
{
    DuplicateDialogFields::setNumber(mCopiesTextField, kDefaultCopies);
    DuplicateDialogFields::setNumber(mOffsetTextField, kDefaultOffset);
    mSmoothCheckbox->setState(pf::ControlState::Off);
    checkOKButton();
}

void CVLParallelDuplicateController::beginParallelDuplicateDialogOnParent(QWidget* window,
                                                                          const pf::Ref<pf::Object>& delegate)
{
    mDelegateRef = delegate;
    QWidget* sheet = this->window();
    checkOKButton();
    if (window)
        pf::Sheet::beginSheet(sheet, window, this, QStringLiteral("sheetDidEnd:returnCode:contextInfo:"), QVariant());
}

bool CVLParallelDuplicateController::checkOKButton()
{
    const bool usable = DuplicateDialogFields::number(mOffsetTextField) && DuplicateDialogFields::copies(mCopiesTextField);
    if (mOKButton)
        mOKButton->setEnabled(usable);
    return usable;
}

void CVLParallelDuplicateController::controlTextDidChange(pf::TextField&)
{
    checkOKButton();
}

void CVLParallelDuplicateController::okAction(const QVariant&)
{
    if (!checkOKButton())
        return;
    if (QWidget* sheet = window())
        pf::Sheet::endSheet(sheet, 1);
}

void CVLParallelDuplicateController::cancelAction(const QVariant&)
{
    if (QWidget* sheet = window())
        pf::Sheet::endSheet(sheet, 0);
}

void CVLParallelDuplicateController::sheetDidEnd(const QVariant&, int returnCode, const QVariant&)
{
    QWidget* sheet = window();
    if (sheet)
        pf::makeFirstResponder(sheet, sheet);
    pf::Ref<pf::Object> delegate = mDelegateRef.lock();
    const std::optional<double> offset = DuplicateDialogFields::number(mOffsetTextField);
    const std::optional<int> copies = DuplicateDialogFields::copies(mCopiesTextField);
    if (returnCode == 1 && delegate && offset && copies && delegate->respondsTo(kParallelSelector))
        delegate->perform(kParallelSelector, {double(float(*offset)), *copies, mSmoothCheckbox->state() == pf::ControlState::On});
    if (sheet)
        sheet->hide();
}
