#include "browsers/RVFileInfo.h"
#include "browsers/RVFolderInfo.h"
#include "browsers/RVFolderWatcher.h"
#include "platform/foundation/Bookmark.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "tests/browsers/BrowsersTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using pf::Ref;
using namespace quillory::test;

QStringList childNames(const Ref<RVFolderInfo>& node)
{
    QStringList names;
    for (const Ref<RVFolderInfo>& child : node->subFolders())
        names.append(QStringLiteral("%1%2").arg(child->name(), child->isFile() ? QString() : QStringLiteral("/")));
    std::sort(names.begin(), names.end());
    return names;
}

class FolderInfoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        pf::FileManager::registerPackageExtension("qlry");
        touch(dir.filePath("Pictures/a.PNG"));
        touch(dir.filePath("Pictures/b.png"));
        touch(dir.filePath("Pictures/.hidden.png"));
        touch(dir.filePath("Pictures/notes"));
        touch(dir.filePath("Pictures/Holidays/c.png"));
        touch(dir.filePath("Pictures/Holidays/Beach/d.png"));
        touch(dir.filePath("Pictures/.Secret/e.png"));
        touch(dir.filePath("Pictures/Doc.qlry/VN_Content.drawing"));
        touch(dir.filePath("Elsewhere/Target/f.png"));
        link(dir.filePath("Elsewhere/Target"), dir.filePath("Pictures/Linked"));
        link(dir.filePath("Pictures/missing"), dir.filePath("Pictures/Broken"));
        // Links back to the node itself and to an ancestor.
        link(dir.filePath("Pictures"), dir.filePath("Pictures/Holidays/Up"));
        link(dir.filePath("Pictures/Holidays"), dir.filePath("Pictures/Holidays/Self"));
        root = RVFolderInfo::folderInfoWithURL(QUrl::fromLocalFile(dir.filePath("Pictures")));
    }
    QTemporaryDir dir;
    Ref<RVFolderInfo> root;
};

TEST_F(FolderInfoTest, ListsChildrenWithoutHiddenItemsLinksBackOrBrokenLinks)
{
    EXPECT_EQ(childNames(root), (QStringList{"Holidays/", "Target/"})) << "a linked folder shows under its target's name";
    root->setIncludesFiles(true);
    root->clearCacheAndNotify();
    EXPECT_EQ(childNames(root), (QStringList{"Doc.qlry", "Holidays/", "Target/", "a.PNG", "b.png", "notes"}));
    root->setIncludesPackages(true);
    root->clearCacheAndNotify();
    EXPECT_TRUE(childNames(root).contains("Doc.qlry/"));

    root->setIncludesPackages(false);
    root->setIncludesFiles(false);
    root->clearCacheAndNotify();
    Ref<RVFolderInfo> holidays = root->nodeWithURL(QUrl::fromLocalFile(dir.filePath("Pictures/Holidays")));
    ASSERT_TRUE(holidays);
    EXPECT_EQ(childNames(holidays), QStringList{"Beach/"}) << "links to itself and its parent are no children";
    EXPECT_EQ(root->valence(), 2);
}

TEST_F(FolderInfoTest, IdentifiersJoinNamesWithBarsAndFindNodes)
{
    Ref<RVFolderInfo> beach = root->nodeWithURL(QUrl::fromLocalFile(dir.filePath("Pictures/Holidays/Beach")));
    ASSERT_TRUE(beach);
    EXPECT_EQ(root->identifier(), "Pictures");
    EXPECT_EQ(beach->identifier(), "Pictures|Holidays|Beach");
    EXPECT_EQ(root->nodeWithIdentifier("Pictures|Holidays|Beach"), beach);
    EXPECT_FALSE(root->nodeWithIdentifier(""));
    EXPECT_FALSE(root->nodeWithIdentifier("Other|Holidays"));
    EXPECT_TRUE(root->containsSubfolder(beach));
    EXPECT_FALSE(beach->containsSubfolder(root));
    EXPECT_EQ(beach->root(), root);
}

TEST_F(FolderInfoTest, FileQueriesMatchExtensionsExactlyAndCacheWhatTheyFindPerTypeList)
{
    EXPECT_EQ(relativePaths(root->path(), root->fileURLsOfTypes({"png"})), QStringList{"b.png"});
    EXPECT_EQ(relativePaths(root->path(), root->fileURLsOfTypes({"PNG"})), QStringList{"a.PNG"})
        << "a second type list is not answered from the first one's cache";
    EXPECT_EQ(relativePaths(root->path(), *root->filesOfTypes({"png", "PNG"})), (QStringList{"a.PNG", "b.png"}));
    EXPECT_EQ(relativePaths(root->path(), root->fileURLs()), (QStringList{"a.PNG", "b.png", "notes"}))
        << "no packages, folders or hidden files";

    root->setReturnsAllEnclosedFiles(true);
    EXPECT_EQ(relativePaths(root->path(), root->fileURLsOfTypes({"png"})),
              (QStringList{"../Elsewhere/Target/f.png", "Holidays/Beach/d.png", "Holidays/c.png", "b.png"}));
    EXPECT_EQ(relativePaths(root->path(), *root->filesOfTypes({"png"})),
              (QStringList{"../Elsewhere/Target/f.png", "Holidays/Beach/d.png", "Holidays/c.png", "b.png"}));

    // What was found stays until a change on disk; nothing found is looked for again.
    touch(dir.filePath("Pictures/new.png"));
    touch(dir.filePath("Pictures/first.gif"));
    EXPECT_FALSE(relativePaths(root->path(), root->fileURLsOfTypes({"png"})).contains("new.png"));
    EXPECT_EQ(relativePaths(root->path(), root->fileURLsOfTypes({"gif"})), QStringList{"first.gif"});
    root->clearCacheAndNotify();
    EXPECT_TRUE(relativePaths(root->path(), root->fileURLsOfTypes({"png"})).contains("new.png"));
}

