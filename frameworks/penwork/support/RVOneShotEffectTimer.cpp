#include "frameworks/penwork/support/RVOneShotEffectTimer.h"

#include "platform/foundation/ClassBuilder.h"

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS(RVOneShotEffectTimer, pf::Object)
{
    b.property("duration", &RVOneShotEffectTimer::duration);
    b.method("cancel", &RVOneShotEffectTimer::cancel);
}

pf::Ref<RVOneShotEffectTimer> RVOneShotEffectTimer::oneShotWithTime(double seconds, RVOneShotDelegate* delegate,
                                                                    std::weak_ptr<void> delegateLiveness)
{
    if (!delegate)
        return nullptr;
    auto timer = std::make_shared<RVOneShotEffectTimer>(seconds, delegate, std::move(delegateLiveness));
    timer->m_self = timer;
    timer->start();
    return timer;
}

RVOneShotEffectTimer::RVOneShotEffectTimer(double seconds, RVOneShotDelegate* delegate,
                                           std::weak_ptr<void> delegateLiveness)
    : m_duration(std::isfinite(seconds) && seconds > 0.0 ? seconds : 0.0), m_delegate(delegate),
      m_liveness(std::move(delegateLiveness))
{
    // An empty weak pointer (one that never pointed anywhere) means no token was given.
    const std::weak_ptr<void> none;
    m_hasLiveness = m_liveness.owner_before(none) || none.owner_before(m_liveness);
    m_timer.setInterval(kIntervalMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
}

RVOneShotEffectTimer::~RVOneShotEffectTimer() = default;

void RVOneShotEffectTimer::start()
{
    m_clock.start();
    if (m_duration <= 0.0)
        m_timer.setInterval(0);
    m_timer.start();
}

bool RVOneShotEffectTimer::delegateAlive() const
{
    return m_delegate && (!m_hasLiveness || !m_liveness.expired());
}

void RVOneShotEffectTimer::tick()
{
    // Keep ourselves alive to the end of this call, whatever the delegate does.
    pf::Ref<RVOneShotEffectTimer> keep = m_self;
    if (!keep)
        return;
    if (!delegateAlive()) {
        cancel();
        return;
    }
    const double elapsed = m_clock.nsecsElapsed() / 1e9;
    const double progress = m_duration > 0.0 ? std::clamp(elapsed / m_duration, 0.0, 1.0) : 1.0;
    m_delegate->oneShotHasReached(progress);
    if (!m_self)
        return; // cancelled by the delegate
    if (progress >= 1.0) {
        m_timer.stop();
        RVOneShotDelegate* delegate = m_delegate;
        m_self.reset();
        if (delegateAlive())
            delegate->oneShotComplete();
    }
}

void RVOneShotEffectTimer::cancel()
{
    m_timer.stop();
    m_self.reset();
}
