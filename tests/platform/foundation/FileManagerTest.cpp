#include <gtest/gtest.h>

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/DirectoryEnumerator.h"
#include "platform/foundation/FileManager.h"
#include "tests/support/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

pf::FileManager& manager()
{
    return pf::FileManager::defaultManager();
}

void writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void makeLink(const QString& destination, const QString& link)
{
    ASSERT_EQ(::symlink(QFile::encodeName(destination).constData(), QFile::encodeName(link).constData()), 0);
}

void expectError(const pf::Error& error, int code, const QString& path)
{
    EXPECT_EQ(error.domain(), pf::kPFFoundationErrorDomain);
    EXPECT_EQ(error.code(), code) << qPrintable(error.description());
    EXPECT_TRUE(error.localizedDescription().contains(path)) << qPrintable(error.description());
}

class FileManagerTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_folder.filePath(name); }

    // A small tree with a nested file, an empty folder, a hidden file and a link.
    QString makeTree(const QString& name)
    {
        const QString root = path(name);
        writeFile(root + QStringLiteral("/a.txt"), "a");
        writeFile(root + QStringLiteral("/sub/b.txt"), "b");
        writeFile(root + QStringLiteral("/.hidden"), "h");
        QDir().mkpath(root + QStringLiteral("/empty"));
        makeLink(QStringLiteral("sub/b.txt"), root + QStringLiteral("/link"));
        return root;
    }

    QTemporaryDir m_folder;
};

class FileManagerFolders : public FileManagerTest {};
class FileManagerItems : public FileManagerTest {};
class FileManagerListing : public FileManagerTest {};

} // namespace

TEST(FileManagerStandardFolders, ComeFromTheUsersFoldersAndAreCreatedOnRequest)
{
    const struct {
        pf::FileManager::SearchPath searchPath;
        QStandardPaths::StandardLocation location;
    } cases[] = {
        {pf::FileManager::SearchPath::ApplicationSupport, QStandardPaths::GenericDataLocation},
        {pf::FileManager::SearchPath::Documents, QStandardPaths::DocumentsLocation},
        {pf::FileManager::SearchPath::Pictures, QStandardPaths::PicturesLocation},
        {pf::FileManager::SearchPath::Caches, QStandardPaths::GenericCacheLocation},
    };
    for (const auto& c : cases) {
        const QString expected = QStandardPaths::writableLocation(c.location);
        SCOPED_TRACE(qPrintable(expected));
        ASSERT_TRUE(expected.startsWith(quillory::test::homeFolder()));
        ASSERT_TRUE(QDir(expected).removeRecursively());

        pf::Error error;
        EXPECT_EQ(manager().URLForDirectory(c.searchPath, {}, false, &error), expected);
        EXPECT_FALSE(QFileInfo::exists(expected));
        EXPECT_EQ(manager().URLForDirectory(c.searchPath, QStringLiteral("/some/document.qlry"), true, &error), expected);
        EXPECT_TRUE(QFileInfo(expected).isDir());
    }
    EXPECT_EQ(manager().temporaryDirectory(), QDir::tempPath());
}

TEST_F(FileManagerFolders, CreateDirectoryAcceptsAnExistingFolderOnly)
{
    writeFile(path(QStringLiteral("file")), "x");
    QDir().mkpath(path(QStringLiteral("existing")));
    const struct {
        const char* path;
        bool intermediates;
        bool succeeds;
        int code;
    } cases[] = {
        {"existing", false, true, 0},
        {"existing", true, true, 0},
        {"new", false, true, 0},
        {"deep/er/still", true, true, 0},
        {"missing/child", false, false, pf::kErrorFileNotFound},
        {"file", false, false, pf::kErrorFileWriteExists},
        {"file", true, false, pf::kErrorFileWriteExists},
        {"file/child", true, false, pf::kErrorFileWriteExists},
    };
    for (const auto& c : cases) {
        const QString target = path(QLatin1String(c.path));
        SCOPED_TRACE(c.path);
        pf::Error error;
        EXPECT_EQ(manager().createDirectory(target, c.intermediates, &error), c.succeeds);
        if (c.succeeds) {
            EXPECT_TRUE(error.isNull());
            EXPECT_TRUE(QFileInfo(target).isDir());
        } else {
            expectError(error, c.code, target);
        }
    }
    EXPECT_EQ(readFile(path(QStringLiteral("file"))), QByteArray("x"));
}

