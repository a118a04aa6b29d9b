#include "platform/ui/Event.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

using namespace pf;

TEST(EventModifiers, QtModifiersMapToPlatformBitsAndBack)
{
    struct Case {
        Qt::KeyboardModifiers qt;
        unsigned flags;
    } cases[] = {
        {Qt::ShiftModifier, 1u << 17},
        {Qt::MetaModifier, 1u << 18},
        {Qt::AltModifier, 1u << 19},
        {Qt::ControlModifier, 1u << 20},
        {Qt::ControlModifier | Qt::ShiftModifier, (1u << 20) | (1u << 17)},
        {Qt::NoModifier, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(modifierFlagsFromQt(c.qt), c.flags);
        EXPECT_EQ(qtModifiersFromFlags(c.flags), c.qt);
    }
}

TEST(EventModifiers, MouseEventTypesAndMasks)
{
    for (int type : {1, 2, 3, 4, 6, 7, 25, 26, 27})
        EXPECT_TRUE(Event::isMouseEventType(type)) << type;
    for (int type : {5, 8, 9, 10, 12, 13, 22})
        EXPECT_FALSE(Event::isMouseEventType(type)) << type;
    const EventMask mask = eventMaskFromType(LeftMouseUp) | eventMaskFromType(RightMouseUp)
        | eventMaskFromType(LeftMouseDragged) | eventMaskFromType(RightMouseDragged)
        | eventMaskFromType(FlagsChanged) | eventMaskFromType(AppKitDefined) | eventMaskFromType(ScrollWheel);
    EXPECT_EQ(mask, 0x4030D4u);
}

class EventTranslation : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.resize(200, 100);
        child = new QWidget(&window);
        child->setGeometry(20, 10, 50, 40);
    }
    QMouseEvent mouse(QEvent::Type type, QPointF local, Qt::MouseButton button, Qt::MouseButtons buttons,
                      QPointF global = {100, 100})
    {
        return QMouseEvent(type, local, local, global, button, buttons, Qt::NoModifier);
    }
    QWidget window;
    QWidget* child = nullptr;
};

TEST_F(EventTranslation, MouseLocationIsInYUpWindowCoordinatesAndButtonsPickTypes)
{
    auto press = mouse(QEvent::MouseButtonPress, {5, 5}, Qt::RightButton, Qt::RightButton);
    auto e = Event::fromQt(&press, child);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->type, RightMouseDown);
    // (5, 5) in the child is (25, 15) in the window's Qt space: 100 - 15 = 85 up from the bottom.
    EXPECT_EQ(e->locationInWindow, QPointF(25, 85));
    EXPECT_EQ(e->window, &window);
    EXPECT_EQ(e->windowNumber, Event::windowNumberFor(&window));

    auto drag = mouse(QEvent::MouseMove, {6, 8}, Qt::NoButton, Qt::LeftButton, {101, 103});
    auto d = Event::fromQt(&drag, child);
    EXPECT_EQ(d->type, LeftMouseDragged);
    // Deltas follow the screen: moving down is positive.
    EXPECT_DOUBLE_EQ(d->deltaX, 1);
    EXPECT_DOUBLE_EQ(d->deltaY, 3);

    auto move = mouse(QEvent::MouseMove, {6, 8}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(Event::fromQt(&move, child)->type, MouseMoved);
    auto other = mouse(QEvent::MouseButtonRelease, {6, 8}, Qt::MiddleButton, Qt::NoButton);
    EXPECT_EQ(Event::fromQt(&other, child)->type, OtherMouseUp);
}

TEST_F(EventTranslation, QuickPressesCountClicksAndAFarPressStartsAgain)
{
    quint64 time = 1000;
    auto press = [&](QPointF global, Qt::MouseButton button = Qt::LeftButton) {
        auto up = mouse(QEvent::MouseButtonRelease, {1, 1}, button, Qt::NoButton, global);
        up.setTimestamp(time += 10);
        auto e = mouse(QEvent::MouseButtonPress, {1, 1}, button, button, global);
        e.setTimestamp(time += 10);
        const int count = Event::fromQt(&e, child)->clickCount;
        Event::fromQt(&up, child);
        return count;
    };
    EXPECT_EQ(press({300, 300}), 1);
    EXPECT_EQ(press({300, 300}), 2);
    EXPECT_EQ(press({301, 300}), 3);
    EXPECT_EQ(press({380, 300}), 1); // too far from the last press
    EXPECT_EQ(press({380, 300}, Qt::RightButton), 1); // another button
    auto release = mouse(QEvent::MouseButtonRelease, {1, 1}, Qt::RightButton, Qt::NoButton, {380, 300});
    EXPECT_EQ(Event::fromQt(&release, child)->clickCount, 1);
}

