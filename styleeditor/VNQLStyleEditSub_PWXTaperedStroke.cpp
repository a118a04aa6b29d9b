#include "styleeditor/VNQLStyleEditSub_PWXTaperedStroke.h"

#include "drawing/PWXTaperedStroke.h"
#include "inspectors/VNQLPaneControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Variant.h"

#include <QCoreApplication>

#include <cmath>
#include <numbers>

PF_DEFINE_CLASS(VNQLStyleEditSub_PWXTaperedStroke, VNQLStyleEditSub_PWStroke)
{
    using C = VNQLStyleEditSub_PWXTaperedStroke;
    b.method("leftTaperProportionAction:", &C::leftTaperProportionAction);
    b.method("rightTaperProportionAction:", &C::rightTaperProportionAction);
    b.method("leftTaperEnabledAction:", &C::leftTaperEnabledAction);
    b.method("rightTaperEnabledAction:", &C::rightTaperEnabledAction);
    b.method("taperKindAction:", &C::taperKindAction);
    b.method("setLeftTaperProportion:", &C::setLeftTaperProportion);
    b.method("setRightTaperProportion:", &C::setRightTaperProportion);
    b.method("setLeftTaperEnabled:", std::function<QVariant(C&, const QVariantList&)>([](C& self, const QVariantList& args) { self.setLeftTaperEnabled(args.value(0)); return QVariant(); }));
    b.method("setRightTaperEnabled:", std::function<QVariant(C&, const QVariantList&)>([](C& self, const QVariantList& args) { self.setRightTaperEnabled(args.value(0)); return QVariant(); }));
    b.method("setTaperKind:", &C::setTaperKind);

}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLStyleEditSub_PWXTaperedStroke", text);
}
} // namespace

VNQLStyleEditSub_PWXTaperedStroke::VNQLStyleEditSub_PWXTaperedStroke(const QString& nibName)
    : VNQLStyleEditSub_PWStroke(nibName.isEmpty() ? QStringLiteral("VNQLStyleEditSub_PWXTaperedStroke") : nibName)
{
}

const pf::Class& VNQLStyleEditSub_PWXTaperedStroke::managedObjectClass() const
{
    return PWXTaperedStroke::staticClass();
}

QStringList VNQLStyleEditSub_PWXTaperedStroke::keyPathsOfInterest() const
{
    return VNQLStyleEditSub_PWStroke::keyPathsOfInterest() + QStringList{"taperKind", "leftTaperProportion", "rightTaperProportion", "leftTaperEnabled", "rightTaperEnabled"};
}

void VNQLStyleEditSub_PWXTaperedStroke::loadView()
{
    using namespace VNQLPaneControls;
    pf::View* view = makeComponentView();
    buildStrokeRows(view);
    mTaperKindPopUpBUtton = taggedPopUp(this, QStringLiteral("taperKindAction:"), {{tr("Smooth"), 0}, {tr("Linear"), 1}, {tr("Sharp"), 2}, {tr("Blunt"), 3}});
    addRow(view, tr("Profile:"), {mTaperKindPopUpBUtton});
    mLeftTaperTextField = numberField(this, QStringLiteral("leftTaperProportionAction:"));
    mLeftTaperStepper = stepper(this, QStringLiteral("leftTaperProportionAction:"), 0.05, 0.0, 0.99);
    addRow(view, tr("Left Taper:"), {mLeftTaperTextField, mLeftTaperStepper});
    mRightTaperTextField = numberField(this, QStringLiteral("rightTaperProportionAction:"));
    mRightTaperStepper = stepper(this, QStringLiteral("rightTaperProportionAction:"), 0.05, 0.0, 0.99);
    addRow(view, tr("Right Taper:"), {mRightTaperTextField, mRightTaperStepper});
    mLeftTaperEnabledCheckbox = checkBox(tr("Taper Start"), this, QStringLiteral("leftTaperEnabledAction:"));
    addRow(view, {}, {mLeftTaperEnabledCheckbox});
    mRightTaperEnabledCheckbox = checkBox(tr("Taper End"), this, QStringLiteral("rightTaperEnabledAction:"));
    addRow(view, {}, {mRightTaperEnabledCheckbox});
    finish(view);
    setView(view);
}

