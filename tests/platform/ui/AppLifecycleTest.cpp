// The application's launch order, termination, modal runs and its catch-all for exceptions.
#include "platform/foundation/Exception.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PlatformNotifications.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/Document.h"
#include "platform/ui/DocumentController.h"
#include "platform/ui/ModalSession.h"
#include "platform/ui/PresentationHook.h"
#include "platform/ui/Sheet.h"
#include "platform/ui/WindowController.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

namespace {

class LaunchDelegate : public pf::ApplicationDelegate {
    PF_CLASS(LaunchDelegate)
public:
    QStringList calls;
    QStringList accepted; // files this delegate opens itself
    pf::TerminateReply reply = pf::TerminateReply::Now;
    bool wantsUntitled = false;

    void applicationWillFinishLaunching(const pf::Notification&) override { calls << QStringLiteral("will"); }
    void applicationDidFinishLaunching(const pf::Notification&) override { calls << QStringLiteral("did"); }
    bool applicationOpenFile(pf::Application&, const QString& path) override
    {
        calls << QStringLiteral("open ") + QFileInfo(path).fileName();
        return accepted.contains(QFileInfo(path).fileName());
    }
    bool applicationShouldOpenUntitledFile(pf::Application&) override
    {
        calls << QStringLiteral("untitled?");
        return wantsUntitled;
    }
    pf::TerminateReply applicationShouldTerminate(pf::Application&) override
    {
        calls << QStringLiteral("should terminate");
        return reply;
    }
    void applicationWillTerminate(const pf::Notification&) override { calls << QStringLiteral("will terminate"); }
};

class PlainDocument : public pf::Document {
    PF_CLASS(PlainDocument)
public:
    bool readFromData(const QByteArray&, const QString&, pf::Error*) override { return true; }
    QString windowNibName() const override { return QStringLiteral("PlainWindow"); }
};

// An application whose new copy starts, or fails to, without starting any process.
class RelaunchingApplication : public pf::Application {
    PF_CLASS(RelaunchingApplication)
public:
    QStringList* calls = nullptr;
    bool starts = true;

protected:
    bool startNewInstance(pf::Error* error) override
    {
        *calls << QStringLiteral("start new copy");
        if (!starts && error)
            *error = pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorFileNotFound,
                                     QStringLiteral("The program could not be started."));
        return starts;
    }
};

} // namespace

PF_DEFINE_CLASS(LaunchDelegate, pf::ApplicationDelegate) {}
PF_DEFINE_CLASS(RelaunchingApplication, pf::Application) {}
PF_DEFINE_CLASS(PlainDocument, pf::Document) {}

namespace {

// Each test gets a fresh application object and delegate.
class AppLifecycleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        application = std::make_shared<pf::Application>();
        pf::Application::install(application);
        delegate = std::make_shared<LaunchDelegate>();
        application->setDelegate(delegate);
        documents = std::make_shared<pf::DocumentController>();
        documents->registerDocumentType({QStringLiteral("Plain"), {QStringLiteral("plain")},
                                         pf::DocumentTypeRole::Viewer, QStringLiteral("PlainDocument"), false});
        observation = pf::NotificationCenter::defaultCenter().addObserver(
            pf::NSApplicationWillTerminateNotification, nullptr,
            [this](const pf::Notification&) { delegate->calls << QStringLiteral("notification"); });
        pf::WindowController::registerWindowNib(QStringLiteral("PlainWindow"), [](pf::WindowController&) { return new QWidget; });
        // No test waits for a person: unexpected dialogs are dismissed.
        pf::PresentationHook::set([](QWidget* dialog) { dialog->close(); });
    }
    void TearDown() override
    {
        pf::NotificationCenter::defaultCenter().removeObserver(observation);
        pf::PresentationHook::clear();
        pf::WindowController::registerWindowNib(QStringLiteral("PlainWindow"), nullptr);
        for (const auto& document : QList<pf::Ref<pf::Document>>(documents->documents()))
            document->close();
        pf::Application::install(std::make_shared<pf::Application>());
    }

    pf::Ref<pf::Application> application;
    pf::Ref<LaunchDelegate> delegate;
    pf::Ref<pf::DocumentController> documents;
    quint64 observation = 0;
};

TEST_F(AppLifecycleTest, LaunchOrderAndFilesDeclinedByTheDelegate)
{
    QTemporaryDir folder;
    for (const char* name : {"mine.plain", "theirs.plain"}) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    delegate->accepted = {QStringLiteral("mine.plain")};
    application->finishLaunching({folder.filePath(QStringLiteral("mine.plain")), folder.filePath(QStringLiteral("theirs.plain"))});
    EXPECT_EQ(delegate->calls, (QStringList{QStringLiteral("will"), QStringLiteral("open mine.plain"),
                                            QStringLiteral("open theirs.plain"), QStringLiteral("did")}));
    ASSERT_EQ(documents->documents().size(), 1) << "the declined file goes to the document controller";
    EXPECT_EQ(documents->documents().first()->displayName(), QStringLiteral("theirs"));
    EXPECT_TRUE(application->hasFinishedLaunching());
}

TEST_F(AppLifecycleTest, LaunchWithoutFilesAsksForAnUntitledDocument)
{
    application->finishLaunching({});
    EXPECT_EQ(delegate->calls, (QStringList{QStringLiteral("will"), QStringLiteral("untitled?"), QStringLiteral("did")}));
    EXPECT_TRUE(documents->documents().isEmpty());
}

