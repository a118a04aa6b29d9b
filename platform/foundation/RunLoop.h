#pragma once

#include <QDeadlineTimer>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

namespace pf {

class Reflective;

// Run-loop modes. A deferred perform or a timer runs only while the current mode is one of
// its modes; the common modes stand for the three others.
inline const QString kDefaultRunLoopMode = QStringLiteral("kCFRunLoopDefaultMode");
inline const QString kModalPanelRunLoopMode = QStringLiteral("NSModalPanelRunLoopMode");
inline const QString kEventTrackingRunLoopMode = QStringLiteral("NSEventTrackingRunLoopMode");
inline const QString kCommonModes = QStringLiteral("kCFRunLoopCommonModes");

// The main thread's run loop over the Qt event loop: deferred performs that can be cancelled,
// the current mode, nested passes in a given mode, and hooks at the end of each turn.
// perform and cancel may be called from any thread; the rest belongs to the main thread.
class RunLoop {
public:
    static RunLoop& main();

    // Calls target->perform(selector, {argument}) after `delaySeconds` (0: on the next turn).
    // The target is not retained; a request whose target has died is dropped. The argument
    // is kept until the request runs or is cancelled. Answers a handle for cancel().
    quint64 perform(Reflective* target, const QString& selector, const QVariant& argument,
                    double delaySeconds, const QStringList& modes = {kDefaultRunLoopMode});
    quint64 perform(std::function<void()> action, double delaySeconds,
                    const QStringList& modes = {kDefaultRunLoopMode});

    // Cancels the pending requests of `target` for `selector` whose argument is equal
    // (pf::isEqual) to `argument`; the second form cancels every request of the target.
    void cancelPreviousPerformRequests(Reflective* target, const QString& selector, const QVariant& argument);
    void cancelPreviousPerformRequests(Reflective* target);
    void cancel(quint64 handle);

    // The innermost mode a runMode pass has pushed; the default mode otherwise.
    QString currentMode() const;
    // One pass of the event loop in `mode`: handles what is pending, waiting at most until
    // `limit` for something to happen (an expired limit does not wait).
    void runMode(const QString& mode, QDeadlineTimer limit);

    // Runs `observer` after each turn of the main loop (before it waits for more events) and
    // at the end of each runMode pass. Answers a token for removeEndOfTurnObserver.
    quint64 addEndOfTurnObserver(std::function<void()> observer);
    void removeEndOfTurnObserver(quint64 token);

    static bool isMainThread();

    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

private:
    RunLoop();
    ~RunLoop();
    struct Private;
    std::unique_ptr<Private> d;
};

// Runs `action` on the main thread: at once when called there, otherwise queued to the main
// event loop. With `waitUntilDone` the caller blocks until it has run, and an exception it
// throws is raised again in the caller; without, such an exception is logged.
void performOnMainThread(std::function<void()> action, bool waitUntilDone);

namespace detail {

// A deadline `seconds` from now; negative or not-a-number delays are due at once, delays too
// long to represent never come due.
QDeadlineTimer deadlineAfter(double seconds);
// Milliseconds left until `deadline`, within what a QTimer accepts.
int timerMilliseconds(const QDeadlineTimer& deadline);
// Whether a request registered for `modes` may run in `mode`.
bool modesInclude(const QStringList& modes, const QString& mode);
// Calls `action` and logs what it throws: for work called from the event loop, which
// must not see exceptions.
void runLoggingExceptions(const QString& what, const std::function<void()>& action);

} // namespace detail

} // namespace pf
