#include "app/QLRYVideoSplashController.h"
#include "app/VNQLHelpTrampoline.h"
#include "app/VNQLWebViewWindowController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDesktopServices>

namespace {

using pf::Ref;

pf::UserDefaults& defaults()
{
    return pf::UserDefaults::standard();
}

class VideoSplashTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        defaults().removeObjectForKey(QStringLiteral("kQuilloryWillShowWelcomeVideoAtLaunch"));
        defaults().removeObjectForKey(QStringLiteral("kQuilloryShouldShowWelcomeVideoCloseAlert"));
        QLRYVideoSplashController::releaseSharedVideoSplashController();
        dismissals = pf::NotificationCenter::defaultCenter().addObserver(
            QStringLiteral("kQuilloryWelcomeVideoDismissed"), nullptr, [this](const pf::Notification&) { ++dismissed; });
    }
    void TearDown() override
    {
        pf::NotificationCenter::defaultCenter().removeObserver(dismissals);
        QLRYVideoSplashController::releaseSharedVideoSplashController();
        defaults().removeObjectForKey(QStringLiteral("kQuilloryWillShowWelcomeVideoAtLaunch"));
        defaults().removeObjectForKey(QStringLiteral("kQuilloryShouldShowWelcomeVideoCloseAlert"));
    }

    quint64 dismissals = 0;
    int dismissed = 0;
};

TEST_F(VideoSplashTest, ShowsAtLaunchUntilTheUserTurnsItOff)
{
    EXPECT_TRUE(QLRYVideoSplashController::shouldDisplayWelcomeVideoAtLaunch());
    const Ref<QLRYVideoSplashController> splash = QLRYVideoSplashController::sharedVideoSplashController();
    splash->showWindow({});
    QCheckBox* box = splash->showAtLaunchCheckbox();
    EXPECT_TRUE(box->isChecked());
    EXPECT_FALSE(splash->userHasManuallySetLaunchPreference());
    box->click();
    EXPECT_FALSE(defaults().boolForKey(QStringLiteral("kQuilloryWillShowWelcomeVideoAtLaunch")));
    EXPECT_TRUE(defaults().objectForKey(QStringLiteral("kQuilloryWillShowWelcomeVideoAtLaunch")).isValid());
    EXPECT_FALSE(QLRYVideoSplashController::shouldDisplayWelcomeVideoAtLaunch());
    EXPECT_TRUE(splash->userHasManuallySetLaunchPreference());

    // Reopened (from the Help menu), the box shows the stored preference.
    box->setChecked(true);
    splash->showWindow({});
    EXPECT_FALSE(box->isChecked());
}

TEST_F(VideoSplashTest, ButtonsCarryTheirTagsPagesAndGradients)
{
    const Ref<QLRYVideoSplashController> splash = QLRYVideoSplashController::sharedVideoSplashController();
    splash->window();
    const QList<RVSimpleHoverButtonView*> buttons = splash->hoverButtons();
    ASSERT_EQ(buttons.size(), 4);
    const QString pages[] = {QLRYVideoSplashController::kGettingStartedURL, QLRYVideoSplashController::kTutorialsURL,
                             QLRYVideoSplashController::kUserForumURL, QLRYVideoSplashController::kUserGuideURL};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(buttons[i]->tag(), i + 1);
        EXPECT_EQ(buttons[i]->representedObject().toUrl(), QUrl(pages[i]));
        EXPECT_EQ(buttons[i]->action(), QStringLiteral("webResourceActionWithTagOfSender:"));
        EXPECT_NE(buttons[i]->contentImage(), nullptr) << i;
        EXPECT_EQ(buttons[i]->hoverGradient(), QLRYVideoSplashController::version2HoverGradient());
    }
    const struct {
        Ref<pf::Gradient> gradient;
        double start, end;
    } greys[] = {{QLRYVideoSplashController::version2NormalGradient(), 0.175, 0.133},
                 {QLRYVideoSplashController::version2HoverGradient(), 0.2, 0.3},
                 {QLRYVideoSplashController::version2PressedGradient(), 0.09, 0.125}};
    for (const auto& g : greys) {
        EXPECT_NEAR(g.gradient->interpolatedColorAtLocation(0.0).qColor().redF(), g.start, 0.01);
        EXPECT_NEAR(g.gradient->interpolatedColorAtLocation(1.0).qColor().redF(), g.end, 0.01);
    }
    // Losing key status leaves no button highlighted.
    buttons[2]->setState(RVSimpleHoverButtonView::Hover);
    splash->windowDidResignKey(*qobject_cast<pf::Window*>(splash->window()));
    EXPECT_EQ(buttons[2]->state(), unsigned(RVSimpleHoverButtonView::Normal));
}

// Records the URLs the desktop is asked to open.
class URLCatcher : public QObject {
    Q_OBJECT
public:
    URLCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open"); }
    ~URLCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

TEST_F(VideoSplashTest, AButtonOpensItsPageInTheBrowser)
{
    URLCatcher catcher;
    const Ref<QLRYVideoSplashController> splash = QLRYVideoSplashController::sharedVideoSplashController();
    splash->window();
    splash->webResourceActionWithTagOfSender(splash->hoverButtons().at(2));
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened.first(), QUrl(QLRYVideoSplashController::kUserForumURL));
}

TEST_F(VideoSplashTest, TheFirstCloseShowsTheHintUntilItIsSuppressed)
{
    const Ref<QLRYVideoSplashController> splash = QLRYVideoSplashController::sharedVideoSplashController();
    splash->showWindow({});
    // The window's own close button goes through the hint as well.
    splash->window()->close();
    ASSERT_NE(splash->closeAlert(), nullptr);
    EXPECT_TRUE(splash->window()->isVisible());
    EXPECT_EQ(dismissed, 0);
    splash->closeAlertDidEnd(true);
    EXPECT_FALSE(splash->window()->isVisible());
    EXPECT_EQ(dismissed, 1);
    EXPECT_FALSE(defaults().boolForKey(QStringLiteral("kQuilloryShouldShowWelcomeVideoCloseAlert")));

    // Suppressed: closing hides at once.
    splash->showWindow({});
    splash->closeWindowAction();
    EXPECT_EQ(splash->closeAlert(), nullptr);
    EXPECT_FALSE(splash->window()->isVisible());
    EXPECT_EQ(dismissed, 2);
}

TEST_F(VideoSplashTest, AHintClosedWithoutSuppressionComesBack)
{
    const Ref<QLRYVideoSplashController> splash = QLRYVideoSplashController::sharedVideoSplashController();
    splash->showWindow({});
    splash->closeWindowAction();
    ASSERT_NE(splash->closeAlert(), nullptr);
    splash->closeAlertDidEnd(false);
    EXPECT_TRUE(defaults().boolForKey(QStringLiteral("kQuilloryShouldShowWelcomeVideoCloseAlert")));
    splash->showWindow({});
    splash->closeWindowAction();
    EXPECT_NE(splash->closeAlert(), nullptr);
}

} // namespace

#include "QLRYVideoSplashControllerTest.moc"
