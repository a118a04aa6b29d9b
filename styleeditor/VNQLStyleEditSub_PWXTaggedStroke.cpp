#include "styleeditor/VNQLStyleEditSub_PWXTaggedStroke.h"

#include "drawing/PWXTaggedStroke.h"
#include "inspectors/VNQLPaneControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Variant.h"

#include <QCoreApplication>

#include <cmath>
#include <numbers>

PF_DEFINE_CLASS(VNQLStyleEditSub_PWXTaggedStroke, VNQLStyleEditSub_PWStroke)
{
    using C = VNQLStyleEditSub_PWXTaggedStroke;
    b.method("tagLengthAction:", &C::tagLengthAction);
    b.method("tagWidthAction:", &C::tagWidthAction);
    b.method("tagSpacingAction:", &C::tagSpacingAction);
    b.method("tagAngleAction:", &C::tagAngleAction);
    b.method("tagPhaseAction:", &C::tagPhaseAction);
    b.method("tagTaperProportionAction:", &C::tagTaperProportionAction);
    b.method("tagsAlternateAction:", &C::tagsAlternateAction);
    b.method("mainStrokeEnabledAction:", &C::mainStrokeEnabledAction);
    b.method("leftTaperEnabledAction:", &C::leftTaperEnabledAction);
    b.method("rightTaperEnabledAction:", &C::rightTaperEnabledAction);
    b.method("tagKindAction:", &C::tagKindAction);
    b.method("tagTaperKindAction:", &C::tagTaperKindAction);
    b.method("tagCapStyleAction:", &C::tagCapStyleAction);
    b.method("setTagLength:", &C::setTagLength);
    b.method("setTagWidth:", &C::setTagWidth);
    b.method("setTagSpacing:", &C::setTagSpacing);
    b.method("setTagAngle:", &C::setTagAngle);
    b.method("setTagPhase:", &C::setTagPhase);
    b.method("setTagTaperProportion:", &C::setTagTaperProportion);
    b.method("setTagsAlternate:", std::function<QVariant(C&, const QVariantList&)>([](C& self, const QVariantList& args) { self.setTagsAlternate(args.value(0)); return QVariant(); }));
    b.method("setMainStrokeEnabled:", std::function<QVariant(C&, const QVariantList&)>([](C& self, const QVariantList& args) { self.setMainStrokeEnabled(args.value(0)); return QVariant(); }));
    b.method("setLeftTagTaperEnabled:", std::function<QVariant(C&, const QVariantList&)>([](C& self, const QVariantList& args) { self.setLeftTagTaperEnabled(args.value(0)); return QVariant(); }));
    b.method("setRightTagTaperEnabled:", std::function<QVariant(C&, const QVariantList&)>([](C& self, const QVariantList& args) { self.setRightTagTaperEnabled(args.value(0)); return QVariant(); }));
    b.method("setTagKind:", &C::setTagKind);
    b.method("setTagTaperKind:", &C::setTagTaperKind);
    b.method("setTagCapStyle:", &C::setTagCapStyle);
    b.method("syncToDashAction:", &C::syncToDashAction);
}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLStyleEditSub_PWXTaggedStroke", text);
}
} // namespace

VNQLStyleEditSub_PWXTaggedStroke::VNQLStyleEditSub_PWXTaggedStroke(const QString& nibName)
    : VNQLStyleEditSub_PWStroke(nibName.isEmpty() ? QStringLiteral("VNQLStyleEditSub_PWXTaggedStroke") : nibName)
{
}

const pf::Class& VNQLStyleEditSub_PWXTaggedStroke::managedObjectClass() const
{
    return PWXTaggedStroke::staticClass();
}

QStringList VNQLStyleEditSub_PWXTaggedStroke::keyPathsOfInterest() const
{
    return VNQLStyleEditSub_PWStroke::keyPathsOfInterest() + QStringList{"tagTaperKind", "tagKind", "tagWidth", "tagLength", "tagsAlternate", "leftTagTaperEnabled", "rightTagTaperEnabled", "tagTaperProportion", "mainStrokeEnabled", "tagSpacing", "tagAngle", "tagPhase", "tagCapStyle"};
}