TEST_F(FolderInfoTest, FileLeavesAreNotScannedAsFolders)
{
    root->setIncludesFiles(true);
    root->setIncludesPackages(false);
    root->setReturnsAllEnclosedFiles(true);
    Ref<RVFolderInfo> package;
    for (const Ref<RVFolderInfo>& child : root->subFolders())
        if (child->name() == "Doc.qlry")
            package = child;
    ASSERT_TRUE(package);
    EXPECT_TRUE(package->isFile());
    EXPECT_TRUE(std::static_pointer_cast<RVFileInfo>(package)->isPackage());
    EXPECT_EQ(package->valence(), 0);
    EXPECT_TRUE(package->fileURLs().isEmpty());
    EXPECT_FALSE(relativePaths(root->path(), root->fileURLs()).contains("Doc.qlry/VN_Content.drawing"));
}

TEST_F(FolderInfoTest, MissingFolderAnswersNothingAndLogs)
{
    auto missing = RVFolderInfo::folderInfoWithURL(QUrl::fromLocalFile(dir.filePath("Nope")));
    EXPECT_FALSE(missing->existsOnDisk());
    EXPECT_TRUE(missing->subFolders().isEmpty());
    EXPECT_TRUE(missing->fileURLs().isEmpty());
    EXPECT_FALSE(missing->files().has_value());
    EXPECT_FALSE(RVFolderInfo::folderInfoRootItemWithIdentifier(dir.filePath("Nope")));
    EXPECT_TRUE(RVFolderInfo::folderInfoRootItemWithIdentifier(dir.filePath("Pictures")));
}

TEST_F(FolderInfoTest, AddSubfolderOnlyJoinsAListedNode)
{
    auto stranger = RVFolderInfo::folderInfoWithURL(QUrl::fromLocalFile(dir.filePath("Elsewhere")));
    root->setIncludesFiles(true);
    root->addSubfolder(stranger);
    EXPECT_FALSE(childNames(root).contains("Elsewhere/")) << "a node never listed keeps no adopted child";
    root->addSubfolder(stranger);
    EXPECT_TRUE(childNames(root).contains("Elsewhere/"));
    EXPECT_EQ(stranger->parent(), root);
    EXPECT_TRUE(stranger->includesFiles());
}

TEST_F(FolderInfoTest, BookmarksRoundTripAndStaleOnesAreRefused)
{
    const QByteArray data = root->bookmark();
    ASSERT_FALSE(data.isEmpty());
    Ref<RVFolderInfo> back = RVFolderInfo::folderInfoRootItemWithBookmark(data);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->path(), root->path());
    EXPECT_TRUE(back->isSecurityScoped());

    // Moved in its folder: found by identity, but stale, so not used.
    ASSERT_TRUE(QDir().rename(dir.filePath("Pictures"), dir.filePath("Renamed")));
    EXPECT_FALSE(RVFolderInfo::folderInfoRootItemWithBookmark(data));
    EXPECT_THROW(RVFolderInfo::folderInfoRootItemWithBookmark(QByteArray()), pf::Exception);
    EXPECT_THROW(RVFolderInfo::folderInfoRootItemWithBookmark(QByteArray("")), pf::Exception);
}

TEST_F(FolderInfoTest, ChangeOnDiskDropsChildrenAndPostsOnce)
{
    RVFolderWatcher::defaultWatcher().setLatency(0.1);
    ASSERT_EQ(childNames(root).size(), 2);
    int posts = 0;
    const quint64 token = pf::NotificationCenter::defaultCenter().addObserver(
        RVFolderInfo::kRVFolderInfoDidChangeOnDisk, root.get(), [&](const pf::Notification&) { ++posts; });
    QDir().mkpath(dir.filePath("Pictures/Added"));
    EXPECT_TRUE(waitUntil([&] { return posts > 0; }));
    pf::NotificationCenter::defaultCenter().removeObserver(token);
    EXPECT_TRUE(childNames(root).contains("Added/"));
    RVFolderWatcher::defaultWatcher().setLatency(RVFolderWatcher::kDefaultLatency);
}

} // namespace
