#pragma once

#include "inspectors/VNQLShapePane.h"

// The arc pane: radius, included angle and the start and end angles of arcs.
class VNQL_PWArcPathController : public VNQLShapePane {
    PF_CLASS(VNQL_PWArcPathController)
public:
    explicit VNQL_PWArcPathController(const QString& nibName = {});

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override;
    QStringList propertiesExpressibleAsPercentage() const override { return {"radius"}; }

    void radiusAction(const QVariant& sender);
    void startAngleAction(const QVariant& sender);
    void endAngleAction(const QVariant& sender);
    void includedAngleAction(const QVariant& sender);

    void setRadius(const QVariant& value);
    void setSubtendedAngle(const QVariant& value);
    void setStartAngle(const QVariant& value);
    void setEndAngle(const QVariant& value);
    void setMixedValueForRadius();
    void setMixedValueForSubtendedAngle();
    void setMixedValueForStartAngle();
    void setMixedValueForEndAngle();

    QString anglesLine() const;
    pf::TextField* radiusField() const { return mRadiusTextField; }
    pf::TextField* includedAngleField() const { return mIncludedAngleTextField; }

    void loadView() override;

    // Shows the pane's help page.

    void arcPathHelpAction(const QVariant& sender = {});

private:
    void rebuildAnglesLine();

    QPointer<pf::TextField> mRadiusTextField;
    QPointer<pf::TextField> mAnglesTextLabel;
    QPointer<pf::TextField> mIncludedAngleTextField;
    QPointer<pf::Stepper> mRadiusStepper;
    QPointer<pf::Stepper> mIncludedAngleStepper;
    bool m_startMixed = false;
    bool m_endMixed = false;
};
