#include "platform/ui/ActionSender.h"

#include "platform/ui/Application.h"

namespace pf {

bool ActionSender::sendAction()
{
    if (m_action.isEmpty())
        return false;
    return Application::shared()->sendAction(m_action, m_target.get(), senderValue());
}

} // namespace pf