void VNQLStyleEditSub_PWXTaperedStroke::leftTaperProportionAction(const QVariant& sender) { write(sender, QStringLiteral("leftTaperProportion")); }

void VNQLStyleEditSub_PWXTaperedStroke::rightTaperProportionAction(const QVariant& sender) { write(sender, QStringLiteral("rightTaperProportion")); }

void VNQLStyleEditSub_PWXTaperedStroke::leftTaperEnabledAction(const QVariant& sender) { write(sender, QStringLiteral("leftTaperEnabled")); }

void VNQLStyleEditSub_PWXTaperedStroke::rightTaperEnabledAction(const QVariant& sender) { write(sender, QStringLiteral("rightTaperEnabled")); }

void VNQLStyleEditSub_PWXTaperedStroke::taperKindAction(const QVariant& sender)
{
    const int tag = selectedTag(sender);
    if (tag >= 0)
        setCommonValue(int(tag), QStringLiteral("taperKind"));
}

void VNQLStyleEditSub_PWXTaperedStroke::setLeftTaperProportion(const QVariant& value) { VNQLPaneControls::showNumber(mLeftTaperTextField, mLeftTaperStepper, value); }

void VNQLStyleEditSub_PWXTaperedStroke::setRightTaperProportion(const QVariant& value) { VNQLPaneControls::showNumber(mRightTaperTextField, mRightTaperStepper, value); }

void VNQLStyleEditSub_PWXTaperedStroke::setLeftTaperEnabled(const QVariant& value)
{
    if (mLeftTaperEnabledCheckbox)
        mLeftTaperEnabledCheckbox->setState(pf::variantToBool(value) ? pf::ControlState::On : pf::ControlState::Off);
    const bool on = pf::variantToBool(value) && controlsEditable();
    if (mLeftTaperTextField)
        mLeftTaperTextField->setEnabled(on);
    if (mLeftTaperStepper)
        mLeftTaperStepper->setEnabled(on);
}

void VNQLStyleEditSub_PWXTaperedStroke::setRightTaperEnabled(const QVariant& value)
{
    if (mRightTaperEnabledCheckbox)
        mRightTaperEnabledCheckbox->setState(pf::variantToBool(value) ? pf::ControlState::On : pf::ControlState::Off);
    const bool on = pf::variantToBool(value) && controlsEditable();
    if (mRightTaperTextField)
        mRightTaperTextField->setEnabled(on);
    if (mRightTaperStepper)
        mRightTaperStepper->setEnabled(on);
}

void VNQLStyleEditSub_PWXTaperedStroke::setTaperKind(const QVariant& value) { selectTag(mTaperKindPopUpBUtton, value.toInt()); }

void VNQLStyleEditSub_PWXTaperedStroke::setStatesForLock(bool isLocked, bool isEnabled)
{
    VNQLStyleEditSub_PWStroke::setStatesForLock(isLocked, isEnabled);
    const bool e = isEnabled && !isLocked;
    if (mTaperKindPopUpBUtton)
        mTaperKindPopUpBUtton->setEnabled(e);
    if (mLeftTaperEnabledCheckbox)
        mLeftTaperEnabledCheckbox->setEnabled(e);
    if (mRightTaperEnabledCheckbox)
        mRightTaperEnabledCheckbox->setEnabled(e);
    setLeftTaperEnabled(commonValueForKeyPath(QStringLiteral("leftTaperEnabled")));
    setRightTaperEnabled(commonValueForKeyPath(QStringLiteral("rightTaperEnabled")));
}