// A press a view leaves unhandled goes on to its parent as a copy: it is still one click, not
// a double click (a click on a row's label must not count as the row's double click).
TEST_F(EventTranslation, APressHandedOnToTheParentIsStillOneClick)
{
    auto first = mouse(QEvent::MouseButtonPress, {1, 1}, Qt::LeftButton, Qt::LeftButton, {500, 500});
    first.setTimestamp(50'000);
    EXPECT_EQ(Event::fromQt(&first, child)->clickCount, 1);
    auto handedOn = mouse(QEvent::MouseButtonPress, {21, 11}, Qt::LeftButton, Qt::LeftButton, {500, 500});
    handedOn.setTimestamp(50'000);
    EXPECT_EQ(Event::fromQt(&handedOn, &window)->clickCount, 1);
    auto release = mouse(QEvent::MouseButtonRelease, {1, 1}, Qt::LeftButton, Qt::NoButton, {500, 500});
    release.setTimestamp(50'080);
    Event::fromQt(&release, child);
    auto second = mouse(QEvent::MouseButtonPress, {1, 1}, Qt::LeftButton, Qt::LeftButton, {500, 500});
    second.setTimestamp(50'150);
    EXPECT_EQ(Event::fromQt(&second, child)->clickCount, 2) << "a real second click still counts";
}

TEST_F(EventTranslation, WheelNotchIsOneAndKeepsTheSign)
{
    QWheelEvent wheel(QPointF(1, 1), QPointF(1, 1), QPoint(), QPoint(0, -240), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    auto e = Event::fromQt(&wheel, child);
    EXPECT_EQ(e->type, ScrollWheel);
    EXPECT_DOUBLE_EQ(e->deltaY, -2.0);
    EXPECT_FALSE(e->hasPreciseScrollingDeltas);
}

TEST_F(EventTranslation, KeysGiveCharactersCodesAndBindings)
{
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;
        QString selector;
        QString inserted;
    } cases[] = {
        {Qt::Key_Left, Qt::NoModifier, {}, "moveLeft:", {}},
        {Qt::Key_Down, Qt::NoModifier, {}, "moveDown:", {}},
        {Qt::Key_PageUp, Qt::NoModifier, {}, "pageUp:", {}},
        {Qt::Key_Tab, Qt::NoModifier, "\t", "insertTab:", {}},
        {Qt::Key_Backtab, Qt::ShiftModifier, {}, "insertBacktab:", {}},
        {Qt::Key_Escape, Qt::NoModifier, {}, "cancelOperation:", {}},
        {Qt::Key_Backspace, Qt::NoModifier, {}, "deleteBackward:", {}},
        {Qt::Key_A, Qt::NoModifier, "a", {}, "a"},
        {Qt::Key_A, Qt::ControlModifier, "\x01", {}, {}}, // a Command chord types nothing
    };
    for (const Case& c : cases) {
        QKeyEvent key(QEvent::KeyPress, c.key, c.modifiers, c.text);
        auto e = Event::fromQt(&key, child);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->type, KeyDown);
        QString inserted;
        EXPECT_EQ(keyBindingSelector(*e, &inserted), c.selector) << c.key;
        EXPECT_EQ(inserted, c.inserted) << c.key;
    }
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    EXPECT_EQ(Event::fromQt(&escape, child)->keyCode, kVK_Escape);
    QKeyEvent commandA(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, "A");
    EXPECT_EQ(Event::fromQt(&commandA, child)->charactersIgnoringModifiers, "A");
    QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
    auto flags = Event::fromQt(&shift, child);
    EXPECT_EQ(flags->type, FlagsChanged);
    EXPECT_EQ(flags->modifierFlags, unsigned(ShiftKeyMask));
}

TEST(EventFactories, MouseEventKeepsWhatItIsGiven)
{
    const Event e = Event::mouseEvent(RightMouseUp, {3, 4}, CommandKeyMask, 12.5, 7, 9, 2, 0.5);
    EXPECT_EQ(e.type, RightMouseUp);
    EXPECT_EQ(e.locationInWindow, QPointF(3, 4));
    EXPECT_EQ(e.modifierFlags, unsigned(CommandKeyMask));
    EXPECT_EQ(e.windowNumber, 7);
    EXPECT_EQ(e.eventNumber, 9);
    EXPECT_EQ(e.clickCount, 2);
    EXPECT_EQ(e.buttonNumber, 1);
    EXPECT_TRUE(e.isMouseEventType());
    const double before = Event::now();
    EXPECT_GE(Event::now(), before);
    // The main screen's height flips y between Qt's global space and the screen's.
    const QPointF screen = Event::screenPointFromGlobal({10, 20});
    EXPECT_EQ(Event::globalPointFromScreen(screen), QPointF(10, 20));
}
