#include "app/ApplicationDelegate+QuilloryActions.h"
#include "app/CVLPrefsController.h"
#include "app/QLRYVideoSplashController.h"
#include "app/VNQLApplicationMigrator.h"
#include "app/VNQLHelpTrampoline.h"
#include "app/VNQLWebViewWindowController.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/Bundle.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>

namespace {

// A delegate of its own that leaves the launch steps to the base; it opens no untitled document.
class PlainDelegate : public pf::ApplicationDelegate {
    PF_CLASS(PlainDelegate)
public:
    bool applicationShouldOpenUntitledFile(pf::Application&) override { return false; }
};

// A delegate that shows the welcome window and migrates by itself.
class TakingOverDelegate : public PlainDelegate {
    PF_CLASS(TakingOverDelegate)
};

} // namespace

PF_DEFINE_CLASS(PlainDelegate, pf::ApplicationDelegate) {}
PF_DEFINE_CLASS(TakingOverDelegate, PlainDelegate)
{
    b.method("willDisplayWelcomeVideoAtLaunch", [](TakingOverDelegate&, const QVariantList&) { return QVariant(false); });
}

namespace {

QString marker()
{
    const QString support = pf::FileManager::defaultManager().URLForDirectory(pf::FileManager::SearchPath::ApplicationSupport, {}, true);
    return QDir(QDir(support).filePath(pf::Bundle::main().bundleIdentifier())).filePath(VNQLApplicationMigrator::kMarkerFileName);
}

class LaunchStepsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile::remove(marker());
        pf::UserDefaults::standard().removeObjectForKey(QLRYVideoSplashController::kShowAtLaunchDefault);
        QLRYVideoSplashController::releaseSharedVideoSplashController();
        application = std::make_shared<pf::Application>();
        pf::Application::install(application);
    }
    void TearDown() override
    {
        QLRYVideoSplashController::releaseSharedVideoSplashController();
        CVLPrefsController::releaseSharedPrefsController();
        VNQLWebViewWindowController::releaseSharedWebWindowController();
        pf::UserDefaults::standard().removeObjectForKey(QLRYVideoSplashController::kShowAtLaunchDefault);
        QFile::remove(marker());
        pf::Application::install(std::make_shared<pf::Application>());
    }
    static bool welcomeShown()
    {
        return QLRYVideoSplashController::sharedVideoSplashControllerAvailable()
               && QLRYVideoSplashController::sharedVideoSplashController()->window()->isVisible();
    }

    pf::Ref<pf::Application> application;
};

TEST_F(LaunchStepsTest, LaunchingMigratesAndShowsTheWelcomeWindowAfterTwoSeconds)
{
    application->setDelegate(std::make_shared<PlainDelegate>());
    QElapsedTimer clock;
    clock.start();
    application->finishLaunching({});
    EXPECT_TRUE(QFileInfo::exists(marker()));
    EXPECT_FALSE(welcomeShown());
    ASSERT_TRUE(quillory::test::waitUntil(welcomeShown, 5000));
    EXPECT_GE(clock.elapsed(), 1900);
}

TEST_F(LaunchStepsTest, NoWelcomeWindowWhenTheUserTurnedItOff)
{
    pf::UserDefaults::standard().setBool(false, QLRYVideoSplashController::kShowAtLaunchDefault);
    application->setDelegate(std::make_shared<PlainDelegate>());
    application->finishLaunching({});
    EXPECT_FALSE(quillory::test::waitUntil(welcomeShown, 2600));
}

TEST_F(LaunchStepsTest, ADelegateThatRunsTheStepsItselfIsLeftToIt)
{
    application->setDelegate(std::make_shared<TakingOverDelegate>());
    application->finishLaunching({});
    EXPECT_FALSE(QFileInfo::exists(marker()));
    EXPECT_FALSE(quillory::test::waitUntil(welcomeShown, 2600));
}

// Every delegate answers the help, preferences and welcome commands, so the help buttons that
// ask the application for a page reach the help window.
TEST_F(LaunchStepsTest, AnyDelegateAnswersTheHelpPreferencesAndWelcomeCommands)
{
    auto delegate = std::make_shared<PlainDelegate>();
    application->setDelegate(delegate);
    for (const char* action : {"showHelpItemNamed:", "showHelpItemWithTitleOfSender:", "showHelp:", "openPreferences:",
                               "showWelcomeToQuillory:", "confirmAndDiscardApplicationPreferences"})
        EXPECT_TRUE(delegate->respondsTo(QString::fromLatin1(action))) << action;

    EXPECT_TRUE(VNQLHelpTrampoline::showHelpItemNamedByApplicationDelegate(QStringLiteral("export")));
    ASSERT_TRUE(VNQLWebViewWindowController::sharedWebWindowControllerAvailable());
    EXPECT_EQ(VNQLWebViewWindowController::sharedWebWindowController()->URL().fileName(), QStringLiteral("export.html"));
    delegate->perform(QStringLiteral("showHelp:"), {QVariant()});
    EXPECT_EQ(VNQLWebViewWindowController::sharedWebWindowController()->URL().fileName(), QStringLiteral("index.html"));
    delegate->perform(QStringLiteral("showHelpItemWithTitleOfSender:"), {QStringLiteral("graph-paper")});
    EXPECT_EQ(VNQLWebViewWindowController::sharedWebWindowController()->URL().fragment(), QStringLiteral("graph-paper"));

    delegate->perform(QStringLiteral("openPreferences:"), {QVariant()});
    EXPECT_TRUE(CVLPrefsController::sharedPrefsController()->window()->isVisible());
    delegate->perform(QStringLiteral("showWelcomeToQuillory:"), {QVariant()});
    EXPECT_TRUE(welcomeShown());
}

} // namespace
