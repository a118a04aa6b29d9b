#include "app/VNQLApplication.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/ui/Event.h"
#include "platform/ui/Window.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using quillory::test::waitUntil;

// A window delegate that takes Undo and Redo over, or one that does not.
class UndoRedirectingDelegate : public pf::Object, public pf::WindowDelegate {
    PF_CLASS(UndoRedirectingDelegate)
public:
    QStringList received;
};

class UndoKeepingDelegate : public pf::Object, public pf::WindowDelegate {
    PF_CLASS(UndoKeepingDelegate)
public:
    QStringList received;
};

// The target the action names.
class UndoActionTarget : public pf::Object {
    PF_CLASS(UndoActionTarget)
public:
    QStringList received;
};

// Records what the modal pump hands on instead of delivering or beeping.
class RecordingApplication : public VNQLApplication {
public:
    QList<int> sent;
    int beeps = 0;
    void sendEvent(const pf::Event& event) override { sent << event.type; }

protected:
    void beepForRefusedClick() override { ++beeps; }
};

} // namespace

PF_DEFINE_CLASS(UndoRedirectingDelegate, pf::Object)
{
    b.method("willRedirectUndo", [](UndoRedirectingDelegate&, const QVariantList&) { return QVariant(true); });
    b.method("undo:", [](UndoRedirectingDelegate& self, const QVariantList&) { self.received << "undo"; return QVariant(); });
    b.method("redo:", [](UndoRedirectingDelegate& self, const QVariantList&) { self.received << "redo"; return QVariant(); });
    b.method("copy:", [](UndoRedirectingDelegate& self, const QVariantList&) { self.received << "copy"; return QVariant(); });
}
PF_DEFINE_CLASS(UndoKeepingDelegate, pf::Object)
{
    b.method("undo:", [](UndoKeepingDelegate& self, const QVariantList&) { self.received << "undo"; return QVariant(); });
}
PF_DEFINE_CLASS(UndoActionTarget, pf::Object)
{
    b.method("undo:", [](UndoActionTarget& self, const QVariantList&) { self.received << "undo"; return QVariant(); });
    b.method("redo:", [](UndoActionTarget& self, const QVariantList&) { self.received << "redo"; return QVariant(); });
    b.method("copy:", [](UndoActionTarget& self, const QVariantList&) { self.received << "copy"; return QVariant(); });
}

namespace {

class KeyWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.resize(200, 100);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(waitUntil([&] { return QApplication::activeWindow() == &window; }));
    }
    pf::Window window;
    VNQLApplication application;
};

TEST_F(KeyWindowTest, UndoAndRedoGoToAKeyWindowDelegateThatTakesThemOver)
{
    auto taker = std::make_shared<UndoRedirectingDelegate>();
    auto target = std::make_shared<UndoActionTarget>();
    window.setDelegate(taker.get());
    EXPECT_TRUE(application.sendAction(QStringLiteral("undo:"), target.get(), {}));
    EXPECT_TRUE(application.sendAction(QStringLiteral("redo:"), target.get(), {}));
    EXPECT_TRUE(application.sendAction(QStringLiteral("copy:"), target.get(), {}));
    EXPECT_EQ(taker->received, (QStringList{"undo", "redo"}));
    EXPECT_EQ(target->received, QStringList{"copy"});
    window.setDelegate(nullptr);
}

TEST_F(KeyWindowTest, UndoGoesItsOwnWayWhenTheDelegateDoesNotTakeItOver)
{
    auto plain = std::make_shared<UndoKeepingDelegate>();
    auto target = std::make_shared<UndoActionTarget>();
    window.setDelegate(plain.get());
    EXPECT_TRUE(application.sendAction(QStringLiteral("undo:"), target.get(), {}));
    EXPECT_EQ(target->received, QStringList{"undo"});
    EXPECT_TRUE(plain->received.isEmpty());
    window.setDelegate(nullptr);
}

TEST(VNQLApplication, ModalPumpDeliversOnlyTheModalWindowsInputAndBeepsAtClicksElsewhere)
{
    QWidget modal;
    QWidget other;
    modal.show();
    other.show();
    RecordingApplication application;
    auto made = [](int type, QWidget* window) {
        pf::Event event = pf::Event::mouseEvent(type, QPointF(5, 5), 0, pf::Event::now(), pf::Event::windowNumberFor(window), 0, 1, 1.0);
        if (type == pf::KeyDown)
            event = pf::Event::keyEvent(type, QPointF(), 0, pf::Event::now(), pf::Event::windowNumberFor(window),
                                        QStringLiteral("a"), QStringLiteral("a"), false, 0);
        event.window = window;
        return event;
    };
    const std::tuple<int, QWidget*, int, int> cases[] = {
        // event, its window, delivered, beeps
        {pf::KeyDown, &other, 0, 0},
        {pf::LeftMouseDown, &other, 0, 1},
        {pf::RightMouseDown, &other, 0, 1},
        {pf::LeftMouseUp, &other, 0, 0},
        {pf::KeyDown, &modal, 1, 0},
        {pf::LeftMouseDown, &modal, 1, 0},
    };
    for (const auto& [type, window, delivered, beeps] : cases) {
        application.sent.clear();
        application.beeps = 0;
        application.postEvent(made(type, window), false);
        application.fetchAndDispatchEventsModalForWindow(&modal);
        EXPECT_EQ(application.sent.size(), delivered) << type;
        EXPECT_EQ(application.beeps, beeps) << type;
    }

    // Timers still run while the pump takes events.
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    application.fetchAndDispatchEventsModalForWindow(&modal);
    EXPECT_TRUE(fired);
}

} // namespace
