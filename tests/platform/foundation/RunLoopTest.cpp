#include <gtest/gtest.h>

#include "platform/foundation/AutoreleasePool.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/RunLoop.h"
#include "tests/support/TestSupport.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <thread>

using pf::RunLoop;
using quillory::test::waitUntil;

namespace {

class RunLoopTestTarget : public pf::Object {
    PF_CLASS(RunLoopTestTarget)
public:
    void record(const QVariant& value) { received << value; }
    QVariantList received;
};

PF_DEFINE_CLASS(RunLoopTestTarget, pf::Object)
{
    b.method("record:", &RunLoopTestTarget::record);
}

// Reports its own destruction.
struct Tracked : pf::Object {
    explicit Tracked(std::atomic<bool>* destroyed) : destroyed(destroyed) {}
    ~Tracked() override { *destroyed = true; }
    std::atomic<bool>* destroyed;
};

void spinBriefly()
{
    waitUntil([] { return false; }, 30);
}

// Runs the main loop as the application does, so that its turns end by waiting, until
// `condition` holds or a few seconds pass.
bool runLoopUntil(const std::function<bool()>& condition)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition())
            loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    return condition();
}

} // namespace

TEST(RunLoop, PerformRunsOnALaterTurnWithItsArgument)
{
    RunLoopTestTarget target;
    RunLoop::main().perform(&target, "record:", 7, 0);
    EXPECT_TRUE(target.received.isEmpty());
    ASSERT_TRUE(waitUntil([&] { return !target.received.isEmpty(); }));
    EXPECT_EQ(target.received, QVariantList{7});
}

TEST(RunLoop, RequestsRunInTheOrderTheyComeDue)
{
    QStringList order;
    RunLoop::main().perform([&] { order << "late"; }, 0.03);
    RunLoop::main().perform([&] { order << "first"; }, 0);
    RunLoop::main().perform([&] {
        order << "second";
        // Made while requests run: waits for the next turn, after those already due.
        RunLoop::main().perform([&] { order << "fourth"; }, 0);
    }, 0);
    RunLoop::main().perform([&] { order << "third"; }, 0);
    ASSERT_TRUE(waitUntil([&] { return order.size() == 5; }));
    EXPECT_EQ(order, QStringList({"first", "second", "third", "fourth", "late"}));
}

TEST(RunLoop, CancellationMatchesTargetSelectorAndAnEqualArgument)
{
    RunLoopTestTarget target, other;
    RunLoop& loop = RunLoop::main();
    loop.perform(&target, "record:", 1, 0);
    loop.perform(&target, "record:", 2, 0);
    loop.perform(&target, "record:", QVariantList{"x", 1}, 0);
    loop.perform(&other, "record:", 1, 0);
    // Equal, not identical: other integer widths and a rebuilt list.
    loop.cancelPreviousPerformRequests(&target, "record:", QVariant(qlonglong(1)));
    loop.cancelPreviousPerformRequests(&target, "record:", QVariantList{"x", qint64(1)});
    loop.cancelPreviousPerformRequests(&target, "other:", 2);
    ASSERT_TRUE(waitUntil([&] { return !target.received.isEmpty() && !other.received.isEmpty(); }));
    spinBriefly();
    EXPECT_EQ(target.received, QVariantList{2});
    EXPECT_EQ(other.received, QVariantList{1});

    target.received.clear();
    loop.perform(&target, "record:", 1, 0);
    loop.perform(&target, "record:", 2, 0);
    const quint64 handle = loop.perform(&other, "record:", 3, 0);
    loop.perform(&other, "record:", 4, 0);
    loop.cancelPreviousPerformRequests(&target);
    loop.cancel(handle);
    ASSERT_TRUE(waitUntil([&] { return other.received.size() == 2; }));
    spinBriefly();
    EXPECT_TRUE(target.received.isEmpty());
    EXPECT_EQ(other.received, QVariantList({1, 4}));
}

TEST(RunLoop, ARequestCancelledByAnEarlierOneOfTheSameTurnDoesNotRun)
{
    RunLoopTestTarget target;
    RunLoop::main().perform([&] { RunLoop::main().cancelPreviousPerformRequests(&target); }, 0);
    RunLoop::main().perform(&target, "record:", 1, 0);
    bool done = false;
    RunLoop::main().perform([&] { done = true; }, 0);
    ASSERT_TRUE(waitUntil([&] { return done; }));
    EXPECT_TRUE(target.received.isEmpty());
}

TEST(RunLoop, ARequestWhoseTargetDiedIsDroppedWithItsArgument)
{
    std::atomic<bool> argumentDestroyed{false};
    auto target = std::make_unique<RunLoopTestTarget>();
    RunLoop::main().perform(target.get(), "record:", pf::toVariant(std::make_shared<Tracked>(&argumentDestroyed)), 0);
    target.reset();
    EXPECT_FALSE(argumentDestroyed);
    EXPECT_TRUE(waitUntil([&] { return argumentDestroyed.load(); }));
}

