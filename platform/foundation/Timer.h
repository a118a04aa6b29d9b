#pragma once

#include "platform/foundation/Object.h"
#include "platform/foundation/RunLoop.h"

#include <QDateTime>
#include <QDeadlineTimer>

#include <atomic>
#include <functional>
#include <mutex>

class QTimer;

namespace pf {

struct WeakHandle;

// A timer on the thread that schedules it (which must run a Qt event loop). It fires only
// while the main run loop's current mode is one of its modes: a repeating timer skips the
// ticks that fall in another mode; a one-shot timer waits for one of its modes to be current
// again. Timers on other threads fire in every mode. A scheduled timer is kept alive until it
// is invalidated; its target is not retained, and the timer invalidates itself when it finds
// the target gone.
class Timer : public Object {
    PF_CLASS(Timer)

    struct Passkey {};

public:
    using Action = std::function<void(Timer&)>;

    // The target receives `selector` with the timer as its argument.
    static Ref<Timer> scheduledTimer(double interval, bool repeats, Reflective* target, const QString& selector,
                                     const QVariant& userInfo, const QStringList& modes = {kDefaultRunLoopMode});
    static Ref<Timer> scheduledTimer(double interval, bool repeats, Action action,
                                     const QStringList& modes = {kDefaultRunLoopMode});

    explicit Timer(Passkey);
    ~Timer() override;

    // Stops the timer for good; safe from any thread and from its own action.
    void invalidate();
    bool isValid() const { return m_valid.load(); }

    // Calls the action now, whatever the mode; the schedule is unchanged. A one-shot timer
    // is invalidated by it.
    void fire();

    QVariant userInfo() const { return m_userInfo; }
    // The interval of a repeating timer; 0 for a one-shot timer.
    double timeInterval() const { return m_repeats ? m_interval : 0.0; }
    QDateTime fireDate() const;
    // Moves the next firing; a date in the past fires on the next turn.
    void setFireDate(const QDateTime& date);

    // Accepted for callers that set it; firing is not made later by it.
    double tolerance() const { return m_tolerance; }
    void setTolerance(double tolerance) { m_tolerance = tolerance; }

private:
    static Ref<Timer> schedule(Ref<Timer> timer, double interval, bool repeats, const QStringList& modes);
    // On the timer's thread.
    void arm(double seconds);
    void tick();
    void fireFromLoop();
    void cancelWaitingRequest();
    void onTimerThread(std::function<void()> work);

    double m_interval = 0;
    bool m_repeats = false;
    bool m_hasTarget = false;
    std::unique_ptr<WeakHandle> m_target;
    QString m_selector;
    QVariant m_userInfo;
    Action m_action;
    QStringList m_modes;
    double m_tolerance = 0;

    std::atomic<bool> m_valid{false};
    QTimer* m_timer = nullptr;
    QDeadlineTimer m_due;
    mutable std::mutex m_mutex; // guards the fire date and the waiting request
    QDateTime m_fireDate;
    quint64 m_waitingRequest = 0;
};

} // namespace pf
