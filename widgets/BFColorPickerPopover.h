#pragma once

#include "platform/graphics/Color.h"
#include "platform/ui/ActionTarget.h"
#include "platform/ui/ColorPanel.h"
#include "platform/ui/ColorWell.h"
#include "platform/ui/Popover.h"

#include <QPointer>

// The one popover that shows the colour panel's own pickers next to a colour well. It follows
// the panel's colour while shown and hands each change to its target. Dragging it far enough
// tears the pickers off into the real colour panel.
class BFColorPickerPopover : public pf::Popover {
    PF_CLASS(BFColorPickerPopover)
public:
    BFColorPickerPopover();
    ~BFColorPickerPopover() override;

    static BFColorPickerPopover* sharedPopover();

    // The panel of the content being shown (null before the first show).
    pf::ColorPanel* colorPanel() const;
    void setColorPanel(pf::ColorPanel* panel) { mColorPanel = panel; }
    // The panel's colour while there is one, else the colour to show.
    pf::Color color() const;
    void setColor(const pf::Color& colour);

    // Shows the pickers at `edge` of `rect` of `view`; showing it again for another well
    // closes it (without animation) first.
    void showRelativeToRect(const QRectF& rect, QWidget* view, int edge);
    // Closes, deactivating the served well and forgetting target and observation.
    void close();
    void cancelOperation(const QVariant& sender = {});
    // Closes; `deactivateWell`, `removeTarget` and `removeObserver` say what is ended with it.
    // A close that keeps the well active is not announced as a standard close.
    void closeAndDeactivateColorWell(bool deactivateWell, bool removeTarget, bool removeObserver);
    void removeTargetAndAction();
    void deactivateColorWell();

    bool observingColor() const { return mObservingColor; }
    // Needs a colour panel to turn on.
    void setObservingColor(bool observing);
    void observeValueForKeyPath(const QString& keyPath, pf::Reflective* object, const QVariantMap& change,
                                void* context) override;

    pf::Reflective* target() const { return mTarget.get(); }
    void setTarget(pf::Reflective* target) { mTarget = pf::ActionTarget(target); }
    QString action() const { return mAction; }
    void setAction(const QString& action) { mAction = action; }
    pf::ColorWell* colorWell() const { return mColorWell; }
    void setColorWell(pf::ColorWell* well) { mColorWell = well; }

private:
    pf::Color mColor = pf::Color::white();
    bool mObservingColor = false;
    pf::ActionTarget mTarget;
    QString mAction;
    QPointer<pf::ColorPanel> mColorPanel;
    QPointer<pf::ColorWell> mColorWell;
    quint64 mCloseObservation = 0;
};
