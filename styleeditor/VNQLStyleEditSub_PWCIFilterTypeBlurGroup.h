#pragma once

#include "styleeditor/VNQLStyleComponentController.h"
#include "styleeditor/VNQLStyleGroupChildPanes.h"

#include "platform/ui/PopUpButton.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/TextField.h"

// The blur group's pane: the kind of blur, its amount, the direction of a motion blur, and
// where it is clipped.
// The panes of the group's children follow it in the group's container.
class VNQLStyleEditSub_PWCIFilterTypeBlurGroup : public VNQLStyleComponentController {
    PF_CLASS(VNQLStyleEditSub_PWCIFilterTypeBlurGroup)
public:
    explicit VNQLStyleEditSub_PWCIFilterTypeBlurGroup(const QString& nibName = {});

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override;
    QString helpIdentifier() const override { return QStringLiteral("blur"); }

    void blurAmountAction(const QVariant& sender);
    void blurAngleAction(const QVariant& sender);
    void blurTypeAction(const QVariant& sender);
    void clippingAction(const QVariant& sender);
    void pasteIntoGroupAction(const QVariant& sender);
    void setBlurAmount(const QVariant& value);
    void setBlurAngle(const QVariant& value);
    void setBlurType(const QVariant& value);
    void setClipping(const QVariant& value);
    // Which controls a blur type uses: the amount always, the angle only for a motion blur.
    static bool controlEnabledForBlurType(int blurType, const QString& keyPath);
    void setRenderList(const QVariant& value);
    void setDisplayName(const QVariant& value);

    void addSubcontroller(VNQLStyleComponentController* pane) override { mSubControllers.append(pane); }
    QList<VNQLStyleComponentController*> subcontrollers() const { return mSubControllers.panes(); }
    void setStatesForLock(bool locked, bool enabled) override;
    bool validateUserInterfaceItem(pf::UserInterfaceItem& item) override;
    pf::Ref<pf::Menu> componentMenu() override;

    pf::TextField* blurAngleTextField() const { return mBlurAngleTextField; }
    pf::PopUpButton* blurTypePopUp() const { return mBlurTypePopUpButon; }

    void loadView() override;

private:
    QPointer<pf::TextField> mBlurAmountTextField;
    QPointer<pf::Stepper> mBlurAmountStepper;
    QPointer<pf::TextField> mBlurAngleTextField;
    QPointer<pf::Stepper> mBlurAngleStepper;
    QPointer<pf::PopUpButton> mBlurTypePopUpButon;
    QPointer<pf::PopUpButton> mClippingPopUpButton;
    VNQLStyleGroupChildPanes mSubControllers;
};
