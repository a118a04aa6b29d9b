#include "browsers/RVFolderEnumerator.h"
#include "browsers/RVFolderWatcher.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Notification.h"
#include "tests/browsers/BrowsersTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

namespace {

using pf::Ref;
using namespace quillory::test;

class Listener : public pf::Object {
    PF_CLASS(Listener)
public:
    void changed(const QVariant& notification)
    {
        const auto note = notification.value<pf::Notification>();
        EXPECT_EQ(note.name, RVFolderWatcher::kRVFolderWatcherFolderDidChangeNotification);
        paths.append(note.userInfo.value("path").toString());
        extras.append(note.userInfo.value("user_info"));
    }
    QStringList paths;
    QVariantList extras;
};

} // namespace

PF_DEFINE_CLASS(Listener, pf::Object)
{
    b.method("changed:", &Listener::changed);
}

namespace {

class FolderWatcherTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        watcher.setLatency(0.1);
        QDir().mkpath(dir.filePath("A/B"));
        QDir().mkpath(dir.filePath("C"));
    }
    QString path(const QString& relative) const { return QDir::cleanPath(dir.filePath(relative)); }
    QUrl url(const QString& relative) const { return QUrl::fromLocalFile(path(relative)); }

    QTemporaryDir dir;
    RVFolderWatcher watcher;
    Listener a, b, c;
};

TEST_F(FolderWatcherTest, ReportsAChangeToTheFolderItHappenedInOnly)
{
    watcher.addObserver(&a, "changed:", url("A"), {{"tag", "a"}});
    watcher.addObserver(&b, "changed:", url("A/B"));
    EXPECT_EQ(watcher.pathsToWatch(), (QStringList{path("A") + "/", path("A/B") + "/"}));

    touch(dir.filePath("A/B/new.png"));
    ASSERT_TRUE(waitUntil([&] { return !b.paths.isEmpty(); }));
    EXPECT_EQ(b.paths, QStringList{path("A/B")});
    EXPECT_FALSE(b.extras.first().isValid()) << "no user_info without one given";

    touch(dir.filePath("A/top.png"));
    ASSERT_TRUE(waitUntil([&] { return !a.paths.isEmpty(); }));
    EXPECT_EQ(a.paths, QStringList{path("A")});
    EXPECT_EQ(a.extras.first().toMap().value("tag"), "a");
    EXPECT_EQ(b.paths.size(), 1);
}

// A change waiting under a long latency goes out after a shorter one set meanwhile (tests and
// the program shorten it; the old timer once kept its 5 s).
TEST_F(FolderWatcherTest, AShorterLatencyAppliesToChangesAlreadyWaiting)
{
    watcher.setLatency(60);
    watcher.addObserver(&a, "changed:", url("A"));
    touch(dir.filePath("A/new.png"));
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(a.paths.isEmpty()) << "held for the latency";
    watcher.setLatency(0.1);
    EXPECT_TRUE(waitUntil([&] { return !a.paths.isEmpty(); }));
}

TEST_F(FolderWatcherTest, RemovingOneFolderKeepsWatchingTheOthers)
{
    watcher.addObserver(&a, "changed:", url("A"));
    watcher.addObserver(&c, "changed:", url("C"));
    watcher.removeObserver(&a, url("A"));
    EXPECT_EQ(watcher.pathsToWatch(), QStringList{path("C") + "/"});
    EXPECT_TRUE(watcher.hasNativeWatch(path("C") + "/"));
    touch(dir.filePath("A/x"));
    touch(dir.filePath("C/x"));
    ASSERT_TRUE(waitUntil([&] { return !c.paths.isEmpty(); }));
    EXPECT_TRUE(a.paths.isEmpty());
    watcher.removeObserver(&c);
    EXPECT_TRUE(watcher.pathsToWatch().isEmpty());
    EXPECT_FALSE(watcher.isWatching());
}

TEST_F(FolderWatcherTest, EventsCallEachRegistrationAndIgnoreUnwatchedPaths)
{
    watcher.addObserver(&a, "changed:", url("A"));
    watcher.addObserver(&a, "changed:", url("A"));
    watcher.eventsDidOccurForPaths({path("A"), path("C"), path("A")});
    EXPECT_EQ(a.paths.size(), 4) << "two registrations, the folder named twice";
    EXPECT_THROW(watcher.addObserver(&a, "changed:", url("Missing")), pf::Exception);
}

TEST_F(FolderWatcherTest, SurvivesTheWatchLimitAndQueueOverflowByRescanning)
{
    watcher.setNativeWatchLimitForTesting(1);
    watcher.addObserver(&a, "changed:", url("A"));
    watcher.addObserver(&c, "changed:", url("C"));
    EXPECT_TRUE(watcher.hasNativeWatch(path("A") + "/"));
    EXPECT_FALSE(watcher.hasNativeWatch(path("C") + "/")) << "beyond the limit: polled";
    touch(dir.filePath("C/polled.png"));
    ASSERT_TRUE(waitUntil([&] { return !c.paths.isEmpty(); }));

    a.paths.clear();
    c.paths.clear();
    watcher.simulateQueueOverflowForTesting();
    ASSERT_TRUE(waitUntil([&] { return !a.paths.isEmpty() && !c.paths.isEmpty(); }));
}