void VNQLStyleEditSub_PWXTaggedStroke::loadView()
{
    using namespace VNQLPaneControls;
    pf::View* view = makeComponentView();
    buildStrokeRows(view);
    mTagTypePopUpButton = taggedPopUp(this, QStringLiteral("tagKindAction:"), {{tr("Tick"), 0}, {tr("Spike"), 1}, {tr("Triangle"), 2}, {tr("Half Disc"), 3}, {tr("Square"), 4}, {tr("Double Tick"), 5}, {tr("Two Bars"), 6}, {tr("Three Bars"), 7}, {tr("Two Spikes"), 8}, {tr("Disc"), 9}, {tr("Circle"), 10}, {tr("Filled Chevron"), 11}, {tr("Chevron"), 12}});
    // Its longest kind is too wide for the column beside the captions.
    addWrappedRow(view, tr("Tag:"), {mTagTypePopUpButton});
    mTagTaperKindPopUpButton = taggedPopUp(this, QStringLiteral("tagTaperKindAction:"), {{tr("Smooth"), 0}, {tr("Linear"), 1}, {tr("Sharp"), 2}, {tr("Blunt"), 3}});
    // Short for the sidebar; the whole name is the tool tip.
    setCaptionToolTip(view, addRow(view, tr("Profile:"), {mTagTaperKindPopUpButton}), tr("Taper profile"));
    mTagCapStylePopUpButton = taggedPopUp(this, QStringLiteral("tagCapStyleAction:"), {{tr("Butt"), 0}, {tr("Round"), 1}, {tr("Square"), 2}});
    addRow(view, tr("Tag Caps:"), {mTagCapStylePopUpButton});
    mTagLengthTextField = numberField(this, QStringLiteral("tagLengthAction:"));
    mTagLengthStepper = stepper(this, QStringLiteral("tagLengthAction:"), 0.5, 0.0, 1000.0);
    addRow(view, tr("Tag Length:"), {mTagLengthTextField, mTagLengthStepper});
    mTagWidthTextField = numberField(this, QStringLiteral("tagWidthAction:"));
    mTagWidthStepper = stepper(this, QStringLiteral("tagWidthAction:"), 0.5, 0.0, 1000.0);
    addRow(view, tr("Tag Width:"), {mTagWidthTextField, mTagWidthStepper});
    mTagSpacingTextField = numberField(this, QStringLiteral("tagSpacingAction:"));
    mTagSpacingStepper = stepper(this, QStringLiteral("tagSpacingAction:"), 0.5, 0.0, 1000.0);
    addRow(view, tr("Spacing:"), {mTagSpacingTextField, mTagSpacingStepper});
    mTagAngleTextField = numberField(this, QStringLiteral("tagAngleAction:"));
    mTagAngleStepper = stepper(this, QStringLiteral("tagAngleAction:"), 5, -360.0, 360.0);
    addRow(view, tr("Angle:"), {mTagAngleTextField, mTagAngleStepper});
    mTagPhaseTextField = numberField(this, QStringLiteral("tagPhaseAction:"));
    mTagPhaseStepper = stepper(this, QStringLiteral("tagPhaseAction:"), 0.05, 0.0, 1.0);
    addRow(view, tr("Phase:"), {mTagPhaseTextField, mTagPhaseStepper});
    mTagTaperTextField = numberField(this, QStringLiteral("tagTaperProportionAction:"));
    mTagTaperStepper = stepper(this, QStringLiteral("tagTaperProportionAction:"), 0.05, 0.0, 0.5);
    addRow(view, tr("Taper:"), {mTagTaperTextField, mTagTaperStepper});
    mTagsAlternateCheckbox = checkBox(tr("Alternate Sides"), this, QStringLiteral("tagsAlternateAction:"));
    addRow(view, {}, {mTagsAlternateCheckbox});
    mMainStrokeEnabledCheckbox = checkBox(tr("Draw Line"), this, QStringLiteral("mainStrokeEnabledAction:"));
    addRow(view, {}, {mMainStrokeEnabledCheckbox});
    mLeftTagTaperEnabledCheckbox = checkBox(tr("Taper Start"), this, QStringLiteral("leftTaperEnabledAction:"));
    addRow(view, {}, {mLeftTagTaperEnabledCheckbox});
    mRightTagTaperEnabledCheckbox = checkBox(tr("Taper End"), this, QStringLiteral("rightTaperEnabledAction:"));
    addRow(view, {}, {mRightTagTaperEnabledCheckbox});
    addLengthField(mTagLengthTextField);
    addLengthField(mTagSpacingTextField);
    addLengthField(mTagWidthTextField);
    mSyncToDashButton = pushButton(tr("Sync to Dash"), this, QStringLiteral("syncToDashAction:"),
                                   tr("Place the tags at the dashes of the line"));
    addRow(view, {}, {mSyncToDashButton});
    finish(view);
    setView(view);
}

void VNQLStyleEditSub_PWXTaggedStroke::tagLengthAction(const QVariant& sender) { write(sender, QStringLiteral("tagLength")); }

void VNQLStyleEditSub_PWXTaggedStroke::tagWidthAction(const QVariant& sender) { write(sender, QStringLiteral("tagWidth")); }

void VNQLStyleEditSub_PWXTaggedStroke::tagSpacingAction(const QVariant& sender) { write(sender, QStringLiteral("tagSpacing")); }

