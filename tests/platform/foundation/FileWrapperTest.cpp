#include <gtest/gtest.h>

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/FileWrapper.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <filesystem>
#include <functional>
#include <thread>

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}

// Every item under `root` as one line, without following links: "dir/", "file = bytes",
// "link -> destination".
QStringList describeTree(const QString& root)
{
    QStringList lines;
    const fs::path base(root.toStdString());
    for (const auto& entry : fs::recursive_directory_iterator(base)) {
        const QString relative = QString::fromStdString(entry.path().lexically_relative(base).string());
        if (entry.is_symlink())
            lines << relative + QStringLiteral(" -> ") + QString::fromStdString(fs::read_symlink(entry.path()).string());
        else if (entry.is_directory())
            lines << relative + u'/';
        else
            lines << relative + QStringLiteral(" = ")
                         + QString::fromLatin1(readFile(QString::fromStdString(entry.path().string())).toPercentEncoding());
    }
    lines.sort();
    return lines;
}

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The document package most tests write: nested folders, an empty folder, binary data and links.
pf::FileWrapperRef samplePackage()
{
    auto images = pf::FileWrapper::directory();
    images->addRegularFile(QByteArray("\x89PNG\0\1\2", 7), QStringLiteral("a.png"));
    images->addRegularFile(QByteArray("second"), QStringLiteral("b.png"));
    auto current = pf::FileWrapper::symbolicLink(QStringLiteral("a.png"));
    current->setPreferredFilename(QStringLiteral("current"));
    images->addFileWrapper(current);
    images->setPreferredFilename(QStringLiteral("Images"));

    auto root = pf::FileWrapper::directory();
    root->addRegularFile(QByteArray("<plist/>"), QStringLiteral("index.plist"));
    auto quickLook = pf::FileWrapper::directory();
    quickLook->setPreferredFilename(QStringLiteral("QuickLook"));
    root->addFileWrapper(quickLook);
    root->addFileWrapper(images);
    return root;
}

const QStringList kSamplePackageTree = {
    QStringLiteral("Images/"),
    QStringLiteral("Images/a.png = %89PNG%00%01%02"),
    QStringLiteral("Images/b.png = second"),
    QStringLiteral("Images/current -> a.png"),
    QStringLiteral("QuickLook/"),
    QStringLiteral("index.plist = %3Cplist%2F%3E"),
};

// The old package that replacing must either keep whole or remove whole.
void makeOldPackage(const QString& path)
{
    fs::remove_all(path.toStdString());
    writeFile(path + QStringLiteral("/old.txt"), "old");
    writeFile(path + QStringLiteral("/Images/a.png"), "old image");
}

const QStringList kOldPackageTree = {
    QStringLiteral("Images/"),
    QStringLiteral("Images/a.png = old%20image"),
    QStringLiteral("old.txt = old"),
};

// Root passes every permission check whatever the mode bits say. Capabilities belong to a
// thread, so a helper thread that gives up the override meets the permissions a user meets.
void runWithoutPermissionOverride(const std::function<void()>& body)
{
    std::thread worker([&body] {
        if (::geteuid() == 0) {
            __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
            __user_cap_data_struct data[2] = {};
            ::syscall(SYS_capget, &header, data);
            for (int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
                data[capability / 32].effective &= ~(1u << (capability % 32));
            ::syscall(SYS_capset, &header, data);
        }
        body();
    });
    worker.join();
}

class TemporaryFolderTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        pf::FileWrapper::setFailureInjectionForTesting(nullptr);
        pf::FileWrapper::setRenameExchangeEnabledForTesting(true);
    }
    QString path(const QString& name) const { return m_folder.filePath(name); }
    QString folder() const { return m_folder.path(); }

    QTemporaryDir m_folder;
};

class FileWrapperWrite : public TemporaryFolderTest {};
class FileWrapperRead : public TemporaryFolderTest {};
class AtomicWrite : public TemporaryFolderTest {};

} // namespace

