#include "platform/foundation/NotificationQueue.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SideTable.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <mutex>
#include <vector>

namespace pf {

namespace {

struct Entry {
    quint64 sequence = 0;
    Notification notification;
    // The sender is not retained: once it has gone the notification is not posted, and it
    // matches no new object that happens to live at the same address.
    WeakHandle sender;
    PostingStyle style = PostingStyle::PostASAP;

    bool senderDied() const { return notification.object && !sender.get(); }
    bool matches(const Notification& other, CoalescingFlags mask) const
    {
        if (mask.testFlag(Coalescing::OnName) && notification.name != other.name)
            return false;
        if (mask.testFlag(Coalescing::OnSender)) {
            if (notification.object ? !sender.is(other.object) : other.object != nullptr)
                return false;
        }
        return true;
    }
};

} // namespace

struct NotificationQueue::Private {
    explicit Private(NotificationCenter& center) : center(center)
    {
        idleTimer = new QTimer(&context);
        idleTimer->setSingleShot(true);
        idleTimer->setInterval(0);
        QObject::connect(idleTimer, &QTimer::timeout, &context, [this] { flush(PostingStyle::PostWhenIdle); });
    }

    NotificationCenter& center;
    std::mutex mutex;
    std::vector<Entry> entries; // in the order they were queued
    quint64 nextSequence = 1;
    bool asapScheduled = false;

    // Lives on the queue's thread; destroyed first, which discards pending flushes.
    QObject context;
    QTimer* idleTimer = nullptr;

    template <class Predicate>
    std::vector<Entry> takeLocked(Predicate matches)
    {
        std::vector<Entry> taken;
        auto kept = std::stable_partition(entries.begin(), entries.end(), [&](const Entry& e) { return !matches(e); });
        std::move(kept, entries.end(), std::back_inserter(taken));
        entries.erase(kept, entries.end());
        return taken;
    }

    void schedule(PostingStyle style);
    void flush(PostingStyle style);
};

void NotificationQueue::Private::schedule(PostingStyle style)
{
    if (style == PostingStyle::PostASAP) {
        {
            std::lock_guard lock(mutex);
            if (asapScheduled)
                return;
            asapScheduled = true;
        }
        // A posted call runs on the next pass, before the zero timer of the idle posts.
        QMetaObject::invokeMethod(&context, [this] { flush(PostingStyle::PostASAP); }, Qt::QueuedConnection);
        return;
    }
    if (QThread::currentThread() == context.thread())
        idleTimer->start();
    else
        QMetaObject::invokeMethod(idleTimer, qOverload<>(&QTimer::start), Qt::QueuedConnection);
}

void NotificationQueue::Private::flush(PostingStyle style)
{
    // What is waiting for the next turn goes before what waits for idle time.
    if (style == PostingStyle::PostWhenIdle)
        flush(PostingStyle::PostASAP);
    quint64 end;
    {
        std::lock_guard lock(mutex);
        if (style == PostingStyle::PostASAP)
            asapScheduled = false;
        end = nextSequence;
    }
    // Notifications queued by the observers of this flush wait for the next one.
    for (;;) {
        std::vector<Entry> next;
        {
            std::lock_guard lock(mutex);
            auto it = std::find_if(entries.begin(), entries.end(),
                                   [&](const Entry& e) { return e.sequence < end && e.style == style; });
            if (it == entries.end())
                return;
            next.push_back(std::move(*it));
            entries.erase(it);
        }
        const Entry& entry = next.front();
        if (entry.senderDied())
            continue;
        detail::runLoggingExceptions(QStringLiteral("An observer of %1").arg(entry.notification.name),
                                     [&] { center.post(entry.notification); });
    }
}

NotificationQueue& NotificationQueue::defaultQueue()
{
    static NotificationQueue* queue = [] {
        QCoreApplication* app = QCoreApplication::instance();
        PF_ASSERT(app, "The default notification queue needs the application object");
        auto* made = new NotificationQueue(NotificationCenter::defaultCenter());
        made->d->context.moveToThread(app->thread()); // may be reached first from a worker thread
        return made;
    }();
    return *queue;
}

NotificationQueue::NotificationQueue(NotificationCenter& center) : d(std::make_unique<Private>(center)) {}

NotificationQueue::~NotificationQueue() = default;

void NotificationQueue::enqueue(const Notification& notification, PostingStyle style, CoalescingFlags coalesce)
{
    std::vector<Entry> dropped;
    {
        std::lock_guard lock(d->mutex);
        if (coalesce.toInt() != 0)
            dropped = d->takeLocked([&](const Entry& e) { return e.matches(notification, coalesce); });
        if (style != PostingStyle::PostNow) {
            Entry entry;
            entry.sequence = d->nextSequence++;
            entry.notification = notification;
            entry.sender = weakHandle(notification.object);
            entry.style = style;
            d->entries.push_back(std::move(entry));
        }
    }
    dropped.clear();
    if (style == PostingStyle::PostNow)
        d->center.post(notification);
    else
        d->schedule(style);
}

void NotificationQueue::dequeueNotificationsMatching(const Notification& notification, CoalescingFlags coalesceMask)
{
    std::vector<Entry> dropped;
    std::lock_guard lock(d->mutex);
    dropped = d->takeLocked([&](const Entry& e) { return e.matches(notification, coalesceMask); });
}

} // namespace pf
