#pragma once

#include "styleeditor/RVDashEditor.h"
#include "styleeditor/RVDashEditorDelegate.h"
#include "styleeditor/VNQLStyleComponentController.h"
#include "styleeditor/VNQLStyleEditSub_NSShadow.h"

#include "platform/ui/ColorWell.h"
#include "platform/ui/PopUpButton.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/TextField.h"

class PWStroke;

// The pane of a plain stroke: width (field, stepper and presets), colour, dash (menu of the
// saved dashes and the dash editor), caps and joins, lateral offset, shadow and clipping. The
// other stroke panes build on it.
class VNQLStyleEditSub_PWStroke : public VNQLStyleComponentController,
                                  public RVDashEditorDelegate,
                                  public VNQLShadowSubcontrollerDelegate {
    PF_CLASS(VNQLStyleEditSub_PWStroke)
public:
    // Tags of the width and dash menus' special items.
    static constexpr int kOtherWidthTag = -1;
    static constexpr int kCustomDashTag = -1;
    static constexpr int kSolidLineTag = -2;
    static constexpr int kRegisteredDashTag = 99;

    explicit VNQLStyleEditSub_PWStroke(const QString& nibName = {});
    ~VNQLStyleEditSub_PWStroke() override;

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override;
    QString helpIdentifier() const override { return QStringLiteral("stroke"); }

    // The width preset tag that `width` selects: floor of ten times the width, or none for
    // widths no integer tag can hold.
    static std::optional<int> strokeWidthTagForWidth(double width);
    static pf::Ref<pf::Menu> createDashMenu(pf::Reflective* target, const QString& action);
    // Shows a dash in a menu made by createDashMenu: its saved entry, else "Solid Line" for
    // none, else the custom entry.
    static void showDash(pf::PopUpButton* popUp, const QVariant& value);
    // The dash menu's item a dash menu action was sent for (the item, or its pop-up's choice).
    static pf::Ref<pf::MenuItem> dashMenuItemOfSender(const QVariant& sender);
    void initialiseDashMenu();

    // Actions.
    void strokeWidthAction(const QVariant& sender);
    void strokeWidthMenuAction(const QVariant& sender);
    void strokeColourAction(const QVariant& sender);
    void dashMenuAction(const QVariant& sender);
    void lineCapAction(const QVariant& sender);
    void lineJoinAction(const QVariant& sender);
    void lateralOffsetAction(const QVariant& sender);
    void shadowEnabledAction(const QVariant& sender);
    void clipAction(const QVariant& sender);
    void openDashEditor();

    // Setters (values in).
    void setWidth(const QVariant& value);
    void setColour(const QVariant& value);
    void setLineCapStyle(const QVariant& value);
    void setLineJoinStyle(const QVariant& value);
    virtual void setDash(const QVariant& value);
    void setLateralOffset(const QVariant& value);
    void setShadow(const QVariant& value);
    void setClipping(const QVariant& value);

    bool hasShadow() const;
    void setStatesForLock(bool locked, bool enabled) override;
    void changeUnitsConversionFactorTo(double factor, const QString& units) override;

    // Dash editor.
    void dashDidChange(RVDashEditor& editor) override;
    void dashEditorDidRegisterDash(RVDashEditor& editor, const pf::Ref<PWStrokeDash>& dash) override;
    void drawBackgroundForDashStroke(pf::BezierPath& path) override;
    RVDashEditor* dashEditor() const { return mDashEditor.get(); }

    // Shadow sub-pane.
    void shadowWillChange();
    void shadowDidChange();
    VNQLStyleEditSub_NSShadow* shadowEditor() const { return mShadowEditor.get(); }

    // Controls (tests).
    pf::TextField* widthField() const { return mStrokeWidthTextField; }
    pf::PopUpButton* widthPopUp() const { return mStrokeWidthPopUpButton; }
    pf::ColorWell* colourWell() const { return mStrokeColourWell; }
    pf::PopUpButton* dashPopUp() const { return mDashPopUpButton; }
    pf::SegmentedControl* capControl() const { return mLineCapSegmentedButton; }
    pf::SegmentedControl* joinControl() const { return mLineJoinSegmentedButton; }
    pf::TextField* lateralOffsetField() const { return mLateralOffsetTextField; }
    pf::Button* shadowCheckbox() const { return mShadowEnableCheckbox; }
    pf::PopUpButton* clippingPopUp() const { return mClippingPopUpButton; }

    void loadView() override;

protected:
    PWStroke* stroke() const;
    // Builds the stroke rows into `view`; subclasses add theirs after.
    void buildStrokeRows(pf::View* view);

    QPointer<pf::TextField> mStrokeWidthTextField;
    QPointer<pf::Stepper> mStrokeWidthStepper;
    QPointer<pf::PopUpButton> mStrokeWidthPopUpButton;
    QPointer<pf::ColorWell> mStrokeColourWell;
    QPointer<pf::PopUpButton> mDashPopUpButton;
    QPointer<pf::SegmentedControl> mLineCapSegmentedButton;
    QPointer<pf::SegmentedControl> mLineJoinSegmentedButton;
    QPointer<pf::TextField> mLateralOffsetTextField;
    QPointer<pf::Stepper> mLateralOffsetStepper;
    pf::Ref<RVDashEditor> mDashEditor;
    pf::Ref<VNQLStyleEditSub_NSShadow> mShadowEditor;
    QPointer<pf::Button> mShadowEnableCheckbox;
    QPointer<pf::PopUpButton> mClippingPopUpButton;

private:
    bool m_shadowChangeOpen = false;
};
