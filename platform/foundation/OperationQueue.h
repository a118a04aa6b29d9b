#pragma once

#include <functional>
#include <memory>

class QThreadPool;

namespace pf {

// Runs operations in the background, or on the main thread for the main queue. Each operation
// runs inside an AutoreleasePool; an exception escaping one is logged and goes no further.
// Every member may be called from any thread.
class OperationQueue {
public:
    // Runs its operations on the main thread, one per later turn of the event loop, in the
    // order they were added, in every run-loop mode.
    static OperationQueue& mainQueue();

    // A queue over its own thread pool: at most `maxConcurrent` operations at a time, -1 for
    // as many as the machine has cores. With 1, operations run one after another in order.
    explicit OperationQueue(int maxConcurrent = -1);
    // Waits until the operations added have run.
    ~OperationQueue();
    OperationQueue(const OperationQueue&) = delete;
    OperationQueue& operator=(const OperationQueue&) = delete;

    void addOperation(std::function<void()> operation);
    // Blocks until every operation added has run or been cancelled. For the main queue on the
    // main thread, runs its pending operations here, in order, rather than waiting for turns
    // that cannot come while the caller blocks.
    void waitUntilAllOperationsAreFinished();
    // Operations not yet finished: pending and running.
    int operationCount() const;
    // Operations that have not started never run; running ones finish.
    void cancelAllOperations();

private:
    struct MainTag {};
    explicit OperationQueue(MainTag);

    struct State;
    std::shared_ptr<State> m_state;
    std::unique_ptr<QThreadPool> m_pool; // null for the main queue
};

// Has a long-lived pool drop the work it has not started and wait for the work it is running
// when the program ends: as the event loop quits, and at the latest as the application object
// goes, before the statics its work draws with are torn down. Call on the main thread.
void finishBeforeExit(QThreadPool& pool);

// Runs `work` on a new detached thread inside an AutoreleasePool; an exception escaping it is
// logged.
void detachThread(std::function<void()> work);

} // namespace pf