TEST(RunLoop, ExceptionsFromRequestsAreContainedAndLaterRequestsRun)
{
    RunLoopTestTarget target;
    bool after = false;
    RunLoop::main().perform([] { pf::raise(pf::NSInternalInconsistencyException, "deferred failure"); }, 0);
    RunLoop::main().perform(&target, "noSuchSelector:", 1, 0);
    RunLoop::main().perform([&] { after = true; }, 0);
    EXPECT_TRUE(waitUntil([&] { return after; }));
}

TEST(RunLoop, RequestsRunOnlyInTheirModes)
{
    RunLoop& loop = RunLoop::main();
    QStringList ran;
    QString modeSeen;
    loop.perform([&] { ran << "default"; }, 0);
    loop.perform([&] { ran << "common"; modeSeen = loop.currentMode(); }, 0, {pf::kCommonModes});
    loop.perform([&] { ran << "tracking"; }, 0, {pf::kEventTrackingRunLoopMode});
    loop.perform([&] { ran << "modal"; }, 0, {pf::kModalPanelRunLoopMode, pf::kDefaultRunLoopMode});

    QDeadlineTimer limit(2000);
    while (ran.size() < 2 && !limit.hasExpired())
        loop.runMode(pf::kModalPanelRunLoopMode, QDeadlineTimer(50));
    // Let the pass that follows run out its limit too, with nothing of its mode left.
    loop.runMode(pf::kModalPanelRunLoopMode, QDeadlineTimer(20));
    ran.sort();
    EXPECT_EQ(ran, QStringList({"common", "modal"}));
    EXPECT_EQ(modeSeen, pf::kModalPanelRunLoopMode);
    EXPECT_EQ(loop.currentMode(), pf::kDefaultRunLoopMode);

    // The default-mode request that came due in the modal pass runs once the mode is back.
    ASSERT_TRUE(waitUntil([&] { return ran.contains("default"); }));
    spinBriefly();
    EXPECT_FALSE(ran.contains("tracking"));
    loop.runMode(pf::kEventTrackingRunLoopMode, QDeadlineTimer(2000));
    EXPECT_TRUE(ran.contains("tracking"));
}

TEST(RunLoop, ModesNestAndRunModeRefusesTheCommonModes)
{
    RunLoop& loop = RunLoop::main();
    QStringList modes;
    loop.perform([&] {
        modes << loop.currentMode();
        loop.perform([&] { modes << loop.currentMode(); }, 0, {pf::kCommonModes});
        loop.runMode(pf::kEventTrackingRunLoopMode, QDeadlineTimer(2000));
        modes << loop.currentMode();
    }, 0, {pf::kCommonModes});
    loop.runMode(pf::kModalPanelRunLoopMode, QDeadlineTimer(2000));
    EXPECT_EQ(modes, QStringList({pf::kModalPanelRunLoopMode, pf::kEventTrackingRunLoopMode, pf::kModalPanelRunLoopMode}));
    EXPECT_THROW(loop.runMode(pf::kCommonModes, QDeadlineTimer(0)), pf::Exception);
    EXPECT_EQ(loop.currentMode(), pf::kDefaultRunLoopMode);
}

TEST(RunLoop, PerformOnMainThreadRunsAtOnceThereAndHandsOffFromWorkers)
{
    bool ranInline = false;
    pf::performOnMainThread([&] { ranInline = true; }, false);
    EXPECT_TRUE(ranInline);

    // Without waiting: the worker goes on, the work runs on the main thread later.
    std::atomic<bool> workerDone{false};
    std::atomic<bool> ranOnMain{false};
    QThread* mainThread = QThread::currentThread();
    std::thread worker([&] {
        pf::performOnMainThread([&] { ranOnMain = QThread::currentThread() == mainThread; }, false);
        workerDone = true;
    });
    worker.join();
    EXPECT_TRUE(workerDone);
    EXPECT_TRUE(waitUntil([&] { return ranOnMain.load(); }));

    // Waiting: the worker sees the result, and the work's exception, when the call returns.
    std::atomic<bool> finished{false};
    bool resultSeen = false;
    QString raised;
    std::thread waiter([&] {
        int result = 0;
        pf::performOnMainThread([&] { result = QThread::currentThread() == mainThread ? 42 : -1; }, true);
        resultSeen = result == 42;
        try {
            pf::performOnMainThread([] { pf::raise(pf::NSInvalidArgumentException, "bad hand-off"); }, true);
        } catch (const pf::Exception& e) {
            raised = e.reason();
        }
        finished = true;
    });
    EXPECT_TRUE(waitUntil([&] { return finished.load(); }));
    waiter.join();
    EXPECT_TRUE(resultSeen);
    EXPECT_EQ(raised, "bad hand-off");
}

