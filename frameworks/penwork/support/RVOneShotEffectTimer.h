#pragma once

#include "platform/foundation/Object.h"

#include <QElapsedTimer>
#include <QTimer>

#include <memory>

// Told of a one-shot effect's progress.
class RVOneShotDelegate {
public:
    virtual ~RVOneShotDelegate() = default;
    // Progress from 0 to 1, rising with the time passed; the last call has 1.
    virtual void oneShotHasReached(double progress) = 0;
    // Once, after the last progress call.
    virtual void oneShotComplete() = 0;
};

// Drives a short animation: over `seconds` it tells its delegate how far it has got, on the
// main thread, then that it is complete. The timer keeps itself alive while it runs; callers
// need not hold it. A delegate that may go away first passes its liveness token (the timer
// then stops quietly), or cancels the timer.
class RVOneShotEffectTimer : public pf::Object {
    PF_CLASS(RVOneShotEffectTimer)
public:
    // About 60 progress calls a second.
    static constexpr int kIntervalMs = 16;

    // Starts a timer; a duration that is not positive and finite completes at once (progress
    // 1, then complete), on the next turn of the event loop. A null delegate starts nothing.
    static pf::Ref<RVOneShotEffectTimer> oneShotWithTime(double seconds, RVOneShotDelegate* delegate,
                                                         std::weak_ptr<void> delegateLiveness = {});

    RVOneShotEffectTimer(double seconds, RVOneShotDelegate* delegate, std::weak_ptr<void> delegateLiveness);
    ~RVOneShotEffectTimer() override;

    double duration() const { return m_duration; }
    bool isRunning() const { return bool(m_self); }
    // Stops without telling the delegate anything more.
    void cancel();

private:
    void start();
    void tick();
    bool delegateAlive() const;

    double m_duration = 0.0;
    RVOneShotDelegate* m_delegate = nullptr;
    std::weak_ptr<void> m_liveness;
    bool m_hasLiveness = false;
    QTimer m_timer;
    QElapsedTimer m_clock;
    pf::Ref<RVOneShotEffectTimer> m_self; // held while running
};
