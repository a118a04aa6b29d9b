#include <gtest/gtest.h>

#include "tests/support/LogCapture.h"

#include "platform/foundation/AutoreleasePool.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"
#include "tests/support/TestSupport.h"

#include <QThread>

#include <atomic>
#include <future>
#include <mutex>
#include <thread>

using pf::OperationQueue;
using quillory::test::waitUntil;

namespace {

struct Tracked : pf::Object {
    explicit Tracked(std::atomic<bool>* destroyed) : destroyed(destroyed) {}
    ~Tracked() override { *destroyed = true; }
    std::atomic<bool>* destroyed;
};

using quillory::test::LogCapture;

} // namespace

TEST(OperationQueue, BackgroundResultsAreHandedToTheMainThread)
{
    OperationQueue queue;
    QThread* mainThread = QThread::currentThread();
    std::vector<int> results;
    std::atomic<bool> ranInBackground{true};
    for (int i = 0; i < 8; ++i) {
        queue.addOperation([&, i] {
            if (QThread::currentThread() == mainThread)
                ranInBackground = false;
            const int square = i * i;
            pf::performOnMainThread([&, square] { results.push_back(square); }, false);
        });
    }
    ASSERT_TRUE(waitUntil([&] { return results.size() == 8; }));
    EXPECT_TRUE(ranInBackground);
    std::sort(results.begin(), results.end());
    EXPECT_EQ(results, std::vector<int>({0, 1, 4, 9, 16, 25, 36, 49}));
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(queue.operationCount(), 0);
}

TEST(OperationQueue, OneAtATimeRunsInOrderWithoutOverlap)
{
    OperationQueue queue(1);
    std::vector<int> order;
    std::atomic<int> running{0};
    std::atomic<int> mostAtOnce{0};
    for (int i = 0; i < 40; ++i) {
        queue.addOperation([&, i] {
            const int now = ++running;
            mostAtOnce = std::max(mostAtOnce.load(), now);
            order.push_back(i); // only one runs at a time: no lock needed
            std::this_thread::yield();
            --running;
        });
    }
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(mostAtOnce.load(), 1);
    ASSERT_EQ(order.size(), 40u);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(order[i], i);
}

TEST(OperationQueue, CancelledOperationsNeverRun)
{
    OperationQueue queue(1);
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> started{false};
    std::atomic<int> laterRan{0};
    std::atomic<bool> captureGone{false};
    queue.addOperation([&, released] {
        started = true;
        released.wait();
    });
    ASSERT_TRUE(waitUntil([&] { return started.load(); }));
    auto capture = std::make_shared<Tracked>(&captureGone);
    for (int i = 0; i < 5; ++i)
        queue.addOperation([&, capture] { ++laterRan; });
    capture.reset();
    EXPECT_EQ(queue.operationCount(), 6);
    queue.cancelAllOperations();
    EXPECT_EQ(queue.operationCount(), 1); // the running one finishes
    EXPECT_TRUE(captureGone); // what the cancelled ones held is let go at once
    release.set_value();
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(laterRan.load(), 0);
    EXPECT_EQ(queue.operationCount(), 0);

    // The queue goes on taking work.
    queue.addOperation([&] { ++laterRan; });
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(laterRan.load(), 1);
}

TEST(OperationQueue, AnEscapingExceptionIsLoggedAndTheQueueGoesOn)
{
    LogCapture log;
    OperationQueue queue(1);
    bool after = false;
    queue.addOperation([] { pf::raise(pf::NSInternalInconsistencyException, "operation failed"); });
    queue.addOperation([] { throw 42; });
    queue.addOperation([&] { after = true; });
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_TRUE(after);
    const QStringList lines = log.lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const QString& l) { return l.contains("operation failed"); }))
        << qPrintable(lines.join('\n'));
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const QString& l) { return l.contains("unknown exception"); }));
}

TEST(OperationQueue, EachOperationRunsInsideAnAutoreleasePool)
{
    OperationQueue queue(1);
    std::atomic<bool> gone{false};
    std::atomic<bool> aliveDuringOperation{false};
    queue.addOperation([&] {
        pf::autorelease(std::make_shared<Tracked>(&gone));
        aliveDuringOperation = !gone;
    });
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_TRUE(aliveDuringOperation);
    EXPECT_TRUE(gone);
}

TEST(OperationQueue, TheMainQueueRunsInLaterTurnsInOrder)
{
    OperationQueue& main = OperationQueue::mainQueue();
    QThread* mainThread = QThread::currentThread();
    QStringList order;
    bool onMain = true;
    for (const char* name : {"a", "b", "c"})
        main.addOperation([&, name] {
            order << name;
            onMain = onMain && QThread::currentThread() == mainThread;
        });
    EXPECT_TRUE(order.isEmpty());
    EXPECT_EQ(main.operationCount(), 3);
    ASSERT_TRUE(waitUntil([&] { return order.size() == 3; }));
    EXPECT_EQ(order, QStringList({"a", "b", "c"}));
    EXPECT_TRUE(onMain);

    // Added from a worker, and run in a modal pass too.
    bool fromWorker = false;
    std::thread([&] { main.addOperation([&] { fromWorker = true; }); }).join();
    QDeadlineTimer limit(2000);
    while (!fromWorker && !limit.hasExpired())
        pf::RunLoop::main().runMode(pf::kModalPanelRunLoopMode, QDeadlineTimer(50));
    EXPECT_TRUE(fromWorker);
}

TEST(OperationQueue, WaitingOnTheMainQueueFromTheMainThreadRunsItsOperations)
{
    OperationQueue& main = OperationQueue::mainQueue();
    QStringList order;
    main.addOperation([&] { order << "first"; });
    main.addOperation([&] {
        order << "second";
        main.addOperation([&] { order << "added while waiting"; });
    });
    main.addOperation([&] { order << "third"; });
    main.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(order, QStringList({"first", "second", "third", "added while waiting"}));

    main.addOperation([&] { order << "never"; });
    main.cancelAllOperations();
    EXPECT_EQ(main.operationCount(), 0);
    waitUntil([] { return false; }, 20);
    EXPECT_FALSE(order.contains("never"));
}

TEST(OperationQueue, DestroyingAQueueWaitsForItsOperations)
{
    std::atomic<int> done{0};
    {
        OperationQueue queue(2);
        for (int i = 0; i < 4; ++i)
            queue.addOperation([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                ++done;
            });
    }
    EXPECT_EQ(done.load(), 4);
    EXPECT_THROW(OperationQueue(0), pf::Exception);
    OperationQueue queue;
    EXPECT_THROW(queue.addOperation({}), pf::Exception);
}

TEST(OperationQueue, DetachedThreadsRunWithTheirOwnPool)
{
    std::atomic<bool> gone{false};
    std::atomic<bool> ranElsewhere{false};
    const auto mainId = std::this_thread::get_id();
    pf::detachThread([&] {
        ranElsewhere = std::this_thread::get_id() != mainId;
        pf::autorelease(std::make_shared<Tracked>(&gone));
        throw std::runtime_error("escapes the thread"); // logged, not terminating
    });
    EXPECT_TRUE(waitUntil([&] { return gone.load(); }));
    EXPECT_TRUE(ranElsewhere);
}
