#include "platform/foundation/Timer.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/SideTable.h"

#include <QThread>
#include <QTimer>

#include <cmath>
#include <unordered_map>
#include <utility>

PF_DEFINE_CLASS_NAMED(pf::Timer, pf::Object, "pf::Timer")
{
    b.property("userInfo", &pf::Timer::userInfo);
    b.property("timeInterval", &pf::Timer::timeInterval);
    b.property("fireDate", &pf::Timer::fireDate, &pf::Timer::setFireDate);
    b.property("isValid", &pf::Timer::isValid);
    b.method("invalidate", &pf::Timer::invalidate);
    b.method("fire", &pf::Timer::fire);
}

namespace pf {

namespace {

// The scheduled timers, kept alive as the run loop keeps them until they are invalidated.
struct ScheduledTimers {
    std::mutex mutex;
    std::unordered_map<const Timer*, Ref<Timer>> timers;

    void add(Ref<Timer> timer)
    {
        std::lock_guard lock(mutex);
        timers.emplace(timer.get(), std::move(timer));
    }
    Ref<Timer> take(const Timer* timer)
    {
        std::lock_guard lock(mutex);
        auto it = timers.find(timer);
        if (it == timers.end())
            return nullptr;
        Ref<Timer> taken = std::move(it->second);
        timers.erase(it);
        return taken;
    }
};

ScheduledTimers& scheduledTimers()
{
    static auto* registry = new ScheduledTimers;
    return *registry;
}

} // namespace

Timer::Timer(Passkey) : m_target(std::make_unique<WeakHandle>()) {}

Timer::~Timer()
{
    if (!m_timer)
        return;
    if (m_timer->thread() == QThread::currentThread())
        delete m_timer;
    else
        m_timer->deleteLater();
}

Ref<Timer> Timer::scheduledTimer(double interval, bool repeats, Reflective* target, const QString& selector,
                                 const QVariant& userInfo, const QStringList& modes)
{
    PF_PARAMETER_ASSERT(target);
    PF_PARAMETER_ASSERT(!selector.isEmpty());
    auto timer = std::make_shared<Timer>(Passkey{});
    timer->m_hasTarget = true;
    *timer->m_target = weakHandle(target);
    timer->m_selector = selector;
    timer->m_userInfo = userInfo;
    return schedule(std::move(timer), interval, repeats, modes);
}

Ref<Timer> Timer::scheduledTimer(double interval, bool repeats, Action action, const QStringList& modes)
{
    PF_PARAMETER_ASSERT(action);
    auto timer = std::make_shared<Timer>(Passkey{});
    timer->m_action = std::move(action);
    return schedule(std::move(timer), interval, repeats, modes);
}

Ref<Timer> Timer::schedule(Ref<Timer> timer, double interval, bool repeats, const QStringList& modes)
{
    PF_PARAMETER_ASSERT(!modes.isEmpty());
    // A repeating timer with no interval would spin the loop; a tenth of a millisecond is
    // the least, which the event loop rounds up to one.
    timer->m_interval = (std::isnan(interval) || interval <= 0) ? 0.0001 : interval;
    timer->m_repeats = repeats;
    timer->m_modes = modes;
    timer->m_timer = new QTimer;
    timer->m_timer->setSingleShot(true);
    timer->m_timer->setTimerType(Qt::PreciseTimer);
    Weak<Timer> weak = timer;
    QObject::connect(timer->m_timer, &QTimer::timeout, timer->m_timer, [weak] {
        if (Ref<Timer> strong = weak.lock())
            strong->tick();
    });
    timer->m_valid = true;
    scheduledTimers().add(timer);
    timer->arm(timer->m_interval);
    return timer;
}

void Timer::arm(double seconds)
{
    m_due = detail::deadlineAfter(seconds);
    {
        std::lock_guard lock(m_mutex);
        m_fireDate = QDateTime::currentDateTime().addMSecs(qint64(std::min(seconds, 1e12) * 1000));
    }
    if (m_due.isForever())
        m_timer->stop();
    else
        m_timer->start(detail::timerMilliseconds(m_due));
}

void Timer::tick()
{
    if (!isValid())
        return;
    // Woken early, or a delay longer than one timer can wait: wait on.
    if (!m_due.hasExpired()) {
        m_timer->start(detail::timerMilliseconds(m_due));
        return;
    }
    if (RunLoop::isMainThread() && !detail::modesInclude(m_modes, RunLoop::main().currentMode())) {
        if (m_repeats) {
            arm(m_interval);
            return;
        }
        Weak<Timer> weak = ref<Timer>();
        const quint64 request = RunLoop::main().perform(
            [weak] {
                if (Ref<Timer> strong = weak.lock())
                    strong->fireFromLoop();
            },
            0, m_modes);
        std::lock_guard lock(m_mutex);
        m_waitingRequest = request;
        return;
    }
    fireFromLoop();
}

void Timer::fireFromLoop()
{
    {
        std::lock_guard lock(m_mutex);
        m_waitingRequest = 0;
    }
    if (!isValid())
        return;
    if (m_repeats)
        arm(m_interval);
    detail::runLoggingExceptions(QStringLiteral("A timer"), [this] { fire(); });
}

void Timer::fire()
{
    Ref<Timer> self = ref<Timer>(); // the action may invalidate it, dropping the last reference
    if (!isValid())
        return;
    try {
        if (m_hasTarget) {
            Reflective* target = m_target->get();
            if (!target) {
                invalidate();
                return;
            }
            target->perform(m_selector, {toVariant(self)});
        } else {
            m_action(*this);
        }
    } catch (...) {
        if (!m_repeats)
            invalidate();
        throw;
    }
    if (!m_repeats)
        invalidate();
}

void Timer::invalidate()
{
    Ref<Object> self = weak_from_this().lock(); // kept until this call returns
    if (!m_valid.exchange(false))
        return;
    cancelWaitingRequest();
    QTimer* qtimer = m_timer;
    onTimerThread([qtimer] { qtimer->stop(); });
    Ref<Timer> released = scheduledTimers().take(this);
}

void Timer::cancelWaitingRequest()
{
    quint64 request;
    {
        std::lock_guard lock(m_mutex);
        request = std::exchange(m_waitingRequest, 0);
    }
    if (request)
        RunLoop::main().cancel(request);
}

QDateTime Timer::fireDate() const
{
    std::lock_guard lock(m_mutex);
    return m_fireDate;
}

void Timer::setFireDate(const QDateTime& date)
{
    if (!isValid() || !date.isValid())
        return;
    cancelWaitingRequest();
    const double seconds = QDateTime::currentDateTime().msecsTo(date) / 1000.0;
    Weak<Timer> weak = ref<Timer>();
    onTimerThread([weak, seconds] {
        Ref<Timer> strong = weak.lock();
        if (strong && strong->isValid())
            strong->arm(seconds);
    });
}

void Timer::onTimerThread(std::function<void()> work)
{
    if (m_timer->thread() == QThread::currentThread())
        work();
    else
        QMetaObject::invokeMethod(m_timer, std::move(work), Qt::QueuedConnection);
}

} // namespace pf
