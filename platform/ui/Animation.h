#pragma once

#include <QEasingCurve>

#include <memory>

namespace pf {

class Animation;

// Told when an animation run by an animator ends: `finished` is false when a newer change of
// the same key on the same object cut it short.
class AnimationDelegate {
public:
    virtual ~AnimationDelegate() = default;
    virtual void animationDidStop(Animation& animation, bool finished) {}
};

// How an animatable key of a view or window changes when it is set through its animator: over
// a duration in seconds, along an easing curve, with a delegate told when a run stops.
class Animation {
public:
    static constexpr double kDefaultDuration = 0.25;

    explicit Animation(double duration = kDefaultDuration);
    static std::shared_ptr<Animation> withDuration(double duration);

    double duration() const { return m_duration; }
    // Negative or non-finite durations read as 0 (no animation: the value is set at once).
    void setDuration(double duration);
    const QEasingCurve& easingCurve() const { return m_easing; }
    void setEasingCurve(const QEasingCurve& curve) { m_easing = curve; }

    // Not owned. A delegate that is also a Reflective is dropped once it is destroyed.
    AnimationDelegate* delegate() const;
    void setDelegate(AnimationDelegate* delegate);

private:
    double m_duration;
    QEasingCurve m_easing{QEasingCurve::InOutQuad};
    AnimationDelegate* m_delegate = nullptr;
    std::weak_ptr<void> m_delegateLiveness;
    bool m_delegateIsReflective = false;
};

} // namespace pf
