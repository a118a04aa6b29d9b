#pragma once

#include "styleeditor/VNQLStyleComponentController.h"
#include "styleeditor/VNQLStyleEditSub_NSShadow.h"

#include "platform/ui/ColorWell.h"

class PWFill;

// The pane of a colour fill: its colour and its shadow (the shadow sub-pane, switched on and
// off with a checkbox). The zig-zag fill's pane builds on it.
class VNQLStyleEditSub_PWFill : public VNQLStyleComponentController {
    PF_CLASS(VNQLStyleEditSub_PWFill)
public:
    explicit VNQLStyleEditSub_PWFill(const QString& nibName = {});
    ~VNQLStyleEditSub_PWFill() override;

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override;
    QString helpIdentifier() const override { return QStringLiteral("color-fill"); }

    void fillColourAction(const QVariant& sender);
    void shadowEnabledAction(const QVariant& sender);
    void setColour(const QVariant& value);
    void setShadow(const QVariant& value);

    bool hasShadow() const;
    void shadowWillChange();
    void shadowDidChange();
    void setStatesForLock(bool locked, bool enabled) override;

    pf::ColorWell* colourWell() const { return mFillColourWell; }
    pf::Button* shadowCheckbox() const { return mShadowEnabledCheckbox; }
    VNQLStyleEditSub_NSShadow* shadowEditor() const { return mShadowEditor.get(); }

    void loadView() override;

protected:
    PWFill* fill() const;
    // The colour and shadow rows; subclasses add theirs after.
    void buildFillRows(pf::View* view);

    QPointer<pf::ColorWell> mFillColourWell;
    pf::Ref<VNQLStyleEditSub_NSShadow> mShadowEditor;
    QPointer<pf::Button> mShadowEnabledCheckbox;

private:
    bool m_shadowChangeOpen = false;
};
