#pragma once

#include "platform/ui/PopUpButton.h"

#include "inspectors/VNQLSelectionPane.h"

namespace pf {
class PopUpButton;
}

// The arrange pane: stacking order, flips, duplicates and conversions of the selection.
class VNQL_ZArrangerViewController : public VNQLSelectionPane {
    PF_CLASS(VNQL_ZArrangerViewController)
public:
    explicit VNQL_ZArrangerViewController(const QString& nibName = {});

    // The number of objects on the current layer (set by the Geometry tab).
    quint64 totalObjectCount() const { return m_totalObjectCount; }
    void setTotalObjectCount(quint64 count) { m_totalObjectCount = count; }

    // Stacking order, on the current layer, as one undo step each.
    void moveToBackAction(const QVariant& sender);
    void moveBackwardsAction(const QVariant& sender);
    void moveForwardsAction(const QVariant& sender);
    void moveToFrontAction(const QVariant& sender);

    // Sent on to the drawing view, or to the document for the duplicate dialogs.
    void flipHorizontalAction(const QVariant& sender);
    void flipVerticalAction(const QVariant& sender);
    void singleDuplicateAction(const QVariant& sender);
    void linearDuplicateAction(const QVariant& sender);
    void polarDuplicateAction(const QVariant& sender);
    void convertToPath(const QVariant& sender);
    void convertToShape(const QVariant& sender);
    void convertToShapeGroup(const QVariant& sender);
    void convertToTextShape(const QVariant& sender);
    void convertToTextPath(const QVariant& sender);
    void convertToTrack(const QVariant&) {}

    // The conversions are offered while the drawing view can perform them.
    bool validateMenuItem(pf::MenuItem& item) override;

    void viewWillAppear() override;
    void loadView() override;
    // Shows the pane's help page.
    void arrangeFlipConvertHelpAction(const QVariant& sender = {});

    bool stackingEnabled() const;

private:
    enum class Stacking { ToBack, Backwards, Forwards, ToFront };
    void arrange(Stacking how, const QString& actionName);
    // Sends `selector` to the drawing view with the action's name as the sender.
    void sendToDrawingView(const QString& selector, const QString& actionName);
    void sendToDocument(const QString& selector);

    QList<QPointer<pf::Button>> mStackingButtons;
    QPointer<pf::PopUpButton> mConvertPopUpButton;
    quint64 m_totalObjectCount = 0;
};
