#include "LibraryTestSupport.h"

#include "library/PWXLibraryArchivingDelegate.h"
#include "library/PWXLibraryArchivingTask.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryZipArchive.h"
#include "platform/foundation/RunLoop.h"
#include "tests/support/TestSupport.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <zip.h>

using namespace library_test;

namespace {

class LibraryArchive : public LibraryTest {};

struct RecordingDelegate : PWXLibraryArchivingDelegate {
    QList<QUrl> willCreate;
    QList<QUrl> ended;
    bool endedOnMainThread = false;
    int endings = 0;
    void libraryWillCreateZipArchiveAtURL(PWXLibrary*, const QUrl& url) override { willCreate.append(url); }
    void libraryAvailableAsZipArchiveURL(PWXLibrary*, const QUrl& url) override
    {
        ended.append(url);
        endedOnMainThread = pf::RunLoop::isMainThread();
        ++endings;
    }
};

QStringList entryNames(const QString& archive)
{
    QStringList names;
    zip_t* zip = zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY, nullptr);
    if (!zip)
        return names;
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i)
        names.append(QString::fromUtf8(zip_get_name(zip, zip_uint64_t(i), 0)));
    zip_discard(zip);
    return names;
}

// An archive of the given entries (name -> contents; a name ending in "/" is a folder).
QString makeZip(const QString& path, const QList<std::pair<QByteArray, QByteArray>>& entries)
{
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
    for (const auto& [name, contents] : entries) {
        if (name.endsWith('/')) {
            zip_dir_add(zip, name.constData(), 0);
            continue;
        }
        char* copy = static_cast<char*>(malloc(size_t(contents.size()) + 1));
        memcpy(copy, contents.constData(), size_t(contents.size()));
        zip_source_t* source = zip_source_buffer(zip, copy, zip_uint64_t(contents.size()), 1);
        zip_file_add(zip, name.constData(), source, ZIP_FL_OVERWRITE);
    }
    zip_close(zip);
    return path;
}

// Points the support folder (through HOME) somewhere else while it lives.
class OtherSupportFolder {
public:
    OtherSupportFolder() : m_old(qgetenv("HOME"))
    {
        qputenv("HOME", QFile::encodeName(m_home.path()));
        PWXLibrary::resetRegistryForTesting();
    }
    ~OtherSupportFolder()
    {
        PWXLibrary::resetRegistryForTesting();
        qputenv("HOME", m_old);
    }

private:
    QByteArray m_old;
    QTemporaryDir m_home;
};

} // namespace

