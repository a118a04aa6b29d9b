#pragma once

#include "platform/ui/Event.h"

#include <QList>
#include <QObject>
#include <QString>

#include <limits>
#include <optional>

namespace pf {

// The application's input events held back for code that takes them itself: a tracking loop
// inside a handler, or a modal pump. While nextEvent runs, the input events Qt delivers
// (mouse, wheel and keys) are translated and queued instead of dispatched; nextEvent hands
// them out in order. What is still queued once no one is taking events is dispatched as
// usual at the next turn of the event loop.
class EventQueue : public QObject {
    Q_OBJECT
public:
    static EventQueue& shared();

    static constexpr double kDistantPast = -std::numeric_limits<double>::infinity();
    static constexpr double kDistantFuture = std::numeric_limits<double>::infinity();

    // The first queued event whose type is in `mask`, waiting for one until `untilDate`
    // (seconds on Event::now's clock; a date passed does not wait, though events already
    // pending are taken in first) while the run loop runs in `mode`. With `dequeue` it
    // leaves the queue. None when nothing matched in time.
    std::optional<Event> nextEvent(EventMask mask, double untilDate, const QString& mode, bool dequeue);
    // Removes the queued events of `mask` that came before `before` (by timestamp, then event
    // number); every one of `mask` when null.
    void discardEvents(EventMask mask, const Event* before = nullptr);
    // Queues a made event at the front or the back.
    void postEvent(const Event& event, bool atStart);
    // Delivers a taken event to its window as though it had just arrived: the held-back Qt
    // event to its receiver, or, for a made mouse or key event, a Qt event to the widget of
    // its window under its location (the focus widget for keys). Answers whether it went.
    bool dispatch(const Event& event);

    qsizetype count() const { return m_queue.size(); }
    bool isTakingEvents() const { return m_depth > 0; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    EventQueue() = default;
    void scheduleFlush();
    void flush();

    QList<Event> m_queue;
    int m_depth = 0;
    bool m_flushScheduled = false;
    const QEvent* m_replaying = nullptr;
};

} // namespace pf
