#pragma once

#include "styleeditor/VNQLStyleComponentController.h"

#include "platform/ui/ImageView.h"
#include "platform/ui/PopUpButton.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/TextField.h"

// The path decorator's pane: the motif image (dropped on the well, chosen from a file or
// pasted), the spacing, side offset, scale and its randomness, wobble and lead-in/out of the
// copies along the path, and how they turn, alternate, chain and clip. The pattern fill's
// pane builds on it.
class VNQLStyleEditSub_PWPathDecorator : public VNQLStyleComponentController {
    PF_CLASS(VNQLStyleEditSub_PWPathDecorator)
public:
    explicit VNQLStyleEditSub_PWPathDecorator(const QString& nibName = {});

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override;
    QString helpIdentifier() const override { return QStringLiteral("path-decorator"); }

    void imageAction(const QVariant& sender);
    void spacingAction(const QVariant& sender);
    void lateralOffsetAction(const QVariant& sender);
    void scaleAction(const QVariant& sender);
    void scaleRandomnessAction(const QVariant& sender);
    void wobblynessAction(const QVariant& sender);
    void leadInOutProportionAction(const QVariant& sender);
    void normalToPathAction(const QVariant& sender);
    void lateralAlternatesAction(const QVariant& sender);
    void chainAction(const QVariant& sender);
    void clippingAction(const QVariant& sender);
    void pasteImageAction(const QVariant& sender);
    void imageFileAction(const QVariant& sender);

    void setImage(const QVariant& value);
    void setInterval(const QVariant& value);
    void setScale(const QVariant& value);
    void setScaleRandomness(const QVariant& value);
    void setLateralOffset(const QVariant& value);
    void setLateralOffsetAlternates(const QVariant& value);
    void setNormalToPath(const QVariant& value);
    void setLeadInAndOutLengthProportion(const QVariant& value);
    void setUsesChainMethod(const QVariant& value);
    void setWobblyness(const QVariant& value);
    void setClipping(const QVariant& value);

    void setStatesForLock(bool locked, bool enabled) override;
    void changeUnitsConversionFactorTo(double factor, const QString& units) override;

    pf::ImageView* patternImageView() const { return mPatternImageView; }
    pf::TextField* spacingTextField() const { return mSpacingTextField; }
    pf::Stepper* spacingStepper() const { return mSpacingStepper; }
    pf::Button* pasteImageButton() const { return mPasteImageButton; }

    void loadView() override;

protected:
    void newObjectWasAssigned() override;
    // The image and motif rows shared with the pattern fill; the path rows only here.
    void buildImageRows(pf::View* view);
    void buildPathRows(pf::View* view);
    // Number rows of a field and a stepper that follow the lock.
    // Answers the row, for a shortened caption's tool tip.
    int numberRow(pf::View* view, const QString& caption, const char* action, QPointer<pf::TextField>& field,
                   QPointer<pf::Stepper>& step, double increment, double low, double high);

    QPointer<pf::ImageView> mPatternImageView;
    QPointer<pf::TextField> mSpacingTextField;
    QPointer<pf::Stepper> mSpacingStepper;
    QPointer<pf::TextField> mLateralOffsetTextField;
    QPointer<pf::Stepper> mLateralOffsetStepper;
    QPointer<pf::TextField> mScaleTextField;
    QPointer<pf::Stepper> mScaleStepper;
    QPointer<pf::TextField> mScaleRandomnessTextField;
    QPointer<pf::Stepper> mScaleRandomnessStepper;
    QPointer<pf::TextField> mWobbleTextField;
    QPointer<pf::Stepper> mWobbleStepper;
    QPointer<pf::TextField> mLeadInOutTextField;
    QPointer<pf::Stepper> mLeadInOutStepper;
    QPointer<pf::Button> mNormalToPathCheckbox;
    QPointer<pf::Button> mLateralAlternatesCheckbox;
    QPointer<pf::Button> mChainCheckbox;
    QPointer<pf::Button> mPasteImageButton;
    QPointer<pf::Button> mFileImageButton;
    QPointer<pf::PopUpButton> mClippingPopUpButton;
    bool m_lockedState = false;
    bool m_enabledState = true;
};
