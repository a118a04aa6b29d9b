#include "inspectors/RVPolarDuplicateController.h"

#include "inspectors/DuplicateDialogFields.h"

#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/Application.h"
#include "platform/ui/Box.h"
#include "platform/ui/Button.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/EventQueue.h"
#include "platform/ui/Responder.h"
#include "platform/ui/Sheet.h"
#include "platform/ui/Window.h"

#include <QCoreApplication>

PF_DEFINE_CLASS(RVPolarDuplicateController, pf::WindowController)
{
    b.method("copiesAction:", &RVPolarDuplicateController::copiesAction);
    b.method("centreAction:", &RVPolarDuplicateController::centreAction);
    b.method("autoFitAction:", &RVPolarDuplicateController::autoFitAction);
    b.method("sampleCentrePointModeAction:", &RVPolarDuplicateController::sampleCentrePointModeAction);
    b.method("duplicateAction:", &RVPolarDuplicateController::duplicateAction);
    b.method("cancelAction:", &RVPolarDuplicateController::cancelAction);
    b.method("angleAction:", &RVPolarDuplicateController::angleAction);
    b.method("rotateCopiesAction:", &RVPolarDuplicateController::rotateCopiesAction);
    b.method("sheetDidEnd:returnCode:contextInfo:", &RVPolarDuplicateController::sheetDidEnd);
}

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("RVPolarDuplicateController", text);
}

const QString kGridPointSelector = QStringLiteral("gridPointForGlobalPoint:snapToGrid:");

bool isOn(const pf::Button* button)
{
    return button && button->state() == pf::ControlState::On;
}

void target(pf::Control* control, pf::Reflective* target, const char* action)
{
    control->setTarget(target);
    control->setAction(QString::fromLatin1(action));
}

// Where an event happened, in global Qt coordinates.
QPointF globalLocation(const pf::Event& event, QWidget* fallbackWindow)
{
    QWidget* window = event.window ? event.window.data() : fallbackWindow;
    if (!window)
        return event.locationInWindow;
    return QPointF(window->mapToGlobal(QPointF(0, 0)))
        + pf::Event::qtPointFromWindow(window, event.locationInWindow);
}

} // namespace

RVPolarDuplicateController::RVPolarDuplicateController() : pf::WindowController(kNibName) {}

RVPolarDuplicateController::~RVPolarDuplicateController() = default;

void RVPolarDuplicateController::loadWindow()
{
    using namespace DuplicateDialogFields;
    auto* window = new pf::Window;
    window->setWindowTitle(tr("Polar Duplication"));
    auto* content = new QWidget;
    window->setContentView(content);
    window->resize(400, 340);

    pf::TextField* centreLabel = pf::TextField::label(tr("Centre:"), content);
    centreLabel->setGeometry(10, 10, 200, 20);
    mCentreXTextField = addLabelledField(content, tr("X:"), 34, 60);
    mCentreYTextField = addLabelledField(content, tr("Y:"), 66, 60);
    target(mCentreXTextField, this, "centreAction:");
    target(mCentreYTextField, this, "centreAction:");
    mSampleModeButton = addButton(content, tr("Pick in Drawing"), QRect(200, 48, 180, 28));
    mSampleModeButton->setButtonType(pf::ButtonType::PushOnPushOff);
    target(mSampleModeButton, this, "sampleCentrePointModeAction:");

    mAutoFitCircleCheckbox = pf::Button::checkBox(tr("Fit copies round the centre automatically"), content);
    mAutoFitCircleCheckbox->setGeometry(10, 100, 380, 22);
    target(mAutoFitCircleCheckbox, this, "autoFitAction:");

    // The box frames the manual settings; the controls lie over it.
    mManualSettingsBox = new pf::Box(content);
    mManualSettingsBox->setTitle(tr("Manual Settings"));
    mManualSettingsBox->setGeometry(10, 128, 380, 150);
    mCopiesTextField = addLabelledField(content, tr("Copies:"), 158, 130);
    mAngleIncrementTextField = addLabelledField(content, tr("Angle step (\u00b0):"), 190, 130);
    target(mCopiesTextField, this, "copiesAction:");
    target(mAngleIncrementTextField, this, "angleAction:");
    mRotateCopiesCheckbox = pf::Button::checkBox(tr("Rotate copies"), content);
    mRotateCopiesCheckbox->setGeometry(30, 226, 340, 22);
    target(mRotateCopiesCheckbox, this, "rotateCopiesAction:");
    for (pf::TextField* field : {mCentreXTextField.data(), mCentreYTextField.data(), mCopiesTextField.data(),
                                 mAngleIncrementTextField.data()})
        field->setDelegate(this);

    mCancelButton = addButton(content, tr("Cancel"), QRect(190, 296, 96, 28));
    target(mCancelButton, this, "cancelAction:");
    mOKButton = addButton(content, tr("Duplicate"), QRect(294, 296, 96, 28));
    target(mOKButton, this, "duplicateAction:");
    setNumber(mCentreXTextField, 0);
    setNumber(mCentreYTextField, 0);
    setWindow(window);
}

