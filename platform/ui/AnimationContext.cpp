#include "platform/ui/AnimationContext.h"

#include "platform/ui/Animation.h"

#include <cmath>
#include <vector>

namespace pf {

struct AnimationContext::State {
    double duration = Animation::kDefaultDuration;
    std::function<void()> completion;
    int running = 0;
    bool open = true;

    void completeIfDone()
    {
        if (open || running > 0 || !completion)
            return;
        // Taken first: the completion may start another group.
        std::function<void()> done = std::move(completion);
        completion = nullptr;
        done();
    }
};

namespace {
std::vector<AnimationContext*>& openGroups()
{
    static std::vector<AnimationContext*> groups;
    return groups;
}
} // namespace

AnimationContext::AnimationContext(std::function<void()> completion) : m_state(std::make_shared<State>())
{
    m_state->completion = std::move(completion);
    openGroups().push_back(this);
}

AnimationContext::~AnimationContext()
{
    std::erase(openGroups(), this);
    m_state->open = false;
    m_state->completeIfDone();
}

void AnimationContext::runAnimationGroup(const Changes& changes, std::function<void()> completion)
{
    // The destructor closes the group even when `changes` throws.
    AnimationContext context(std::move(completion));
    if (changes)
        changes(context);
}

void AnimationContext::runAnimationGroup(double duration, const std::function<void()>& changes,
                                         std::function<void()> completion)
{
    runAnimationGroup(
        [&](AnimationContext& context) {
            context.setDuration(duration);
            if (changes)
                changes();
        },
        std::move(completion));
}

AnimationContext* AnimationContext::current()
{
    return openGroups().empty() ? nullptr : openGroups().back();
}

double AnimationContext::duration() const
{
    return m_state->duration;
}

void AnimationContext::setDuration(double duration)
{
    m_state->duration = std::isfinite(duration) && duration > 0 ? duration : 0.0;
}

std::shared_ptr<void> AnimationContext::beginChange()
{
    std::shared_ptr<State> state = m_state;
    ++state->running;
    return std::shared_ptr<void>(nullptr, [state](void*) {
        --state->running;
        state->completeIfDone();
    });
}

} // namespace pf
