#include "inspectors/VNQL_PWRoundRectShapeController.h"

#include "app/VNQLHelpTrampoline.h"
#include "inspectors/VNQLPaneControls.h"

#include "frameworks/penwork/drawables/PWRoundRectShape.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/TextField.h"
#include "widgets/RVRoundRectSelectorControl.h"

#include <QCoreApplication>

using namespace VNQLPaneControls;

PF_DEFINE_CLASS(VNQL_PWRoundRectShapeController, VNQLShapePane)
{
    b.method("roundRectHelpAction:", &VNQL_PWRoundRectShapeController::roundRectHelpAction);
    using C = VNQL_PWRoundRectShapeController;
    b.method("cornerControlAction:", &C::cornerControlAction);
    b.method("cornerRadiusAction:", &C::cornerRadiusAction);
    b.method("setCornerFlags:", &C::setCornerFlags);
    b.method("setCornerRadius:", &C::setCornerRadius);
    b.method("setMixedValueForCornerFlags", &C::setMixedValueForCornerFlags);
    b.method("setMixedValueForCornerRadius", &C::setMixedValueForCornerRadius);
}

namespace {
constexpr unsigned kAllCorners = 15;
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQL_PWRoundRectShapeController", text);
}
} // namespace

VNQL_PWRoundRectShapeController::VNQL_PWRoundRectShapeController(const QString& nibName)
    : VNQLShapePane(nibName.isEmpty() ? QStringLiteral("VNQL_PWRoundRectShapeController") : nibName)
{
}

const pf::Class& VNQL_PWRoundRectShapeController::managedObjectClass() const
{
    return PWRoundRectShape::staticClass();
}

void VNQL_PWRoundRectShapeController::loadView()
{
    pf::View* view = makePaneView();
    mCornerControl = new RVRoundRectSelectorControl;
    mCornerControl->setFixedSize(44, 44);
    mCornerControl->setTarget(this);
    mCornerControl->setAction(QStringLiteral("cornerControlAction:"));
    mRadiusTextField = numberField(this, "cornerRadiusAction:");
    mRadiusStepper = stepper(this, "cornerRadiusAction:", 1.0, 0.0);
    addLengthField(mRadiusTextField);
    addRow(view, tr("Corners:"), {mCornerControl});
    addRow(view, tr("Radius:"), {mRadiusTextField, mRadiusStepper});
    m_lockControls = {mRadiusTextField.data(), mRadiusStepper.data(), mCornerControl.data()};
    VNQLPaneControls::addHelpButton(view, this, QStringLiteral("roundRectHelpAction:"));
    finish(view);
    setView(view);
}

void VNQL_PWRoundRectShapeController::cornerControlAction(const QVariant& sender)
{
    auto* control = qobject_cast<RVRoundRectSelectorControl*>(pf::Control::fromSender(sender));
    if (control)
        setCommonValue(int(control->corners()), QStringLiteral("cornerFlags"));
}

void VNQL_PWRoundRectShapeController::cornerRadiusAction(const QVariant& sender) { write(sender, "cornerRadius"); }

void VNQL_PWRoundRectShapeController::setCornerFlags(const QVariant& value)
{
    if (!mCornerControl)
        return;
    mCornerControl->setCorners(value.toUInt());
    mCornerControl->setState(1);
}

void VNQL_PWRoundRectShapeController::setCornerRadius(const QVariant& value)
{
    showNumber(mRadiusTextField, mRadiusStepper, value);
}

void VNQL_PWRoundRectShapeController::setMixedValueForCornerFlags()
{
    if (!mCornerControl)
        return;
    mCornerControl->setCorners(kAllCorners);
    mCornerControl->setState(-1);
}

void VNQL_PWRoundRectShapeController::setMixedValueForCornerRadius() { showNumber(mRadiusTextField, nullptr, {}); }

void VNQL_PWRoundRectShapeController::roundRectHelpAction(const QVariant&)
{
    VNQLHelpTrampoline::sharedHelpTrampoline()->showHelpForIdentifier(QStringLiteral("round-corner-rect"));
}
