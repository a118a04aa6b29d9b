#pragma once

#include <memory>

namespace pf {

class Reflective;

// A weak reference to any Reflective (a model object or a widget) used as the target of an
// action: it reads as null once the object is gone, so a control never sends to a dead target.
class ActionTarget {
public:
    ActionTarget() = default;
    ActionTarget(Reflective* target);

    Reflective* get() const { return m_liveness.expired() ? nullptr : m_target; }
    explicit operator bool() const { return get() != nullptr; }

private:
    Reflective* m_target = nullptr;
    std::weak_ptr<void> m_liveness;
};

} // namespace pf
