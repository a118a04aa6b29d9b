#pragma once

#include "platform/foundation/Notification.h"

#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace pf {

class Reflective;

// Delivers notifications by name and sender to the observers registered for them. Safe to use
// from any thread: a post is delivered synchronously on the posting thread, in registration
// order. Observers are not retained; one that has been destroyed is skipped and dropped.
class NotificationCenter {
public:
    using Handler = std::function<void(const Notification&)>;

    static NotificationCenter& defaultCenter();

    // A private centre (tests, or a subsystem that keeps its traffic to itself).
    NotificationCenter();
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    // An empty `name` observes every name; a null `object` observes any sender. Delivery calls
    // observer->perform(selector, {QVariant::fromValue(notification)}).
    void addObserver(Reflective* observer, const QString& selector, const QString& name,
                     const Reflective* object);
    void addObserver(Reflective* observer, Handler handler, const QString& name,
                     const Reflective* object);
    // For callers that are not Reflective: answers a token that removeObserver(token) ends.
    quint64 addObserver(const QString& name, const Reflective* object, Handler handler);

    void removeObserver(quint64 token);
    // An empty `name` or a null `object` matches every observation of `observer`.
    void removeObserver(Reflective* observer, const QString& name = {}, const Reflective* object = nullptr);

    // Exceptions thrown by an observer reach the poster; later observers miss that post.
    void post(const Notification& notification);
    void post(const QString& name, Reflective* object = nullptr, const QVariantMap& userInfo = {});

private:
    struct Observation;
    using Observations = std::vector<std::shared_ptr<Observation>>;

    quint64 add(std::shared_ptr<Observation> observation);
    // Takes out the observations that can no longer be delivered; the caller destroys them
    // once the lock is released, since their handlers may own objects whose destruction
    // calls back into the centre.
    void takeDead(Observations& out);

    std::mutex m_mutex;
    Observations m_observations;
    quint64 m_nextToken = 1;
};

} // namespace pf
