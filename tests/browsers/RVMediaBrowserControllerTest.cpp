#include "browsers/RVMediaBrowserController.h"
#include "browsers/RVFolderWatcher.h"
#include "platform/foundation/Bookmark.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/PresentationHook.h"
#include "tests/browsers/BrowsersTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QImage>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using pf::Ref;
using namespace quillory::test;

pf::UserDefaults& defaults()
{
    return pf::UserDefaults::standard();
}

void writeImage(const QString& path, QSize size = QSize(64, 48))
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(path, QFileInfo(path).suffix().toLower() == "png" ? "PNG" : "JPEG"));
}

QStringList names(const QList<Ref<RVImagePath>>& items)
{
    QStringList out;
    for (const auto& item : items)
        out.append(QFileInfo(item->path()).fileName());
    return out;
}

class MediaBrowserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const QString& key : {RVMediaBrowserController::kRVMediaBrowserBookmarkedItems2,
                                   RVMediaBrowserController::kRVMediaBrowserBookmarkedItems,
                                   RVMediaBrowserController::kRVMediaBrowserLastFolderPrefsKey,
                                   RVMediaBrowserController::kRVMediaBrowserZoomLevelPrefsKey,
                                   RVMediaBrowserController::kRVMediaBrowserShowsAllFilesPrefsKey,
                                   RVImagePath::kRVMediaBrowserShowFileExtensions})
            defaults().removeObjectForKey(key);
        pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        QDir().mkpath(pictures);
        writeImage(dir.filePath("Photos/a.JPG"));
        writeImage(dir.filePath("Photos/b.Jpg"));
        writeImage(dir.filePath("Photos/Cats/Tabby.png"), QSize(640, 480));
        touch(dir.filePath("Photos/vector.svg"),
              "<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10'><rect width='10' height='10'/></svg>");
        writeImage(dir.filePath("Other/Photos/c.png"));
    }
    void TearDown() override { pf::PresentationHook::clear(); }
    Ref<RVMediaBrowserController> makeBrowser()
    {
        auto browser = std::make_shared<RVMediaBrowserController>();
        browser->window()->resize(700, 500);
        return browser;
    }
    Ref<RVFolderInfo> root(const QString& relative)
    {
        return RVFolderInfo::folderInfoWithURL(QUrl::fromLocalFile(dir.filePath(relative)));
    }
    QTemporaryDir dir;
    QString pictures;
};

TEST_F(MediaBrowserTest, BookmarksAreKeyedByPathSoFoldersOfOneNameAreAllKept)
{
    RVMediaBrowserController::addRootBookmark(root("Photos"));
    RVMediaBrowserController::addRootBookmark(root("Other/Photos"));
    RVMediaBrowserController::addRootBookmark(root("Photos")->subFolders().first()); // no root: ignored
    const QVariantMap stored = defaults().dictionaryForKey("kRVMediaBrowserBookmarkedItems2");
    EXPECT_EQ(stored.size(), 2);
    EXPECT_EQ(RVMediaBrowserController::bookmarkedRootItems().size(), 2);

    // A folder that went away is not shown but stays remembered.
    QDir(dir.filePath("Other")).removeRecursively();
    EXPECT_EQ(RVMediaBrowserController::bookmarkedRootItems().size(), 1);
    EXPECT_EQ(defaults().dictionaryForKey("kRVMediaBrowserBookmarkedItems2").size(), 2);

    RVMediaBrowserController::removeRootBookmark(root("Photos"));
    EXPECT_EQ(defaults().dictionaryForKey("kRVMediaBrowserBookmarkedItems2").size(), 1);
}

TEST_F(MediaBrowserTest, TheOlderListIsMigratedOnceKeepingWhatCannotBeResolved)
{
    QDir().mkpath(dir.filePath("Gone"));
    const QByteArray gone = pf::Bookmark::create(dir.filePath("Gone"), 0);
    QDir(dir.filePath("Gone")).removeRecursively();
    defaults().setObject(QVariantList{pf::Bookmark::create(dir.filePath("Photos"), 0), gone},
                         "kRVMediaBrowserBookmarkedItems");
    const QList<Ref<RVFolderInfo>> roots = RVMediaBrowserController::bookmarkedRootItems();
    ASSERT_EQ(roots.size(), 1);
    EXPECT_EQ(roots.first()->name(), "Photos");
    EXPECT_FALSE(defaults().objectForKey("kRVMediaBrowserBookmarkedItems").isValid());
    const QVariantMap migrated = defaults().dictionaryForKey("kRVMediaBrowserBookmarkedItems2");
    EXPECT_EQ(migrated.size(), 2) << "the unresolved entry is carried over";
    EXPECT_TRUE(migrated.values().contains(gone));
}

TEST_F(MediaBrowserTest, FirstOpeningShowsThePicturesFolderSelected)
{
    writeImage(pictures + "/p.png");
    auto browser = makeBrowser();
    ASSERT_EQ(browser->folderController()->rootItems().size(), 1);
    EXPECT_EQ(browser->folderController()->rootItems().first()->path(), QFileInfo(pictures).canonicalFilePath());
    ASSERT_TRUE(browser->folder());
    EXPECT_EQ(names(browser->images()), QStringList{"p.png"});
    EXPECT_EQ(RVMediaBrowserController::bookmarkedRootItems().size(), 1);
}

