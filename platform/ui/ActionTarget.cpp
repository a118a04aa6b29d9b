#include "platform/ui/ActionTarget.h"

#include "platform/foundation/Reflective.h"

namespace pf {

ActionTarget::ActionTarget(Reflective* target)
    : m_target(target)
{
    if (target)
        m_liveness = target->livenessToken();
}

} // namespace pf
