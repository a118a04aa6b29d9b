#pragma once

#include "platform/foundation/Notification.h"
#include "platform/foundation/NotificationCenter.h"

#include <QFlags>

#include <memory>

namespace pf {

enum class PostingStyle {
    PostWhenIdle = 1, // once the event loop has handled what is pending
    PostASAP = 2,     // on the next turn of the event loop
    PostNow = 3,      // at once, after coalescing
};

// Which attributes make a queued notification the same as another.
enum class Coalescing : unsigned { None = 0, OnName = 1, OnSender = 2 };
Q_DECLARE_FLAGS(CoalescingFlags, Coalescing)
Q_DECLARE_OPERATORS_FOR_FLAGS(CoalescingFlags)

// Holds notifications to post them later on its thread, dropping repeats: bursts of the same
// change become one notification.
class NotificationQueue {
public:
    // The main thread's queue, posting to the default centre.
    static NotificationQueue& defaultQueue();

    // A queue on the calling thread, which must run a Qt event loop.
    explicit NotificationQueue(NotificationCenter& center = NotificationCenter::defaultCenter());
    ~NotificationQueue();
    NotificationQueue(const NotificationQueue&) = delete;
    NotificationQueue& operator=(const NotificationQueue&) = delete;

    // With coalescing, queued notifications that match this one on the flagged attributes are
    // dropped and this one is queued in their place (or posted, for PostNow). A queued
    // notification whose sender has been destroyed is dropped. Safe from any thread.
    void enqueue(const Notification& notification, PostingStyle style,
                 CoalescingFlags coalesce = Coalescing::OnName | Coalescing::OnSender);
    // Drops the queued notifications that match on the flagged attributes; with no flags,
    // every queued notification.
    void dequeueNotificationsMatching(const Notification& notification, CoalescingFlags coalesceMask);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace pf