TEST(RunLoop, EndOfTurnObserversRunAfterEachTurnAndEachPass)
{
    RunLoop& loop = RunLoop::main();
    int calls = 0;
    const quint64 token = loop.addEndOfTurnObserver([&] { ++calls; });
    loop.runMode(pf::kDefaultRunLoopMode, QDeadlineTimer(0));
    EXPECT_GE(calls, 1);
    calls = 0;
    EXPECT_TRUE(runLoopUntil([&] { return calls >= 2; }));
    loop.removeEndOfTurnObserver(token);
    calls = 0;
    loop.runMode(pf::kDefaultRunLoopMode, QDeadlineTimer(0));
    EXPECT_EQ(calls, 0);
}

TEST(RunLoop, BadRequestsAreRefused)
{
    RunLoopTestTarget target;
    EXPECT_THROW(RunLoop::main().perform(nullptr, "record:", 1, 0), pf::Exception);
    EXPECT_THROW(RunLoop::main().perform(&target, "", 1, 0), pf::Exception);
    EXPECT_THROW(RunLoop::main().perform(&target, "record:", 1, 0, {}), pf::Exception);
    EXPECT_THROW(RunLoop::main().perform(std::function<void()>(), 0), pf::Exception);
    // Delays that are not numbers run at once; absurd ones never come due.
    RunLoop::main().perform(&target, "record:", 1, std::nan(""));
    const quint64 never = RunLoop::main().perform(&target, "record:", 2, 1e300);
    EXPECT_TRUE(waitUntil([&] { return target.received.size() == 1; }));
    RunLoop::main().cancel(never);
}

// Autorelease pools

TEST(AutoreleasePool, NestedPoolsReleaseWhatWasAutoreleasedInsideThem)
{
    std::atomic<bool> outerGone{false}, innerGone{false}, lateGone{false};
    {
        pf::AutoreleasePool outer;
        pf::autorelease(std::make_shared<Tracked>(&outerGone));
        {
            pf::AutoreleasePool inner;
            // Releasing this one autoreleases another into the same pool.
            struct Chaining : Tracked {
                std::atomic<bool>* late;
                Chaining(std::atomic<bool>* gone, std::atomic<bool>* late) : Tracked(gone), late(late) {}
                ~Chaining() override { pf::autorelease(std::make_shared<Tracked>(late)); }
            };
            pf::autorelease(std::make_shared<Chaining>(&innerGone, &lateGone));
            EXPECT_FALSE(innerGone);
        }
        EXPECT_TRUE(innerGone);
        EXPECT_TRUE(lateGone);
        EXPECT_FALSE(outerGone);
    }
    EXPECT_TRUE(outerGone);
}

TEST(AutoreleasePool, TheMainThreadReleasesAtTheEndOfTheTurn)
{
    std::atomic<bool> gone{false};
    bool aliveThroughTheHandler = false;
    RunLoop::main().perform([&] {
        pf::autorelease(std::make_shared<Tracked>(&gone));
        aliveThroughTheHandler = !gone;
    }, 0);
    EXPECT_TRUE(runLoopUntil([&] { return gone.load(); }));
    EXPECT_TRUE(aliveThroughTheHandler);
}

TEST(AutoreleasePool, NestedLoopsDoNotReleaseTheObjectsOfTheHandlerThatRunsThem)
{
    std::atomic<bool> gone{false}, nestedGone{false};
    bool aliveAfterPass = false, aliveAfterNestedLoop = false, nestedReleased = false;
    bool handled = false;
    RunLoop::main().perform([&] {
        pf::autorelease(std::make_shared<Tracked>(&gone));
        RunLoop::main().runMode(pf::kDefaultRunLoopMode, QDeadlineTimer(0));
        aliveAfterPass = !gone;
        // A modal loop inside the handler: its own turns release only what they made.
        RunLoop::main().perform([&] { pf::autorelease(std::make_shared<Tracked>(&nestedGone)); }, 0);
        QEventLoop nested;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &nested, [&] {
            if (nestedGone)
                nested.quit();
        });
        poll.start(5);
        QTimer::singleShot(3000, &nested, &QEventLoop::quit);
        nested.exec();
        nestedReleased = nestedGone;
        aliveAfterNestedLoop = !gone;
        handled = true;
    }, 0);
    EXPECT_TRUE(runLoopUntil([&] { return handled && gone; }));
    EXPECT_TRUE(aliveAfterPass);
    EXPECT_TRUE(nestedReleased);
    EXPECT_TRUE(aliveAfterNestedLoop);
}
