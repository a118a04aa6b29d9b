#pragma once

#include "platform/ui/View.h"

namespace pf {
class Menu;
}

// A light bordered strip that pops up its menu when clicked.
class RVBorderView : public pf::View {
    Q_OBJECT
    PF_CLASS(RVBorderView)
public:
    using pf::View::View;

    pf::Ref<pf::Menu> menu() const { return mMenu; }
    void setMenu(const pf::Ref<pf::Menu>& menu) { mMenu = menu; }
    bool isPressed() const { return mPressed; }

    void drawRect(const QRectF& dirtyRect) override;
    bool acceptsFirstMouse(const pf::Event*) const override { return true; }
    void mouseDown(const pf::Event& event) override;
    void mouseUp(const pf::Event& event) override;

private:
    pf::Ref<pf::Menu> mMenu;
    bool mPressed = false;
};
