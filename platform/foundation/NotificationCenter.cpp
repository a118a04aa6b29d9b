#include "platform/foundation/NotificationCenter.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/SideTable.h"

#include <algorithm>
#include <atomic>
#include <iterator>

namespace pf {

struct NotificationCenter::Observation {
    quint64 token = 0;
    // Observations made with a token have no observer.
    bool hasObserver = false;
    WeakHandle observer;
    QString selector;
    Handler handler;
    QString name;
    // A sender filter. Once the sender is gone the observation can match nothing: a new
    // object at the same address is not the sender that was meant.
    bool hasSender = false;
    WeakHandle sender;
    std::atomic<bool> active{true};

    bool deliverable() const
    {
        if (!active.load())
            return false;
        if (hasObserver && !observer.get())
            return false;
        if (hasSender && !sender.get())
            return false;
        return true;
    }

    bool matches(const Notification& notification) const
    {
        if (!name.isEmpty() && name != notification.name)
            return false;
        return !hasSender || sender.is(notification.object);
    }
};

NotificationCenter& NotificationCenter::defaultCenter()
{
    // Never destroyed: objects released late in shutdown still remove their observations.
    static auto* center = new NotificationCenter;
    return *center;
}

NotificationCenter::NotificationCenter() = default;

NotificationCenter::~NotificationCenter() = default;

void NotificationCenter::addObserver(Reflective* observer, const QString& selector, const QString& name,
                                     const Reflective* object)
{
    PF_PARAMETER_ASSERT(observer);
    PF_PARAMETER_ASSERT(!selector.isEmpty());
    auto observation = std::make_shared<Observation>();
    observation->hasObserver = true;
    observation->observer = weakHandle(observer);
    observation->selector = selector;
    observation->name = name;
    observation->hasSender = object != nullptr;
    observation->sender = weakHandle(object);
    add(std::move(observation));
}

void NotificationCenter::addObserver(Reflective* observer, Handler handler, const QString& name,
                                     const Reflective* object)
{
    PF_PARAMETER_ASSERT(observer);
    PF_PARAMETER_ASSERT(handler);
    auto observation = std::make_shared<Observation>();
    observation->hasObserver = true;
    observation->observer = weakHandle(observer);
    observation->handler = std::move(handler);
    observation->name = name;
    observation->hasSender = object != nullptr;
    observation->sender = weakHandle(object);
    add(std::move(observation));
}

quint64 NotificationCenter::addObserver(const QString& name, const Reflective* object, Handler handler)
{
    PF_PARAMETER_ASSERT(handler);
    auto observation = std::make_shared<Observation>();
    observation->handler = std::move(handler);
    observation->name = name;
    observation->hasSender = object != nullptr;
    observation->sender = weakHandle(object);
    return add(std::move(observation));
}

quint64 NotificationCenter::add(std::shared_ptr<Observation> observation)
{
    Observations dead;
    std::lock_guard lock(m_mutex);
    takeDead(dead);
    observation->token = m_nextToken++;
    m_observations.push_back(observation);
    return observation->token;
}

void NotificationCenter::takeDead(Observations& out)
{
    auto alive = std::stable_partition(m_observations.begin(), m_observations.end(),
                                       [](const auto& observation) { return observation->deliverable(); });
    std::move(alive, m_observations.end(), std::back_inserter(out));
    m_observations.erase(alive, m_observations.end());
}

void NotificationCenter::removeObserver(quint64 token)
{
    Observations removed;
    std::lock_guard lock(m_mutex);
    for (auto it = m_observations.begin(); it != m_observations.end(); ++it) {
        if ((*it)->token == token) {
            (*it)->active = false;
            removed.push_back(std::move(*it));
            m_observations.erase(it);
            break;
        }
    }
}

void NotificationCenter::removeObserver(Reflective* observer, const QString& name, const Reflective* object)
{
    if (!observer)
        return;
    Observations removed;
    std::lock_guard lock(m_mutex);
    // Compared by address alone: observers remove themselves from their destructors, when
    // they can no longer be reached through their liveness.
    for (auto& observation : m_observations) {
        if (observation->hasObserver && observation->observer.pointer == observer
            && (name.isEmpty() || observation->name == name)
            && (!object || observation->sender.pointer == object))
            observation->active = false;
    }
    takeDead(removed);
}

void NotificationCenter::post(const Notification& notification)
{
    Observations targets;
    {
        Observations dead;
        std::lock_guard lock(m_mutex);
        takeDead(dead);
        for (const auto& observation : m_observations)
            if (observation->matches(notification))
                targets.push_back(observation);
    }
    for (const auto& observation : targets) {
        // Removed by an earlier observer of this post, or its observer has gone since.
        if (!observation->active.load())
            continue;
        Reflective* observer = observation->observer.get();
        if (observation->hasObserver && !observer)
            continue;
        if (observation->handler)
            observation->handler(notification);
        else
            observer->perform(observation->selector, {QVariant::fromValue(notification)});
    }
}

void NotificationCenter::post(const QString& name, Reflective* object, const QVariantMap& userInfo)
{
    post(Notification{name, object, userInfo});
}

} // namespace pf
