#pragma once

#include "styleeditor/RVDashEditor.h"
#include "styleeditor/RVDashEditorDelegate.h"
#include "styleeditor/VNQLStyleComponentController.h"

#include "platform/ui/ColorWell.h"
#include "platform/ui/PopUpButton.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/TextField.h"

class PWHatching;

// The hatching's pane: the lines' colour, width (field, stepper and presets), dash (saved
// dashes and the dash editor), caps and joins, and the spacing, lead-in, angle, roughness and
// wobble of the pattern. Dash edits are undoable changes of the hatching.
class VNQLStyleEditSub_PWHatching : public VNQLStyleComponentController, public RVDashEditorDelegate {
    PF_CLASS(VNQLStyleEditSub_PWHatching)
public:
    explicit VNQLStyleEditSub_PWHatching(const QString& nibName = {});
    ~VNQLStyleEditSub_PWHatching() override;

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override;
    QString helpIdentifier() const override { return QStringLiteral("hatch-fill"); }

    void colourAction(const QVariant& sender);
    void widthAction(const QVariant& sender);
    void spacingAction(const QVariant& sender);
    void leadInAction(const QVariant& sender);
    void angleAction(const QVariant& sender);
    void relativeAngleAction(const QVariant& sender);
    void roughnessAction(const QVariant& sender);
    void wobblynessAction(const QVariant& sender);
    void widthPopUpMenuAction(const QVariant& sender);
    void dashMenuAction(const QVariant& sender);
    void lineCapAction(const QVariant& sender);
    void lineJoinAction(const QVariant& sender);

    void setColour(const QVariant& value);
    void setWidth(const QVariant& value);
    void setSpacing(const QVariant& value);
    void setLeadInProportion(const QVariant& value);
    void setAngleInDegrees(const QVariant& value);
    void setRoughness(const QVariant& value);
    void setWobblyness(const QVariant& value);
    void setLineCapStyle(const QVariant& value);
    void setLineJoinStyle(const QVariant& value);
    void setDash(const QVariant& value);
    void setAngleIsRelativeToObject(const QVariant& value);

    void initialiseDashMenu();
    void openDashEditor();
    void dashDidChange(RVDashEditor& editor) override;
    void dashEditorDidRegisterDash(RVDashEditor& editor, const pf::Ref<PWStrokeDash>& dash) override;
    // A hatching lies among no strokes: nothing is drawn beneath its dash preview.
    void drawBackgroundForDashStroke(pf::BezierPath&) override {}
    RVDashEditor* dashEditor() const { return mDashEditor.get(); }

    void setStatesForLock(bool locked, bool enabled) override;
    void changeUnitsConversionFactorTo(double factor, const QString& units) override;

    pf::PopUpButton* widthPopUp() const { return mWidthPopUpButton; }
    pf::PopUpButton* dashPopUp() const { return mDashPopUpButton; }
    pf::TextField* angleTextField() const { return mAngleTextField; }
    pf::Button* relativeAngleCheckbox() const { return mRelAngleCheckbox; }

    void loadView() override;

private:
    PWHatching* hatching() const;

    QPointer<pf::ColorWell> mColourWell;
    QPointer<pf::TextField> mWidthTextField;
    QPointer<pf::Stepper> mWidthStepper;
    QPointer<pf::PopUpButton> mWidthPopUpButton;
    QPointer<pf::TextField> mSpacingTextField;
    QPointer<pf::Stepper> mSpacingStepper;
    QPointer<pf::TextField> mLeadInTextField;
    QPointer<pf::Stepper> mLeadInStepper;
    QPointer<pf::TextField> mAngleTextField;
    QPointer<pf::Stepper> mAngleStepper;
    QPointer<pf::TextField> mRoughnessTextField;
    QPointer<pf::Stepper> mRoughnessStepper;
    QPointer<pf::TextField> mWobbleTextField;
    QPointer<pf::Stepper> mWobbleStepper;
    QPointer<pf::PopUpButton> mDashPopUpButton;
    pf::Ref<RVDashEditor> mDashEditor;
    QPointer<pf::SegmentedControl> mLineCapSegmentedButton;
    QPointer<pf::SegmentedControl> mLineJoinSegmentedButton;
    QPointer<pf::Button> mRelAngleCheckbox;
};
