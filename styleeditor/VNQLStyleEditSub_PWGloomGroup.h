#pragma once

#include "styleeditor/VNQLStyleComponentController.h"
#include "styleeditor/VNQLStyleGroupChildPanes.h"

#include "platform/ui/PopUpButton.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/TextField.h"

// The gloom group's pane: glow or shadow, its radius and intensity and where it is clipped.
// The panes of the group's children follow it in the group's container.
class VNQLStyleEditSub_PWGloomGroup : public VNQLStyleComponentController {
    PF_CLASS(VNQLStyleEditSub_PWGloomGroup)
public:
    explicit VNQLStyleEditSub_PWGloomGroup(const QString& nibName = {});

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override;
    QString helpIdentifier() const override { return QStringLiteral("gloom"); }

    void radiusAction(const QVariant& sender);
    void intensityAction(const QVariant& sender);
    void clippingAction(const QVariant& sender);
    void typeAction(const QVariant& sender);
    void pasteIntoGroupAction(const QVariant& sender);
    void setRadius(const QVariant& value);
    void setIntensity(const QVariant& value);
    void setClipping(const QVariant& value);
    void setType(const QVariant& value);
    void setRenderList(const QVariant& value);
    void setDisplayName(const QVariant& value);

    void addSubcontroller(VNQLStyleComponentController* pane) override { mSubControllers.append(pane); }
    QList<VNQLStyleComponentController*> subcontrollers() const { return mSubControllers.panes(); }
    void setStatesForLock(bool locked, bool enabled) override;
    bool validateUserInterfaceItem(pf::UserInterfaceItem& item) override;
    pf::Ref<pf::Menu> componentMenu() override;

    pf::TextField* radiusTextField() const { return mRadiusTextField; }
    pf::PopUpButton* typePopUp() const { return mTypePopUpButton; }

    void loadView() override;

private:
    QPointer<pf::TextField> mRadiusTextField;
    QPointer<pf::Stepper> mRadiusStepper;
    QPointer<pf::TextField> mIntensityTextField;
    QPointer<pf::Stepper> mIntensityStepper;
    QPointer<pf::PopUpButton> mClippingPopUpButton;
    QPointer<pf::PopUpButton> mTypePopUpButton;
    VNQLStyleGroupChildPanes mSubControllers;
};
