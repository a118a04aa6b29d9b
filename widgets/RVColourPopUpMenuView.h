#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Control.h"

#include <QPointer>

class RVColorWell;

// A colour swatch with a turn-down arrow. Holding the mouse down for a moment opens the pop-up
// colour picker (Option: on the wheel); a quick click instead selects the control, which then
// edits its colour through the colour panel by way of a hidden proxy well. Flipped.
class RVColourPopUpMenuView : public pf::Control {
    Q_OBJECT
    PF_CLASS(RVColourPopUpMenuView)
public:
    explicit RVColourPopUpMenuView(const QRectF& frame, QWidget* parent = nullptr);
    ~RVColourPopUpMenuView() override;

    static pf::Ref<pf::Image> popUpMenuTriangleImage();
    static pf::Ref<pf::Image> invertedPopUpMenuTriangleImage();
    static double menuDelay() { return 0.25; }

    pf::Color color() const { return mColour; }
    // Made opaque first when transparency is not allowed; a colour also goes to the proxy well.
    void setColor(const pf::Color& colour);
    bool isHighlighted() const { return mHighlighted; }
    void setHighlighted(bool highlighted);
    bool isMenuPoppedUp() const { return mMenuIsPoppedUp; }
    bool selected() const { return mSelected; }
    // Selected: the proxy well is the colour panel's active well.
    void setSelected(bool selected);
    bool disallowsTransparency() const { return mNoTransparency; }
    void setDisallowsTransparency(bool disallows) { mNoTransparency = disallows; }
    void setEnabled(bool enabled);
    RVColorWell* proxyWell() const { return mProxyWell; }

    bool isFlipped() const override { return true; }
    bool isOpaque() const override { return true; }
    bool acceptsFirstResponder() const override { return false; }

    void colourChangeFromPicker(const QVariant& sender);
    void proxyWellColorChange(const QVariant& sender);
    void proxyWellDeactivated(const QVariant& notification);
    void trackMenuWithEvent(const pf::Event& event);

    void drawRect(const QRectF& dirtyRect) override;
    void mouseDown(const pf::Event& event) override;
    void mouseDragged(const pf::Event&) override {}
    void mouseUp(const pf::Event& event) override;

private:
    void takeColour(const pf::Color& colour);

    pf::Color mColour;
    bool mHighlighted = false;
    bool mMenuIsPoppedUp = false;
    bool mSelected = false;
    bool mNoTransparency = false;
    RVColorWell* mProxyWell = nullptr;
    quint64 mPendingMenu = 0;
};
