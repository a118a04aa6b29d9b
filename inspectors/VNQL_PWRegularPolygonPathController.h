#pragma once

#include "platform/ui/SegmentedControl.h"

#include "inspectors/VNQLShapePane.h"

namespace pf {
class SegmentedControl;
}

// The polygon pane: sides, radius, and for stars the inner radius and the spreads.
class VNQL_PWRegularPolygonPathController : public VNQLShapePane {
    PF_CLASS(VNQL_PWRegularPolygonPathController)
public:
    explicit VNQL_PWRegularPolygonPathController(const QString& nibName = {});

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override;
    QStringList propertiesExpressibleAsPercentage() const override { return {"radius"}; }

    void sidesAction(const QVariant& sender);
    void radiusAction(const QVariant& sender);
    void innerRadiusAction(const QVariant& sender);
    void tipAction(const QVariant& sender);
    void valleyAction(const QVariant& sender);
    // From the segments: segment 0 makes stars, the other polygons.
    void starAction(const QVariant& sender);

    void setNumberOfSides(const QVariant& value);
    void setRadius(const QVariant& value);
    void setInnerRadius(const QVariant& value);
    void setTipSpread(const QVariant& value);
    void setValleySpread(const QVariant& value);
    void setIsStar(const QVariant& value);
    void setMixedValueForNumberOfSides();
    void setMixedValueForRadius();
    void setMixedValueForInnerRadius();
    void setMixedValueForTipSpread();
    void setMixedValueForValleySpread();
    void setMixedValueForIsStar();

    pf::SegmentedControl* starSegments() const { return mStarSegments; }
    pf::TextField* innerRadiusField() const { return mInnerRadiusTextField; }
    pf::TextField* valleyField() const { return mValleyTextField; }
    pf::TextField* sidesField() const { return mSidesTextField; }

    void loadView() override;

    // Shows the pane's help page.

    void regularPolygonHelpAction(const QVariant& sender = {});

protected:
    void enableControls(bool enabled) override;

private:
    void enableStarControls();

    QPointer<pf::TextField> mSidesTextField;
    QPointer<pf::TextField> mRadiusTextField;
    QPointer<pf::TextField> mInnerRadiusTextField;
    QPointer<pf::TextField> mTipTextField;
    QPointer<pf::TextField> mValleyTextField;
    QPointer<pf::SegmentedControl> mStarSegments;
    QPointer<pf::Stepper> mSidesStepper;
    QPointer<pf::Stepper> mRadiusStepper;
    QPointer<pf::Stepper> mInnerRadiusStepper;
    QPointer<pf::Stepper> mTipStepper;
    QPointer<pf::Stepper> mValleyStepper;
    // A mixed star value counts as a star.
    bool m_star = true;
};