TEST_F(AppLifecycleTest, FileThatCannotBeOpenedShowsTheControllersAlert)
{
    QString shown;
    pf::PresentationHook::set([&](QWidget* dialog) {
        if (auto* box = qobject_cast<QMessageBox*>(dialog))
            shown = box->text();
        dialog->close();
    });
    application->openFile(QStringLiteral("/nonexistent/file.plain"));
    EXPECT_TRUE(shown.contains(QStringLiteral("file.plain"))) << qPrintable(shown);
    EXPECT_TRUE(documents->documents().isEmpty());
}

TEST_F(AppLifecycleTest, TerminationAsksTheDelegate)
{
    const struct {
        pf::TerminateReply reply;
        bool terminates;
    } cases[] = {{pf::TerminateReply::Cancel, false}, {pf::TerminateReply::Now, true}};
    for (const auto& c : cases) {
        application = std::make_shared<pf::Application>();
        pf::Application::install(application);
        application->setDelegate(delegate);
        delegate->calls.clear();
        delegate->reply = c.reply;
        application->terminate({});
        EXPECT_EQ(application->isTerminating(), c.terminates);
        QStringList expected{QStringLiteral("should terminate")};
        if (c.terminates)
            expected << QStringLiteral("notification") << QStringLiteral("will terminate");
        EXPECT_EQ(delegate->calls, expected);
    }
}

TEST_F(AppLifecycleTest, RelaunchQuitsOnlyOnceTheNewCopyStarted)
{
    const struct {
        bool starts;
        QStringList calls;
    } cases[] = {
        {true, {"start new copy", "should terminate", "notification", "will terminate"}},
        {false, {"start new copy"}},
    };
    for (const auto& c : cases) {
        auto relaunching = std::make_shared<RelaunchingApplication>();
        relaunching->calls = &delegate->calls;
        relaunching->starts = c.starts;
        pf::Application::install(relaunching);
        relaunching->setDelegate(delegate);
        delegate->calls.clear();
        pf::Error error;
        EXPECT_EQ(relaunching->relaunch({}, &error), c.starts);
        EXPECT_EQ(relaunching->isTerminating(), c.starts);
        EXPECT_EQ(delegate->calls, c.calls);
        EXPECT_EQ(error.isNull(), c.starts) << "a failure says why";
    }
}

TEST_F(AppLifecycleTest, TerminateLaterWaitsForTheReply)
{
    delegate->reply = pf::TerminateReply::Later;
    application->terminate({});
    EXPECT_FALSE(application->isTerminating());
    application->terminate({}); // asked once only while waiting
    EXPECT_EQ(delegate->calls.count(QStringLiteral("should terminate")), 1);
    application->replyToApplicationShouldTerminate(true);
    EXPECT_TRUE(application->isTerminating());
    EXPECT_TRUE(delegate->calls.contains(QStringLiteral("will terminate")));
}

TEST_F(AppLifecycleTest, AnEditedDocumentThatRefusesStopsTermination)
{
    auto document = std::make_shared<PlainDocument>();
    documents->addDocument(document);
    document->updateChangeCount(pf::DocumentChangeType::Done);
    pf::PresentationHook::set([](QWidget* dialog) {
        for (auto* button : dialog->findChildren<QAbstractButton*>()) {
            if (button->text() == QStringLiteral("Cancel"))
                button->click();
        }
    });
    application->terminate({});
    EXPECT_FALSE(application->isTerminating());
    EXPECT_FALSE(delegate->calls.contains(QStringLiteral("should terminate")));
}

TEST_F(AppLifecycleTest, ModalRunsAnswerTheirStopCode)
{
    QWidget window;
    QTimer::singleShot(0, [&] { application->stopModalWithCode(42); });
    EXPECT_EQ(application->runModalForWindow(&window), 42);
    EXPECT_EQ(window.windowModality(), Qt::NonModal);
    EXPECT_EQ(application->modalWindow(), nullptr);

    // Nested runs stop innermost first.
    QWidget inner;
    QList<int> codes;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [&] { application->stopModalWithCode(2); });
        codes << application->runModalForWindow(&inner);
        application->stopModal();
    });
    codes << application->runModalForWindow(&window);
    EXPECT_EQ(codes, (QList<int>{2, pf::kModalResponseStop}));
}

TEST_F(AppLifecycleTest, SessionsStepAndEndWhenTheirWindowGoes)
{
    auto* window = new QWidget;
    {
        pf::ModalSession session(window);
        EXPECT_EQ(application->modalWindow(), window);
        EXPECT_EQ(session.run(), pf::kModalResponseContinue);
        application->abortModal();
        EXPECT_EQ(session.run(), pf::kModalResponseAbort);
    }
    EXPECT_EQ(application->modalWindow(), nullptr);

    pf::ModalSession session(window);
    QTimer::singleShot(0, [window] { delete window; });
    EXPECT_EQ(session.runUntilStopped(), pf::kModalResponseAbort);
}

TEST_F(AppLifecycleTest, ExceptionsReachingTheLoopAreReportedNotFatal)
{
    int alerts = 0;
    pf::PresentationHook::set([&](QWidget* dialog) {
        ++alerts;
        dialog->close();
    });
    EXPECT_FALSE(pf::Application::deliverGuarded([]() -> bool { pf::raise(pf::NSInternalInconsistencyException, QStringLiteral("boom")); }));
    EXPECT_FALSE(pf::Application::deliverGuarded([]() -> bool { throw 17; }));
    EXPECT_TRUE(pf::Application::deliverGuarded([] { return true; }));
    EXPECT_EQ(application->reportedExceptionCount(), 2);
    ASSERT_TRUE(quillory::test::waitUntil([&] { return alerts == 1; }));
    // The second report came while the first alert was pending: logged, not stacked.
    quillory::test::waitUntil([] { return false; }, 100);
    EXPECT_EQ(alerts, 1);
}

} // namespace
