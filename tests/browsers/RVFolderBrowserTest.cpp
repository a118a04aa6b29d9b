#include "browsers/RVFolderBrowserController.h"
#include "browsers/RVFolderEnumerator.h"
#include "platform/foundation/FileManager.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

using pf::Ref;
using quillory::test::waitUntil;

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

class Recorder : public RVFolderBrowserDelegate {
public:
    void folderBrowserDidSelectFolder(RVFolderBrowserController&, const Ref<RVFolderInfo>& folder) override
    {
        selected.append(folder->name());
    }
    void folderBrowserWasNotifiedOfChangeOnDisk(RVFolderBrowserController&, const Ref<RVFolderInfo>& folder) override
    {
        changed.append(folder->name());
    }
    QStringList selected;
    QStringList changed;
};

TEST(FolderEnumeratorTest, ListsFilesOfTheTypesWithoutEnteringPackages)
{
    QTemporaryDir root;
    touch(root.filePath("a.qlry/VN_Content.drawing"));
    touch(root.filePath("a.qlry/inner.qlry/VN_Content.drawing"));
    touch(root.filePath("Sub/B.QLRY"));
    touch(root.filePath("Sub/notes.txt"));
    touch(root.filePath("Sub/Deeper/c.qlry"));
    const QStringList types{"qlry"};
    auto relative = [&](const QStringList& paths) {
        QStringList out;
        for (const QString& path : paths)
            out.append(QDir(root.path()).relativeFilePath(path));
        return out;
    };
    EXPECT_EQ(relative(RVFolderEnumerator::folderEnumeratorWithPath(root.path(), true, types)->filePaths()),
              (QStringList{"Sub/B.QLRY", "Sub/Deeper/c.qlry", "a.qlry"}));
    EXPECT_EQ(relative(RVFolderEnumerator::filesAtFolderPath(root.path(), types)), QStringList{"a.qlry"});
    EXPECT_TRUE(RVFolderEnumerator::folderEnumeratorWithPath(root.filePath("missing"), true, types)->fileURLs().isEmpty());
}

TEST(FolderBrowserTest, FindsExpandsAndSelectsNodesAndReportsChangesOnDisk)
{
    QTemporaryDir first;
    QTemporaryDir second;
    QDir().mkpath(first.filePath("Maps/Old"));
    QDir().mkpath(first.filePath("Plans"));
    pf::FileManager::registerPackageExtension("qlry");
    QDir().mkpath(first.filePath("Plans/Pack.qlry"));

    auto browser = std::make_shared<RVFolderBrowserController>();
    Recorder recorder;
    browser->setDelegate(&recorder);
    ASSERT_TRUE(browser->addRootItemWithURL(QUrl::fromLocalFile(first.path())));
    EXPECT_FALSE(browser->addRootItemWithURL(QUrl::fromLocalFile(first.path() + "/"))) << "a root once";
    browser->addRootItemWithURL(QUrl::fromLocalFile(second.path()));
    EXPECT_EQ(browser->rootItems().size(), 2);

    Ref<RVFolderInfo> old = browser->itemWithURL(QUrl::fromLocalFile(first.filePath("Maps/Old")));
    ASSERT_TRUE(old);
    EXPECT_TRUE(old->identifier().endsWith("/Maps/Old"));
    EXPECT_FALSE(browser->itemWithURL(QUrl::fromLocalFile(first.filePath("Plans/Pack.qlry")))) << "packages are files";
    EXPECT_FALSE(browser->itemWithURL(QUrl::fromLocalFile(first.filePath("Map"))));

    browser->expandItem(old, true);
    EXPECT_EQ(browser->selectedItem(), old);
    EXPECT_EQ(recorder.selected, QStringList{"Old"});

    // A node adopted before it exists on disk shows too.
    auto adopted = RVFolderInfo::folderInfoWithURL(QUrl::fromLocalFile(second.filePath("Later")));
    for (const Ref<RVFolderInfo>& root : browser->rootItems())
        if (root->path() == QDir::cleanPath(second.path()))
            root->addSubfolder(adopted);
    browser->reload();
    browser->expandItem(adopted, true);
    EXPECT_EQ(browser->selectedItem(), adopted);

    QDir().mkpath(first.filePath("Maps/New"));
    ASSERT_TRUE(waitUntil([&] { return !recorder.changed.isEmpty(); }));
    EXPECT_TRUE(browser->itemWithURL(QUrl::fromLocalFile(first.filePath("Maps/New"))));
}

} // namespace
