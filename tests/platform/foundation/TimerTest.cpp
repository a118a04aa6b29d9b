#include <gtest/gtest.h>

#include "platform/foundation/Exception.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Timer.h"
#include "tests/support/TestSupport.h"

#include <QEventLoop>
#include <QThread>

#include <atomic>

using pf::Ref;
using pf::Timer;
using quillory::test::waitUntil;

namespace {

class TimerTestTarget : public pf::Object {
    PF_CLASS(TimerTestTarget)
public:
    void tick(const Ref<pf::Object>& timer)
    {
        auto t = std::dynamic_pointer_cast<Timer>(timer);
        ticks << (t ? t->userInfo() : QVariant(QStringLiteral("no timer")));
    }
    QVariantList ticks;
};

PF_DEFINE_CLASS(TimerTestTarget, pf::Object)
{
    b.method("tick:", &TimerTestTarget::tick);
}

void spinFor(int milliseconds)
{
    waitUntil([] { return false; }, milliseconds);
}

} // namespace

TEST(Timer, RepeatingTimerFiresUntilInvalidated)
{
    int fired = 0;
    Ref<Timer> timer = Timer::scheduledTimer(0.005, true, [&](Timer&) { ++fired; });
    EXPECT_TRUE(timer->isValid());
    EXPECT_DOUBLE_EQ(timer->timeInterval(), 0.005);
    ASSERT_TRUE(waitUntil([&] { return fired >= 3; }));
    timer->invalidate();
    EXPECT_FALSE(timer->isValid());
    const int afterInvalidate = fired;
    spinFor(30);
    EXPECT_EQ(fired, afterInvalidate);
}

TEST(Timer, TargetReceivesTheTimerAndAOneShotTimerEndsAfterFiring)
{
    TimerTestTarget target;
    Ref<Timer> timer = Timer::scheduledTimer(0.001, false, &target, "tick:", QVariantMap{{"duration", 0.25}});
    EXPECT_DOUBLE_EQ(timer->timeInterval(), 0.0);
    ASSERT_TRUE(waitUntil([&] { return !target.ticks.isEmpty(); }));
    EXPECT_EQ(target.ticks.first().toMap().value("duration").toDouble(), 0.25);
    EXPECT_FALSE(timer->isValid());
    spinFor(20);
    EXPECT_EQ(target.ticks.size(), 1);
}

TEST(Timer, AScheduledTimerIsKeptAliveUntilInvalidated)
{
    int fired = 0;
    pf::Weak<Timer> weak = Timer::scheduledTimer(0.002, true, [&](Timer& timer) {
        if (++fired == 3)
            timer.invalidate(); // drops the last reference while it runs
    });
    EXPECT_FALSE(weak.expired());
    ASSERT_TRUE(waitUntil([&] { return weak.expired(); }));
    EXPECT_EQ(fired, 3);
}

TEST(Timer, ATimerWhoseTargetDiedInvalidatesItself)
{
    auto target = std::make_unique<TimerTestTarget>();
    Ref<Timer> timer = Timer::scheduledTimer(0.002, true, target.get(), "tick:", {});
    target.reset();
    EXPECT_TRUE(waitUntil([&] { return !timer->isValid(); }));
}

