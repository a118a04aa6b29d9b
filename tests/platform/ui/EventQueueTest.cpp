#include "platform/foundation/RunLoop.h"
#include "platform/ui/Application.h"
#include "platform/ui/EventQueue.h"
#include "platform/ui/ModalSession.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

namespace {

using pf::Event;
using pf::EventQueue;

// Counts what reaches it.
class CountingWidget : public QWidget {
public:
    int presses = 0;
    int keys = 0;
    QList<int> clickCounts;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
    void keyPressEvent(QKeyEvent*) override { ++keys; }
};

void postPress(QWidget* widget)
{
    QCoreApplication::postEvent(widget, new QMouseEvent(QEvent::MouseButtonPress, QPointF(3, 3), widget->mapToGlobal(QPointF(3, 3)),
                                                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
}

void postKey(QWidget* widget)
{
    QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a")));
}

struct EventQueueTest : ::testing::Test {
    CountingWidget widget;
    void SetUp() override
    {
        widget.resize(100, 100);
        widget.show();
        QCoreApplication::processEvents();
    }
    void TearDown() override
    {
        EventQueue::shared().discardEvents(pf::kAnyEventMask);
        QCoreApplication::processEvents();
    }
};

TEST_F(EventQueueTest, NextEventTakesTheFirstMatchAndHoldsInputBack)
{
    postKey(&widget);
    postPress(&widget);
    const auto event = EventQueue::shared().nextEvent(pf::eventMaskFromType(pf::LeftMouseDown), EventQueue::kDistantPast,
                                                      pf::kEventTrackingRunLoopMode, true);
    ASSERT_TRUE(event);
    EXPECT_EQ(event->type, pf::LeftMouseDown);
    EXPECT_EQ(event->window, &widget);
    // Neither reached the widget; the key is still queued.
    EXPECT_EQ(widget.presses, 0);
    EXPECT_EQ(widget.keys, 0);
    EXPECT_EQ(EventQueue::shared().count(), 1);
    const auto peeked = EventQueue::shared().nextEvent(pf::kAnyEventMask, EventQueue::kDistantPast, pf::kDefaultRunLoopMode, false);
    ASSERT_TRUE(peeked);
    EXPECT_EQ(peeked->type, pf::KeyDown);
    EXPECT_EQ(EventQueue::shared().count(), 1);

    // What nobody took is delivered at the next turn; the taken press only when dispatched.
    QCoreApplication::processEvents();
    EXPECT_EQ(widget.keys, 1);
    EXPECT_EQ(EventQueue::shared().count(), 0);
    EXPECT_TRUE(EventQueue::shared().dispatch(*event));
    EXPECT_EQ(widget.presses, 1);
}

TEST_F(EventQueueTest, WaitsUntilItsDateForAMatch)
{
    const double start = Event::now();
    EXPECT_FALSE(EventQueue::shared().nextEvent(pf::kAnyEventMask, start + 0.05, pf::kEventTrackingRunLoopMode, true));
    EXPECT_GE(Event::now() - start, 0.05);

    QTimer::singleShot(20, &widget, [this] { postPress(&widget); });
    const auto event = EventQueue::shared().nextEvent(pf::eventMaskFromType(pf::LeftMouseDown), Event::now() + 5,
                                                      pf::kEventTrackingRunLoopMode, true);
    ASSERT_TRUE(event);
    EXPECT_LT(Event::now() - start, 4.0);
}

TEST_F(EventQueueTest, DiscardingAndPostingMadeEvents)
{
    const double now = Event::now();
    const Event early = Event::mouseEvent(pf::LeftMouseDown, {}, 0, now, 0, 1, 1, 1);
    const Event later = Event::mouseEvent(pf::LeftMouseUp, {}, 0, now + 1, 0, 2, 1, 1);
    const Event key = Event::keyEvent(pf::KeyDown, {}, 0, now, 0, QStringLiteral("x"), QStringLiteral("x"), false, 0);
    EventQueue::shared().postEvent(later, false);
    EventQueue::shared().postEvent(early, true);
    EventQueue::shared().postEvent(key, false);
    EventQueue::shared().discardEvents(pf::eventMaskFromType(pf::LeftMouseDown) | pf::eventMaskFromType(pf::LeftMouseUp), &later);
    const auto first = EventQueue::shared().nextEvent(pf::kAnyEventMask, EventQueue::kDistantPast, pf::kDefaultRunLoopMode, true);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->type, pf::LeftMouseUp);
    const auto second = EventQueue::shared().nextEvent(pf::kAnyEventMask, EventQueue::kDistantPast, pf::kDefaultRunLoopMode, true);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->type, pf::KeyDown);
}

TEST(ModalSessionTest, DeliversOnlyToItsWindow)
{
    CountingWidget modal;
    CountingWidget other;
    other.show();
    auto* owned = new CountingWidget;
    owned->setParent(&modal, Qt::Dialog);
    {
        pf::ModalSession session(&modal);
        owned->show();
        for (QWidget* target : {static_cast<QWidget*>(&modal), static_cast<QWidget*>(&other), static_cast<QWidget*>(owned)}) {
            postPress(target);
            postKey(target);
        }
        session.run();
        EXPECT_EQ(modal.presses, 1);
        EXPECT_EQ(modal.keys, 1);
        EXPECT_EQ(owned->presses, 1);
        EXPECT_EQ(other.presses, 0);
        EXPECT_EQ(other.keys, 0);
        // The mouse down beeped; the key went without a sound.
        EXPECT_EQ(session.refusedMouseDowns(), 1);
        EXPECT_FALSE(session.delivers(&other));
    }
    postPress(&other);
    QCoreApplication::processEvents();
    EXPECT_EQ(other.presses, 1);
}

} // namespace