// --- Enumerator -----------------------------------------------------------------------------------

class FolderEnumeratorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RVFolderWatcher::defaultWatcher().setLatency(0.1);
        pf::FileManager::registerPackageExtension("qlry");
        touch(dir.filePath("x.qlry/VN_Content.drawing"));
        touch(dir.filePath("x.qlry/inner.qlry"));
        touch(dir.filePath("Sub/B.QLRY"));
        touch(dir.filePath("Sub/c.qlry"));
        touch(dir.filePath("Sub/.hidden.qlry"));
        touch(dir.filePath("Sub/README"));
        touch(dir.filePath("Sub/Deeper/d.qlry"));
        // Two links to an ancestor made the old scan exponential.
        link(dir.path(), dir.filePath("Sub/Deeper/up1"));
        link(dir.path(), dir.filePath("Sub/Deeper/up2"));
        link(dir.filePath("Sub"), dir.filePath("Sub/again"));
    }
    void TearDown() override { RVFolderWatcher::defaultWatcher().setLatency(RVFolderWatcher::kDefaultLatency); }
    QTemporaryDir dir;
};

TEST_F(FolderEnumeratorTest, ListsTypesExactlyWithoutEnteringPackagesOrLinks)
{
    auto deep = RVFolderEnumerator::folderEnumeratorWithPath(dir.path(), true, {"qlry"});
    EXPECT_EQ(relativePaths(dir.path(), deep->files()),
              (QStringList{"Sub/.hidden.qlry", "Sub/Deeper/d.qlry", "Sub/c.qlry", "x.qlry"}));
    EXPECT_EQ(deep->fileURLs().size(), 4);
    EXPECT_EQ(relativePaths(dir.path(), RVFolderEnumerator::filesAtFolderPath(dir.path(), {"qlry"})),
              QStringList{"x.qlry"});
    // No types: everything with an extension, and never a name without one.
    const QStringList all = relativePaths(dir.path(), RVFolderEnumerator::filesAtFolderPath(dir.filePath("Sub"), {}));
    EXPECT_EQ(all, (QStringList{"Sub/.hidden.qlry", "Sub/B.QLRY", "Sub/c.qlry"}));
}

TEST_F(FolderEnumeratorTest, MissingFolderListsNothingWithoutRaising)
{
    Ref<RVFolderEnumerator> missing;
    EXPECT_NO_THROW(missing = RVFolderEnumerator::folderEnumeratorWithPath(dir.filePath("none"), true, {"qlry"}));
    EXPECT_TRUE(missing->files().isEmpty());
    auto vanishing = RVFolderEnumerator::folderEnumeratorWithPath(dir.filePath("Sub"), false, {});
    QDir(dir.filePath("Sub")).removeRecursively();
    EXPECT_NO_THROW(EXPECT_TRUE(vanishing->files().isEmpty()));
}

TEST_F(FolderEnumeratorTest, SettingsAndChangesInAnyScannedFolderReset)
{
    auto deep = RVFolderEnumerator::folderEnumeratorWithPath(dir.path(), true, {"qlry"});
    ASSERT_EQ(deep->files().size(), 4);
    touch(dir.filePath("Sub/Deeper/late.qlry"));
    ASSERT_TRUE(waitUntil([&] { return deep->files().size() == 5; })) << "a deep scan watches the folders it entered";

    deep->setIncludesSubFolders(true);
    touch(dir.filePath("Sub/Deeper/unseen.qlry"), {});
    EXPECT_EQ(deep->files().size(), 5) << "an unchanged setting keeps the listing";
    deep->setFileTypes({"qlry"});
    EXPECT_EQ(deep->files().size(), 6) << "setting the types always resets";
}

} // namespace

#include "browsers/Menu+FolderEnumeration.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"

namespace {

TEST_F(FolderEnumeratorTest, MenusOfferTheFilesOfAFolder)
{
    Listener target;
    pf::Ref<pf::Menu> menu = MenuFolderEnumeration::menuWithFilesInFolder(dir.filePath("Sub"), {"qlry"}, "open:", &target);
    ASSERT_EQ(menu->numberOfItems(), 2);
    EXPECT_EQ(menu->title(), "");
    pf::MenuItem* item = menu->itemAtIndex(1);
    EXPECT_EQ(item->title(), "c");
    EXPECT_EQ(item->action(), "open:");
    EXPECT_EQ(item->target(), &target);
    EXPECT_EQ(QFileInfo(item->representedObject().toString()).fileName(), "c.qlry");
}

} // namespace
