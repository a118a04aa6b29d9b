#pragma once

#include "platform/ui/Button.h"
#include "platform/ui/PopUpButton.h"

#include "inspectors/VNQLShapePane.h"

namespace pf {
class Button;
class PopUpButton;
} // namespace pf

// The image pane: opacity, scale, drawing on top and compositing of image shapes, and the
// image commands (edit, crop, size to fit, crop and resample).
class VNQL_PWImageShapeController : public VNQLShapePane {
    PF_CLASS(VNQL_PWImageShapeController)
public:
    explicit VNQL_PWImageShapeController(const QString& nibName = {});

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override;

    void opacityAction(const QVariant& sender);
    void scaleAction(const QVariant& sender);
    void drawOnTopAction(const QVariant& sender);
    void compositingAction(const QVariant& sender);
    // Edit and crop act on exactly one image.
    void editAction(const QVariant& sender);
    void cropAction(const QVariant& sender);
    // One undoable step each over every image of the selection.
    void sizeToFitAction(const QVariant& sender);
    void cropAndResampleAction(const QVariant& sender);

    void setImageOpacity(const QVariant& value);
    void setImageScale(const QVariant& value);
    void setImageDrawsOnTop(const QVariant& value);
    void setCompositingOperation(const QVariant& value);
    void setMixedValueForImageOpacity();
    void setMixedValueForImageScale();
    void setMixedValueForImageDrawsOnTop();
    void setMixedValueForCompositingOperation();

    pf::PopUpButton* compositingPopUp() const { return mCompositingPopUpButton; }
    pf::Button* editButton() const { return mEditButton; }

    void loadView() override;

    // Shows the pane's help page.

    void imageShapeHelpAction(const QVariant& sender = {});

protected:
    void enableControls(bool enabled) override;

private:
    // Sends `selector` to every image of the content as one undo step named `name`.
    void sendToEveryImage(const QString& selector, const QString& name);

    QPointer<pf::TextField> mOpacityTextField;
    QPointer<pf::Stepper> mOpacityStepper;
    QPointer<pf::TextField> mScaleTextField;
    QPointer<pf::Stepper> mScaleStepper;
    QPointer<pf::Button> mDrawsOnTopCheckbox;
    QPointer<pf::PopUpButton> mCompositingPopUpButton;
    QPointer<pf::Button> mEditButton;
    QPointer<pf::Button> mCropButton;
    QPointer<pf::Button> mSizeToFitButton;
    QPointer<pf::Button> mCropResampleButton;
};
