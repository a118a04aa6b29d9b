#include <gtest/gtest.h>

#include "platform/foundation/Exception.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/NotificationQueue.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/PlatformNotifications.h"
#include "tests/support/TestSupport.h"

#include <atomic>
#include <thread>
#include <vector>

using pf::Notification;
using pf::NotificationCenter;
using quillory::test::waitUntil;

namespace {

class NotificationTestObserver : public pf::Object {
    PF_CLASS(NotificationTestObserver)
public:
    void noticed(const Notification& notification) { received.push_back(notification); }
    std::vector<Notification> received;
};

PF_DEFINE_CLASS(NotificationTestObserver, pf::Object)
{
    b.method("noticed:", &NotificationTestObserver::noticed);
}

class NotificationTestSender : public pf::Object {};

QStringList namesOf(const std::vector<Notification>& notifications)
{
    QStringList names;
    for (const auto& n : notifications)
        names << n.name;
    return names;
}

} // namespace

TEST(NotificationCenter, ObserversFilterByNameSenderOrBoth)
{
    NotificationCenter center;
    NotificationTestSender s1, s2;
    struct Case {
        const char* label;
        QString name;
        const pf::Reflective* sender;
        QStringList expected;
    };
    const std::vector<Case> cases = {
        {"name from any sender", "A", nullptr, {"A1", "A2"}},
        {"every name from one sender", "", &s1, {"A1", "B1"}},
        {"name and sender", "A", &s1, {"A1"}},
        {"everything", "", nullptr, {"A1", "A2", "B1", "B-"}},
    };
    std::vector<QStringList> seen(cases.size());
    std::vector<NotificationTestObserver> observers(cases.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        auto record = [&seen, i](const Notification& n) { seen[i] << n.userInfo.value("tag").toString(); };
        if (i % 2)
            center.addObserver(&observers[i], record, cases[i].name, cases[i].sender);
        else
            center.addObserver(cases[i].name, cases[i].sender, record);
    }
    center.post("A", &s1, {{"tag", "A1"}});
    center.post("A", &s2, {{"tag", "A2"}});
    center.post("B", &s1, {{"tag", "B1"}});
    center.post("B", nullptr, {{"tag", "B-"}});
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(seen[i], cases[i].expected) << cases[i].label;
}

TEST(NotificationCenter, SelectorObserverReceivesTheWholeNotification)
{
    NotificationCenter center;
    NotificationTestObserver observer;
    NotificationTestSender sender;
    center.addObserver(&observer, "noticed:", pf::NSUserDefaultsDidChangeNotification, nullptr);
    center.post(pf::NSUserDefaultsDidChangeNotification, &sender, {{"Data", 3}});
    ASSERT_EQ(observer.received.size(), 1u);
    EXPECT_EQ(observer.received[0].name, "NSUserDefaultsDidChangeNotification");
    EXPECT_EQ(observer.received[0].object, &sender);
    EXPECT_EQ(observer.received[0].userInfo.value("Data").toInt(), 3);
}

TEST(NotificationCenter, RemovingDuringDeliveryIsSafeAndTakesEffectAtOnce)
{
    NotificationCenter center;
    NotificationTestObserver first, second, third, late;
    QStringList calls;
    center.addObserver(&first, [&](const Notification&) {
        calls << "first";
        center.removeObserver(&second);
        center.removeObserver(&first);
        // Added during delivery: not called for this post.
        center.addObserver(&late, [&](const Notification&) { calls << "late"; }, "N", nullptr);
    }, "N", nullptr);
    center.addObserver(&second, [&](const Notification&) { calls << "second"; }, "N", nullptr);
    center.addObserver(&third, [&](const Notification&) { calls << "third"; }, "N", nullptr);

    center.post("N");
    EXPECT_EQ(calls, QStringList({"first", "third"}));
    calls.clear();
    center.post("N");
    EXPECT_EQ(calls, QStringList({"third", "late"}));
}