TEST(Timer, TicksInAnotherModeAreSkippedButCommonModeTimersFire)
{
    pf::RunLoop& loop = pf::RunLoop::main();
    int defaultTicks = 0, commonTicks = 0, oneShot = 0;
    Ref<Timer> defaultTimer = Timer::scheduledTimer(0.002, true, [&](Timer&) { ++defaultTicks; });
    Ref<Timer> commonTimer = Timer::scheduledTimer(0.002, true, [&](Timer&) { ++commonTicks; }, {pf::kCommonModes});
    Ref<Timer> oneShotTimer = Timer::scheduledTimer(0.001, false, [&](Timer&) { ++oneShot; });

    const int defaultBefore = defaultTicks;
    QDeadlineTimer limit(5000);
    while (commonTicks < 5 && !limit.hasExpired())
        loop.runMode(pf::kModalPanelRunLoopMode, QDeadlineTimer(20));
    EXPECT_GE(commonTicks, 5);
    EXPECT_EQ(defaultTicks, defaultBefore);
    // The one-shot timer came due in the modal mode: it waits for its mode rather than
    // being lost.
    EXPECT_EQ(oneShot, 0);
    EXPECT_TRUE(oneShotTimer->isValid());

    ASSERT_TRUE(waitUntil([&] { return oneShot == 1 && defaultTicks > defaultBefore; }));
    EXPECT_FALSE(oneShotTimer->isValid());
    defaultTimer->invalidate();
    commonTimer->invalidate();
}

TEST(Timer, FireDateCanBeMovedAndFireRunsAtOnce)
{
    int fired = 0;
    Ref<Timer> timer = Timer::scheduledTimer(1000, true, [&](Timer&) { ++fired; }, {pf::kCommonModes});
    EXPECT_GT(timer->fireDate(), QDateTime::currentDateTime().addSecs(900));

    timer->fire(); // does not change the schedule
    EXPECT_EQ(fired, 1);
    EXPECT_TRUE(timer->isValid());

    timer->setFireDate(QDateTime::currentDateTime().addSecs(-5));
    ASSERT_TRUE(waitUntil([&] { return fired == 2; }));
    // After the moved firing it goes back to its interval.
    EXPECT_GT(timer->fireDate(), QDateTime::currentDateTime().addSecs(900));
    spinFor(20);
    EXPECT_EQ(fired, 2);
    timer->invalidate();
    timer->fire(); // an invalid timer does nothing
    EXPECT_EQ(fired, 2);
}

TEST(Timer, AnActionThatThrowsDoesNotStopARepeatingTimer)
{
    int fired = 0;
    Ref<Timer> timer = Timer::scheduledTimer(0.002, true, [&](Timer&) {
        ++fired;
        throw std::runtime_error("tick failed");
    });
    EXPECT_TRUE(waitUntil([&] { return fired >= 2; }));
    timer->invalidate();
}

TEST(Timer, ATimerFiresOnTheThreadThatScheduledIt)
{
    std::atomic<QThread*> firedOn{nullptr};
    std::atomic<bool> invalidated{false};
    QThread* worker = QThread::create([&] {
        QEventLoop loop;
        Ref<Timer> timer = Timer::scheduledTimer(0.001, false, [&](Timer&) {
            firedOn = QThread::currentThread();
            loop.quit();
        }, {pf::kEventTrackingRunLoopMode}); // modes belong to the main run loop
        loop.exec();
        invalidated = !timer->isValid();
    });
    worker->start();
    EXPECT_TRUE(waitUntil([&] { return worker->isFinished(); }));
    EXPECT_EQ(firedOn.load(), worker);
    EXPECT_TRUE(invalidated);
    worker->wait();
    delete worker;
}

TEST(Timer, BadSchedulesAreRefusedOrMadeSafe)
{
    TimerTestTarget target;
    EXPECT_THROW(Timer::scheduledTimer(1, false, nullptr, "tick:", {}), pf::Exception);
    EXPECT_THROW(Timer::scheduledTimer(1, false, &target, "", {}), pf::Exception);
    EXPECT_THROW(Timer::scheduledTimer(1, false, Timer::Action()), pf::Exception);
    EXPECT_THROW(Timer::scheduledTimer(1, false, [](Timer&) {}, {}), pf::Exception);
    // A repeating timer with no interval must not spin the loop; it still fires.
    int fired = 0;
    Ref<Timer> timer = Timer::scheduledTimer(-1, true, [&](Timer&) { ++fired; });
    EXPECT_GT(timer->timeInterval(), 0.0);
    EXPECT_TRUE(waitUntil([&] { return fired >= 2; }));
    timer->invalidate();
}
