// Target-action of controls: where a click's action lands, and when no click happens.
#include "platform/foundation/Object.h"
#include "platform/ui/ButtonCell.h"
#include "platform/ui/Control.h"
#include "tests/platform/ui/ControlTestSupport.h"

#include <gtest/gtest.h>

namespace {

// A model object taking the action when it is the explicit target.
class ActionTargetObject : public pf::Object {
    PF_CLASS(ActionTargetObject)
public:
    int taken = 0;
};

} // namespace

PF_DEFINE_CLASS(ActionTargetObject, pf::Object)
{
    b.method("takeValue:", std::function<QVariant(ActionTargetObject&, const QVariantList&)>(
                               [](ActionTargetObject& self, const QVariantList&) {
                                   ++self.taken;
                                   return QVariant();
                               }));
}

namespace {

using quillory::test::ActiveWindow;

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        control = new pf::Control(std::make_shared<pf::ButtonCell>(QStringLiteral("Go")), active.window.get());
        control->setFrame(QRectF(10, 10, 80, 24));
        control->setAction(QStringLiteral("takeValue:"));
        control->setTag(7);
        control->show();
    }

    QPointF inside() const { return QPointF(20, 12); }

    ActiveWindow active;
    pf::Control* control = nullptr;
};

TEST_F(ControlTest, ClickSendsTheActionUpTheChainWithTheControlAsSender)
{
    ASSERT_EQ(QApplication::activeWindow(), active.window.get());
    quillory::test::click(control, inside());
    ASSERT_EQ(active.recorder->actions, QStringList{QStringLiteral("takeValue:")});
    pf::Control* sender = pf::Control::fromSender(active.recorder->senders.value(0));
    ASSERT_EQ(sender, control);
    EXPECT_EQ(sender->tag(), 7);
}

TEST_F(ControlTest, AnExplicitTargetTakesTheActionInsteadOfTheChain)
{
    auto target = std::make_shared<ActionTargetObject>();
    control->setTarget(target.get());
    control->performClick();
    EXPECT_EQ(target->taken, 1);
    EXPECT_TRUE(active.recorder->actions.isEmpty());
    // Once the target is gone the action travels the chain again.
    target.reset();
    EXPECT_EQ(control->target(), nullptr);
    control->performClick();
    EXPECT_EQ(active.recorder->actions.size(), 1);
}

TEST_F(ControlTest, NoActionWithoutACompletedEnabledClick)
{
    // Released outside: the press is abandoned.
    quillory::test::pressDragRelease(control, inside(), QPointF(200, 100));
    EXPECT_FALSE(control->isHighlighted());
    control->setEnabled(false);
    quillory::test::click(control, inside());
    control->performClick();
    EXPECT_TRUE(active.recorder->actions.isEmpty());
    EXPECT_FALSE(control->sendAction(QString(), nullptr));
}

TEST_F(ControlTest, ValuesGoThroughTheCell)
{
    auto plain = new pf::Control(active.window.get());
    plain->setStringValue(QStringLiteral("12.5pt"));
    EXPECT_DOUBLE_EQ(plain->doubleValue(), 12.5);
    EXPECT_EQ(plain->intValue(), 13);
    plain->setDoubleValue(2.25);
    EXPECT_EQ(plain->stringValue(), QStringLiteral("2.25"));
    EXPECT_EQ(plain->valueForKey(QStringLiteral("doubleValue")).toDouble(), 2.25);
    // A replaced cell becomes the control's.
    auto cell = std::make_shared<pf::ActionCell>(QStringLiteral("x"));
    plain->setCell(cell);
    EXPECT_EQ(cell->controlView(), plain);
    plain->setCell(nullptr);
    EXPECT_EQ(plain->cell(), cell.get());
}

} // namespace

#include "platform/ui/Button.h"
#include "platform/ui/Menu.h"
#include "platform/ui/PresentationHook.h"
#include "tests/support/TestSupport.h"

#include <QMenu>

namespace {

// Holding a button with a delayed menu pops the menu up instead of clicking.
TEST(ButtonTest, HeldPressShowsTheMenuAndSendsNoAction)
{
    quillory::test::ActiveWindow active;
    auto* button = pf::Button::pushButton(QStringLiteral("Tools"), active.window.get());
    button->setFrame(QRectF(10, 10, 80, 24));
    button->setAction(QStringLiteral("takeValue:"));
    // Explicit: the menu showing moves window activation, and with it the chain.
    button->setTarget(active.recorder);
    auto menu = pf::Menu::make();
    menu->addItem(QStringLiteral("Copy"), QString());
    button->setMenu(menu);
    button->setMenuDelay(0.05);
    button->show();

    int shown = 0;
    pf::PresentationHook::set([&shown](QWidget* widget) {
        ++shown;
        widget->close();
    });
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(20, 12), button->mapToGlobal(QPointF(20, 12)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(button, &press);
    EXPECT_TRUE(quillory::test::waitUntil([&] { return shown == 1; }, 2000));
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(20, 12), button->mapToGlobal(QPointF(20, 12)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(button, &release);
    pf::PresentationHook::clear();
    EXPECT_TRUE(active.recorder->actions.isEmpty());
    EXPECT_FALSE(button->isHighlighted());

    // A quick click is an ordinary click.
    quillory::test::click(button, QPointF(20, 12));
    EXPECT_EQ(active.recorder->actions.size(), 1);
    // Its timer finds the press over and shows nothing.
    quillory::test::waitUntil([] { return false; }, 100);
    EXPECT_EQ(shown, 1);
}

} // namespace