TEST(NotificationCenter, RemovalSelectsByNameAndSender)
{
    NotificationCenter center;
    NotificationTestObserver observer;
    NotificationTestSender s1, s2;
    QStringList seen;
    auto record = [&](const Notification& n) { seen << n.name + (n.object == &s1 ? "1" : "2"); };
    auto observeAll = [&] {
        center.removeObserver(&observer);
        for (const char* name : {"A", "B"})
            for (const pf::Reflective* sender : {&s1, &s2})
                center.addObserver(&observer, record, name, sender);
    };
    auto postAll = [&] {
        seen.clear();
        for (const char* name : {"A", "B"})
            for (NotificationTestSender* sender : {&s1, &s2})
                center.post(name, sender);
        return seen;
    };
    observeAll();
    center.removeObserver(&observer, "A");
    EXPECT_EQ(postAll(), QStringList({"B1", "B2"}));
    observeAll();
    center.removeObserver(&observer, {}, &s1);
    EXPECT_EQ(postAll(), QStringList({"A2", "B2"}));
    observeAll();
    center.removeObserver(&observer, "B", &s2);
    EXPECT_EQ(postAll(), QStringList({"A1", "A2", "B1"}));
    center.removeObserver(&observer);
    EXPECT_TRUE(postAll().isEmpty());

    int tokenCalls = 0;
    const quint64 token = center.addObserver("A", nullptr, [&](const Notification&) { ++tokenCalls; });
    center.post("A");
    center.removeObserver(token);
    center.post("A");
    EXPECT_EQ(tokenCalls, 1);
}

TEST(NotificationCenter, DestroyedObserversAndSendersAreSkippedAndDropped)
{
    NotificationCenter center;
    auto captured = std::make_shared<int>(0);
    int calls = 0;
    auto observer = std::make_unique<NotificationTestObserver>();
    auto sender = std::make_unique<NotificationTestSender>();
    center.addObserver(observer.get(), "noticed:", "N", nullptr);
    center.addObserver(observer.get(), [captured, &calls](const Notification&) { ++calls; }, "N", nullptr);
    center.addObserver("N", sender.get(), [captured, &calls](const Notification&) { ++calls; });
    EXPECT_EQ(captured.use_count(), 3);
    // Destroyed without removing their observations.
    observer.reset();
    sender.reset();
    NotificationTestSender other;
    center.post("N", &other);
    EXPECT_EQ(calls, 0);
    // Both observations are gone with what their handlers held.
    EXPECT_EQ(captured.use_count(), 1);
}

TEST(NotificationCenter, HandlerThatReleasesItsOwnerDuringRemovalDoesNotDeadlock)
{
    // The handler holds the last reference to its observer, whose destructor removes itself.
    struct SelfRemoving : pf::Object {
        NotificationCenter* center = nullptr;
        ~SelfRemoving() override { center->removeObserver(this); }
    };
    NotificationCenter center;
    auto observer = std::make_shared<SelfRemoving>();
    observer->center = &center;
    SelfRemoving* raw = observer.get();
    const quint64 token = center.addObserver("N", nullptr, [observer](const Notification&) {});
    center.addObserver(raw, [](const Notification&) {}, "M", nullptr);
    observer.reset();
    center.removeObserver(token); // destroys the observer: its destructor calls back in
    int calls = 0;
    center.addObserver("M", nullptr, [&](const Notification&) { ++calls; });
    center.post("M");
    EXPECT_EQ(calls, 1);
}

TEST(NotificationCenter, ExceptionReachesThePosterAndTheCentreStaysUsable)
{
    NotificationCenter center;
    QStringList calls;
    const quint64 thrower = center.addObserver("N", nullptr, [&](const Notification&) {
        calls << "thrower";
        pf::raise(pf::NSInternalInconsistencyException, "observer failed");
    });
    center.addObserver("N", nullptr, [&](const Notification&) { calls << "after"; });
    EXPECT_THROW(center.post("N"), pf::Exception);
    EXPECT_EQ(calls, QStringList({"thrower"}));
    center.removeObserver(thrower);
    center.post("N");
    EXPECT_EQ(calls, QStringList({"thrower", "after"}));
}

