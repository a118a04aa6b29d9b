#pragma once

#include <QIcon>
#include <QString>
#include <QVariant>

namespace pf {

class Reflective;

// The state a menu item, check box or segment shows.
enum class ControlState : int { Mixed = -1, Off = 0, On = 1 };

// Something on screen that sends an action and is validated by the responder that would
// receive it: menu items, toolbar items, buttons. A validator reads the action, tag and
// represented object, and may set the title, state, image and enabled flag; kinds of item
// that have no title or state ignore those setters.
class UserInterfaceItem {
public:
    virtual ~UserInterfaceItem() = default;

    virtual QString action() const = 0;
    // The explicit target, or null for an action that travels the responder chain.
    virtual Reflective* target() const { return nullptr; }
    virtual int tag() const { return 0; }
    virtual QVariant representedObject() const { return {}; }

    virtual bool isEnabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;

    virtual QString title() const { return {}; }
    virtual void setTitle(const QString&) {}
    virtual ControlState state() const { return ControlState::Off; }
    virtual void setState(ControlState) {}
    virtual QIcon image() const { return {}; }
    virtual void setImage(const QIcon&) {}

    // What the receiver of the action gets as its sender.
    virtual QVariant senderValue() const = 0;
};

} // namespace pf
