#pragma once

#include <QString>

namespace pf {

class Popover;
class Window;

// What a popover tells its delegate and asks of it; every answer has a default.
class PopoverDelegate {
public:
    virtual ~PopoverDelegate() = default;
    virtual void popoverWillShow(Popover& popover) {}
    virtual void popoverDidShow(Popover& popover) {}
    // Asked before a close the user or the behaviour asks for (performClose, a click outside,
    // Escape); close() itself does not ask.
    virtual bool popoverShouldClose(Popover& popover) { return true; }
    virtual void popoverWillClose(Popover& popover, const QString& reason) {}
    virtual void popoverDidClose(Popover& popover, const QString& reason) {}
    // The window the content moves into when the popover is detached; none keeps it attached.
    virtual Window* detachableWindowForPopover(Popover& popover) { return nullptr; }
    virtual void popoverDidDetach(Popover& popover) {}
};

} // namespace pf
