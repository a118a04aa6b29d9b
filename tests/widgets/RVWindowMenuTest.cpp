#include "widgets/RVWindowMenu.h"

#include "WidgetTestSupport.h"
#include "tests/support/TestSupport.h"

#include "platform/ui/Application.h"
#include "platform/ui/EventQueue.h"
#include "platform/ui/View.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

using widgettest::mouse;

// Records what the menu forwards to it.
class RecordingView : public pf::View {
public:
    using pf::View::View;
    void mouseDown(const pf::Event&) override { calls << QStringLiteral("down"); }
    void mouseDragged(const pf::Event& event) override
    {
        calls << QStringLiteral("dragged");
        lastDrag = event.locationInWindow;
    }
    void mouseUp(const pf::Event&) override { calls << QStringLiteral("up"); }
    void flagsChanged(const pf::Event&) override { calls << QStringLiteral("flags"); }
    void scrollWheel(const pf::Event&) override { calls << QStringLiteral("scroll"); }
    QStringList calls;
    QPointF lastDrag;
};

class WindowMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        pf::EventQueue::shared().discardEvents(pf::kAnyEventMask);
        view = new RecordingView(QRectF(0, 0, 100, 80));
        menu = RVWindowMenu::windowMenuWithContentView(view);
        menu->show();
        t0 = pf::Event::now();
    }
    void TearDown() override
    {
        delete menu.data();
        pf::EventQueue::shared().discardEvents(pf::kAnyEventMask);
    }
    void post(int type, QPointF at, double after)
    {
        pf::EventQueue::shared().postEvent(mouse(type, at, 0, t0 + after, 1, menu), false);
    }
    RecordingView* view = nullptr;
    QPointer<RVWindowMenu> menu;
    double t0 = 0;
};

TEST(WindowMenuGeometry, KeepsTheMenuOnItsScreen)
{
    const QRectF screen(0, 0, 1000, 800);
    struct Case {
        QRectF frame;
        QPointF origin;
    };
    for (const Case c : {Case{{100, 100, 225, 225}, {100, 100}}, Case{{900, 100, 225, 225}, {775, 100}},
                         Case{{-30, 700, 225, 225}, {0, 575}}, Case{{100, -50, 225, 225}, {100, 0}}})
        EXPECT_EQ(RVWindowMenu::frameKeptOnScreen(c.frame, screen).topLeft(), c.origin) << c.frame.x() << "," << c.frame.y();
}

TEST(WindowMenuGeometry, OnlyButtonEventsCountAsMouseEvents)
{
    for (int type = 1; type <= 27; ++type) {
        const bool mouseType = type == 1 || type == 2 || type == 3 || type == 4 || type == 6 || type == 7 || type >= 25;
        EXPECT_EQ(pf::Event::isMouseEventType(type), mouseType) << type;
    }
}

TEST_F(WindowMenu, TakesTheLookOfAPopUpMenu)
{
    EXPECT_EQ(menu->level(), pf::kPopUpMenuWindowLevel);
    EXPECT_NEAR(menu->alphaValue(), 0.95, 0.01);
    EXPECT_TRUE(menu->canBecomeMainWindow());
    EXPECT_EQ(menu->mainView(), view);
    EXPECT_EQ(menu->frame().size(), QSizeF(100, 80));
    EXPECT_EQ(view->frame().topLeft(), QPointF(0, 0));
}

TEST_F(WindowMenu, APressDragAndSlowReleaseReachTheMainView)
{
    post(pf::LeftMouseDragged, QPointF(30, 30), 0.1);
    pf::Event scroll = mouse(pf::ScrollWheel, QPointF(30, 30), 0, t0 + 0.15, 0, menu);
    pf::EventQueue::shared().postEvent(scroll, false);
    post(pf::LeftMouseUp, QPointF(30, 30), 0.3);
    menu->trackWithEvent(mouse(pf::LeftMouseDown, QPointF(20, 20), 0, t0, 1, menu));
    EXPECT_EQ(view->calls, (QStringList{"down", "dragged", "scroll", "up"}));
    EXPECT_EQ(view->lastDrag, QPointF(30, 30));
}

