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
class UndoTaker : public pf::Object, public pf::WindowDelegate {
    PF_CLASS(UndoTaker)
public:
    QStringList received;
};

class PlainDelegate : public pf::Object, public pf::WindowDelegate {
    PF_CLASS(PlainDelegate)
public:
    QStringList received;
};

// The target the action names.
class NamedTarget : public pf::Object {
    PF_CLASS(NamedTarget)
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

PF_DEFINE_CLASS(UndoTaker, pf::Object)
{
    b.method("willRedirectUndo", [](UndoTaker&, const QVariantList&) { return QVariant(true); });
    b.method("undo:", [](UndoTaker& self, const QVariantList&) { self.received << "undo"; return QVariant(); });
    b.method("redo:", [](UndoTaker& self, const QVariantList&) { self.received << "redo"; return QVariant(); });
    b.method("copy:", [](UndoTaker& self, const QVariantList&) { self.received << "copy"; return QVariant(); });
}
PF_DEFINE_CLASS(PlainDelegate, pf::Object)
{
    b.method("undo:", [](PlainDelegate& self, const QVariantList&) { self.received << "undo"; return QVariant(); });
}
PF_DEFINE_CLASS(NamedTarget, pf::Object)
{
    b.method("undo:", [](NamedTarget& self, const QVariantList&) { self.received << "undo"; return QVariant(); });
    b.method("redo:", [](NamedTarget& self, const QVariantList&) { self.received << "redo"; return QVariant(); });
    b.method("copy:", [](NamedTarget& self, const QVariantList&) { self.received << "copy"; return QVariant(); });
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
    auto taker = std::make_shared<UndoTaker>();
    auto target = std::make_shared<NamedTarget>();
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
    auto plain = std::make_shared<PlainDelegate>();
    auto target = std::make_shared<NamedTarget>();
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