TEST(NotificationCenter, PostFromAWorkerThreadArrivesOnThatThread)
{
    NotificationCenter center;
    std::thread::id deliveredOn;
    center.addObserver("Background", nullptr, [&](const Notification&) { deliveredOn = std::this_thread::get_id(); });
    std::thread::id workerId;
    std::thread worker([&] {
        workerId = std::this_thread::get_id();
        center.post("Background");
    });
    worker.join();
    EXPECT_EQ(deliveredOn, workerId);
    EXPECT_NE(deliveredOn, std::this_thread::get_id());
}

TEST(NotificationCenter, ConcurrentPostingAndRegistrationStayConsistent)
{
    NotificationCenter center;
    std::atomic<int> delivered{0};
    const quint64 steady = center.addObserver("N", nullptr, [&](const Notification&) { ++delivered; });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 500; ++i) {
                const quint64 token = center.addObserver("N", nullptr, [](const Notification&) {});
                center.post("N");
                center.removeObserver(token);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(delivered.load(), 4 * 500);
    center.removeObserver(steady);
}

// The queue

namespace {

struct QueueFixture {
    NotificationCenter center;
    pf::NotificationQueue queue{center};
    std::vector<Notification> posted;
    QueueFixture()
    {
        center.addObserver({}, nullptr, [this](const Notification& n) { posted.push_back(n); });
    }
    bool settle(size_t expected)
    {
        const bool reached = waitUntil([&] { return posted.size() >= expected; }, 2000);
        waitUntil([] { return false; }, 20); // and nothing more arrives
        return reached;
    }
};

} // namespace

TEST(NotificationQueue, CoalescedNotificationsLeaveTheLatestQueued)
{
    QueueFixture f;
    NotificationTestSender s1, s2;
    f.queue.enqueue({"A", &s1, {{"n", 1}}}, pf::PostingStyle::PostASAP);
    f.queue.enqueue({"A", &s2, {}}, pf::PostingStyle::PostASAP);
    f.queue.enqueue({"B", &s1, {}}, pf::PostingStyle::PostASAP);
    f.queue.enqueue({"A", &s1, {{"n", 2}}}, pf::PostingStyle::PostASAP);
    EXPECT_TRUE(f.posted.empty()); // not before a later turn
    ASSERT_TRUE(f.settle(3));
    ASSERT_EQ(f.posted.size(), 3u);
    EXPECT_EQ(namesOf(f.posted), QStringList({"A", "B", "A"}));
    EXPECT_EQ(f.posted[0].object, &s2);
    EXPECT_EQ(f.posted[2].object, &s1);
    EXPECT_EQ(f.posted[2].userInfo.value("n").toInt(), 2);
}

TEST(NotificationQueue, CoalescingMaskChoosesWhatMatches)
{
    using pf::Coalescing;
    NotificationTestSender s1, s2;
    struct Case {
        const char* label;
        pf::CoalescingFlags mask;
        Notification second;
        size_t expected;
    };
    const std::vector<Case> cases = {
        {"on name, other sender", Coalescing::OnName, {"A", &s2, {}}, 1},
        {"on name, other name", Coalescing::OnName, {"B", &s1, {}}, 2},
        {"on sender, other name", Coalescing::OnSender, {"B", &s1, {}}, 1},
        {"on sender, other sender", Coalescing::OnSender, {"A", &s2, {}}, 2},
        {"on both, other sender", Coalescing::OnName | Coalescing::OnSender, {"A", &s2, {}}, 2},
        {"none, same notification", Coalescing::None, {"A", &s1, {}}, 2},
    };
    for (const auto& c : cases) {
        QueueFixture f;
        f.queue.enqueue({"A", &s1, {}}, pf::PostingStyle::PostASAP, c.mask);
        f.queue.enqueue(c.second, pf::PostingStyle::PostASAP, c.mask);
        f.settle(c.expected);
        EXPECT_EQ(f.posted.size(), c.expected) << c.label;
    }
}

