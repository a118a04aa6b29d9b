#include "browsers/IMBIconCache.h"
#include "browsers/Image+MediaInfo.h"
#include "browsers/RViPhotoAlbumInfo.h"
#include "browsers/RViPhotoMediaInfo.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "tests/browsers/BrowsersTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QTemporaryDir>
#include <QThread>

#include <thread>

#include <gtest/gtest.h>

namespace {

using pf::Ref;
using namespace quillory::test;

QStringList childNames(const Ref<RVFolderInfo>& node)
{
    QStringList names;
    for (const Ref<RVFolderInfo>& child : node->subFolders())
        names.append(child->name());
    return names;
}

QStringList paths(const QSet<QUrl>& urls)
{
    QStringList out;
    for (const QUrl& url : urls)
        out.append(url.toLocalFile());
    std::sort(out.begin(), out.end());
    return out;
}

Ref<RViPhotoAlbumInfo> library(const QString& fixture)
{
    return std::make_shared<RViPhotoAlbumInfo>(QUrl::fromLocalFile(fixturePath("browsers/" + fixture)));
}

TEST(PhotoAlbumTest, BuildsEventsAndAlbumsAndRefusesLoopsSlideshowsAndIdZero)
{
    for (const char* fixture : {"AlbumData.xml", "AlbumData-malformed.xml"}) {
        Ref<RViPhotoAlbumInfo> root = library(fixture);
        EXPECT_EQ(root->name(), "iPhoto");
        const QStringList top = childNames(root);
        ASSERT_EQ(top.size(), 4) << fixture << ": " << top.join(", ").toStdString();
        EXPECT_EQ(top[0], "Events");
        EXPECT_EQ(top[1], "Photos");
        EXPECT_TRUE(top[2].startsWith("Trips")) << "the tidied file keeps its text";
        EXPECT_EQ(childNames(root->subFolders()[0]), QStringList{"Summer"});
        EXPECT_EQ(childNames(root->subFolders()[2]), QStringList{"Alps"}) << "a folder album holds its children";
        EXPECT_FALSE(root->findNodeWithAlbumID(6)) << "an album whose parents loop is never listed";
        EXPECT_FALSE(root->findNodeWithAlbumID(8));
        EXPECT_EQ(top[3], "Dup");
        EXPECT_TRUE(root->subFolders()[3]->subFolders().isEmpty()) << "an album sharing its parent's id is no child";
    }
}

TEST(PhotoAlbumTest, AlbumFilesComeFromTheMasterListSkippingMoviesAndEntriesWithoutPath)
{
    Ref<RViPhotoAlbumInfo> root = library("AlbumData.xml");
    Ref<RViPhotoAlbumInfo> photos = root->findNodeWithAlbumID(2);
    ASSERT_TRUE(photos);
    EXPECT_EQ(paths(photos->fileURLs()), (QStringList{"/photos/beach.jpg", "/photos/peak.png"}));
    EXPECT_EQ(paths(photos->fileURLsOfTypes({"png"})), QStringList{"/photos/peak.png"});
    Ref<RViPhotoAlbumInfo> trips = root->findNodeWithAlbumID(3);
    EXPECT_TRUE(trips->fileURLs().isEmpty());
    trips->setReturnsAllEnclosedFiles(true);
    EXPECT_EQ(paths(trips->fileURLs()), QStringList{"/photos/peak.png"});
}

TEST(PhotoAlbumTest, IdentifiersNameTypeAndIdAndFindTheirNodes)
{
    Ref<RViPhotoAlbumInfo> root = library("AlbumData.xml");
    Ref<RViPhotoAlbumInfo> alps = root->findNodeWithAlbumID(4);
    ASSERT_TRUE(alps);
    EXPECT_EQ(root->identifier(), "iPhoto_root0");
    EXPECT_EQ(alps->identifier(), "iPhoto_root0/Folder3/Regular4");
    EXPECT_EQ(root->nodeWithIdentifier("iPhoto_root0/Folder3/Regular4"), alps);
    EXPECT_EQ(root->nodeWithIdentifier("iPhoto_root0"), root);
    EXPECT_FALSE(root->nodeWithIdentifier("Other0/Folder3"));
    EXPECT_FALSE(root->allowsDeletion());
    EXPECT_TRUE(root->subFoldersPresorted());
}

TEST(PhotoAlbumTest, ADamagedFileGivesAnEmptyLibrary)
{
    Ref<RViPhotoAlbumInfo> root = library("AlbumData-damaged.xml");
    EXPECT_TRUE(root->libraryInfo().isEmpty());
    EXPECT_TRUE(root->subFolders().isEmpty());
    EXPECT_TRUE(root->fileURLs().isEmpty());
}

TEST(PhotoAlbumTest, SeveralLibrariesCarryALabelAndOnlyExistingFilesCount)
{
    QTemporaryDir dir;
    for (const char* name : {"Home Library", "Work Library"})
        touch(dir.filePath(QStringLiteral("%1/AlbumData.xml").arg(name)), "<plist/>");
    const QList<Ref<RViPhotoAlbumInfo>> roots = RViPhotoAlbumInfo::albumsForDatabases(
        {dir.filePath("Home Library/AlbumData.xml"), dir.filePath("Work Library/AlbumData.xml"), dir.filePath("none.xml")});
    ASSERT_EQ(roots.size(), 2);
    EXPECT_EQ(roots[0]->name(), "iPhoto (Home Library)");
    EXPECT_EQ(roots[1]->name(), "iPhoto (Work Library)");
    EXPECT_TRUE(RViPhotoAlbumInfo::iPhotoAlbums().isEmpty()) << "no photo application here";
}

TEST(PhotoAlbumTest, AChangeToTheLibraryFolderRebuildsTheTree)
{
    QTemporaryDir dir;
    QFile::copy(fixturePath("browsers/AlbumData.xml"), dir.filePath("AlbumData.xml"));
    auto root = std::make_shared<RViPhotoAlbumInfo>(QUrl::fromLocalFile(dir.filePath("AlbumData.xml")));
    ASSERT_EQ(root->subFolders().size(), 4);
    int posts = 0;
    const quint64 token = pf::NotificationCenter::defaultCenter().addObserver(
        RVFolderInfo::kRVFolderInfoDidChangeOnDisk, root.get(), [&](const pf::Notification&) { ++posts; });
    QFile::remove(dir.filePath("AlbumData.xml"));
    touch(dir.filePath("AlbumData.xml"), "<plist><dict/></plist>");
    // Reported from another thread, as a media library does: handled on the main one.
    std::thread([root] { root->rebuildAndNotify(); }).join();
    EXPECT_EQ(posts, 0);
    ASSERT_TRUE(waitUntil([&] { return posts > 0; }));
    pf::NotificationCenter::defaultCenter().removeObserver(token);
    EXPECT_TRUE(root->subFolders().isEmpty());
}

TEST(PhotoAlbumTest, WithoutMediaSupportTheMediaRootsAreEmpty)
{
    EXPECT_FALSE(RViPhotoMediaInfo::mediaSupportAvailable());
    EXPECT_FALSE(RViPhotoMediaInfo::iPhotoMediaLibrary().has_value());
    Ref<RViPhotoMediaInfo> photos = RViPhotoMediaInfo::photosMediaRoot();
    EXPECT_EQ(photos, RViPhotoMediaInfo::photosMediaRoot());
    EXPECT_FALSE(photos->mediaSource());
    EXPECT_TRUE(photos->subFolders().isEmpty());
    EXPECT_TRUE(photos->fileURLs().isEmpty());
    EXPECT_FALSE(photos->allowsDeletion());
    EXPECT_EQ(RViPhotoMediaInfo::photoBoothMediaRoot()->name(), "Photo Booth");
}

TEST(PhotoAlbumTest, IconsFallBackToTheFolderIconAndMetadataIsDescribed)
{
    Ref<pf::Image> unknown = RViPhotoAlbumInfo::iconForAlbumType("No Such Type");
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->size(), QSizeF(16, 16));
    EXPECT_FALSE(IMBIconCache::sharedIconCache().iconForType("", "x", IMBIconCache::albumIconMapping()));

    const QVariantMap metadata = ImageMediaInfo::metadataFromImageAtPath(fixturePath("images/red-blue-8x4.png"));
    EXPECT_EQ(metadata.value("width").toInt(), 8);
    EXPECT_EQ(metadata.value("filetype").toString(), "PNG");
    const QString text = ImageMediaInfo::imageMetadataDescriptionForMetadata(metadata);
    EXPECT_TRUE(text.startsWith("Size: 8x4\nType: ")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("PNG\n")) << text.toStdString();
    EXPECT_TRUE(ImageMediaInfo::metadataFromImageAtPath(fixturePath("browsers/AlbumData.xml")).isEmpty());
}

} // namespace