void VNQLStyleEditSub_PWXTaggedStroke::tagAngleAction(const QVariant& sender)
{
    if (pf::Control* control = pf::Control::fromSender(sender))
        setCommonValue(control->doubleValue() * std::numbers::pi / 180.0, QStringLiteral("tagAngle"));
}

void VNQLStyleEditSub_PWXTaggedStroke::tagPhaseAction(const QVariant& sender) { write(sender, QStringLiteral("tagPhase")); }

void VNQLStyleEditSub_PWXTaggedStroke::tagTaperProportionAction(const QVariant& sender) { write(sender, QStringLiteral("tagTaperProportion")); }

void VNQLStyleEditSub_PWXTaggedStroke::tagsAlternateAction(const QVariant& sender) { write(sender, QStringLiteral("tagsAlternate")); }

void VNQLStyleEditSub_PWXTaggedStroke::mainStrokeEnabledAction(const QVariant& sender) { write(sender, QStringLiteral("mainStrokeEnabled")); }

void VNQLStyleEditSub_PWXTaggedStroke::leftTaperEnabledAction(const QVariant& sender) { write(sender, QStringLiteral("leftTagTaperEnabled")); }

void VNQLStyleEditSub_PWXTaggedStroke::rightTaperEnabledAction(const QVariant& sender) { write(sender, QStringLiteral("rightTagTaperEnabled")); }

void VNQLStyleEditSub_PWXTaggedStroke::tagKindAction(const QVariant& sender)
{
    const int tag = selectedTag(sender);
    if (tag >= 0)
        setCommonValue(quint32(tag), QStringLiteral("tagKind"));
}

void VNQLStyleEditSub_PWXTaggedStroke::tagTaperKindAction(const QVariant& sender)
{
    const int tag = selectedTag(sender);
    if (tag >= 0)
        setCommonValue(quint32(tag), QStringLiteral("tagTaperKind"));
}

void VNQLStyleEditSub_PWXTaggedStroke::tagCapStyleAction(const QVariant& sender)
{
    const int tag = selectedTag(sender);
    if (tag >= 0)
        setCommonValue(int(tag), QStringLiteral("tagCapStyle"));
}

void VNQLStyleEditSub_PWXTaggedStroke::setTagLength(const QVariant& value) { VNQLPaneControls::showNumber(mTagLengthTextField, mTagLengthStepper, value); }

void VNQLStyleEditSub_PWXTaggedStroke::setTagWidth(const QVariant& value) { VNQLPaneControls::showNumber(mTagWidthTextField, mTagWidthStepper, value); }

void VNQLStyleEditSub_PWXTaggedStroke::setTagSpacing(const QVariant& value) { VNQLPaneControls::showNumber(mTagSpacingTextField, mTagSpacingStepper, value); }

void VNQLStyleEditSub_PWXTaggedStroke::setTagAngle(const QVariant& value)
{
    VNQLPaneControls::showNumber(mTagAngleTextField, mTagAngleStepper, value.toDouble() * 57.29577951308232);
}

void VNQLStyleEditSub_PWXTaggedStroke::setTagPhase(const QVariant& value) { VNQLPaneControls::showNumber(mTagPhaseTextField, mTagPhaseStepper, value); }

void VNQLStyleEditSub_PWXTaggedStroke::setTagTaperProportion(const QVariant& value) { VNQLPaneControls::showNumber(mTagTaperTextField, mTagTaperStepper, value); }

void VNQLStyleEditSub_PWXTaggedStroke::setTagsAlternate(const QVariant& value)
{
    if (mTagsAlternateCheckbox)
        mTagsAlternateCheckbox->setState(pf::variantToBool(value) ? pf::ControlState::On : pf::ControlState::Off);

}

void VNQLStyleEditSub_PWXTaggedStroke::setMainStrokeEnabled(const QVariant& value)
{
    if (mMainStrokeEnabledCheckbox)
        mMainStrokeEnabledCheckbox->setState(pf::variantToBool(value) ? pf::ControlState::On : pf::ControlState::Off);

}

void VNQLStyleEditSub_PWXTaggedStroke::setLeftTagTaperEnabled(const QVariant& value)
{
    if (mLeftTagTaperEnabledCheckbox)
        mLeftTagTaperEnabledCheckbox->setState(pf::variantToBool(value) ? pf::ControlState::On : pf::ControlState::Off);
    setStatesForLeftTaper(pf::variantToBool(value), pf::variantToBool(commonValueForKeyPath(QStringLiteral("rightTagTaperEnabled"))));
}

