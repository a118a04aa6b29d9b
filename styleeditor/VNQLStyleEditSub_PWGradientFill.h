#pragma once

#include "styleeditor/PWXGradientControl.h"
#include "styleeditor/PWXGradientParameterView.h"
#include "styleeditor/VNQLStyleComponentController.h"

#include "platform/ui/SegmentedControl.h"

class PWGradientFill;

// The gradient fill's pane: linear or radial, the colour stops (the gradient control), the
// angle or the two centres and radii (the parameter view), whether the angle turns with the
// object, and a warning that transparent colours cannot go to PDF.
class VNQLStyleEditSub_PWGradientFill : public VNQLStyleComponentController,
                                        public PWXGradientParameterViewDelegate {
    PF_CLASS(VNQLStyleEditSub_PWGradientFill)
public:
    explicit VNQLStyleEditSub_PWGradientFill(const QString& nibName = {});

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override;
    QString helpIdentifier() const override { return QStringLiteral("gradient-fill"); }

    void gradientTypeAction(const QVariant& sender);
    void gradientStopsAction(const QVariant& sender);
    void gradientRelAngleAction(const QVariant& sender);
    void gradientAngleAction(const QVariant&) {}
    void gradientWarningAction(const QVariant& sender);

    void setGradient(const QVariant& value);
    void setGradientType(const QVariant& value);
    void setGradientAngle(const QVariant& value) override;
    void setStartingLocation(const QVariant& value) override;
    void setEndingLocation(const QVariant& value) override;
    void setStartingRadius(const QVariant& value) override;
    void setEndingRadius(const QVariant& value) override;
    void setRadialParametersAreRelative(const QVariant& value);
    void setAngleIsRelative(const QVariant& value);
    PWGradientFill* gradientFill() const override;

    static bool gradientColoursHaveTransparency(const pf::Gradient* gradient);
    void conditionallyEnableWarningButton();
    void setStatesForLock(bool locked, bool enabled) override;

    PWXGradientControl* gradientControl() const { return mGradientControl; }
    PWXGradientParameterView* parameterView() const { return mGradientParameterView; }
    pf::SegmentedControl* typeControl() const { return mGradientTypeSegmentedControl; }
    pf::Button* relativeAngleCheckbox() const { return mRelativeAngleCheckbox; }
    pf::Button* warningButton() const { return mParameterWarningButton; }

    void loadView() override;

private:
    QPointer<pf::SegmentedControl> mGradientTypeSegmentedControl;
    QPointer<PWXGradientControl> mGradientControl;
    QPointer<PWXGradientParameterView> mGradientParameterView;
    QPointer<pf::Button> mRelativeAngleCheckbox;
    QPointer<pf::Button> mParameterWarningButton;
};
