#pragma once

#include "styleeditor/VNQLStyleComponentController.h"
#include "styleeditor/VNQLStyleGroupChildPanes.h"

#include "platform/graphics/Color.h"
#include "platform/ui/ColorWell.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/TextField.h"

// The repeat group's pane: how many repeats, each one's offset, scale and turn, whether the
// turn follows the object, the drawing order and a tint towards a blend colour. The panes of
// the group's children follow it in the group's container.
class VNQLStyleEditSub_PWRepeatTransformGroup : public VNQLStyleComponentController {
    PF_CLASS(VNQLStyleEditSub_PWRepeatTransformGroup)
public:
    explicit VNQLStyleEditSub_PWRepeatTransformGroup(const QString& nibName = {});
    ~VNQLStyleEditSub_PWRepeatTransformGroup() override;

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override;
    QString helpIdentifier() const override { return QStringLiteral("repeater"); }

    void repeatsAction(const QVariant& sender);
    void xOffsetAction(const QVariant& sender);
    void yOffsetAction(const QVariant& sender);
    void xScaleAction(const QVariant& sender);
    void yScaleAction(const QVariant& sender);
    void rotationAction(const QVariant& sender);
    void relativeRotationAction(const QVariant& sender);
    void repeatReverseAction(const QVariant& sender);
    void blendEnableAction(const QVariant& sender);
    void blendColourAction(const QVariant& sender);
    void pasteIntoGroupAction(const QVariant& sender);

    void setNumberOfRepeats(const QVariant& value);
    void setDeltaX(const QVariant& value);
    void setDeltaY(const QVariant& value);
    void setScaleX(const QVariant& value);
    void setScaleY(const QVariant& value);
    void setDeltaAngle(const QVariant& value);
    void setAngleIsRelative(const QVariant& value);
    void setReversed(const QVariant& value);
    void setBlendColour(const QVariant& value);
    void setRenderList(const QVariant& value);

    pf::Color savedBlendColour() const { return m_savedBlendColour; }
    void addSubcontroller(VNQLStyleComponentController* pane) override { mSubcontrollers.append(pane); }
    QList<VNQLStyleComponentController*> subcontrollers() const { return mSubcontrollers.panes(); }
    void setStatesForLock(bool locked, bool enabled) override;
    bool validateUserInterfaceItem(pf::UserInterfaceItem& item) override;
    pf::Ref<pf::Menu> componentMenu() override;

    pf::TextField* repeatsTextField() const { return mRepeatsTextField; }
    pf::TextField* rotationTextField() const { return mRotationTextField; }
    pf::Button* blendEnableCheckbox() const { return mBlendEnableCheckbox; }
    pf::ColorWell* blendColourWell() const { return mBlendColourWell; }

    void loadView() override;

private:
    QPointer<pf::TextField> mRepeatsTextField;
    QPointer<pf::Stepper> mRepeatsStepper;
    QPointer<pf::TextField> mXOffsetTextField;
    QPointer<pf::Stepper> mXOffsetStepper;
    QPointer<pf::TextField> mYOffsetTextField;
    QPointer<pf::Stepper> mYOffsetStepper;
    QPointer<pf::TextField> mXScaleTextField;
    QPointer<pf::Stepper> mXScaleStepper;
    QPointer<pf::TextField> mYScaleTextField;
    QPointer<pf::Stepper> mYScaleStepper;
    QPointer<pf::TextField> mRotationTextField;
    QPointer<pf::Stepper> mRotationStepper;
    QPointer<pf::Button> mRelRotationCheckbox;
    QPointer<pf::Button> mReverseCheckbox;
    QPointer<pf::ColorWell> mBlendColourWell;
    QPointer<pf::Button> mBlendEnableCheckbox;
    VNQLStyleGroupChildPanes mSubcontrollers;
    pf::Color m_savedBlendColour = pf::Color::white();
};