TEST_F(FileWrapperWrite, NestedPackageRoundTripsWithEmptyFolderAndLink)
{
    const QString target = path(QStringLiteral("doc.qlry"));
    QStringList written;
    pf::FileWrapper::setFailureInjectionForTesting([&written](const QString& item) {
        written << item;
        return false;
    });

    pf::Error error;
    ASSERT_TRUE(samplePackage()->writeToPath(target, 0, &error)) << qPrintable(error.description());
    EXPECT_EQ(describeTree(target), kSamplePackageTree);
    EXPECT_EQ(entriesOf(folder()), QStringList{QStringLiteral("doc.qlry")});
    // The tree was built in one temporary folder beside the target.
    const QRegularExpression temporary(u'^' + QRegularExpression::escape(target) + QStringLiteral("\\.tmp-[A-Za-z0-9]{6}/"));
    written.removeAll(target);
    ASSERT_EQ(written.size(), 6);
    for (const QString& item : written)
        EXPECT_TRUE(temporary.match(item).hasMatch()) << qPrintable(item);

    const pf::FileWrapperRef read = pf::FileWrapper::readFromPath(target, &error);
    ASSERT_TRUE(read) << qPrintable(error.description());
    EXPECT_TRUE(read->isDirectory());
    EXPECT_EQ(read->filename(), QStringLiteral("doc.qlry"));
    EXPECT_EQ(read->filenameWithoutExtension(), QStringLiteral("doc"));
    EXPECT_EQ(read->fileWrappers().keys(),
              (QStringList{QStringLiteral("Images"), QStringLiteral("QuickLook"), QStringLiteral("index.plist")}));
    const pf::FileWrapperRef quickLook = read->fileWrappers().value(QStringLiteral("QuickLook"));
    EXPECT_TRUE(quickLook->isDirectory());
    EXPECT_TRUE(quickLook->fileWrappers().isEmpty());
    const auto images = read->fileWrappers().value(QStringLiteral("Images"))->fileWrappers();
    ASSERT_EQ(images.size(), 3);
    EXPECT_TRUE(images.value(QStringLiteral("a.png"))->isRegularFile());
    EXPECT_EQ(images.value(QStringLiteral("a.png"))->regularFileContents(), QByteArray("\x89PNG\0\1\2", 7));
    EXPECT_EQ(images.value(QStringLiteral("a.png"))->filename(), QStringLiteral("a.png"));
    EXPECT_TRUE(images.value(QStringLiteral("current"))->isSymbolicLink());
    EXPECT_EQ(images.value(QStringLiteral("current"))->symbolicLinkDestination(), QStringLiteral("a.png"));

    // What was read writes back to the same tree.
    const QString copy = path(QStringLiteral("copy.qlry"));
    ASSERT_TRUE(read->writeToPath(copy, 0, &error)) << qPrintable(error.description());
    EXPECT_EQ(describeTree(copy), kSamplePackageTree);
}

TEST_F(FileWrapperWrite, ReplacesAnExistingPackageWhole)
{
    const QString target = path(QStringLiteral("doc.qlry"));
    for (bool exchange : {true, false}) {
        SCOPED_TRACE(exchange ? "exchanging names" : "moving the old package aside");
        pf::FileWrapper::setRenameExchangeEnabledForTesting(exchange);
        makeOldPackage(target);
        pf::Error error;
        ASSERT_TRUE(samplePackage()->writeToPath(target, 0, &error)) << qPrintable(error.description());
        EXPECT_EQ(describeTree(target), kSamplePackageTree);
        EXPECT_EQ(entriesOf(folder()), QStringList{QStringLiteral("doc.qlry")});
    }
}

