#pragma once

#include "widgets/RVRoundRectSelectorControl.h"

#include "inspectors/VNQLShapePane.h"

class RVRoundRectSelectorControl;

// The rounded-rectangle pane: which corners are rounded, and by how much.
class VNQL_PWRoundRectShapeController : public VNQLShapePane {
    PF_CLASS(VNQL_PWRoundRectShapeController)
public:
    explicit VNQL_PWRoundRectShapeController(const QString& nibName = {});

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override { return {"cornerRadius", "cornerFlags", "locked"}; }

    void cornerControlAction(const QVariant& sender);
    void cornerRadiusAction(const QVariant& sender);
    void setCornerFlags(const QVariant& value);
    void setCornerRadius(const QVariant& value);
    void setMixedValueForCornerFlags();
    void setMixedValueForCornerRadius();

    RVRoundRectSelectorControl* cornerControl() const { return mCornerControl; }
    pf::TextField* radiusField() const { return mRadiusTextField; }

    void loadView() override;

    // Shows the pane's help page.

    void roundRectHelpAction(const QVariant& sender = {});

private:
    QPointer<RVRoundRectSelectorControl> mCornerControl;
    QPointer<pf::TextField> mRadiusTextField;
    QPointer<pf::Stepper> mRadiusStepper;
};