TEST_F(LibraryArchive, ZippedCollectionImportsIntoAFreshSupportFolderWithEverything)
{
    pf::Ref<PWXLibrary> library = PWXLibrary::userLibraryWithPreferredName("Harbour");
    ASSERT_TRUE(library);
    pf::Ref<PWXLibraryItem> wall = addObject(*library, namedStyle("Wall"));
    pf::Ref<PWXLibraryItem> beacon = addObject(*library, namedMaster("Beacon"));
    pf::Ref<PWXLibraryCategory> marks = library->addCategoryWithName("Marks");
    marks->addCategoryWithName("Lights")->addItem(beacon);
    marks->addItem(wall);
    library->setUserDescription("Quays and lights");

    QTemporaryDir out;
    const QString archive = QDir(out.path()).filePath("Harbour.zip");
    auto delegate = std::make_shared<RecordingDelegate>();
    library->writeZipFileAtURL(QUrl::fromLocalFile(archive), delegate);
    EXPECT_EQ(delegate->willCreate, QList<QUrl>{QUrl::fromLocalFile(archive)});
    ASSERT_TRUE(quillory::test::waitUntil([&] { return delegate->endings > 0; }, 60000));
    EXPECT_TRUE(delegate->endedOnMainThread);
    EXPECT_EQ(delegate->ended, QList<QUrl>{QUrl::fromLocalFile(archive)});
    // The collection folder is the one top entry.
    const QStringList entries = entryNames(archive);
    ASSERT_FALSE(entries.isEmpty());
    for (const QString& entry : entries)
        EXPECT_TRUE(entry.startsWith("Harbour.symlibrary/")) << entry.toStdString();
    EXPECT_TRUE(entries.contains("Harbour.symlibrary/Harbour.categories"));

    const QString wallKey = wall->uniqueKey(), beaconKey = beacon->uniqueKey();
    OtherSupportFolder fresh;
    ASSERT_FALSE(QFileInfo::exists(QDir(PWXLibrary::userLibraryFolder()).filePath("Harbour.symlibrary")));
    pf::Ref<PWXLibrary> imported = PWXLibrary::importLibraryAtPath(archive);
    ASSERT_TRUE(imported);
    EXPECT_EQ(imported->name(), "Harbour");
    EXPECT_EQ(imported->group(), "MY LIBRARY");
    EXPECT_EQ(PWXLibrary::libraryWithName("Harbour"), imported);
    EXPECT_EQ(imported->itemCount(), 2);
    EXPECT_EQ(imported->userDescription(), "Quays and lights");
    pf::Ref<PWXLibraryItem> readWall = imported->itemWithUniqueID(wallKey);
    pf::Ref<PWXLibraryItem> readBeacon = imported->itemWithUniqueID(beaconKey);
    ASSERT_TRUE(readWall && readBeacon);
    ASSERT_TRUE(imported->categoryWithName("Marks"));
    EXPECT_TRUE(imported->categoryWithName("Marks")->categoryWithName("Lights")->items()
                == QList<pf::Ref<PWXLibraryItem>>{readBeacon});
    EXPECT_TRUE(imported->categoryWithName("Marks")->items() == QList<pf::Ref<PWXLibraryItem>>{readWall});
    EXPECT_TRUE(std::dynamic_pointer_cast<PWStyle>(readWall->representedObject()));
    PWXLibraryItem::setLoadsImagesUsingThread(false);
    EXPECT_FALSE(readBeacon->previewImageLoadingAsynchronously(false).isNull());
    PWXLibraryItem::setLoadsImagesUsingThread(true);
    // The scratch copy is gone; the library lives in the new support folder.
    EXPECT_TRUE(imported->path().startsWith(PWXLibrary::userLibraryFolder()));
}

TEST_F(LibraryArchive, AnArchiveThatCannotBeWrittenIsReportedAndOverwritesNothing)
{
    pf::Ref<PWXLibrary> library = PWXLibrary::userLibraryWithPreferredName("Blocked");
    ASSERT_TRUE(library);
    addObject(*library, namedStyle("Only"));
    // The destination's folder does not exist: nothing can be written there.
    auto delegate = std::make_shared<RecordingDelegate>();
    QTemporaryDir out;
    const QUrl nowhere = QUrl::fromLocalFile(QDir(out.path()).filePath("missing/Blocked.zip"));
    EXPECT_NO_THROW(library->writeZipFileAtURL(nowhere, delegate));
    ASSERT_TRUE(quillory::test::waitUntil([&] { return delegate->endings > 0; }, 60000));
    EXPECT_EQ(delegate->ended, QList<QUrl>{QUrl()});
    // An existing file at the destination stays as it was when the write fails half way:
    // here, a destination that is a folder.
    const QString taken = QDir(out.path()).filePath("taken.zip");
    QDir().mkpath(QDir(taken).filePath("inside"));
    auto second = std::make_shared<RecordingDelegate>();
    library->writeZipFileAtURL(QUrl::fromLocalFile(taken), second);
    ASSERT_TRUE(quillory::test::waitUntil([&] { return second->endings > 0; }, 60000));
    EXPECT_EQ(second->ended, QList<QUrl>{QUrl()});
    EXPECT_TRUE(QFileInfo(QDir(taken).filePath("inside")).isDir());
    EXPECT_FALSE(QFileInfo::exists(taken + ".partial"));
}