void VNQLStyleEditSub_PWXTaggedStroke::setRightTagTaperEnabled(const QVariant& value)
{
    if (mRightTagTaperEnabledCheckbox)
        mRightTagTaperEnabledCheckbox->setState(pf::variantToBool(value) ? pf::ControlState::On : pf::ControlState::Off);
    setStatesForLeftTaper(pf::variantToBool(commonValueForKeyPath(QStringLiteral("leftTagTaperEnabled"))), pf::variantToBool(value));
}

void VNQLStyleEditSub_PWXTaggedStroke::setTagKind(const QVariant& value) { selectTag(mTagTypePopUpButton, value.toInt()); }

void VNQLStyleEditSub_PWXTaggedStroke::setTagTaperKind(const QVariant& value) { selectTag(mTagTaperKindPopUpButton, value.toInt()); }

void VNQLStyleEditSub_PWXTaggedStroke::setTagCapStyle(const QVariant& value) { selectTag(mTagCapStylePopUpButton, value.toInt()); }

void VNQLStyleEditSub_PWXTaggedStroke::setStatesForLock(bool isLocked, bool isEnabled)
{
    VNQLStyleEditSub_PWStroke::setStatesForLock(isLocked, isEnabled);
    const bool e = isEnabled && !isLocked;
    if (mLeftTagTaperEnabledCheckbox)
        mLeftTagTaperEnabledCheckbox->setEnabled(e);
    if (mRightTagTaperEnabledCheckbox)
        mRightTagTaperEnabledCheckbox->setEnabled(e);
    if (mTagLengthTextField)
        mTagLengthTextField->setEnabled(e);
    if (mTagLengthStepper)
        mTagLengthStepper->setEnabled(e);
    if (mTagPhaseTextField)
        mTagPhaseTextField->setEnabled(e);
    if (mTagPhaseStepper)
        mTagPhaseStepper->setEnabled(e);
    if (mTagSpacingTextField)
        mTagSpacingTextField->setEnabled(e);
    if (mTagSpacingStepper)
        mTagSpacingStepper->setEnabled(e);
    if (mTagWidthTextField)
        mTagWidthTextField->setEnabled(e);
    if (mTagWidthStepper)
        mTagWidthStepper->setEnabled(e);
    if (mTagAngleTextField)
        mTagAngleTextField->setEnabled(e);
    if (mTagAngleStepper)
        mTagAngleStepper->setEnabled(e);
    if (mTagTypePopUpButton)
        mTagTypePopUpButton->setEnabled(e);
    if (mTagsAlternateCheckbox)
        mTagsAlternateCheckbox->setEnabled(e);
    if (mTagCapStylePopUpButton)
        mTagCapStylePopUpButton->setEnabled(e);
    if (mMainStrokeEnabledCheckbox)
        mMainStrokeEnabledCheckbox->setEnabled(e);
    if (mSyncToDashButton)
        mSyncToDashButton->setEnabled(e && !pf::isNilOrNull(commonValueForKeyPath(QStringLiteral("dash"))));
    if (isLocked) {
        for (QWidget* control : std::initializer_list<QWidget*>{mTagTaperKindPopUpButton, mTagTaperTextField, mTagTaperStepper})
            if (control)
                VNQLStyleComponentController::setControlEnabled(control, false);
    } else {
        setStatesForLeftTaper(pf::variantToBool(commonValueForKeyPath(QStringLiteral("leftTagTaperEnabled"))),
                              pf::variantToBool(commonValueForKeyPath(QStringLiteral("rightTagTaperEnabled"))));
    }
}

void VNQLStyleEditSub_PWXTaggedStroke::changeUnitsConversionFactorTo(double factor, const QString& units)
{
    VNQLStyleEditSub_PWStroke::changeUnitsConversionFactorTo(factor, units);
}

void VNQLStyleEditSub_PWXTaggedStroke::syncToDashAction(const QVariant&)
{
    if (auto* tagged = dynamic_cast<PWXTaggedStroke*>(representedComponent().get()))
        tagged->synchroniseTagsWithDash();
}

void VNQLStyleEditSub_PWXTaggedStroke::setDash(const QVariant& value)
{
    VNQLStyleEditSub_PWStroke::setDash(value);
    if (mSyncToDashButton)
        mSyncToDashButton->setEnabled(!pf::isNilOrNull(value) && enabled() && !locked());
}

void VNQLStyleEditSub_PWXTaggedStroke::setStatesForLeftTaper(bool left, bool right)
{
    const bool on = (left || right) && pf::variantToBool(commonValueForKeyPath(QStringLiteral("enabled"))) && !locked();
    for (QWidget* control : std::initializer_list<QWidget*>{mTagTaperKindPopUpButton, mTagTaperTextField, mTagTaperStepper})
        if (control)
            VNQLStyleComponentController::setControlEnabled(control, on);
}

