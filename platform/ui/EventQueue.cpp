#include "platform/ui/EventQueue.h"

#include "platform/foundation/RunLoop.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cmath>

namespace pf {

namespace {

bool isQueuedInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return true;
    default:
        return false;
    }
}

// The top-level widget a QWindow shows, for events Qt hands to the window first.
QWidget* widgetOfWindow(const QWindow* window)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->windowHandle() == window)
            return widget;
    }
    return nullptr;
}

QDeadlineTimer deadlineFor(double untilDate)
{
    const double seconds = untilDate - Event::now();
    if (!(seconds > 0))
        return QDeadlineTimer(0);
    if (std::isinf(seconds) || seconds > 1e6)
        return QDeadlineTimer(QDeadlineTimer::Forever);
    return QDeadlineTimer(qint64(std::ceil(seconds * 1000)));
}

} // namespace

EventQueue& EventQueue::shared()
{
    static EventQueue* queue = new EventQueue;
    return *queue;
}

std::optional<Event> EventQueue::nextEvent(EventMask mask, double untilDate, const QString& mode, bool dequeue)
{
    auto take = [&]() -> std::optional<Event> {
        for (qsizetype i = 0; i < m_queue.size(); ++i) {
            if (!(m_queue[i].mask() & mask))
                continue;
            Event event = m_queue[i];
            if (dequeue)
                m_queue.removeAt(i);
            return event;
        }
        return std::nullopt;
    };
    if (auto event = take())
        return event;
    if (m_depth++ == 0)
        qApp->installEventFilter(this);
    std::optional<Event> found;
    try {
        bool first = true;
        while (!found) {
            const QDeadlineTimer deadline = deadlineFor(untilDate);
            if (!first && deadline.hasExpired())
                break;
            first = false;
            RunLoop::main().runMode(mode, deadline);
            found = take();
        }
    } catch (...) {
        if (--m_depth == 0)
            qApp->removeEventFilter(this);
        throw;
    }
    if (--m_depth == 0)
        qApp->removeEventFilter(this);
    if (!m_queue.isEmpty())
        scheduleFlush();
    return found;
}

void EventQueue::discardEvents(EventMask mask, const Event* before)
{
    // "Before" by time; events of the same moment by their number.
    auto earlier = [before](const Event& e) {
        return !before || e.timestamp < before->timestamp
            || (e.timestamp == before->timestamp && e.eventNumber < before->eventNumber);
    };
    m_queue.removeIf([&](const Event& e) { return (e.mask() & mask) && earlier(e); });
}

void EventQueue::postEvent(const Event& event, bool atStart)
{
    if (atStart)
        m_queue.prepend(event);
    else
        m_queue.append(event);
    if (m_depth == 0)
        scheduleFlush();
}

bool EventQueue::dispatch(const Event& event)
{
    if (event.qtEvent && event.qtReceiver) {
        std::unique_ptr<QEvent> copy(event.qtEvent->clone());
        const QEvent* previous = m_replaying;
        m_replaying = copy.get();
        Event::setReplayed(copy.get(), &event);
        QCoreApplication::sendEvent(event.qtReceiver, copy.get());
        Event::setReplayed(nullptr, nullptr);
        m_replaying = previous;
        return true;
    }
    QWidget* window = event.window;
    if (!window)
        return false;
    const QPointF local = Event::qtPointFromWindow(window, event.locationInWindow);
    const Qt::KeyboardModifiers modifiers = qtModifiersFromFlags(event.modifierFlags);
    std::unique_ptr<QEvent> made;
    QWidget* receiver = window->childAt(local.toPoint());
    if (!receiver)
        receiver = window;
    const Qt::MouseButton button = event.buttonNumber == 1 ? Qt::RightButton : event.buttonNumber == 2 ? Qt::MiddleButton : Qt::LeftButton;
    const QPointF inReceiver = receiver->mapFrom(window, local);
    const QPointF global = window->mapToGlobal(local);
    switch (event.type) {
    case LeftMouseDown:
    case RightMouseDown:
    case OtherMouseDown:
        made = std::make_unique<QMouseEvent>(QEvent::MouseButtonPress, inReceiver, global, button, button, modifiers);
        break;
    case LeftMouseUp:
    case RightMouseUp:
    case OtherMouseUp:
        made = std::make_unique<QMouseEvent>(QEvent::MouseButtonRelease, inReceiver, global, button, Qt::NoButton, modifiers);
        break;
    case LeftMouseDragged:
    case RightMouseDragged:
    case OtherMouseDragged:
        made = std::make_unique<QMouseEvent>(QEvent::MouseMove, inReceiver, global, Qt::NoButton, button, modifiers);
        break;
    case MouseMoved:
        made = std::make_unique<QMouseEvent>(QEvent::MouseMove, inReceiver, global, Qt::NoButton, Qt::NoButton, modifiers);
        break;
    case KeyDown:
    case KeyUp:
        receiver = window->focusWidget() ? window->focusWidget() : window;
        made = std::make_unique<QKeyEvent>(event.type == KeyDown ? QEvent::KeyPress : QEvent::KeyRelease, event.qtKey,
                                           modifiers, event.characters, event.isARepeat);
        break;
    default:
        return false;
    }
    Event::setReplayed(made.get(), &event);
    const QEvent* previous = m_replaying;
    m_replaying = made.get();
    QCoreApplication::sendEvent(receiver, made.get());
    m_replaying = previous;
    Event::setReplayed(nullptr, nullptr);
    return true;
}

bool EventQueue::eventFilter(QObject* watched, QEvent* event)
{
    if (event == m_replaying || m_depth == 0)
        return false;
    // A double click follows its press, which the queue already holds.
    if (event->type() == QEvent::MouseButtonDblClick)
        return watched->isWidgetType() || qobject_cast<QWindow*>(watched);
    if (!isQueuedInput(event->type()))
        return false;
    QWidget* receiver = nullptr;
    if (watched->isWidgetType())
        receiver = static_cast<QWidget*>(watched);
    else if (auto* window = qobject_cast<QWindow*>(watched))
        receiver = widgetOfWindow(window);
    if (!receiver)
        return false;
    std::optional<Event> translated = Event::fromQt(event, receiver);
    if (!translated)
        return false;
    translated->qtEvent = std::shared_ptr<const QEvent>(event->clone());
    translated->qtReceiver = watched;
    m_queue.append(*translated);
    return true;
}

void EventQueue::scheduleFlush()
{
    if (m_flushScheduled)
        return;
    m_flushScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_flushScheduled = false;
        flush();
    });
}

void EventQueue::flush()
{
    // Someone is taking events again: they stay for that loop.
    if (m_depth > 0)
        return;
    while (!m_queue.isEmpty() && m_depth == 0) {
        const Event event = m_queue.takeFirst();
        dispatch(event);
    }
}

} // namespace pf
