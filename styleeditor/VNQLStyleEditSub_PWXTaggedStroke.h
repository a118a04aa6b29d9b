#pragma once

#include "styleeditor/VNQLStyleEditSub_PWStroke.h"

// The tagged stroke's pane: the stroke's rows and the tags repeated along the line, their
// shape, size, angle, spacing, phase and tapering.
class VNQLStyleEditSub_PWXTaggedStroke : public VNQLStyleEditSub_PWStroke {
    PF_CLASS(VNQLStyleEditSub_PWXTaggedStroke)
public:
    explicit VNQLStyleEditSub_PWXTaggedStroke(const QString& nibName = {});

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override;
    QString helpIdentifier() const override { return QStringLiteral("tagged-stroke"); }

    void tagLengthAction(const QVariant& sender);
    void tagWidthAction(const QVariant& sender);
    void tagSpacingAction(const QVariant& sender);
    void tagAngleAction(const QVariant& sender);
    void tagPhaseAction(const QVariant& sender);
    void tagTaperProportionAction(const QVariant& sender);
    void tagsAlternateAction(const QVariant& sender);
    void mainStrokeEnabledAction(const QVariant& sender);
    void leftTaperEnabledAction(const QVariant& sender);
    void rightTaperEnabledAction(const QVariant& sender);
    void tagKindAction(const QVariant& sender);
    void tagTaperKindAction(const QVariant& sender);
    void tagCapStyleAction(const QVariant& sender);

    void setTagLength(const QVariant& value);
    void setTagWidth(const QVariant& value);
    void setTagSpacing(const QVariant& value);
    void setTagAngle(const QVariant& value);
    void setTagPhase(const QVariant& value);
    void setTagTaperProportion(const QVariant& value);
    virtual void setTagsAlternate(const QVariant& value);
    virtual void setMainStrokeEnabled(const QVariant& value);
    virtual void setLeftTagTaperEnabled(const QVariant& value);
    virtual void setRightTagTaperEnabled(const QVariant& value);
    void setTagKind(const QVariant& value);
    void setTagTaperKind(const QVariant& value);
    void setTagCapStyle(const QVariant& value);
    void setStatesForLock(bool locked, bool enabled) override;
    void changeUnitsConversionFactorTo(double factor, const QString& units) override;
    void syncToDashAction(const QVariant& sender);
    void setDash(const QVariant& value) override;
    void setStatesForLeftTaper(bool left, bool right);
    pf::Button* syncToDashButton() const { return mSyncToDashButton; }

    void loadView() override;

    pf::TextField* tagLengthTextField() const { return mTagLengthTextField; }
    pf::TextField* tagWidthTextField() const { return mTagWidthTextField; }
    pf::TextField* tagSpacingTextField() const { return mTagSpacingTextField; }
    pf::TextField* tagAngleTextField() const { return mTagAngleTextField; }
    pf::TextField* tagPhaseTextField() const { return mTagPhaseTextField; }
    pf::TextField* tagTaperTextField() const { return mTagTaperTextField; }
    pf::Button* tagsAlternateCheckbox() const { return mTagsAlternateCheckbox; }
    pf::Button* mainStrokeEnabledCheckbox() const { return mMainStrokeEnabledCheckbox; }
    pf::Button* leftTagTaperEnabledCheckbox() const { return mLeftTagTaperEnabledCheckbox; }
    pf::Button* rightTagTaperEnabledCheckbox() const { return mRightTagTaperEnabledCheckbox; }
    pf::PopUpButton* tagTypePopUpButton() const { return mTagTypePopUpButton; }
    pf::PopUpButton* tagTaperKindPopUpButton() const { return mTagTaperKindPopUpButton; }
    pf::PopUpButton* tagCapStylePopUpButton() const { return mTagCapStylePopUpButton; }

private:
    QPointer<pf::Button> mSyncToDashButton;
    QPointer<pf::TextField> mTagLengthTextField;
    QPointer<pf::Stepper> mTagLengthStepper;
    QPointer<pf::TextField> mTagWidthTextField;
    QPointer<pf::Stepper> mTagWidthStepper;
    QPointer<pf::TextField> mTagSpacingTextField;
    QPointer<pf::Stepper> mTagSpacingStepper;
    QPointer<pf::TextField> mTagAngleTextField;
    QPointer<pf::Stepper> mTagAngleStepper;
    QPointer<pf::TextField> mTagPhaseTextField;
    QPointer<pf::Stepper> mTagPhaseStepper;
    QPointer<pf::TextField> mTagTaperTextField;
    QPointer<pf::Stepper> mTagTaperStepper;
    QPointer<pf::Button> mTagsAlternateCheckbox;
    QPointer<pf::Button> mMainStrokeEnabledCheckbox;
    QPointer<pf::Button> mLeftTagTaperEnabledCheckbox;
    QPointer<pf::Button> mRightTagTaperEnabledCheckbox;
    QPointer<pf::PopUpButton> mTagTypePopUpButton;
    QPointer<pf::PopUpButton> mTagTaperKindPopUpButton;
    QPointer<pf::PopUpButton> mTagCapStylePopUpButton;
};
