#pragma once

// The lazily made per-object state behind Reflective: the liveness token and the table of
// observations. Internal to the foundation layer.

#include "platform/foundation/Reflective.h"

#include <QHash>

#include <memory>
#include <mutex>
#include <vector>

namespace pf {

// An object referred to without being kept alive.
struct WeakHandle {
    Reflective* pointer = nullptr;
    std::weak_ptr<void> alive;
    Reflective* get() const { return alive.expired() ? nullptr : pointer; }
    bool is(const Reflective* other) const { return pointer == other && !alive.expired(); }
};

WeakHandle weakHandle(const Reflective* object);

// One observer's observation of one key path from its root object; registered on every
// object along the path, one hop per key.
struct PathObservation {
    WeakHandle observer;
    WeakHandle root;
    QString keyPath;
    QStringList keys;
    ObservingOptions options = 0;
    void* context = nullptr;
    std::atomic<bool> active{true};
    // hops[i] is the object observed for keys[i]; hops[0] is the root.
    std::mutex hopsMutex;
    std::vector<WeakHandle> hops;
};

struct Registration {
    QString key;
    std::shared_ptr<PathObservation> observation;
    size_t hop = 0;
};

// What a will-change captured for its did-change.
struct PendingChange {
    std::shared_ptr<PathObservation> observation;
    size_t hop = 0;
    QVariant oldValue;
};

struct SideTable {
    std::shared_ptr<int> liveness = std::make_shared<int>(0);
    std::recursive_mutex mutex;
    std::vector<Registration> registrations;
    QHash<QString, std::vector<std::vector<PendingChange>>> pending;
};

} // namespace pf
