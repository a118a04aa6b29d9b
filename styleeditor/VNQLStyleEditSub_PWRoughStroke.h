#pragma once

#include "styleeditor/VNQLStyleEditSub_PWStroke.h"

// The rough stroke's pane: the stroke's rows and the roughness.
class VNQLStyleEditSub_PWRoughStroke : public VNQLStyleEditSub_PWStroke {
    PF_CLASS(VNQLStyleEditSub_PWRoughStroke)
public:
    explicit VNQLStyleEditSub_PWRoughStroke(const QString& nibName = {});

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override;
    QString helpIdentifier() const override { return QStringLiteral("rough-stroke"); }

    void roughnessAction(const QVariant& sender);

    void setRoughness(const QVariant& value);
    void setStatesForLock(bool locked, bool enabled) override;

    void loadView() override;

    pf::TextField* roughnessTextField() const { return mRoughnessTextField; }

private:
    QPointer<pf::TextField> mRoughnessTextField;
    QPointer<pf::Stepper> mRoughnessStepper;
};
