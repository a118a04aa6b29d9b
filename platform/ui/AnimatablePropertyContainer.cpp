#include "platform/ui/AnimatablePropertyContainer.h"

namespace pf {

std::shared_ptr<Animation> AnimatablePropertyContainer::animationForKey(const QString& key)
{
    auto it = m_animations.find(key);
    if (it != m_animations.end())
        return it.value();
    std::shared_ptr<Animation> animation = defaultAnimationForKey(key);
    if (animation)
        m_animations.insert(key, animation);
    return animation;
}

} // namespace pf