TEST_F(MediaBrowserTest, RootAndRepeatedFoldersAreRefusedWithAnAlert)
{
    auto browser = makeBrowser();
    QStringList seen;
    answerAlerts(&seen, "OK");
    browser->addFolderRoot(QUrl::fromLocalFile("/"));
    browser->addFolderRoot(QUrl::fromLocalFile(dir.filePath("Photos")));
    browser->addFolderRoot(QUrl::fromLocalFile(dir.filePath("Photos") + "/"));
    ASSERT_EQ(seen.size(), 2);
    EXPECT_TRUE(seen[0].startsWith("Root Folder Not Allowed|You cannot add the root folder"));
    EXPECT_EQ(seen[1], "Folder Already Added|Top-level Folders can only be added to the browser once.");
    EXPECT_TRUE(defaults().dictionaryForKey("kRVMediaBrowserBookmarkedItems2").contains(QDir::cleanPath(dir.filePath("Photos"))));
}

TEST_F(MediaBrowserTest, ShowsTheFolderTreesImagesFilteredByExactTypesAndName)
{
    auto browser = makeBrowser();
    browser->setFolder(root("Photos"));
    EXPECT_EQ(names(browser->images()), (QStringList{"a.JPG", "Tabby.png", "vector.svg"}))
        << "Jpg is not a listed spelling; the folders below are included";
    browser->setFilterString("TAB");
    EXPECT_EQ(names(browser->images()), QStringList{"Tabby.png"});
    browser->setFilterString("");
    EXPECT_EQ(browser->images().size(), 3);

    browser->searchField()->setText("vec");
    EXPECT_EQ(browser->images().size(), 1);
    browser->setFolder(root("Other/Photos"));
    EXPECT_TRUE(browser->searchField()->text().isEmpty()) << "choosing a folder clears the filter";
    EXPECT_EQ(names(browser->images()), QStringList{"c.png"});
    EXPECT_EQ(defaults().stringForKey("kRVMediaBrowserLastFolderPrefsKey"), "Photos");
}

TEST_F(MediaBrowserTest, ItemsSurviveReloadsAndDragAsFileURLs)
{
    auto browser = makeBrowser();
    browser->setFolder(root("Photos"));
    const Ref<RVImagePath> first = browser->images().first();
    browser->reload();
    EXPECT_EQ(browser->images().first(), first);
    auto pasteboard = pf::Pasteboard::withName("browsers-test");
    EXPECT_EQ(browser->imageBrowserWriteItemsAtIndexes(*browser->imageBrowserView(), pf::IndexSet(0), *pasteboard), 1);
    EXPECT_EQ(pasteboard->readURLs(), QList<QUrl>{first->url()});
}

TEST_F(MediaBrowserTest, CommandsFollowTheSelection)
{
    auto browser = makeBrowser();
    browser->setFolder(root("Photos"));
    QString title;
    EXPECT_FALSE(browser->validateUserInterfaceItem("revealInFinderAction:"));
    browser->selectItem(browser->images()[1]); // Tabby.png
    EXPECT_TRUE(browser->validateUserInterfaceItem("createDocumentWithImageAction:", &title));
    EXPECT_EQ(title, "New Document With Image");
    EXPECT_FALSE(browser->validateUserInterfaceItem("viewSourceAction:")) << "no source for a raster image";
    EXPECT_TRUE(browser->urlForViewSourceController(*std::make_shared<RVViewSourceController>()).isEmpty());
    browser->selectItem(browser->images()[2]); // vector.svg
    EXPECT_TRUE(browser->validateUserInterfaceItem("viewSourceAction:"));
    browser->validateUserInterfaceItem("createDocumentWithImageAction:", &title);
    EXPECT_EQ(title, "New Document With SVG File");

    QStringList seen;
    answerAlerts(&seen, "OK");
    browser->imageBrowserCellWasDoubleClickedAtIndex(*browser->imageBrowserView(), 0);
    EXPECT_EQ(seen, QStringList{"a|To add this image to your document, drag the image into the active layer"});
}

TEST_F(MediaBrowserTest, ProgressCountsEachItemOnceAndNeverBelowZero)
{
    auto browser = makeBrowser();
    int a = 0, b = 0;
    browser->fetchCompleted(&a);
    EXPECT_EQ(browser->pendingFetches(), 0);
    browser->fetchStarted(&a);
    browser->fetchStarted(&a);
    browser->fetchStarted(&b);
    EXPECT_EQ(browser->pendingFetches(), 2);
    EXPECT_TRUE(browser->isProgressShown());
    browser->fetchCompleted(&a);
    browser->fetchCompleted(&a);
    EXPECT_EQ(browser->pendingFetches(), 1);
    browser->fetchCompleted(&b);
    EXPECT_EQ(browser->pendingFetches(), 0);
    EXPECT_TRUE(waitUntil([&] { return !browser->isProgressShown(); }));
}

