#pragma once

#include "platform/ui/ActionTarget.h"

#include <QString>
#include <QVariant>

namespace pf {

class Reflective;

// The target-action pair of a control. With no target the action travels the responder chain
// when it is sent; the sender value is what the receiver reads (the control itself).
class ActionSender {
public:
    virtual ~ActionSender() = default;

    const QString& action() const { return m_action; }
    void setAction(const QString& selector) { m_action = selector; }
    Reflective* target() const { return m_target.get(); }
    void setTarget(Reflective* target) { m_target = ActionTarget(target); }

    // Sends the action through the application; answers whether a receiver handled it. An
    // empty action sends nothing.
    bool sendAction();
    // What the receiver gets as its sender.
    virtual QVariant senderValue() const = 0;

private:
    QString m_action;
    ActionTarget m_target;
};

} // namespace pf
