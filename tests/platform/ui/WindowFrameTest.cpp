#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Panel.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowFrame.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

namespace {

// The target of a redirected close button.
class CloseTarget : public pf::Reflective {
    PF_CLASS(CloseTarget)
public:
    void closeClicked(const QVariant& sender) { senders << sender.value<QWidget*>(); }
    QList<QWidget*> senders;
};

} // namespace

PF_DEFINE_CLASS(CloseTarget, pf::Reflective)
{
    b.method("closeClicked:", &CloseTarget::closeClicked);
}

namespace {

using pf::Screen;
using pf::Window;
using pf::WindowFrame;

TEST(WindowsScreen, ConversionFlipsAgainstTheMainScreen)
{
    const QRect main = QGuiApplication::primaryScreen()->geometry();
    // A Qt rectangle touching the top of the main screen sits at the top in screen terms.
    const QRectF qt(10, main.y(), 100, 50);
    const QRectF screen = Screen::fromQt(qt);
    EXPECT_DOUBLE_EQ(screen.y(), main.height() - 50);
    EXPECT_DOUBLE_EQ(screen.x(), 10 - main.x());
    EXPECT_EQ(Screen::toQt(screen), qt);
    EXPECT_EQ(Screen::toQt(Screen::fromQt(QPointF(3, 4))), QPointF(3, 4));
    EXPECT_EQ(Screen::mainFrame().topLeft(), QPointF(0, 0));
    EXPECT_FALSE(Screen::frames().isEmpty());
}

TEST(WindowsFrame, SetFrameRoundTripsHiddenAndShown)
{
    for (bool shown : {false, true}) {
        Window window;
        if (shown) {
            window.show();
            ASSERT_TRUE(quillory::test::waitUntil([&] { return window.isVisible(); }));
        }
        const QRectF frame(120, 200, 400, 300);
        window.setFrame(frame);
        EXPECT_EQ(window.frame(), frame) << "shown " << shown;
        // The content lies inside the frame, under its title bar.
        const QRectF content = window.contentRectForFrameRect(frame);
        EXPECT_TRUE(frame.contains(content));
        EXPECT_EQ(window.frameRectForContentRect(content), frame);
        EXPECT_EQ(window.convertRectToScreen(QRectF(0, 0, 10, 10)).topLeft(), content.topLeft());

        window.setFrameTopLeftPoint(QPointF(50, 700));
        EXPECT_EQ(window.frame(), QRectF(50, 400, 400, 300));
        WindowFrame::setContentSizeKeepingTop(&window, QSizeF(content.width(), content.height() + 100));
        EXPECT_DOUBLE_EQ(window.frame().y() + window.frame().height(), 700.0);
        EXPECT_DOUBLE_EQ(window.frame().height(), 400.0);
    }
}

TEST(WindowsFrame, SavedFrameStringsRoundTripAndBadOnesChangeNothing)
{
    Window window;
    window.setFrame(QRectF(100, 150, 320, 240));
    const QString saved = window.stringWithSavedFrame();
    EXPECT_TRUE(saved.startsWith(QStringLiteral("100 150 320 240 "))) << saved.toStdString();
    EXPECT_EQ(saved.split(' ').size(), 8);

    Window other;
    ASSERT_TRUE(other.setFrameFromString(saved));
    EXPECT_EQ(other.frame(), window.frame());

    const QRectF before = other.frame();
    for (const char* bad : {"", "1 2 3", "a b c d", "10 10 0 100", "10 10 100 -5", "1e300 0 10 10", "nan 0 10 10"}) {
        EXPECT_FALSE(other.setFrameFromString(QString::fromLatin1(bad))) << bad;
        EXPECT_EQ(other.frame(), before) << bad;
    }

    // A frame saved on a screen that is no longer there comes back onto the main screen.
    ASSERT_TRUE(other.setFrameFromString(QStringLiteral("90000 90000 300 200 0 0 1024 768")));
    bool onScreen = false;
    for (const QRectF& s : Screen::visibleFrames())
        onScreen = onScreen || s.intersects(other.frame());
    EXPECT_TRUE(onScreen);
}

TEST(WindowsFrame, AutosaveNameRestoresAndKeepsTheFrame)
{
    const QString name = QStringLiteral("CVLQ_TOOLS_PALETTE_FRAME");
    pf::UserDefaults::standard().setObject(QStringLiteral("200 300 250 180 0 0 1024 768"),
                                           WindowFrame::defaultsKey(name));
    {
        Window palette;
        ASSERT_TRUE(palette.setFrameAutosaveName(name));
        EXPECT_EQ(palette.frame(), QRectF(200, 300, 250, 180));

        // A second living window cannot take the same name.
        Window rival;
        EXPECT_FALSE(rival.setFrameAutosaveName(name));
        EXPECT_TRUE(rival.frameAutosaveName().isEmpty());

        palette.show();
        palette.setFrame(QRectF(40, 60, 250, 180));
        EXPECT_TRUE(quillory::test::waitUntil([&] {
            return pf::UserDefaults::standard().stringForKey(WindowFrame::defaultsKey(name)).startsWith(
                QStringLiteral("40 60 250 180"));
        }));
    }
    // The name is free again once its window is gone.
    Window next;
    EXPECT_TRUE(next.setFrameAutosaveName(name));
    EXPECT_EQ(next.frame(), QRectF(40, 60, 250, 180));
}

struct RefusingDelegate : pf::WindowDelegate {
    bool allow = false;
    int willClose = 0;
    bool windowShouldClose(Window&) override { return allow; }
    void windowWillClose(Window&) override { ++willClose; }
    QSizeF windowWillResize(Window&, const QSizeF& size) override { return size.expandedTo(QSizeF(300, 200)); }
};

TEST(WindowsWindow, DelegateDecidesClosingAndSizes)
{
    Window window;
    RefusingDelegate delegate;
    window.setDelegate(&delegate);
    window.show();
    window.performClose();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(delegate.willClose, 0);

    window.resize(50, 50);
    const QSizeF frameSize = window.frame().size();
    EXPECT_GE(frameSize.width(), 300);
    EXPECT_GE(frameSize.height(), 200);

    delegate.allow = true;
    window.performClose();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(delegate.willClose, 1);
}

TEST(WindowsWindow, CloseButtonCanBeSentToAnAction)
{
    Window window;
    CloseTarget target;
    window.setCloseButtonAction(&target, QStringLiteral("closeClicked:"));
    window.show();
    window.close();
    EXPECT_TRUE(window.isVisible());
    ASSERT_EQ(target.senders.size(), 1);
    EXPECT_EQ(target.senders[0], &window);

    window.setCloseButtonAction(nullptr, {});
    window.close();
    EXPECT_FALSE(window.isVisible());
}

TEST(WindowsWindow, LevelsPanelsAndContentBorder)
{
    Window window;
    EXPECT_TRUE(window.canBecomeMainWindow());
    window.show();
    window.setLevel(pf::kFloatingWindowLevel);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(window.isVisible()); // changing flags keeps it on screen
    window.setLevel(pf::kPopUpMenuWindowLevel);
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    window.setLevel(pf::kNormalWindowLevel);
    EXPECT_FALSE(window.windowFlags() & (Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint));

    pf::Panel panel;
    EXPECT_FALSE(panel.canBecomeMainWindow());
    EXPECT_TRUE(panel.hidesOnDeactivate());
    panel.setFloatingPanel(true);
    EXPECT_TRUE(panel.isFloatingPanel());

    auto* content = new QWidget;
    window.setContentView(content);
    window.setContentBorderThickness(24);
    window.resize(300, 200);
    EXPECT_TRUE(quillory::test::waitUntil([&] { return content->height() == window.height() - 24; }));
}

} // namespace

