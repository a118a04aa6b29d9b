#include "inspectors/VNQL_PWDrawablePathController.h"

#include "app/VNQLHelpTrampoline.h"
#include "inspectors/VNQLPaneControls.h"

#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/TextField.h"

#include <QCoreApplication>

using namespace VNQLPaneControls;

PF_DEFINE_CLASS(VNQL_PWDrawablePathController, VNQLShapePane)
{
    b.method("drawablePathHelpAction:", &VNQL_PWDrawablePathController::drawablePathHelpAction);
    using C = VNQL_PWDrawablePathController;
    b.method("lengthAction:", &C::lengthAction);
    b.method("setLength:", &C::setLength);
    b.method("setMixedValueForLength", &C::setMixedValueForLength);
}

VNQL_PWDrawablePathController::VNQL_PWDrawablePathController(const QString& nibName)
    : VNQLShapePane(nibName.isEmpty() ? QStringLiteral("VNQL_PWDrawablePathController") : nibName)
{
}

const pf::Class& VNQL_PWDrawablePathController::managedObjectClass() const
{
    return PWDrawablePath::staticClass();
}

bool VNQL_PWDrawablePathController::shouldSetValue(QVariant* value, pf::Object* object, const QString& keyPath)
{
    return keyPath == QLatin1String("locked") || VNQLShapePane::shouldSetValue(value, object, keyPath);
}

void VNQL_PWDrawablePathController::loadView()
{
    pf::View* view = makePaneView();
    mLengthTextField = numberField(this, "lengthAction:");
    mLengthStepper = stepper(this, "lengthAction:", 1.0, 0.0);
    addLengthField(mLengthTextField, QStringLiteral("length"), true);
    addRow(view, QCoreApplication::translate("VNQL_PWDrawablePathController", "Length:"), {mLengthTextField, mLengthStepper});
    m_lockControls = {mLengthTextField.data(), mLengthStepper.data()};
    VNQLPaneControls::addHelpButton(view, this, QStringLiteral("drawablePathHelpAction:"));
    finish(view);
    setView(view);
}

void VNQL_PWDrawablePathController::newObjectWasAssigned()
{
    VNQLShapePane::newObjectWasAssigned();
    applyLengthFormatters();
}

void VNQL_PWDrawablePathController::lengthAction(const QVariant& sender) { write(sender, "length"); }

void VNQL_PWDrawablePathController::setLength(const QVariant& value)
{
    showNumber(mLengthTextField, mLengthStepper, value);
    if (mLengthStepper)
        mLengthStepper->setEnabled(controlsEnabled());
}

void VNQL_PWDrawablePathController::setMixedValueForLength()
{
    showNumber(mLengthTextField, nullptr, {});
    if (mLengthStepper)
        mLengthStepper->setEnabled(false);
}

void VNQL_PWDrawablePathController::drawablePathHelpAction(const QVariant&)
{
    VNQLHelpTrampoline::sharedHelpTrampoline()->showHelpForIdentifier(QStringLiteral("line"));
}