TEST_F(MediaBrowserTest, ThumbnailsAreMadeOnlyForVisibleItems)
{
    for (int i = 0; i < 60; ++i)
        writeImage(dir.filePath(QStringLiteral("Many/%1.png").arg(i, 3, 10, QLatin1Char('0'))));
    auto browser = makeBrowser();
    browser->showWindow({});
    browser->setFolder(root("Many"));
    RVImageBrowserView* grid = browser->imageBrowserView();
    grid->setZoomValue(1.0);
    QCoreApplication::processEvents();
    grid->viewport()->repaint();
    const int made = grid->thumbnailsMade();
    EXPECT_GT(made, 0);
    EXPECT_LT(made, 60);
    EXPECT_FALSE(browser->itemVisibleInView(*browser->images().last()));
    EXPECT_TRUE(browser->itemVisibleInView(*browser->images().first()));
    grid->viewport()->repaint();
    EXPECT_EQ(grid->thumbnailsMade(), made) << "each thumbnail is made once";
    browser->window()->close();
}

TEST_F(MediaBrowserTest, AChangeInTheShownTreeReloadsTheGrid)
{
    RVFolderWatcher::defaultWatcher().setLatency(0.1);
    auto browser = makeBrowser();
    browser->setFolder(root("Photos"));
    browser->folder()->subFolders();
    writeImage(dir.filePath("Photos/Cats/new.png"));
    EXPECT_TRUE(waitUntil([&] { return names(browser->images()).contains("new.png"); }));
    RVFolderWatcher::defaultWatcher().setLatency(RVFolderWatcher::kDefaultLatency);
}

} // namespace

namespace {

TEST_F(MediaBrowserTest, ResetForgetsAddedFoldersAndTheSettingsAreStoredUnderTheirKeys)
{
    auto browser = makeBrowser();
    browser->addFolderRoot(QUrl::fromLocalFile(dir.filePath("Photos")));
    browser->zoomSliderAction(0.75);
    EXPECT_FLOAT_EQ(defaults().floatForKey("kRVMediaBrowserZoomLevelPrefsKey"), 0.75f);
    browser->applicationWillQuit({});
    EXPECT_TRUE(defaults().stringArrayForKey("kRVMediaBrowserInstalledRootItems").contains("Photos"));

    browser->resetToFactoryState({});
    ASSERT_EQ(browser->folderController()->rootItems().size(), 1);
    EXPECT_EQ(browser->folderController()->rootItems().first()->path(), QFileInfo(pictures).canonicalFilePath());
    EXPECT_EQ(defaults().dictionaryForKey("kRVMediaBrowserBookmarkedItems2").size(), 1);

    auto reopened = makeBrowser();
    EXPECT_NEAR(reopened->imageBrowserView()->zoomValue(), 0.75, 0.01) << "the zoom comes back";
}

} // namespace

namespace {

TEST_F(MediaBrowserTest, ClosingTheWindowDropsPreviewsInFlight)
{
    // A drawing slow enough to preview that the preview is surely still being made when the
    // window closes.
    QString circles;
    for (int i = 0; i < 20000; ++i)
        circles += QStringLiteral("<circle cx='%1' cy='%2' r='3'/>").arg(i % 400).arg(i / 50);
    touch(dir.filePath("Photos/vector.svg"),
          ("<svg xmlns='http://www.w3.org/2000/svg' width='400' height='400'>" + circles + "</svg>").toUtf8());
    auto browser = makeBrowser();
    browser->showWindow({});
    browser->setFolder(root("Photos"));
    Ref<RVImagePath> svg;
    for (const auto& item : browser->images())
        if (item->isSVG())
            svg = item;
    ASSERT_TRUE(svg);
    svg->image();
    ASSERT_TRUE(svg->isRequestInProgress());
    ASSERT_TRUE(waitUntil([&] { return browser->pendingFetches() == 1; })) << "the preview started";
    browser->window()->close();
    EXPECT_EQ(browser->pendingFetches(), 0);
    EXPECT_FALSE(svg->isRequestInProgress()) << "the item may ask again when shown";
    QCoreApplication::processEvents();
    EXPECT_EQ(browser->pendingFetches(), 0) << "a cancelled preview never completes below zero";
}

} // namespace

#include "browsers/RVPreviewPanel.h"

#include <QKeyEvent>

namespace {

TEST_F(MediaBrowserTest, TheSpaceBarShowsAndHidesTheQuickLookAtTheSelection)
{
    auto browser = makeBrowser();
    browser->setFolder(root("Photos"));
    browser->selectItem(browser->images()[1]);
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    QCoreApplication::sendEvent(browser->imageBrowserView(), &space);
    ASSERT_TRUE(RVPreviewPanel::sharedPreviewPanel()->isVisible());
    EXPECT_EQ(RVPreviewPanel::sharedPreviewPanel()->previewItemURL(), browser->images()[1]->url());
    QCoreApplication::sendEvent(browser->imageBrowserView(), &space);
    EXPECT_FALSE(RVPreviewPanel::sharedPreviewPanel()->isVisible());
}

} // namespace