namespace {

struct ZoomDelegate : pf::WindowDelegate {
    QRectF standard{100, 100, 500, 400};
    bool allow = true;
    QList<QRectF> defaultFrames;
    QList<QRectF> askedToZoomTo;
    QRectF windowWillUseStandardFrame(Window&, const QRectF& defaultFrame) override
    {
        defaultFrames << defaultFrame;
        return standard;
    }
    bool windowShouldZoom(Window&, const QRectF& newFrame) override
    {
        askedToZoomTo << newFrame;
        return allow;
    }
};

} // namespace

TEST(WindowsWindow, ZoomAsksTheDelegateForTheFrameAndWhetherToZoom)
{
    Window window;
    ZoomDelegate delegate;
    window.setDelegate(&delegate);
    const QRectF userFrame(50, 60, 300, 200);
    window.setFrame(userFrame);

    window.zoom();
    ASSERT_FALSE(delegate.defaultFrames.isEmpty());
    EXPECT_EQ(delegate.defaultFrames.last(), Screen::visibleFrame(window.screen()));
    EXPECT_EQ(delegate.askedToZoomTo, QList<QRectF>{delegate.standard});
    EXPECT_EQ(window.frame(), delegate.standard);
    EXPECT_TRUE(window.isZoomed());

    // Zooming again goes back to the frame the user had.
    window.zoom();
    EXPECT_EQ(delegate.askedToZoomTo.last(), userFrame);
    EXPECT_EQ(window.frame(), userFrame);
    EXPECT_FALSE(window.isZoomed());

    // A refusal leaves the frame alone.
    delegate.allow = false;
    window.zoom();
    EXPECT_EQ(delegate.askedToZoomTo.last(), delegate.standard);
    EXPECT_EQ(window.frame(), userFrame);

    // Without a delegate the standard frame is the visible part of the screen.
    window.setDelegate(nullptr);
    window.performZoom();
    EXPECT_EQ(window.frame(), Screen::visibleFrame(window.screen()));
}