TEST_F(WindowMenu, AQuickClickLeavesItOpenForASecondClick)
{
    post(pf::LeftMouseUp, QPointF(20, 20), 0.1);
    post(pf::LeftMouseDown, QPointF(50, 50), 0.5);
    post(pf::LeftMouseUp, QPointF(50, 50), 0.6);
    menu->trackWithEvent(mouse(pf::LeftMouseDown, QPointF(20, 20), 0, t0, 1, menu));
    EXPECT_EQ(view->calls, (QStringList{"down", "down", "up"}));

    view->calls.clear();
    post(pf::LeftMouseUp, QPointF(20, 20), 0.1);
    post(pf::LeftMouseDown, QPointF(150, 50), 0.5);
    menu->trackWithEvent(mouse(pf::LeftMouseDown, QPointF(20, 20), 0, t0, 1, menu));
    EXPECT_EQ(view->calls, QStringList{"down"});
}

TEST_F(WindowMenu, LeavingTheApplicationEndsTracking)
{
    pf::Event left = pf::Event::otherEvent(pf::AppKitDefined, {}, 0, t0 + 0.1, 0, pf::kApplicationDeactivatedEventSubtype);
    pf::EventQueue::shared().postEvent(left, false);
    post(pf::LeftMouseDragged, QPointF(30, 30), 0.2);
    menu->trackWithEvent(mouse(pf::LeftMouseDown, QPointF(20, 20), 0, t0, 1, menu));
    EXPECT_EQ(view->calls, QStringList{"down"});
}

TEST_F(WindowMenu, MouseEventsOfOtherWindowsAreMovedIntoIt)
{
    pf::Window other;
    other.setFrame(QRectF(300, 300, 200, 200));
    other.show();
    menu->setFrame(QRectF(350, 320, 100, 80));
    const pf::Event outside = mouse(pf::LeftMouseDragged, QPointF(60, 30), 0, t0, 1, &other);
    const pf::Event moved = menu->transmogrify(outside);
    EXPECT_EQ(moved.window, menu.data());
    EXPECT_NEAR(moved.locationInWindow.x(), 10, 1.0);
    EXPECT_NEAR(moved.locationInWindow.y(), 10, 1.0);
    EXPECT_EQ(moved.timestamp, outside.timestamp);
    pf::Event key = outside;
    key.type = pf::KeyDown;
    EXPECT_EQ(menu->transmogrify(key).window, &other);
}

TEST_F(WindowMenu, PoppingUpTracksThenFadesAndGoesAway)
{
    post(pf::LeftMouseUp, QPointF(30, 30), 0.3);
    RVWindowMenu::popUpWindowMenu(menu, QPointF(0, 0), mouse(pf::LeftMouseDown, QPointF(20, 20), 0, t0, 1, menu), nullptr);
    EXPECT_EQ(view->calls, (QStringList{"down", "up"}));
    ASSERT_TRUE(menu);
    EXPECT_TRUE(menu->isFading());
    EXPECT_TRUE(quillory::test::waitUntil([&] { return menu.isNull(); }));
}

TEST_F(WindowMenu, AZeroFadeEndsAtOnceAndNoMenuShowsNothing)
{
    menu->fadeWithTimeInterval(0);
    EXPECT_FALSE(menu->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(menu.isNull());

    post(pf::LeftMouseUp, QPointF(30, 30), 0.3);
    RVWindowMenu::popUpWindowMenu(nullptr, QPointF(0, 0), mouse(pf::LeftMouseDown, QPointF(20, 20)), nullptr);
    EXPECT_EQ(pf::EventQueue::shared().count(), 1);
}

} // namespace
