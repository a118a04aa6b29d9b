#include "platform/foundation/OperationQueue.h"

#include "platform/foundation/AutoreleasePool.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/RunLoop.h"

#include <QCoreApplication>
#include <QThreadPool>

#include <algorithm>
#include <condition_variable>
#include <list>
#include <mutex>
#include <thread>
#include <vector>

namespace pf {

namespace {

struct Operation {
    std::function<void()> work;
    // Set once, under the queue's lock, by whoever runs or cancels it.
    bool claimed = false;
    std::list<std::shared_ptr<Operation>>::iterator position;
};

} // namespace

struct OperationQueue::State {
    std::mutex mutex;
    std::condition_variable finished;
    std::list<std::shared_ptr<Operation>> pending;
    int running = 0;

    bool idleLocked() const { return pending.empty() && running == 0; }

    void execute(const std::shared_ptr<Operation>& operation)
    {
        {
            std::lock_guard lock(mutex);
            if (operation->claimed)
                return;
            operation->claimed = true;
            pending.erase(operation->position);
            ++running;
        }
        {
            AutoreleasePool pool;
            detail::runLoggingExceptions(QStringLiteral("An operation"), operation->work);
            operation->work = nullptr; // what it captured goes before it counts as finished
        }
        {
            std::lock_guard lock(mutex);
            --running;
        }
        finished.notify_all();
    }
};

OperationQueue& OperationQueue::mainQueue()
{
    static auto* queue = new OperationQueue(MainTag{});
    return *queue;
}

OperationQueue::OperationQueue(MainTag) : m_state(std::make_shared<State>()) {}

OperationQueue::OperationQueue(int maxConcurrent)
    : m_state(std::make_shared<State>()), m_pool(std::make_unique<QThreadPool>())
{
    PF_PARAMETER_ASSERT(maxConcurrent == -1 || maxConcurrent > 0);
    if (maxConcurrent > 0)
        m_pool->setMaxThreadCount(maxConcurrent);
}

OperationQueue::~OperationQueue()
{
    if (m_pool)
        m_pool->waitForDone();
}

void OperationQueue::addOperation(std::function<void()> work)
{
    PF_PARAMETER_ASSERT(work);
    auto operation = std::make_shared<Operation>();
    operation->work = std::move(work);
    {
        std::lock_guard lock(m_state->mutex);
        operation->position = m_state->pending.insert(m_state->pending.end(), operation);
    }
    auto run = [state = m_state, operation] { state->execute(operation); };
    if (m_pool) {
        m_pool->start(std::move(run));
        return;
    }
    QCoreApplication* app = QCoreApplication::instance();
    PF_ASSERT(app, "The main queue needs the application object");
    QMetaObject::invokeMethod(app, std::move(run), Qt::QueuedConnection);
}

void OperationQueue::waitUntilAllOperationsAreFinished()
{
    if (!m_pool && RunLoop::isMainThread()) {
        for (;;) {
            std::shared_ptr<Operation> next;
            {
                std::lock_guard lock(m_state->mutex);
                if (m_state->pending.empty())
                    return;
                next = m_state->pending.front();
            }
            m_state->execute(next);
        }
    }
    std::unique_lock lock(m_state->mutex);
    m_state->finished.wait(lock, [this] { return m_state->idleLocked(); });
}

int OperationQueue::operationCount() const
{
    std::lock_guard lock(m_state->mutex);
    return int(m_state->pending.size()) + m_state->running;
}

void OperationQueue::cancelAllOperations()
{
    std::list<std::shared_ptr<Operation>> cancelled;
    {
        std::lock_guard lock(m_state->mutex);
        for (auto& operation : m_state->pending)
            operation->claimed = true;
        cancelled.swap(m_state->pending);
    }
    // Their captures go now, outside the lock, rather than when their turn comes.
    for (auto& operation : cancelled)
        operation->work = nullptr;
    if (m_pool)
        m_pool->clear();
    m_state->finished.notify_all();
}

namespace {

std::vector<QThreadPool*>& poolsToFinish()
{
    static std::vector<QThreadPool*> pools;
    return pools;
}

// Drops the work that has not started and waits for the running work.
void finishPool(QThreadPool& pool)
{
    pool.clear();
    pool.waitForDone();
}

void finishPools()
{
    for (QThreadPool* pool : poolsToFinish())
        finishPool(*pool);
}

} // namespace

void finishBeforeExit(QThreadPool& pool)
{
    auto& pools = poolsToFinish();
    if (std::find(pools.begin(), pools.end(), &pool) != pools.end())
        return;
    pools.push_back(&pool);
    if (auto* application = QCoreApplication::instance())
        QObject::connect(application, &QCoreApplication::aboutToQuit, &pool, [&pool] { finishPool(pool); });
    if (pools.size() == 1)
        qAddPostRoutine(finishPools);
}

void detachThread(std::function<void()> work)
{
    PF_PARAMETER_ASSERT(work);
    std::thread([work = std::move(work)] {
        AutoreleasePool pool;
        detail::runLoggingExceptions(QStringLiteral("A detached thread"), work);
    }).detach();
}

} // namespace pf