void RVPolarDuplicateController::windowDidLoad()
{
    setup();
}

void RVPolarDuplicateController::beginPolarDuplicationDialog(QWidget* window, const pf::Ref<pf::Object>& delegate)
{
    mDelegateRef = delegate;
    QWidget* sheet = this->window();
    setup();
    if (window)
        pf::Sheet::beginSheet(sheet, window, this, QStringLiteral("sheetDidEnd:returnCode:contextInfo:"), kSheetContext);
}

void RVPolarDuplicateController::setup()
{
    if (!mAutoFitCircleCheckbox)
        return;
    pf::Ref<pf::Object> delegate = this->delegate();
    const QString count = QStringLiteral("countOfItemsInSelection");
    const bool single = delegate && delegate->respondsTo(count) && delegate->perform(count).toLongLong() == 1;
    mAutoFitCircleCheckbox->setEnabled(single);
    // A check left from an earlier single object would otherwise hide the manual settings for good.
    if (!single)
        mAutoFitCircleCheckbox->setState(pf::ControlState::Off);
    enableManualSettings(!autoFit());
    mRotateCopiesCheckbox->setState(pf::ControlState::On);
    DuplicateDialogFields::setNumber(mCopiesTextField, kDefaultCopies);
    DuplicateDialogFields::setNumber(mAngleIncrementTextField, kDefaultAngle);
    checkOKButton();
}

bool RVPolarDuplicateController::autoFit() const
{
    return isOn(mAutoFitCircleCheckbox) && mAutoFitCircleCheckbox->isEnabled();
}

void RVPolarDuplicateController::enableManualSettings(bool enabled)
{
    for (pf::Control* control : {static_cast<pf::Control*>(mAngleIncrementTextField.data()),
                                 static_cast<pf::Control*>(mCopiesTextField.data()),
                                 static_cast<pf::Control*>(mRotateCopiesCheckbox.data())})
        if (control)
            control->setEnabled(enabled);
}

bool RVPolarDuplicateController::checkOKButton()
{
    using namespace DuplicateDialogFields;
    bool usable = !mSampleMode && number(mCentreXTextField) && number(mCentreYTextField);
    if (usable && !autoFit())
        usable = copies(mCopiesTextField) && number(mAngleIncrementTextField);
    if (mOKButton)
        mOKButton->setEnabled(usable);
    return usable;
}

void RVPolarDuplicateController::controlTextDidChange(pf::TextField&)
{
    checkOKButton();
}

void RVPolarDuplicateController::copiesAction(const QVariant&)
{
    if (const std::optional<int> count = DuplicateDialogFields::copies(mCopiesTextField))
        DuplicateDialogFields::setNumber(mAngleIncrementTextField, 360.0 / (*count + 1));
    checkOKButton();
}

void RVPolarDuplicateController::centreAction(const QVariant&)
{
    checkOKButton();
}

void RVPolarDuplicateController::autoFitAction(const QVariant&)
{
    const bool on = isOn(mAutoFitCircleCheckbox);
    enableManualSettings(!on);
    if (on && mRotateCopiesCheckbox)
        mRotateCopiesCheckbox->setState(pf::ControlState::On);
    checkOKButton();
}

void RVPolarDuplicateController::angleAction(const QVariant&)
{
    checkOKButton();
}

void RVPolarDuplicateController::rotateCopiesAction(const QVariant&) {}

void RVPolarDuplicateController::duplicateAction(const QVariant&)
{
    if (!checkOKButton())
        return;
    if (QWidget* sheet = window())
        pf::Sheet::endSheet(sheet, 1);
}

void RVPolarDuplicateController::cancelAction(const QVariant&)
{
    endSampleModeAtGridPoint(QPointF(0, 0));
    if (QWidget* sheet = window())
        pf::Sheet::endSheet(sheet, 0);
}

