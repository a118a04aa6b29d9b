#include "widgets/RVAugmentedButton.h"
#include "widgets/RVAugmentedButtonDelegate.h"
#include "widgets/RVLineEdgeView.h"
#include "widgets/RVSegmentedControl.h"
#include "widgets/RVToolbarItem.h"
#include "widgets/SegmentedControl+PWTitle.h"
#include "widgets/ToolbarItem+PWTitle.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/ui/Button.h"
#include "platform/ui/Popover.h"
#include "platform/ui/Responder.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

namespace {

using pf::Ref;

class Content : public pf::ViewController {
public:
    void loadView() override
    {
        auto* view = new QWidget;
        view->resize(100, 60);
        setView(view);
    }
};

// Answers as the layers panel's opacity popover does: records what the button hands it.
class OpacityContent : public Content {
    PF_CLASS(OpacityContent)
public:
    void setControlsAction(const QString& action) { calls << QStringLiteral("action ") + action; }
    void setTarget(const QVariant& target) { calls << QStringLiteral("target ") + QString::number(target.isValid()); }
    QStringList calls;
};

class PopoverSource : public RVAugmentedButtonDelegate {
public:
    Ref<pf::Popover> popoverForAugmentedButton(RVAugmentedButton&) override
    {
        ++asked;
        return popover;
    }
    void augmentedButtonWillShowPopover(RVAugmentedButton&) override { ++willShow; }
    Ref<pf::Popover> popover;
    int asked = 0;
    int willShow = 0;
};

} // namespace

PF_DEFINE_CLASS_NAMED(OpacityContent, pf::ViewController, "RVAugmentedButtonTestOpacityContent")
{
    b.method("setControlsAction:", &OpacityContent::setControlsAction);
    b.method("setTarget:", &OpacityContent::setTarget);
}

namespace {

class AugmentedButton : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* root = new pf::View(QRectF(0, 0, 300, 200));
        button = new RVAugmentedButton(QRectF(20, 20, 40, 20));
        root->addSubview(button);
        window.setContentView(root);
        window.setFrame(QRectF(200, 300, 300, 200));
        window.show();
        source.popover = std::make_shared<pf::Popover>();
        source.popover->setContentViewController(std::make_shared<Content>());
        source.popover->setAnimates(false);
    }
    void TearDown() override { source.popover->close(); }
    pf::Event click(unsigned flags)
    {
        pf::Event event = pf::Event::mouseEvent(pf::LeftMouseDown, QPointF(30, 30), flags, pf::Event::now(), 0, 0, 1, 1);
        event.window = &window;
        return event;
    }
    pf::Window window;
    RVAugmentedButton* button = nullptr;
    PopoverSource source;
};

TEST_F(AugmentedButton, ControlClickShowsTheDelegatesPopoverTransientOnTheMinYEdge)
{
    button->setDelegate(&source);
    EXPECT_EQ(button->preferredEdge(), 1u);
    button->mouseDown(click(pf::ControlKeyMask));
    ASSERT_TRUE(source.popover->isShown());
    EXPECT_EQ(source.popover->behavior(), pf::Popover::Transient);
    EXPECT_EQ(source.popover->preferredEdge(), 1);
    EXPECT_EQ(source.willShow, 1);
    EXPECT_FALSE(button->isHighlighted());
}

TEST_F(AugmentedButton, WithoutPopoverOrDelegateARightClickDoesNothing)
{
    button->rightMouseDown(click(0));
    EXPECT_EQ(button->popover(), nullptr);
    EXPECT_FALSE(source.popover->isShown());
}

TEST_F(AugmentedButton, RemembersThePopoverOnlyWhileSomeoneKeepsIt)
{
    button->setDelegate(&source);
    EXPECT_EQ(button->popover(), source.popover);
    EXPECT_EQ(button->popover(), source.popover);
    EXPECT_EQ(source.asked, 1);
    std::weak_ptr<pf::Popover> old = source.popover;
    source.popover = std::make_shared<pf::Popover>();
    EXPECT_TRUE(old.expired());
    EXPECT_EQ(button->popover(), source.popover);
    EXPECT_EQ(source.asked, 2);
}