TEST(NotificationQueue, ASAPPostsGoBeforeIdlePostsAndPostNowIsImmediate)
{
    QueueFixture f;
    f.queue.enqueue({"idle", nullptr, {}}, pf::PostingStyle::PostWhenIdle);
    f.queue.enqueue({"soon", nullptr, {}}, pf::PostingStyle::PostASAP);
    f.queue.enqueue({"now", nullptr, {}}, pf::PostingStyle::PostNow);
    EXPECT_EQ(namesOf(f.posted), QStringList({"now"}));
    ASSERT_TRUE(f.settle(3));
    EXPECT_EQ(namesOf(f.posted), QStringList({"now", "soon", "idle"}));

    // Posting now takes the place of a matching queued notification.
    f.posted.clear();
    f.queue.enqueue({"dup", nullptr, {}}, pf::PostingStyle::PostASAP);
    f.queue.enqueue({"dup", nullptr, {}}, pf::PostingStyle::PostNow);
    EXPECT_EQ(f.posted.size(), 1u);
    f.settle(2);
    EXPECT_EQ(f.posted.size(), 1u);
}

TEST(NotificationQueue, DequeuedAndOrphanedNotificationsAreNotPosted)
{
    QueueFixture f;
    NotificationTestSender keeper;
    auto doomed = std::make_unique<NotificationTestSender>();
    f.queue.enqueue({"A", &keeper, {}}, pf::PostingStyle::PostASAP);
    f.queue.enqueue({"B", &keeper, {}}, pf::PostingStyle::PostWhenIdle);
    f.queue.enqueue({"C", doomed.get(), {}}, pf::PostingStyle::PostASAP);
    f.queue.enqueue({"D", nullptr, {}}, pf::PostingStyle::PostASAP);
    f.queue.dequeueNotificationsMatching({"A", &keeper, {}}, pf::Coalescing::OnName);
    doomed.reset(); // its notification would carry a dangling sender
    ASSERT_TRUE(f.settle(2));
    EXPECT_EQ(namesOf(f.posted), QStringList({"D", "B"}));

    f.posted.clear();
    f.queue.enqueue({"E", nullptr, {}}, pf::PostingStyle::PostASAP);
    f.queue.dequeueNotificationsMatching({}, pf::Coalescing::None); // no criteria: everything
    f.settle(1);
    EXPECT_TRUE(f.posted.empty());
}

TEST(NotificationQueue, ObserverThatThrowsDoesNotStopTheRestOfTheQueue)
{
    QueueFixture f;
    f.center.addObserver("bad", nullptr, [](const Notification&) { throw std::runtime_error("observer failed"); });
    f.queue.enqueue({"bad", nullptr, {}}, pf::PostingStyle::PostASAP);
    f.queue.enqueue({"good", nullptr, {}}, pf::PostingStyle::PostASAP);
    ASSERT_TRUE(f.settle(2));
    EXPECT_EQ(namesOf(f.posted), QStringList({"bad", "good"}));
}

TEST(NotificationQueue, EnqueuedFromAWorkerThreadPostsOnTheQueueThread)
{
    QueueFixture f;
    std::thread::id postedOn;
    f.center.addObserver("W", nullptr, [&](const Notification&) { postedOn = std::this_thread::get_id(); });
    std::thread worker([&] {
        f.queue.enqueue({"W", nullptr, {}}, pf::PostingStyle::PostWhenIdle);
        f.queue.enqueue({"W", nullptr, {}}, pf::PostingStyle::PostASAP);
    });
    worker.join();
    ASSERT_TRUE(f.settle(1));
    EXPECT_EQ(f.posted.size(), 1u); // coalesced across styles
    EXPECT_EQ(postedOn, std::this_thread::get_id());
}

TEST(NotificationCenter, PlatformNotificationNamesAreTheirOwnNames)
{
    const std::vector<std::pair<QString, const char*>> names = {
        {pf::NSWindowDidBecomeMainNotification, "NSWindowDidBecomeMainNotification"},
        {pf::NSWindowDidResignMainNotification, "NSWindowDidResignMainNotification"},
        {pf::NSApplicationWillTerminateNotification, "NSApplicationWillTerminateNotification"},
        {pf::NSUserDefaultsDidChangeNotification, "NSUserDefaultsDidChangeNotification"},
        {pf::NSViewFrameDidChangeNotification, "NSViewFrameDidChangeNotification"},
        {pf::NSViewBoundsDidChangeNotification, "NSViewBoundsDidChangeNotification"},
    };
    for (const auto& [value, name] : names)
        EXPECT_EQ(value, QString::fromLatin1(name));
}
