#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Popover.h"
#include "platform/ui/PopoverDelegate.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

namespace {

// Content made in code.
class SlidersController : public pf::ViewController {
public:
    void loadView() override
    {
        auto* view = new QWidget;
        view->resize(120, 80);
        setView(view);
    }
};

struct RecordingDelegate : pf::PopoverDelegate {
    QStringList calls;
    pf::Window* detachTo = nullptr;
    bool allowClose = true;
    void popoverWillShow(pf::Popover&) override { calls << QStringLiteral("willShow"); }
    void popoverDidShow(pf::Popover&) override { calls << QStringLiteral("didShow"); }
    bool popoverShouldClose(pf::Popover&) override { return allowClose; }
    void popoverWillClose(pf::Popover&, const QString& reason) override { calls << QStringLiteral("willClose ") + reason; }
    void popoverDidClose(pf::Popover&, const QString& reason) override { calls << QStringLiteral("didClose ") + reason; }
    pf::Window* detachableWindowForPopover(pf::Popover&) override { return detachTo; }
};

struct PopoverTest : ::testing::Test {
    pf::Window window;
    pf::View* anchor = new pf::View(QRectF(20, 20, 40, 20));
    std::shared_ptr<pf::Popover> popover = std::make_shared<pf::Popover>();
    std::shared_ptr<SlidersController> content = std::make_shared<SlidersController>();
    RecordingDelegate delegate;
    QStringList notifications;
    quint64 tokens[2] = {};

    void SetUp() override
    {
        auto* root = new pf::View(QRectF(0, 0, 300, 200));
        root->addSubview(anchor);
        window.setContentView(root);
        window.setFrame(QRectF(200, 300, 300, 200));
        window.show();
        popover->setContentViewController(content);
        popover->setDelegate(&delegate);
        popover->setAnimates(false);
        for (int i = 0; i < 2; ++i) {
            const QString name = i == 0 ? pf::NSPopoverDidShowNotification : pf::NSPopoverDidCloseNotification;
            tokens[i] = pf::NotificationCenter::defaultCenter().addObserver(name, popover.get(), [this, name](const pf::Notification& n) {
                notifications << name + u' ' + n.userInfo.value(pf::NSPopoverCloseReasonKey).toString();
            });
        }
    }
    void TearDown() override
    {
        for (quint64 token : tokens)
            pf::NotificationCenter::defaultCenter().removeObserver(token);
    }
};

TEST_F(PopoverTest, ShowsAtTheAnchorAndClosesWithItsNotifications)
{
    popover->showRelativeToRect(anchor->bounds(), anchor, pf::MaxYEdge);
    ASSERT_TRUE(popover->isShown());
    ASSERT_NE(popover->window(), nullptr);
    EXPECT_TRUE(popover->window()->isVisible());
    EXPECT_EQ(content->view()->window(), popover->window());
    // Above the anchor (its max-y edge, screen y up), centred on it.
    const QRectF anchorOnScreen = anchor->convertRectToScreen(anchor->bounds());
    const QRectF frame = popover->window()->frame();
    EXPECT_NEAR(frame.y(), anchorOnScreen.y() + anchorOnScreen.height(), 1.0)
        << frame.y() << " " << anchorOnScreen.y() << " " << anchorOnScreen.height();
    EXPECT_NEAR(frame.center().x(), anchorOnScreen.center().x(), 1.0);

    popover->close();
    EXPECT_FALSE(popover->isShown());
    EXPECT_FALSE(popover->window()->isVisible());
    EXPECT_EQ(delegate.calls, (QStringList{QStringLiteral("willShow"), QStringLiteral("didShow"),
                                           QStringLiteral("willClose ") + pf::NSPopoverCloseReasonStandard,
                                           QStringLiteral("didClose ") + pf::NSPopoverCloseReasonStandard}));
    EXPECT_EQ(notifications, (QStringList{pf::NSPopoverDidShowNotification + u' ',
                                          pf::NSPopoverDidCloseNotification + u' ' + pf::NSPopoverCloseReasonStandard}));
    // The content stays its controller's.
    EXPECT_TRUE(content->isViewLoaded());
    EXPECT_EQ(content->view()->parentWidget(), nullptr);
}

TEST_F(PopoverTest, DetachesIntoTheDelegatesWindow)
{
    EXPECT_FALSE(popover->detach()); // not shown
    popover->showRelativeToRect(anchor->bounds(), anchor, pf::MinYEdge);
    EXPECT_FALSE(popover->detach()); // no window offered
    EXPECT_TRUE(popover->isShown());

    pf::Window detached;
    delegate.detachTo = &detached;
    ASSERT_TRUE(popover->detach());
    EXPECT_TRUE(popover->isDetached());
    EXPECT_FALSE(popover->isShown());
    EXPECT_EQ(detached.contentView(), content->view());
    EXPECT_TRUE(detached.isVisible());
    EXPECT_TRUE(delegate.calls.contains(QStringLiteral("didClose ") + pf::NSPopoverCloseReasonDetachToWindow));
    detached.setContentView(nullptr);
}

void pressOn(QWidget* widget)
{
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

TEST_F(PopoverTest, BehavioursDecideWhatClosesIt)
{
    // Application-defined: clicks elsewhere leave it.
    popover->showRelativeToRect(anchor->bounds(), anchor, pf::MaxXEdge);
    pressOn(anchor);
    EXPECT_TRUE(popover->isShown());

    // Semi-transient: a click in the application outside closes it, unless the delegate refuses.
    popover->setBehavior(pf::Popover::Semitransient);
    delegate.allowClose = false;
    pressOn(anchor);
    EXPECT_TRUE(popover->isShown());
    delegate.allowClose = true;
    pressOn(content->view());
    EXPECT_TRUE(popover->isShown()); // inside
    pressOn(anchor);
    EXPECT_FALSE(popover->isShown());
}

} // namespace