TEST_F(FileManagerItems, CopyItemCopiesTreesAndRefusesToOverwrite)
{
    const QString tree = makeTree(QStringLiteral("tree"));
    const QString copy = path(QStringLiteral("copy"));
    pf::Error error;
    ASSERT_TRUE(manager().copyItem(tree, copy, &error)) << qPrintable(error.description());
    EXPECT_TRUE(manager().contentsEqual(tree, copy));
    EXPECT_TRUE(QFileInfo(copy + QStringLiteral("/empty")).isDir());
    EXPECT_EQ(fs::read_symlink((copy + QStringLiteral("/link")).toStdString()), fs::path("sub/b.txt"));

    // A single file, and a link copied as a link.
    ASSERT_TRUE(manager().copyItem(tree + QStringLiteral("/a.txt"), path(QStringLiteral("a copy.txt")), &error));
    EXPECT_EQ(readFile(path(QStringLiteral("a copy.txt"))), QByteArray("a"));
    ASSERT_TRUE(manager().copyItem(tree + QStringLiteral("/link"), path(QStringLiteral("link copy")), &error));
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("link copy"))).isSymLink());

    // An existing destination is left alone.
    writeFile(path(QStringLiteral("taken/keep.txt")), "keep");
    EXPECT_FALSE(manager().copyItem(tree, path(QStringLiteral("taken")), &error));
    expectError(error, pf::kErrorFileWriteExists, path(QStringLiteral("taken")));
    EXPECT_EQ(manager().contentsOfDirectory(path(QStringLiteral("taken")), false, nullptr),
              QStringList{path(QStringLiteral("taken/keep.txt"))});

    // Into itself it would never end; nothing is made.
    EXPECT_FALSE(manager().copyItem(tree, tree + QStringLiteral("/sub/inside"), &error));
    expectError(error, pf::kErrorFileWrite, tree);
    EXPECT_FALSE(QFileInfo::exists(tree + QStringLiteral("/sub/inside")));

    EXPECT_FALSE(manager().copyItem(path(QStringLiteral("nothing")), path(QStringLiteral("x")), &error));
    expectError(error, pf::kErrorFileNotFound, path(QStringLiteral("nothing")));

    // A FIFO inside the tree cannot be copied; the half-made copy goes.
    ASSERT_EQ(::mkfifo(QFile::encodeName(tree + QStringLiteral("/sub/pipe")).constData(), 0600), 0);
    EXPECT_FALSE(manager().copyItem(tree, path(QStringLiteral("copy 2")), &error));
    EXPECT_TRUE(error.localizedDescription().contains(tree)) << qPrintable(error.description());
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("copy 2"))));
}

TEST_F(FileManagerItems, MoveItemRenamesAndRefusesToOverwrite)
{
    const QString tree = makeTree(QStringLiteral("tree"));
    const QString reference = path(QStringLiteral("reference"));
    ASSERT_TRUE(manager().copyItem(tree, reference, nullptr));
    const QString moved = path(QStringLiteral("moved"));
    pf::Error error;
    ASSERT_TRUE(manager().moveItem(tree, moved, &error)) << qPrintable(error.description());
    EXPECT_FALSE(QFileInfo::exists(tree));
    EXPECT_TRUE(manager().contentsEqual(moved, reference));

    writeFile(path(QStringLiteral("other.txt")), "other");
    EXPECT_FALSE(manager().moveItem(moved + QStringLiteral("/a.txt"), path(QStringLiteral("other.txt")), &error));
    expectError(error, pf::kErrorFileWriteExists, path(QStringLiteral("other.txt")));
    EXPECT_EQ(readFile(path(QStringLiteral("other.txt"))), QByteArray("other"));
    EXPECT_EQ(readFile(moved + QStringLiteral("/a.txt")), QByteArray("a"));

    EXPECT_FALSE(manager().moveItem(tree, path(QStringLiteral("again")), &error));
    expectError(error, pf::kErrorFileNotFound, tree);
}

