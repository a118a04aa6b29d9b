#pragma once

#include <functional>
#include <memory>

namespace pf {

// A group of animator changes run together: inside runAnimationGroup every change made
// through an Animator takes the group's duration (0 applies it at once), and the completion
// runs once every change of the group has ended (at once when none animates). Groups nest;
// a change belongs to the innermost one.
class AnimationContext {
public:
    using Changes = std::function<void(AnimationContext& context)>;

    static void runAnimationGroup(const Changes& changes, std::function<void()> completion = {});
    static void runAnimationGroup(double duration, const std::function<void()>& changes,
                                  std::function<void()> completion = {});
    // The innermost group being run; null outside runAnimationGroup.
    static AnimationContext* current();

    double duration() const;
    // Negative or non-finite durations read as 0.
    void setDuration(double duration);

    // For the animator: one change of this group has begun; it ends when the answer is released.
    std::shared_ptr<void> beginChange();

    AnimationContext(const AnimationContext&) = delete;
    AnimationContext& operator=(const AnimationContext&) = delete;

private:
    struct State;
    explicit AnimationContext(std::function<void()> completion);
    ~AnimationContext();

    std::shared_ptr<State> m_state;
};

} // namespace pf