TEST_F(LibraryArchive, ArchivesWithoutADestinationAreNumberedFrom1890)
{
    pf::Ref<PWXLibrary> library = PWXLibrary::userLibraryWithPreferredName("Numbered");
    ASSERT_TRUE(library);
    auto first = PWXLibraryArchivingTask::newArchivingTaskWithLibrary(library, nullptr, QUrl());
    auto second = PWXLibraryArchivingTask::newArchivingTaskWithLibrary(library, nullptr, QUrl());
    // The counter is process-wide: other tests may have used numbers first.
    const qint64 n = QFileInfo(first->destinationURL().toLocalFile()).completeBaseName().section('_', -1).toLongLong();
    EXPECT_GE(n, 1890);
    EXPECT_EQ(first->destinationURL().toLocalFile(),
              QDir(PWXLibrary::userLibraryFolder()).filePath(QStringLiteral("Numbered_LIBZ_%1.zip").arg(n)));
    EXPECT_EQ(second->destinationURL().toLocalFile(),
              QDir(PWXLibrary::userLibraryFolder()).filePath(QStringLiteral("Numbered_LIBZ_%1.zip").arg(n + 1)));
    EXPECT_FALSE(PWXLibraryArchivingTask::newArchivingTaskWithLibrary(library, nullptr, QStringLiteral("/tmp/x.zip")));
    // Both finish; nothing keeps the tasks once they have reported.
    std::weak_ptr<PWXLibraryArchivingTask> weakFirst = first, weakSecond = second;
    first.reset();
    second.reset();
    EXPECT_TRUE(quillory::test::waitUntil([&] { return weakFirst.expired() && weakSecond.expired(); }, 60000));
}

TEST_F(LibraryArchive, HostileArchivesUnpackNothingOutsideTheirFolder)
{
    QTemporaryDir scratch;
    const QString into = QDir(scratch.path()).filePath("into");
    QDir().mkpath(into);
    struct Case {
        const char* what;
        QList<std::pair<QByteArray, QByteArray>> entries;
    };
    const QList<Case> cases{
        {"climbs out", {{"Evil.symlibrary/", {}}, {"Evil.symlibrary/../../escaped", "x"}}},
        {"absolute", {{"/tmp/Evil.symlibrary/x", "x"}}},
        {"two folders", {{"A.symlibrary/a", "x"}, {"B.symlibrary/b", "y"}}},
        {"no collection folder", {{"Other/file", "x"}}},
        {"loose file", {{"Evil.symlibrary", "x"}}},
    };
    for (const Case& c : cases) {
        const QString archive = makeZip(QDir(scratch.path()).filePath("case.zip"), c.entries);
        QString error;
        EXPECT_TRUE(PWXLibraryZipArchive::extractCollection(archive, into, &error).isEmpty()) << c.what;
        EXPECT_FALSE(error.isEmpty()) << c.what;
        EXPECT_TRUE(QDir(into).isEmpty()) << c.what;
        EXPECT_FALSE(QFileInfo::exists(QDir(scratch.path()).filePath("escaped"))) << c.what;
    }
    // Not an archive at all, and an archive of a folder that is not a valid collection.
    QFile junk(QDir(scratch.path()).filePath("junk.zip"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("PK\x03\x04 not really");
    junk.close();
    EXPECT_FALSE(PWXLibrary::importLibraryAtPath(junk.fileName()));
    const QString invalid = makeZip(QDir(scratch.path()).filePath("invalid.zip"),
                                    {{"Bad.symlibrary/", {}}, {"Bad.symlibrary/Bad.categories", "not a property list"}});
    EXPECT_FALSE(PWXLibrary::importLibraryAtPath(invalid));
    EXPECT_FALSE(QFileInfo::exists(QDir(PWXLibrary::userLibraryFolder()).filePath("Bad.symlibrary")));
}

TEST_F(LibraryArchive, ImportingOneFolderTwiceMakesTwoLibrariesWithMatchingCategoryFiles)
{
    QTemporaryDir outside;
    pf::Ref<PWXLibrary> source = PWXLibrary::libraryWithPath(QDir(outside.path()).filePath("Roads.symlibrary"), true);
    addObject(*source, namedStyle("Lane"));
    source->writeCategoryFile();
    PWXLibrary::initializeRegistry();
    pf::Ref<PWXLibrary> first = PWXLibrary::importLibraryAtPath(source->path());
    pf::Ref<PWXLibrary> second = PWXLibrary::importLibraryAtPath(source->path());
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->path(), second->path());
    EXPECT_TRUE(QFileInfo::exists(QDir(second->path()).filePath(second->internalName() + ".categories")));
    EXPECT_EQ(second->itemCount(), 1);
    // A folder already in the user library folder and registered is answered as it is.
    EXPECT_EQ(PWXLibrary::importLibraryAtPath(first->path()), first);
}
