#include "platform/ui/Animation.h"

#include "platform/foundation/Reflective.h"

#include <cmath>

namespace pf {

Animation::Animation(double duration)
{
    setDuration(duration);
}

std::shared_ptr<Animation> Animation::withDuration(double duration)
{
    return std::make_shared<Animation>(duration);
}

void Animation::setDuration(double duration)
{
    m_duration = std::isfinite(duration) && duration > 0 ? duration : 0.0;
}

AnimationDelegate* Animation::delegate() const
{
    if (m_delegateIsReflective && m_delegateLiveness.expired())
        return nullptr;
    return m_delegate;
}

void Animation::setDelegate(AnimationDelegate* delegate)
{
    m_delegate = delegate;
    auto* reflective = dynamic_cast<Reflective*>(delegate);
    m_delegateIsReflective = reflective != nullptr;
    m_delegateLiveness = reflective ? reflective->livenessToken() : std::weak_ptr<void>();
}

} // namespace pf