void RVPolarDuplicateController::sheetDidEnd(const QVariant&, int returnCode, const QVariant&)
{
    using namespace DuplicateDialogFields;
    QWidget* sheet = window();
    if (sheet)
        pf::makeFirstResponder(sheet, sheet); // ends any editing first
    pf::Ref<pf::Object> delegate = this->delegate();
    const std::optional<double> x = number(mCentreXTextField);
    const std::optional<double> y = number(mCentreYTextField);
    if (returnCode == 1 && delegate && x && y) {
        const QPointF centre(static_cast<float>(*x), static_cast<float>(*y));
        if (!autoFit()) {
            const std::optional<int> count = copies(mCopiesTextField);
            const std::optional<double> angle = number(mAngleIncrementTextField);
            const int rotate = isOn(mRotateCopiesCheckbox) ? 1 : 0;
            const QString selector = QStringLiteral("doPolarDuplicateCopies:centre:incAngle:rotateCopies:");
            if (count && angle && delegate->respondsTo(selector)) {
                RVLog(kInfoEvent, QString::asprintf("dialog data: copies %d; centre {%.2f,%.2f}; incAngle %.3f; rotateCopies %d",
                                                    *count, centre.x(), centre.y(), double(float(*angle)), rotate));
                delegate->perform(selector, {*count, centre, double(float(*angle)), rotate != 0});
            }
        } else if (delegate->respondsTo(QStringLiteral("doAutoPolarDuplicateWithCentre:"))) {
            delegate->perform(QStringLiteral("doAutoPolarDuplicateWithCentre:"), {centre});
        }
    }
    if (sheet)
        sheet->hide();
}

// Centre picking ------------------------------------------------------------------------------

void RVPolarDuplicateController::sampleCentrePointModeAction(const QVariant&)
{
    if (mSampleMode) {
        endSampleModeAtGridPoint(noPoint());
        return;
    }
    pf::Ref<pf::Object> delegate = this->delegate();
    if (!delegate || !delegate->respondsTo(kGridPointSelector)) {
        if (mSampleModeButton)
            mSampleModeButton->setState(pf::ControlState::Off);
        return;
    }
    mSampleMode = true;
    checkOKButton();
    if (mSampleModeButton)
        mSampleModeButton->setState(pf::ControlState::On);
    runSampleLoop();
}

void RVPolarDuplicateController::runSampleLoop()
{
    QWidget* sheet = window();
    pf::Application* app = pf::Application::shared();
    if (!sheet || !app) {
        endSampleModeAtGridPoint(noPoint());
        return;
    }
    // The drawing lies under the sheet's window, which the sheet blocks: the sheet takes the
    // pointer and the keys for as long as the picking lasts.
    const bool tracked = sheet->hasMouseTracking();
    sheet->setMouseTracking(true);
    sheet->grabMouse();
    sheet->grabKeyboard();

    QPointF gridPoint = noPoint();
    bool outside = false;
    int lastType = 0;
    while (mSampleMode) {
        std::optional<pf::Event> event =
            app->nextEventMatchingMask(kSampleEventMask, pf::EventQueue::kDistantFuture, pf::kEventTrackingRunLoopMode, true);
        if (!event)
            break;
        app->discardEventsMatchingMask(pf::kAnyEventMask, &*event);
        lastType = event->type;
        const QPointF global = globalLocation(*event, sheet);
        outside = !QRectF(sheet->frameGeometry()).contains(global);
        pf::Ref<pf::Object> delegate = this->delegate();
        if (!delegate)
            break;
        if (event->type != pf::KeyDown) {
            const bool snap = (event->modifierFlags & pf::ControlKeyMask) != 0;
            gridPoint = pf::fromVariant<QPointF>(delegate->perform(kGridPointSelector, {global, snap}));
        }
        if (event->type != pf::LeftMouseUp && event->type != pf::KeyDown)
            updateSampleModeAtGridPoint(gridPoint);
        (outside ? pf::Cursor::crosshair() : pf::Cursor::arrow()).set();
        if (event->type == pf::LeftMouseUp || event->type == pf::KeyDown)
            break;
    }

    sheet->releaseKeyboard();
    sheet->releaseMouse();
    sheet->setMouseTracking(tracked);
    endSampleModeAtGridPoint(outside && lastType != pf::KeyDown ? gridPoint : noPoint());
}

void RVPolarDuplicateController::updateSampleModeAtGridPoint(const QPointF& point)
{
    DuplicateDialogFields::setNumber(mCentreXTextField, point.x());
    DuplicateDialogFields::setNumber(mCentreYTextField, point.y());
}

void RVPolarDuplicateController::endSampleModeAtGridPoint(const QPointF& point)
{
    if (!mSampleMode)
        return;
    mSampleMode = false;
    if (point == noPoint()) {
        if (mCentreXTextField)
            mCentreXTextField->setStringValue(QString());
        if (mCentreYTextField)
            mCentreYTextField->setStringValue(QString());
    } else {
        updateSampleModeAtGridPoint(point);
    }
    if (mSampleModeButton)
        mSampleModeButton->setState(pf::ControlState::Off);
    checkOKButton();
    pf::Cursor::arrow().set();
}
