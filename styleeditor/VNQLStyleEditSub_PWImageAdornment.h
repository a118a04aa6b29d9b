#pragma once

#include "styleeditor/VNQLStyleComponentController.h"

#include "platform/ui/ImageView.h"
#include "platform/ui/PopUpButton.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/TextField.h"

// The image adornment's pane: the image (chosen from a file or pasted), how it fits the object
// (fitted, stretched or at a scale), its opacity, angle and compositing, and whether it is
// clipped to the object's path.
class VNQLStyleEditSub_PWImageAdornment : public VNQLStyleComponentController {
    PF_CLASS(VNQLStyleEditSub_PWImageAdornment)
public:
    explicit VNQLStyleEditSub_PWImageAdornment(const QString& nibName = {});

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override;
    QString helpIdentifier() const override { return QStringLiteral("image-fill"); }

    void imageAction(const QVariant&) {}
    void fileButtonAction(const QVariant& sender);
    void pasteButtonAction(const QVariant& sender);
    void scaleAction(const QVariant& sender);
    void opacityAction(const QVariant& sender);
    void angleAction(const QVariant& sender);
    void clipToPathAction(const QVariant& sender);
    void compositionModeAction(const QVariant& sender);
    void fillModeAction(const QVariant& sender);

    void setImage(const QVariant& value);
    void setScale(const QVariant& value);
    void setOpacity(const QVariant& value);
    void setAngleInDegrees(const QVariant& value);
    void setFittingOption(const QVariant& value);
    void setClipping(const QVariant& value);
    void setOperation(const QVariant& value);

    void setStatesForLock(bool locked, bool enabled) override;

    pf::Button* clipCheckbox() const { return mClipToPathCheckbox; }
    pf::Button* fittingRadioButton(int option) const;
    pf::TextField* scaleTextField() const { return mScaleTextField; }
    pf::PopUpButton* compositionPopUp() const { return mCompositionModePopUpButton; }

    void loadView() override;

protected:
    void newObjectWasAssigned() override;

private:
    QPointer<pf::ImageView> mImageView;
    QPointer<pf::Button> mFileButton;
    QPointer<pf::Button> mPasteButton;
    QPointer<pf::TextField> mScaleTextField;
    QPointer<pf::Stepper> mScaleStepper;
    QPointer<pf::TextField> mOpacityTextField;
    QPointer<pf::Stepper> mOpacityStepper;
    QPointer<pf::TextField> mAngleTextField;
    QPointer<pf::Stepper> mAngleStepper;
    QPointer<pf::Button> mClipToPathCheckbox;
    QPointer<pf::PopUpButton> mCompositionModePopUpButton;
    QPointer<pf::Button> mFillObjectRadioBUtton;
    QPointer<pf::Button> mFillProportionallyRadioButton;
    QPointer<pf::Button> mScaleByRadioButton;
    bool m_lockedState = false;
    bool m_enabledState = true;
};