TEST_F(FileWrapperWrite, InterruptedWriteLeavesTheOldPackageWhole)
{
    const QString target = path(QStringLiteral("doc.qlry"));
    const struct {
        const char* where;
        bool exchange;
        std::function<bool(const QString&)> failAt;
    } cases[] = {
        {"a file deep in the new tree", true, [](const QString& p) { return p.endsWith(u"/Images/b.png"); }},
        {"a link", true, [](const QString& p) { return p.endsWith(u"/Images/current"); }},
        {"an empty folder", true, [](const QString& p) { return p.endsWith(u"/QuickLook"); }},
        {"the exchange", true, [target](const QString& p) { return p == target; }},
        {"moving in after the old one went aside", false, [target](const QString& p) { return p == target; }},
        {"a file, without exchange", false, [](const QString& p) { return p.endsWith(u"/index.plist"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        makeOldPackage(target);
        pf::FileWrapper::setRenameExchangeEnabledForTesting(c.exchange);
        pf::FileWrapper::setFailureInjectionForTesting(c.failAt);
        pf::Error error;
        EXPECT_FALSE(samplePackage()->writeToPath(target, 0, &error));
        EXPECT_EQ(error.domain(), pf::kPFFoundationErrorDomain);
        EXPECT_EQ(error.code(), pf::kErrorFileWrite);
        EXPECT_TRUE(error.localizedDescription().contains(target)) << qPrintable(error.description());
        EXPECT_EQ(describeTree(target), kOldPackageTree);
        EXPECT_EQ(entriesOf(folder()), QStringList{QStringLiteral("doc.qlry")});
    }

    // With nothing there before, a failed write leaves nothing.
    fs::remove_all(target.toStdString());
    pf::FileWrapper::setFailureInjectionForTesting([](const QString& p) { return p.endsWith(u"/b.png"); });
    EXPECT_FALSE(samplePackage()->writeToPath(target, 0, nullptr));
    EXPECT_EQ(entriesOf(folder()), QStringList());
}

TEST_F(FileWrapperWrite, ReadOnlyParentFolderFailsAndChangesNothing)
{
    const QString parent = path(QStringLiteral("locked"));
    const QString package = parent + QStringLiteral("/doc.qlry");
    const QString file = parent + QStringLiteral("/notes.txt");
    makeOldPackage(package);
    writeFile(file, "old notes");
    ASSERT_TRUE(QFile::setPermissions(parent, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    auto unlock = qScopeGuard([&] { QFile::setPermissions(parent, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner); });

    bool enforced = false;
    pf::Error packageError;
    pf::Error fileError;
    bool packageWritten = true;
    bool fileWritten = true;
    runWithoutPermissionOverride([&] {
        enforced = ::mkdir(QFile::encodeName(parent + QStringLiteral("/probe")).constData(), 0777) != 0;
        if (!enforced)
            return;
        packageWritten = samplePackage()->writeToPath(package, 0, &packageError);
        fileWritten = pf::FileWrapper::regularFile("new notes")->writeToPath(file, 0, &fileError);
    });
    if (!enforced)
        GTEST_SKIP() << "this system does not enforce folder permissions";

    EXPECT_FALSE(packageWritten);
    EXPECT_EQ(packageError.code(), pf::kErrorFileWriteNoPermission);
    EXPECT_TRUE(packageError.localizedDescription().contains(package)) << qPrintable(packageError.description());
    EXPECT_FALSE(fileWritten);
    EXPECT_EQ(fileError.code(), pf::kErrorFileWriteNoPermission);
    EXPECT_TRUE(fileError.localizedDescription().contains(file)) << qPrintable(fileError.description());
    EXPECT_EQ(describeTree(package), kOldPackageTree);
    EXPECT_EQ(readFile(file), QByteArray("old notes"));
    EXPECT_EQ(entriesOf(parent), (QStringList{QStringLiteral("doc.qlry"), QStringLiteral("notes.txt")}));
}

TEST_F(FileWrapperWrite, TreeHoldingAHostileNameIsNotWritten)
{
    const QString target = path(QStringLiteral("doc.qlry"));
    makeOldPackage(target);
    const QString hostile[] = {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("../escape"),
                               QStringLiteral("a/b"), QString::fromUtf16(u"nul\0name", 8)};
    for (const QString& name : hostile) {
        SCOPED_TRACE(qPrintable(name));
        // Deep inside the tree, beside good names, so that a writer that checks as it goes would
        // already have written something.
        auto inner = pf::FileWrapper::directory({{QStringLiteral("good.txt"), pf::FileWrapper::regularFile("x")},
                                                 {name, pf::FileWrapper::regularFile("escaped")}});
        auto root = pf::FileWrapper::directory({{QStringLiteral("a.txt"), pf::FileWrapper::regularFile("a")},
                                                {QStringLiteral("sub"), inner}});
        pf::Error error;
        EXPECT_FALSE(root->writeToPath(target, 0, &error));
        EXPECT_EQ(error.code(), pf::kErrorFileWriteInvalidFileName);
        EXPECT_TRUE(error.localizedDescription().contains(target)) << qPrintable(error.description());
        EXPECT_EQ(describeTree(target), kOldPackageTree);
        EXPECT_EQ(entriesOf(folder()), QStringList{QStringLiteral("doc.qlry")});
    }

    // Targets that name no item of their own. Run from a scratch folder, so that a writer
    // that took them for the current folder could only replace that.
    const QString scratch = path(QStringLiteral("cwd"));
    writeFile(scratch + QStringLiteral("/keep.txt"), "keep");
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(scratch));
    auto restore = qScopeGuard([&previous] { QDir::setCurrent(previous); });
    for (const QString& bad : {QString(), QStringLiteral("."), QStringLiteral("keep.txt/.."), QStringLiteral("/")}) {
        SCOPED_TRACE(qPrintable(bad));
        pf::Error error;
        EXPECT_FALSE(samplePackage()->writeToPath(bad, 0, &error));
        EXPECT_EQ(error.code(), pf::kErrorFileWriteInvalidFileName);
    }
    EXPECT_EQ(entriesOf(scratch), QStringList{QStringLiteral("keep.txt")});
}

TEST_F(FileWrapperWrite, NameUpdatingSetsTheNamesWritten)
{
    for (int options : {0, int(pf::kFileWrapperWritingWithNameUpdating)}) {
        SCOPED_TRACE(options);
        auto child = pf::FileWrapper::regularFile("x");
        auto root = pf::FileWrapper::directory({{QStringLiteral("a.txt"), child}});
        child->setFilename(QStringLiteral("stale.txt"));
        root->setFilename(QStringLiteral("stale.qlry"));
        ASSERT_TRUE(root->writeToPath(path(QStringLiteral("doc.qlry")), options, nullptr));
        EXPECT_EQ(child->filename(), options ? QStringLiteral("a.txt") : QStringLiteral("stale.txt"));
        EXPECT_EQ(root->filename(), options ? QStringLiteral("doc.qlry") : QStringLiteral("stale.qlry"));
    }
}

TEST_F(FileWrapperWrite, RegularFileAndLinkWrappersReplaceTheirTargets)
{
    const QString file = path(QStringLiteral("image.png"));
    writeFile(file, "old");
    ASSERT_TRUE(pf::FileWrapper::regularFile("new")->writeToPath(file, pf::kFileWrapperWritingWithNameUpdating, nullptr));
    EXPECT_EQ(readFile(file), QByteArray("new"));

    pf::FileWrapper::setFailureInjectionForTesting([file](const QString& p) { return p == file; });
    EXPECT_FALSE(pf::FileWrapper::regularFile("newer")->writeToPath(file, 0, nullptr));
    EXPECT_EQ(readFile(file), QByteArray("new"));
    pf::FileWrapper::setFailureInjectionForTesting(nullptr);

    const QString link = path(QStringLiteral("link"));
    writeFile(link, "a file where the link goes");
    pf::Error error;
    ASSERT_TRUE(pf::FileWrapper::symbolicLink(QStringLiteral("image.png"))->writeToPath(link, 0, &error))
        << qPrintable(error.description());
    EXPECT_EQ(fs::read_symlink(link.toStdString()), fs::path("image.png"));
    EXPECT_EQ(entriesOf(folder()), (QStringList{QStringLiteral("image.png"), QStringLiteral("link")}));

    EXPECT_FALSE(pf::FileWrapper::regularFile("x")->writeToPath(path(QStringLiteral("missing/x")), 0, &error));
    EXPECT_EQ(error.code(), pf::kErrorFileNotFound);
}

TEST(FileWrapperNames, HostileNamesAreNotAdded)
{
    auto root = pf::FileWrapper::directory();
    const QString hostile[] = {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("../x"),
                               QStringLiteral("a/b"), QStringLiteral("/etc"), QString::fromUtf16(u"a\0b", 3)};
    for (const QString& name : hostile) {
        SCOPED_TRACE(qPrintable(name));
        EXPECT_FALSE(pf::FileWrapper::isValidFilename(name));
        EXPECT_EQ(root->addRegularFile("x", name), QString());
        auto folder = pf::FileWrapper::directory();
        folder->setPreferredFilename(name);
        EXPECT_EQ(root->addFileWrapper(folder), QString());
    }
    EXPECT_TRUE(root->fileWrappers().isEmpty());
    EXPECT_TRUE(pf::FileWrapper::isValidFilename(QStringLiteral("..dots.. and spaces")));
}

TEST(FileWrapperNames, TakenNamesAreNumberedKeepingTheExtension)
{
    const struct {
        QString preferred;
        QStringList names;
    } cases[] = {
        {QStringLiteral("image.png"), {QStringLiteral("image.png"), QStringLiteral("image 2.png"), QStringLiteral("image 3.png")}},
        {QStringLiteral("README"), {QStringLiteral("README"), QStringLiteral("README 2"), QStringLiteral("README 3")}},
        {QStringLiteral(".hidden"), {QStringLiteral(".hidden"), QStringLiteral(".hidden 2"), QStringLiteral(".hidden 3")}},
        {QStringLiteral("archive.tar.gz"), {QStringLiteral("archive.tar.gz"), QStringLiteral("archive.tar 2.gz"), QStringLiteral("archive.tar 3.gz")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.preferred));
        auto root = pf::FileWrapper::directory();
        for (const QString& expected : c.names) {
            auto child = pf::FileWrapper::regularFile(expected.toUtf8());
            child->setPreferredFilename(c.preferred);
            EXPECT_EQ(root->addFileWrapper(child), expected);
            EXPECT_EQ(child->filename(), expected);
            EXPECT_EQ(child->preferredFilename(), c.preferred);
            EXPECT_EQ(root->fileWrappers().value(expected), child);
        }
    }

    // A freed name is used again; a child already present keeps its name.
    auto root = pf::FileWrapper::directory();
    auto first = pf::FileWrapper::regularFile("1");
    first->setPreferredFilename(QStringLiteral("a.txt"));
    root->addFileWrapper(first);
    EXPECT_EQ(root->addRegularFile("2", QStringLiteral("a.txt")), QStringLiteral("a 2.txt"));
    EXPECT_EQ(root->addFileWrapper(first), QStringLiteral("a.txt"));
    root->removeFileWrapper(first);
    EXPECT_EQ(root->fileWrappers().keys(), QStringList{QStringLiteral("a 2.txt")});
    EXPECT_EQ(root->addRegularFile("3", QStringLiteral("a.txt")), QStringLiteral("a.txt"));
    // Without a preferred name the file name is used.
    auto named = pf::FileWrapper::regularFile("4");
    named->setFilename(QStringLiteral("b.txt"));
    EXPECT_EQ(root->addFileWrapper(named), QStringLiteral("b.txt"));
}

TEST(FileWrapperNames, CyclesAndMisuseAreRefused)
{
    auto outer = pf::FileWrapper::directory();
    auto inner = pf::FileWrapper::directory();
    inner->setPreferredFilename(QStringLiteral("inner"));
    outer->setPreferredFilename(QStringLiteral("outer"));
    ASSERT_EQ(outer->addFileWrapper(inner), QStringLiteral("inner"));
    EXPECT_EQ(inner->addFileWrapper(outer), QString());
    EXPECT_EQ(outer->addFileWrapper(outer), QString());
    EXPECT_TRUE(inner->fileWrappers().isEmpty());

    auto file = pf::FileWrapper::regularFile("x");
    EXPECT_THROW(file->addRegularFile("y", QStringLiteral("y")), pf::InternalInconsistencyException);
    EXPECT_THROW(outer->addFileWrapper(nullptr), pf::InvalidArgumentException);
    EXPECT_TRUE(file->fileWrappers().isEmpty());
    EXPECT_TRUE(file->symbolicLinkDestination().isEmpty());
    EXPECT_TRUE(pf::FileWrapper::directory()->regularFileContents().isEmpty());
}

TEST_F(FileWrapperRead, LinksAreReadAsLinksAndNeverFollowed)
{
    const QString package = path(QStringLiteral("doc.qlry"));
    writeFile(path(QStringLiteral("outside/secret.txt")), "secret");
    writeFile(package + QStringLiteral("/inside.txt"), "inside");
    const struct {
        const char* name;
        const char* destination;
    } links[] = {
        {"escape", "../outside"},          // out of the package
        {"absolute", "/"},                 // to the root
        {"self", "."},                     // a cycle through the package itself
        {"ping", "pong"}, {"pong", "ping"}, // a cycle of links
        {"dangling", "nowhere"},
    };
    for (const auto& link : links)
        ASSERT_EQ(::symlink(link.destination, QFile::encodeName(package + u'/' + QLatin1String(link.name)).constData()), 0);

    pf::Error error;
    const pf::FileWrapperRef read = pf::FileWrapper::readFromPath(package, &error);
    ASSERT_TRUE(read) << qPrintable(error.description());
    EXPECT_EQ(read->fileWrappers().size(), 7);
    for (const auto& link : links) {
        SCOPED_TRACE(link.name);
        const pf::FileWrapperRef wrapper = read->fileWrappers().value(QLatin1String(link.name));
        ASSERT_TRUE(wrapper);
        EXPECT_TRUE(wrapper->isSymbolicLink());
        EXPECT_EQ(wrapper->symbolicLinkDestination(), QLatin1String(link.destination));
        EXPECT_TRUE(wrapper->fileWrappers().isEmpty());
        EXPECT_TRUE(wrapper->regularFileContents().isEmpty());
    }
    EXPECT_EQ(read->fileWrappers().value(QStringLiteral("inside.txt"))->regularFileContents(), QByteArray("inside"));

    // A link given as the path itself is a link too.
    const pf::FileWrapperRef escape = pf::FileWrapper::readFromPath(package + QStringLiteral("/escape"), &error);
    ASSERT_TRUE(escape);
    EXPECT_TRUE(escape->isSymbolicLink());
}

TEST_F(FileWrapperRead, UnreadableItemsFailNamingThePath)
{
    pf::Error error;
    const QString missing = path(QStringLiteral("missing.qlry"));
    EXPECT_FALSE(pf::FileWrapper::readFromPath(missing, &error));
    EXPECT_EQ(error.code(), pf::kErrorFileNotFound);
    EXPECT_TRUE(error.localizedDescription().contains(missing));

    // A FIFO would block a reader that opened it; reading must fail at once instead.
    const QString package = path(QStringLiteral("doc.qlry"));
    writeFile(package + QStringLiteral("/a.txt"), "a");
    const QString fifo = package + QStringLiteral("/sub/pipe");
    QDir().mkpath(QFileInfo(fifo).absolutePath());
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(pf::FileWrapper::readFromPath(package, &error));
    EXPECT_EQ(error.code(), pf::kErrorFileRead);
    EXPECT_TRUE(error.localizedDescription().contains(fifo)) << qPrintable(error.description());
}

TEST_F(FileWrapperRead, TooDeeplyNestedTreeFails)
{
    // Deeper than any package, built through descriptors because the path would be too long.
    const QString package = path(QStringLiteral("deep"));
    ASSERT_TRUE(QDir().mkpath(package));
    int fd = ::open(QFile::encodeName(package).constData(), O_RDONLY | O_DIRECTORY);
    for (int level = 0; level < 300; ++level) {
        ASSERT_EQ(::mkdirat(fd, "d", 0777), 0);
        const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
        ASSERT_GE(fd, 0);
    }
    ::close(fd);
    pf::Error error;
    EXPECT_FALSE(pf::FileWrapper::readFromPath(package, &error));
    EXPECT_EQ(error.code(), pf::kErrorFileReadCorrupt);
    fs::remove_all(package.toStdString());
}

TEST_F(AtomicWrite, WritesReplacesAndReadsBack)
{
    const QString file = path(QStringLiteral("data.bin"));
    const QByteArray data("binary\0data\xff", 12);
    pf::Error error;
    ASSERT_TRUE(pf::writeDataAtomically(data, file, &error)) << qPrintable(error.description());
    for (bool mapped : {false, true}) {
        SCOPED_TRACE(mapped);
        EXPECT_EQ(pf::readData(file, mapped, &error), data);
    }
    ASSERT_TRUE(pf::writeDataAtomically(QByteArray(), file, &error));
    const QByteArray empty = pf::readData(file, true, &error);
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_FALSE(empty.isNull());
    EXPECT_EQ(entriesOf(folder()), QStringList{QStringLiteral("data.bin")});
}

TEST_F(AtomicWrite, FailuresNameThePathAndKeepTheOldFile)
{
    pf::Error error;
    const QString orphan = path(QStringLiteral("missing/data.bin"));
    EXPECT_FALSE(pf::writeDataAtomically("x", orphan, &error));
    EXPECT_EQ(error.code(), pf::kErrorFileNotFound);
    EXPECT_TRUE(error.localizedDescription().contains(orphan));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("missing"))));

    const QString folderPath = path(QStringLiteral("folder"));
    writeFile(folderPath + QStringLiteral("/kept.txt"), "kept");
    EXPECT_FALSE(pf::writeDataAtomically("x", folderPath, &error));
    EXPECT_TRUE(error.localizedDescription().contains(folderPath));
    EXPECT_EQ(readFile(folderPath + QStringLiteral("/kept.txt")), QByteArray("kept"));

    const QString fifo = path(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct {
        QString path;
        int code;
    } unreadable[] = {
        {path(QStringLiteral("nothing")), pf::kErrorFileNotFound},
        {folderPath, pf::kErrorFileRead},
        {fifo, pf::kErrorFileRead},
    };
    for (const auto& c : unreadable) {
        SCOPED_TRACE(qPrintable(c.path));
        const QByteArray read = pf::readData(c.path, false, &error);
        EXPECT_TRUE(read.isNull());
        EXPECT_EQ(error.code(), c.code);
        EXPECT_TRUE(error.localizedDescription().contains(c.path)) << qPrintable(error.description());
    }
}
