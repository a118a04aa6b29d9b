#pragma once

#include "frameworks/penwork/styles/PWRenderable.h"

#include "platform/graphics/BezierPath.h"

#include <functional>
#include <list>
#include <mutex>

// What a renderer builds from an object's path, kept per object so that one renderer shared
// by many objects (through their style) never draws one object with another's geometry. An
// entry is found by the object, its geometry checksum and a key of the renderer's own (its
// derived sizes, say), and is used only while the object's path is still equal to the one it
// was built from. The renderer clears the cache whenever one of its properties changes.
//
// Copies start empty: a copied renderer builds its own.
template <class Value>
class PWXObjectPathCache {
public:
    static constexpr size_t kCapacity = 32;

    PWXObjectPathCache() = default;
    PWXObjectPathCache(const PWXObjectPathCache&) {}
    PWXObjectPathCache& operator=(const PWXObjectPathCache&)
    {
        clear();
        return *this;
    }

    // The value for `object` drawn along `path`, built by `build` when no entry fits.
    Value valueFor(const PWRenderable& object, const pf::BezierPath& path, quint64 rendererKey,
                   const std::function<Value()>& build) const
    {
        const quint64 checksum = object.geometryChecksum();
        {
            std::lock_guard lock(m_mutex);
            for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
                if (it->object == &object && it->checksum == checksum && it->rendererKey == rendererKey &&
                    it->path->isEqual(&path)) {
                    m_entries.splice(m_entries.begin(), m_entries, it);
                    return m_entries.front().value;
                }
            }
        }
        Value value = build();
        std::lock_guard lock(m_mutex);
        m_entries.push_front(Entry{&object, checksum, rendererKey,
                                   std::static_pointer_cast<pf::BezierPath>(path.copy()), value});
        while (m_entries.size() > kCapacity)
            m_entries.pop_back();
        return value;
    }

    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_entries.clear();
    }

    size_t size() const
    {
        std::lock_guard lock(m_mutex);
        return m_entries.size();
    }

private:
    struct Entry {
        const void* object;
        quint64 checksum;
        quint64 rendererKey;
        pf::Ref<pf::BezierPath> path;
        Value value;
    };
    mutable std::mutex m_mutex;
    mutable std::list<Entry> m_entries;
};