TEST_F(FileManagerItems, RemoveItemRemovesTreesButNotWhatLinksPointAt)
{
    writeFile(path(QStringLiteral("outside/keep.txt")), "keep");
    const QString tree = makeTree(QStringLiteral("tree"));
    makeLink(path(QStringLiteral("outside")), tree + QStringLiteral("/sub/to outside"));
    makeLink(path(QStringLiteral("outside")), path(QStringLiteral("top link")));

    pf::Error error;
    ASSERT_TRUE(manager().removeItem(tree, &error)) << qPrintable(error.description());
    EXPECT_FALSE(QFileInfo::exists(tree));
    ASSERT_TRUE(manager().removeItem(path(QStringLiteral("top link")), &error));
    EXPECT_FALSE(QFileInfo(path(QStringLiteral("top link"))).isSymLink());
    EXPECT_EQ(readFile(path(QStringLiteral("outside/keep.txt"))), QByteArray("keep"));

    EXPECT_FALSE(manager().removeItem(tree, &error));
    expectError(error, pf::kErrorFileNotFound, tree);
}

TEST_F(FileManagerItems, FileExistsFollowsLinks)
{
    const QString tree = makeTree(QStringLiteral("tree"));
    makeLink(QStringLiteral("sub"), tree + QStringLiteral("/folder link"));
    makeLink(QStringLiteral("nowhere"), tree + QStringLiteral("/broken"));
    const struct {
        const char* name;
        bool exists;
        bool isDirectory;
    } cases[] = {
        {"a.txt", true, false}, {"sub", true, true},      {"link", true, false},
        {"folder link", true, true}, {"broken", false, false}, {"missing", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bool isDirectory = !c.isDirectory;
        EXPECT_EQ(manager().fileExists(tree + u'/' + QLatin1String(c.name), &isDirectory), c.exists);
        EXPECT_EQ(isDirectory, c.isDirectory);
    }
    EXPECT_FALSE(manager().fileExists(QString()));
}

TEST_F(FileManagerItems, ContentsEqualComparesFilesLinksAndWholeTrees)
{
    const QString tree = makeTree(QStringLiteral("tree"));
    const QString copy = path(QStringLiteral("copy"));
    writeFile(path(QStringLiteral("one")), "same size A");
    writeFile(path(QStringLiteral("two")), "same size B");
    writeFile(path(QStringLiteral("three")), "same size A");
    makeLink(QStringLiteral("one"), path(QStringLiteral("link one")));
    makeLink(QStringLiteral("two"), path(QStringLiteral("link two")));
    makeLink(QStringLiteral("one"), path(QStringLiteral("link one again")));

    EXPECT_TRUE(manager().contentsEqual(path(QStringLiteral("one")), path(QStringLiteral("three"))));
    EXPECT_FALSE(manager().contentsEqual(path(QStringLiteral("one")), path(QStringLiteral("two"))));
    EXPECT_TRUE(manager().contentsEqual(path(QStringLiteral("link one")), path(QStringLiteral("link one again"))));
    EXPECT_FALSE(manager().contentsEqual(path(QStringLiteral("link one")), path(QStringLiteral("link two"))));
    EXPECT_FALSE(manager().contentsEqual(path(QStringLiteral("one")), path(QStringLiteral("link one"))));
    EXPECT_FALSE(manager().contentsEqual(path(QStringLiteral("one")), tree));
    EXPECT_FALSE(manager().contentsEqual(path(QStringLiteral("one")), path(QStringLiteral("missing"))));

    // Trees: equal copies, then one difference at a time, each undone before the next.
    const struct {
        const char* change;
        std::function<void()> make;
    } differences[] = {
        {"a nested byte", [&] { writeFile(copy + QStringLiteral("/sub/b.txt"), "c"); }},
        {"an extra hidden file", [&] { writeFile(copy + QStringLiteral("/.extra"), ""); }},
        {"a missing empty folder", [&] { QDir(copy + QStringLiteral("/empty")).removeRecursively(); }},
        {"a link's destination", [&] {
             QFile::remove(copy + QStringLiteral("/link"));
             makeLink(QStringLiteral("a.txt"), copy + QStringLiteral("/link"));
         }},
        {"a file in place of a folder", [&] {
             QDir(copy + QStringLiteral("/empty")).removeRecursively();
             writeFile(copy + QStringLiteral("/empty"), "");
         }},
    };
    for (const auto& d : differences) {
        SCOPED_TRACE(d.change);
        fs::remove_all(copy.toStdString());
        ASSERT_TRUE(manager().copyItem(tree, copy, nullptr));
        EXPECT_TRUE(manager().contentsEqual(tree, copy));
        d.make();
        EXPECT_FALSE(manager().contentsEqual(tree, copy));
        EXPECT_FALSE(manager().contentsEqual(copy, tree));
    }
}

TEST_F(FileManagerItems, AttributesDescribeTheItemItself)
{
    const QString tree = makeTree(QStringLiteral("tree"));
    writeFile(tree + QStringLiteral("/ten.bin"), "0123456789");
    const struct {
        const char* name;
        QString type;
    } cases[] = {
        {"ten.bin", pf::NSFileTypeRegular},
        {"sub", pf::NSFileTypeDirectory},
        {"link", pf::NSFileTypeSymbolicLink},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        pf::Error error;
        const QVariantMap attributes = manager().attributesOfItem(tree + u'/' + QLatin1String(c.name), &error);
        EXPECT_EQ(attributes.value(pf::NSFileType).toString(), c.type) << qPrintable(error.description());
    }
    const QVariantMap file = manager().attributesOfItem(tree + QStringLiteral("/ten.bin"));
    EXPECT_EQ(file.value(pf::NSFileSize).toLongLong(), 10);
    EXPECT_EQ(file.value(pf::NSFileModificationDate).toDateTime(), QFileInfo(tree + QStringLiteral("/ten.bin")).lastModified());
    // A link's own size is its destination's length, not its target's size.
    EXPECT_EQ(manager().attributesOfItem(tree + QStringLiteral("/link")).value(pf::NSFileSize).toLongLong(),
              qlonglong(QByteArray("sub/b.txt").size()));

    pf::Error error;
    EXPECT_TRUE(manager().attributesOfItem(path(QStringLiteral("missing")), &error).isEmpty());
    expectError(error, pf::kErrorFileNotFound, path(QStringLiteral("missing")));
}

TEST_F(FileManagerListing, ContentsOfDirectoryIsShallowAndSorted)
{
    const QString tree = makeTree(QStringLiteral("tree"));
    writeFile(tree + QStringLiteral("/B.txt"), "");
    const auto in = [&tree](const QStringList& names) {
        QStringList paths;
        for (const QString& name : names)
            paths << tree + u'/' + name;
        return paths;
    };
    pf::Error error;
    EXPECT_EQ(manager().contentsOfDirectory(tree, true, &error),
              in({QStringLiteral("B.txt"), QStringLiteral("a.txt"), QStringLiteral("empty"), QStringLiteral("link"),
                  QStringLiteral("sub")}));
    EXPECT_EQ(manager().contentsOfDirectory(tree, false, &error),
              in({QStringLiteral(".hidden"), QStringLiteral("B.txt"), QStringLiteral("a.txt"), QStringLiteral("empty"),
                  QStringLiteral("link"), QStringLiteral("sub")}));
    EXPECT_TRUE(error.isNull());
    EXPECT_TRUE(manager().contentsOfDirectory(tree + QStringLiteral("/empty"), true, &error).isEmpty());
    EXPECT_TRUE(error.isNull());

    for (const QString& bad : {tree + QStringLiteral("/a.txt"), tree + QStringLiteral("/missing")}) {
        SCOPED_TRACE(qPrintable(bad));
        pf::Error failure;
        EXPECT_TRUE(manager().contentsOfDirectory(bad, true, &failure).isEmpty());
        EXPECT_FALSE(failure.isNull());
        EXPECT_TRUE(failure.localizedDescription().contains(bad));
    }
}

TEST_F(FileManagerListing, EnumeratorWalksDepthFirstAndSkipsOnRequest)
{
    const QString tree = makeTree(QStringLiteral("tree"));
    writeFile(tree + QStringLiteral("/sub/deeper/c.txt"), "c");
    writeFile(tree + QStringLiteral("/.git/config"), "");
    makeLink(QStringLiteral("sub"), tree + QStringLiteral("/sub link"));
    const auto walk = [&tree](bool includeHidden, const QString& skip) {
        pf::DirectoryEnumerator enumerator(tree, includeHidden);
        QStringList seen;
        for (QString item = enumerator.next(); !item.isEmpty(); item = enumerator.next()) {
            const QString relative = item.mid(tree.size() + 1);
            seen << relative + (enumerator.isDirectory() ? QStringLiteral("/") : QString());
            if (relative == skip)
                enumerator.skipDescendants();
        }
        EXPECT_TRUE(enumerator.error().isNull());
        return seen;
    };
    EXPECT_EQ(walk(false, {}), (QStringList{QStringLiteral("a.txt"), QStringLiteral("empty/"), QStringLiteral("link"),
                                            QStringLiteral("sub/"), QStringLiteral("sub/b.txt"), QStringLiteral("sub/deeper/"),
                                            QStringLiteral("sub/deeper/c.txt"), QStringLiteral("sub link")}));
    EXPECT_EQ(walk(false, QStringLiteral("sub")),
              (QStringList{QStringLiteral("a.txt"), QStringLiteral("empty/"), QStringLiteral("link"), QStringLiteral("sub/"),
                           QStringLiteral("sub link")}));
    EXPECT_EQ(walk(true, QStringLiteral("sub/deeper")),
              (QStringList{QStringLiteral(".git/"), QStringLiteral(".git/config"), QStringLiteral(".hidden"),
                           QStringLiteral("a.txt"), QStringLiteral("empty/"), QStringLiteral("link"), QStringLiteral("sub/"),
                           QStringLiteral("sub/b.txt"), QStringLiteral("sub/deeper/"), QStringLiteral("sub link")}));

    pf::DirectoryEnumerator missing(path(QStringLiteral("missing")));
    EXPECT_TRUE(missing.next().isEmpty());
    expectError(missing.error(), pf::kErrorFileNotFound, path(QStringLiteral("missing")));
}

TEST_F(FileManagerListing, PackagesAreFoldersWithARegisteredExtension)
{
    pf::FileManager::registerPackageExtension(QStringLiteral("qlry"));
    pf::FileManager::registerPackageExtension(QStringLiteral("SymLibrary"));
    QDir().mkpath(path(QStringLiteral("Drawing.QLRY")));
    QDir().mkpath(path(QStringLiteral("Shapes.symlibrary")));
    QDir().mkpath(path(QStringLiteral("plain.folder")));
    QDir().mkpath(path(QStringLiteral("qlry")));
    writeFile(path(QStringLiteral("flat.qlry")), "not a folder");
    EXPECT_TRUE(pf::FileManager::isPackage(path(QStringLiteral("Drawing.QLRY"))));
    EXPECT_TRUE(pf::FileManager::isPackage(path(QStringLiteral("Shapes.symlibrary"))));
    EXPECT_FALSE(pf::FileManager::isPackage(path(QStringLiteral("plain.folder"))));
    EXPECT_FALSE(pf::FileManager::isPackage(path(QStringLiteral("qlry"))));
    EXPECT_FALSE(pf::FileManager::isPackage(path(QStringLiteral("flat.qlry"))));
    EXPECT_FALSE(pf::FileManager::isPackage(path(QStringLiteral("missing.qlry"))));
}
