#include "platform/foundation/RunLoop.h"

#include "platform/foundation/AutoreleasePool.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/SideTable.h"
#include "platform/foundation/Variant.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <mutex>
#include <vector>

namespace pf {

namespace {

struct Request {
    quint64 handle = 0;
    // Requests made with a function have no target.
    bool hasTarget = false;
    WeakHandle target;
    QString selector;
    QVariant argument;
    std::function<void()> action;
    QStringList modes;
    QDeadlineTimer due;

    bool targetDied() const { return hasTarget && !target.get(); }
};

struct EndOfTurnObserver {
    quint64 token = 0;
    std::function<void()> run;
    bool active = true;
};

} // namespace

struct RunLoop::Private {
    RunLoop* q = nullptr;
    // Lives on the main thread; owns the timer that wakes the loop for the next request.
    QObject context;
    QTimer* wakeTimer = nullptr;

    std::mutex mutex;
    std::vector<Request> requests; // in the order they were made
    quint64 nextHandle = 1;
    std::vector<std::shared_ptr<EndOfTurnObserver>> endOfTurnObservers;
    quint64 nextObserverToken = 1;

    // Main thread only.
    QStringList modeStack;
    bool runningEndOfTurn = false;

    quint64 add(Request request);
    // Takes out the requests `matches` accepts; the caller destroys them once the lock is
    // released, since an argument may own an object whose destruction calls back in.
    template <class Predicate>
    std::vector<Request> takeLocked(Predicate matches);
    void scheduleRearm();
    void rearm();
    void service();
    void runEndOfTurnObservers();
};

quint64 RunLoop::Private::add(Request request)
{
    PF_PARAMETER_ASSERT(!request.modes.isEmpty());
    quint64 handle;
    {
        std::lock_guard lock(mutex);
        handle = nextHandle++;
        request.handle = handle;
        requests.push_back(std::move(request));
    }
    scheduleRearm();
    return handle;
}

template <class Predicate>
std::vector<Request> RunLoop::Private::takeLocked(Predicate matches)
{
    std::vector<Request> taken;
    auto kept = std::stable_partition(requests.begin(), requests.end(),
                                      [&](const Request& r) { return !matches(r); });
    std::move(kept, requests.end(), std::back_inserter(taken));
    requests.erase(kept, requests.end());
    return taken;
}

void RunLoop::Private::scheduleRearm()
{
    if (RunLoop::isMainThread())
        rearm();
    else
        QMetaObject::invokeMethod(&context, [this] { rearm(); }, Qt::QueuedConnection);
}

// Arms the wake timer for the earliest request that may run in the current mode. Requests
// that came due in another mode wait for the next change of mode, which rearms.
void RunLoop::Private::rearm()
{
    const QString mode = q->currentMode();
    int earliest = -1;
    {
        std::lock_guard lock(mutex);
        for (const Request& request : requests) {
            int wait;
            if (request.targetDied())
                wait = 0; // let the next pass drop it
            else if (!detail::modesInclude(request.modes, mode) || request.due.isForever())
                continue;
            else
                wait = detail::timerMilliseconds(request.due);
            if (earliest < 0 || wait < earliest)
                earliest = wait;
        }
    }
    if (earliest < 0)
        wakeTimer->stop();
    else
        wakeTimer->start(earliest);
}

void RunLoop::Private::service()
{
    const QString mode = q->currentMode();
    std::vector<Request> dead;
    std::vector<std::pair<QDeadlineTimer, quint64>> ready;
    {
        std::lock_guard lock(mutex);
        dead = takeLocked([](const Request& r) { return r.targetDied(); });
        for (const Request& request : requests)
            if (request.due.hasExpired() && detail::modesInclude(request.modes, mode))
                ready.emplace_back(request.due, request.handle);
    }
    dead.clear();
    std::stable_sort(ready.begin(), ready.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& entry : ready) {
        // An earlier request of this pass may have cancelled this one.
        std::vector<Request> taken;
        {
            std::lock_guard lock(mutex);
            taken = takeLocked([&](const Request& r) { return r.handle == entry.second; });
        }
        if (taken.empty())
            continue;
        const Request& request = taken.front();
        if (request.hasTarget) {
            Reflective* target = request.target.get();
            if (!target)
                continue;
            detail::runLoggingExceptions(QStringLiteral("A deferred %1").arg(request.selector), [&] {
                target->perform(request.selector, {request.argument});
            });
        } else {
            detail::runLoggingExceptions(QStringLiteral("A deferred call"), request.action);
        }
    }
    rearm();
}

void RunLoop::Private::runEndOfTurnObservers()
{
    // An observer that runs the loop itself must not start the observers again.
    if (runningEndOfTurn)
        return;
    runningEndOfTurn = true;
    std::vector<std::shared_ptr<EndOfTurnObserver>> snapshot;
    {
        std::lock_guard lock(mutex);
        snapshot = endOfTurnObservers;
    }
    for (const auto& observer : snapshot) {
        bool active;
        {
            std::lock_guard lock(mutex);
            active = observer->active;
        }
        if (active)
            detail::runLoggingExceptions(QStringLiteral("An end-of-turn observer"), observer->run);
    }
    runningEndOfTurn = false;
}

RunLoop& RunLoop::main()
{
    // Never destroyed: late requests during shutdown must find it.
    static RunLoop* loop = new RunLoop;
    return *loop;
}

RunLoop::RunLoop() : d(std::make_unique<Private>())
{
    QCoreApplication* app = QCoreApplication::instance();
    PF_ASSERT(app, "The main run loop needs the application object");
    d->q = this;
    d->wakeTimer = new QTimer(&d->context);
    d->wakeTimer->setSingleShot(true);
    d->wakeTimer->setTimerType(Qt::PreciseTimer);
    QObject::connect(d->wakeTimer, &QTimer::timeout, &d->context, [this] { d->service(); });
    // May be made first from a worker thread; it belongs to the main thread.
    d->context.moveToThread(app->thread());
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(app->thread());
    PF_ASSERT(dispatcher, "The main thread has no event dispatcher");
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &d->context,
                     [this] { d->runEndOfTurnObservers(); });
}