TEST_F(AugmentedButton, HandsTheOpacityPopoverItsActionThenTarget)
{
    auto opacity = std::make_shared<OpacityContent>();
    source.popover->setContentViewController(opacity);
    button->setDelegate(&source);
    button->setPopoverAction(QStringLiteral("changeOpacity:"));
    auto target = std::make_shared<pf::Object>();
    button->setPopoverTarget(target.get());
    button->prepareAndShowPopover();
    EXPECT_EQ(opacity->calls, (QStringList{QStringLiteral("action changeOpacity:"), QStringLiteral("target 1")}));
}

TEST(RVSegmentedControl, SharesItsWidthEvenlyOnResize)
{
    struct Case {
        int segments;
        double width;
        double expected;
    };
    for (const Case c : {Case{3, 100, 32}, Case{2, 51, 24}, Case{1, 10, 8}}) {
        RVSegmentedControl control;
        control.setSegmentCount(c.segments);
        control.setFrameSize(QSizeF(c.width, 24));
        for (int s = 0; s < c.segments; ++s)
            EXPECT_DOUBLE_EQ(control.widthForSegment(s), c.expected) << c.segments << " " << c.width;
    }
    RVSegmentedControl empty;
    empty.setFrameSize(QSizeF(100, 24));
    EXPECT_EQ(empty.segmentCount(), 0);
}

TEST(TitleExtensions, SegmentedTitleIsTheSelectedLabelAndEmptyWithoutSelection)
{
    pf::SegmentedControl control;
    control.setSegmentCount(2);
    control.setLabel(QStringLiteral("Fill"), 0);
    control.setLabel(QStringLiteral("Stroke"), 1);
    EXPECT_EQ(title(control), QString());
    control.setSelectedSegment(1);
    EXPECT_EQ(title(control), QStringLiteral("Stroke"));

    pf::ToolbarItem item(QStringLiteral("zoom"));
    item.setLabel(QStringLiteral("Zoom"));
    EXPECT_EQ(title(item), QStringLiteral("Zoom"));
}

class Refuser : public pf::Object, public pf::Responder {
    PF_CLASS(Refuser)
public:
    bool validateUserInterfaceItem(pf::UserInterfaceItem& item) override
    {
        seenAction = item.action();
        return allow;
    }
    bool allow = false;
    QString seenAction;
};

} // namespace

PF_DEFINE_CLASS_NAMED(Refuser, pf::Object, "RVToolbarItemTestRefuser") {}

namespace {

TEST(RVToolbarItem, EnablesItsControlByTheTargetsAnswer)
{
    auto refuser = std::make_shared<Refuser>();
    auto* control = new pf::Button;
    control->setTarget(refuser.get());
    control->setAction(QStringLiteral("align:"));
    RVToolbarItem item(QStringLiteral("align"));
    item.setView(control);
    item.validate();
    EXPECT_FALSE(control->isEnabled());
    EXPECT_EQ(refuser->seenAction, QStringLiteral("align:"));
    refuser->allow = true;
    item.validate();
    EXPECT_TRUE(control->isEnabled());
}

TEST(RVLineEdgeView, DrawsAlongTheLeftWhenTallElseAlongTheBottom)
{
    RVLineEdgeView tall(QRectF(0, 0, 4, 40));
    EXPECT_EQ(tall.edgeLine(), QLineF(0.5, 0, 0.5, 40));
    RVLineEdgeView wide(QRectF(0, 0, 40, 4));
    EXPECT_EQ(wide.edgeLine(), QLineF(0, 0.5, 40, 0.5));
    EXPECT_FALSE(wide.isOpaque());
    EXPECT_DOUBLE_EQ(wide.lineWidth(), 0.5);
}

} // namespace
