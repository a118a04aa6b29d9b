#pragma once

#include "platform/ui/Panel.h"

// A panel whose controls always draw in the active look, even while another window is key:
// the inactive colours of its palette are kept equal to the active ones.
class RVNonDeactivatingWindow : public pf::Panel {
    Q_OBJECT
    PF_CLASS(RVNonDeactivatingWindow)
public:
    explicit RVNonDeactivatingWindow(QWidget* parent = nullptr);

    bool hasActiveControls() const { return true; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void useActiveColoursWhenInactive();
    bool mAdjustingPalette = false;
};
