#pragma once

#include "styleeditor/VNQLStyleEditSub_PWPathDecorator.h"

// The pattern fill's pane: the decorator's image, spacing, scale and wobble, with the grid's
// angle and alternate-column offset, each motif's angle and its randomness, whether cut-off
// motifs are left out, whether the grid turns with the object, and auto-tiling (which sets
// the spacing from the image).
class VNQLStyleEditSub_PWFillPattern : public VNQLStyleEditSub_PWPathDecorator {
    PF_CLASS(VNQLStyleEditSub_PWFillPattern)
public:
    explicit VNQLStyleEditSub_PWFillPattern(const QString& nibName = {});

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override;
    QString helpIdentifier() const override { return QStringLiteral("pattern-fill"); }

    void angleAction(const QVariant& sender);
    void patternOffsetYAction(const QVariant& sender);
    void motifAngleAction(const QVariant& sender);
    void motifAngleRandomnessAction(const QVariant& sender);
    void noClippingAction(const QVariant& sender);
    void relativeAngleAction(const QVariant& sender);
    void autoTileAction(const QVariant& sender);

    void setAngleInDegrees(const QVariant& value);
    void setPatternAlternateYOffset(const QVariant& value);
    void setMotifAngleInDegrees(const QVariant& value);
    void setMotifAngleRandomness(const QVariant& value);
    void setDrawingOfClippedElementsSupressed(const QVariant& value);
    void setAngleIsRelativeToObject(const QVariant& value);
    void setAutoTile(const QVariant& value);

    void setStatesForLock(bool locked, bool enabled) override;

    pf::Button* autoTileCheckbox() const { return mAutoTileCheckbox; }

    void loadView() override;

private:
    bool autoTiles() const;

    QPointer<pf::TextField> mAngleTextField;
    QPointer<pf::Stepper> mAngleStepper;
    QPointer<pf::TextField> mAlternateOffsetTextField;
    QPointer<pf::Stepper> mAlternateOffsetStepper;
    QPointer<pf::TextField> mMotifAngleTextField;
    QPointer<pf::Stepper> mMotifAngleStepper;
    QPointer<pf::TextField> mMotifAngleRandomnessTextField;
    QPointer<pf::Stepper> mMotifAngleRandomnessStepper;
    QPointer<pf::Button> mNoClippingCheckbox;
    QPointer<pf::Button> mRelativeAngleCheckbox;
    QPointer<pf::Button> mAutoTileCheckbox;
};