RunLoop::~RunLoop() = default;

bool RunLoop::isMainThread()
{
    QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

quint64 RunLoop::perform(Reflective* target, const QString& selector, const QVariant& argument,
                         double delaySeconds, const QStringList& modes)
{
    PF_PARAMETER_ASSERT(target);
    PF_PARAMETER_ASSERT(!selector.isEmpty());
    Request request;
    request.hasTarget = true;
    request.target = weakHandle(target);
    request.selector = selector;
    request.argument = argument;
    request.modes = modes;
    request.due = detail::deadlineAfter(delaySeconds);
    return d->add(std::move(request));
}

quint64 RunLoop::perform(std::function<void()> action, double delaySeconds, const QStringList& modes)
{
    PF_PARAMETER_ASSERT(action);
    Request request;
    request.action = std::move(action);
    request.modes = modes;
    request.due = detail::deadlineAfter(delaySeconds);
    return d->add(std::move(request));
}

void RunLoop::cancelPreviousPerformRequests(Reflective* target, const QString& selector, const QVariant& argument)
{
    // Arguments are compared outside the lock: comparing objects runs their own code.
    std::vector<std::pair<quint64, QVariant>> candidates;
    {
        std::lock_guard lock(d->mutex);
        for (const Request& request : d->requests)
            if (request.hasTarget && request.target.pointer == target && request.selector == selector)
                candidates.emplace_back(request.handle, request.argument);
    }
    std::vector<quint64> matching;
    for (const auto& candidate : candidates)
        if (isEqual(candidate.second, argument))
            matching.push_back(candidate.first);
    if (matching.empty())
        return;
    std::vector<Request> cancelled;
    {
        std::lock_guard lock(d->mutex);
        cancelled = d->takeLocked([&](const Request& r) {
            return std::find(matching.begin(), matching.end(), r.handle) != matching.end();
        });
    }
    d->scheduleRearm();
}

void RunLoop::cancelPreviousPerformRequests(Reflective* target)
{
    std::vector<Request> cancelled;
    {
        std::lock_guard lock(d->mutex);
        cancelled = d->takeLocked([&](const Request& r) { return r.hasTarget && r.target.pointer == target; });
    }
    d->scheduleRearm();
}

void RunLoop::cancel(quint64 handle)
{
    std::vector<Request> cancelled;
    {
        std::lock_guard lock(d->mutex);
        cancelled = d->takeLocked([&](const Request& r) { return r.handle == handle; });
    }
    d->scheduleRearm();
}

QString RunLoop::currentMode() const
{
    if (!isMainThread() || d->modeStack.isEmpty())
        return kDefaultRunLoopMode;
    return d->modeStack.last();
}

void RunLoop::runMode(const QString& mode, QDeadlineTimer limit)
{
    PF_ASSERT(isMainThread(), "runMode runs the main thread's loop");
    PF_PARAMETER_ASSERT(!mode.isEmpty() && mode != kCommonModes);

    struct ModeScope {
        Private* d;
        ModeScope(Private* d, const QString& mode) : d(d)
        {
            d->modeStack.append(mode);
            d->rearm();
        }
        ~ModeScope()
        {
            d->modeStack.removeLast();
            d->rearm();
        }
    } modeScope(d.get(), mode);
    // What this pass's events autorelease goes when the pass ends, not with the turn that
    // called it, whose own objects must outlive the pass.
    AutoreleasePool pool;

    QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents;
    QTimer limitTimer;
    if (!limit.hasExpired()) {
        flags |= QEventLoop::WaitForMoreEvents;
        if (!limit.isForever()) {
            limitTimer.setSingleShot(true);
            limitTimer.setTimerType(Qt::PreciseTimer);
            limitTimer.start(detail::timerMilliseconds(limit));
        }
    }
    QCoreApplication::processEvents(flags);
    d->runEndOfTurnObservers();
}

quint64 RunLoop::addEndOfTurnObserver(std::function<void()> observer)
{
    PF_PARAMETER_ASSERT(observer);
    auto entry = std::make_shared<EndOfTurnObserver>();
    entry->run = std::move(observer);
    std::lock_guard lock(d->mutex);
    entry->token = d->nextObserverToken++;
    d->endOfTurnObservers.push_back(entry);
    return entry->token;
}

void RunLoop::removeEndOfTurnObserver(quint64 token)
{
    std::shared_ptr<EndOfTurnObserver> removed;
    std::lock_guard lock(d->mutex);
    auto& observers = d->endOfTurnObservers;
    auto it = std::find_if(observers.begin(), observers.end(), [&](const auto& o) { return o->token == token; });
    if (it == observers.end())
        return;
    (*it)->active = false;
    removed = std::move(*it);
    observers.erase(it);
}

void performOnMainThread(std::function<void()> action, bool waitUntilDone)
{
    PF_PARAMETER_ASSERT(action);
    if (RunLoop::isMainThread()) {
        action();
        return;
    }
    QCoreApplication* app = QCoreApplication::instance();
    PF_ASSERT(app, "There is no main thread to hand work to");
    if (!waitUntilDone) {
        QMetaObject::invokeMethod(
            app, [action = std::move(action)] { detail::runLoggingExceptions(QStringLiteral("A main-thread call"), action); },
            Qt::QueuedConnection);
        return;
    }
    std::exception_ptr error;
    QMetaObject::invokeMethod(
        app,
        [&] {
            try {
                action();
            } catch (...) {
                error = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (error)
        std::rethrow_exception(error);
}

namespace detail {

QDeadlineTimer deadlineAfter(double seconds)
{
    if (std::isnan(seconds) || seconds <= 0)
        return QDeadlineTimer(0, Qt::PreciseTimer);
    if (seconds >= 1e9) // beyond thirty years: never
        return QDeadlineTimer(QDeadlineTimer::Forever, Qt::PreciseTimer);
    return QDeadlineTimer(std::chrono::nanoseconds(qint64(seconds * 1e9)), Qt::PreciseTimer);
}

int timerMilliseconds(const QDeadlineTimer& deadline)
{
    if (deadline.isForever())
        return INT_MAX;
    const qint64 nanoseconds = deadline.remainingTimeNSecs();
    const qint64 milliseconds = (nanoseconds + 999999) / 1000000;
    return int(std::clamp<qint64>(milliseconds, 0, INT_MAX));
}

bool modesInclude(const QStringList& modes, const QString& mode)
{
    if (modes.contains(mode))
        return true;
    return modes.contains(kCommonModes)
        && (mode == kDefaultRunLoopMode || mode == kModalPanelRunLoopMode || mode == kEventTrackingRunLoopMode);
}

void runLoggingExceptions(const QString& what, const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& e) {
        log(QStringLiteral("%1 raised %2: %3").arg(what, e.name(), e.reason()));
    } catch (const std::exception& e) {
        log(QStringLiteral("%1 threw: %2").arg(what, QString::fromLocal8Bit(e.what())));
    } catch (...) {
        log(QStringLiteral("%1 threw an unknown exception").arg(what));
    }
}

} // namespace detail

} // namespace pf
