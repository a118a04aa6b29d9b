#pragma once

#include "platform/ui/Button.h"

#include "platform/ui/ViewController.h"

#include <QPointer>

class PWDrawingView;
class PWObjectDrawingLayer;
class VNQLArrangePaneDelegate;
namespace pf {
class Button;
}

// The base of the Geometry tab's arrange, boolean and alignment panes: small panes of buttons
// that act on the selection of the drawing's current layer, which they learn from their
// delegate (the tab). Each action first takes its action's name as the pane's title, so the
// operation that runs can name its undo step after it.
class VNQLSelectionPane : public pf::ViewController {
    PF_CLASS(VNQLSelectionPane)
public:
    explicit VNQLSelectionPane(const QString& nibName = {});

    VNQLArrangePaneDelegate* delegate() const { return m_delegate; }
    void setDelegate(VNQLArrangePaneDelegate* delegate) { m_delegate = delegate; }

    pf::Ref<PWObjectDrawingLayer> currentDrawingLayer();
    qint64 selectionCount();
    // The drawing view of the current document, or null.
    static PWDrawingView* currentDrawingView();

    // Accepted for the tab's sake; the panes hold no content.
    void unloadContent() {}
    void reloadContent() {}
    // Called each time the tab shows the pane: brings the buttons' enabled states up to date.
    virtual void viewWillAppear() {}

protected:
    // A button with a short label whose tool tip is the action's full name.
    pf::Button* button(const QString& label, const QString& toolTip, const QString& action);

private:
    VNQLArrangePaneDelegate* m_delegate = nullptr;
};
