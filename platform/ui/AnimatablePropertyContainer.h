#pragma once

#include "platform/ui/Animation.h"

#include <QHash>
#include <QString>

#include <memory>

namespace pf {

// An object whose keys an Animator can animate: it keeps one Animation per key, made from
// defaultAnimationForKey the first time the key is asked for, so that a delegate set on it
// stays for the next run.
class AnimatablePropertyContainer {
public:
    virtual ~AnimatablePropertyContainer() = default;

    // The animation used when `key` changes through the animator; null when the key does not
    // animate (the change is applied at once).
    std::shared_ptr<Animation> animationForKey(const QString& key);
    QHash<QString, std::shared_ptr<Animation>> animations() const { return m_animations; }
    void setAnimations(const QHash<QString, std::shared_ptr<Animation>>& animations) { m_animations = animations; }

    // The animation a key gets when none was set for it; null for keys that do not animate.
    virtual std::shared_ptr<Animation> defaultAnimationForKey(const QString& key) const { return nullptr; }

private:
    QHash<QString, std::shared_ptr<Animation>> m_animations;
};

} // namespace pf
