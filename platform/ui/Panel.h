#pragma once

#include "platform/ui/Window.h"

namespace pf {

// A utility window: never the main window, hidden while the application is inactive, and
// floating above the document windows when asked to.
class Panel : public Window {
    Q_OBJECT
    PF_CLASS(Panel)
public:
    explicit Panel(QWidget* parent = nullptr);

    bool isFloatingPanel() const { return level() >= kFloatingWindowLevel; }
    void setFloatingPanel(bool floating) { setLevel(floating ? kFloatingWindowLevel : kNormalWindowLevel); }
};

} // namespace pf
