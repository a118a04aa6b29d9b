#pragma once

#include "styleeditor/VNQLStyleEditSub_PWStroke.h"

// The tapered stroke's pane: the stroke's rows, the taper's profile and each end's taper.
class VNQLStyleEditSub_PWXTaperedStroke : public VNQLStyleEditSub_PWStroke {
    PF_CLASS(VNQLStyleEditSub_PWXTaperedStroke)
public:
    explicit VNQLStyleEditSub_PWXTaperedStroke(const QString& nibName = {});

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override;
    QString helpIdentifier() const override { return QStringLiteral("tapered-stroke"); }

    void leftTaperProportionAction(const QVariant& sender);
    void rightTaperProportionAction(const QVariant& sender);
    void leftTaperEnabledAction(const QVariant& sender);
    void rightTaperEnabledAction(const QVariant& sender);
    void taperKindAction(const QVariant& sender);

    void setLeftTaperProportion(const QVariant& value);
    void setRightTaperProportion(const QVariant& value);
    virtual void setLeftTaperEnabled(const QVariant& value);
    virtual void setRightTaperEnabled(const QVariant& value);
    void setTaperKind(const QVariant& value);
    void setStatesForLock(bool locked, bool enabled) override;
    bool controlsEditable() const { return enabled() && !locked(); }
    void loadView() override;

    pf::TextField* leftTaperTextField() const { return mLeftTaperTextField; }
    pf::TextField* rightTaperTextField() const { return mRightTaperTextField; }
    pf::Button* leftTaperEnabledCheckbox() const { return mLeftTaperEnabledCheckbox; }
    pf::Button* rightTaperEnabledCheckbox() const { return mRightTaperEnabledCheckbox; }
    pf::PopUpButton* taperKindPopUpBUtton() const { return mTaperKindPopUpBUtton; }

private:
    QPointer<pf::TextField> mLeftTaperTextField;
    QPointer<pf::Stepper> mLeftTaperStepper;
    QPointer<pf::TextField> mRightTaperTextField;
    QPointer<pf::Stepper> mRightTaperStepper;
    QPointer<pf::Button> mLeftTaperEnabledCheckbox;
    QPointer<pf::Button> mRightTaperEnabledCheckbox;
    QPointer<pf::PopUpButton> mTaperKindPopUpBUtton;
};
