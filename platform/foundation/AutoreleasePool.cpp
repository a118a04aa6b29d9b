#include "platform/foundation/AutoreleasePool.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/RunLoop.h"

#include <QThread>

#include <algorithm>
#include <mutex>
#include <vector>

namespace pf {

namespace {

// Releases newest first. Destructors may autorelease again, into the same list, so it is
// reached through `list` each time rather than held.
template <class List>
void releaseAll(List list)
{
    while (!list().empty()) {
        auto taken = std::move(list());
        list().clear();
        while (!taken.empty())
            taken.pop_back();
    }
}

struct ThreadPools {
    // One list per open AutoreleasePool, innermost last.
    std::vector<std::vector<Ref<Object>>> scopes;
    // What was autoreleased while no pool was open, with the event-loop level it was
    // autoreleased at. On the main thread a turn of level L releases what levels L and
    // deeper left: a modal loop nested in a handler must not release the handler's objects.
    struct Entry {
        int level;
        Ref<Object> object;
    };
    std::vector<Entry> loose;
    bool warnedWithoutPool = false;
    bool ending = false;

    ~ThreadPools()
    {
        ending = true;
        while (!scopes.empty()) {
            releaseAll([this]() -> auto& { return scopes.back(); });
            scopes.pop_back();
        }
        releaseAll([this]() -> auto& { return loose; });
    }
};

thread_local ThreadPools pools;

int currentLoopLevel()
{
    // Work done before the main loop starts belongs to its first turn.
    return std::max(1, QThread::currentThread()->loopLevel());
}

void releaseMainTurn()
{
    // A pool open on the stack around this turn owns what is loose: the code that opened
    // it is still running.
    if (!pools.scopes.empty())
        return;
    const int level = currentLoopLevel();
    for (;;) {
        std::vector<ThreadPools::Entry> taken;
        auto kept = std::stable_partition(pools.loose.begin(), pools.loose.end(),
                                          [&](const ThreadPools::Entry& e) { return e.level < level; });
        std::move(kept, pools.loose.end(), std::back_inserter(taken));
        pools.loose.erase(kept, pools.loose.end());
        if (taken.empty())
            return;
        while (!taken.empty())
            taken.pop_back();
    }
}

void installMainTurnRelease()
{
    static std::once_flag installed;
    std::call_once(installed, [] { RunLoop::main().addEndOfTurnObserver(&releaseMainTurn); });
}

} // namespace

void autorelease(Ref<Object> object)
{
    if (!object)
        return;
    if (pools.ending)
        return; // the thread is ending: released now
    if (!pools.scopes.empty()) {
        pools.scopes.back().push_back(std::move(object));
        return;
    }
    if (RunLoop::isMainThread()) {
        installMainTurnRelease();
        pools.loose.push_back({currentLoopLevel(), std::move(object)});
        return;
    }
    if (!pools.warnedWithoutPool) {
        pools.warnedWithoutPool = true;
        log(QStringLiteral("An object was autoreleased on a worker thread with no autorelease pool; "
                           "it is kept until the thread ends"));
    }
    pools.loose.push_back({0, std::move(object)});
}

AutoreleasePool::AutoreleasePool() : m_depth(pools.scopes.size())
{
    pools.scopes.emplace_back();
}

AutoreleasePool::~AutoreleasePool()
{
    // Inner pools left open (made on the heap and not destroyed) go with this one.
    while (pools.scopes.size() > m_depth) {
        const size_t index = pools.scopes.size() - 1;
        releaseAll([index]() -> auto& { return pools.scopes[index]; });
        pools.scopes.pop_back();
    }
}

} // namespace pf
