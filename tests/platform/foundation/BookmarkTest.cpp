#include <gtest/gtest.h>

#include "platform/foundation/Bookmark.h"
#include "platform/foundation/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <cstdio>

using pf::Bookmark;

namespace {

// Resolution options the callers pass (no user interface, no mounting); they change nothing.
constexpr int kResolveOptions = 256 | 512;

class BookmarkTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString makeFile(const QString& name, const QByteArray& contents = "contents")
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
        return path;
    }

    QByteArray bookmarkOf(const QString& path)
    {
        pf::Error error;
        const QByteArray data = Bookmark::create(path, 0, &error);
        EXPECT_FALSE(data.isEmpty()) << qPrintable(error.description());
        return data;
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(BookmarkTest, RecordsWhereAndWhichTheFileIs)
{
    const QString path = makeFile(QStringLiteral("drawing.qly"));
    const QByteArray data = bookmarkOf(path);
    EXPECT_TRUE(data.startsWith("bplist00"));
    const QVariantMap record = pf::PropertyList::value(data).toMap();
    EXPECT_EQ(record.value(QStringLiteral("path")).toString(), QFileInfo(path).absoluteFilePath());
    EXPECT_EQ(record.value(QStringLiteral("volumeRoot")).toString(), QStorageInfo(path).rootPath());
    EXPECT_EQ(record.value(QStringLiteral("modificationDate")).toDateTime().toSecsSinceEpoch(),
              QFileInfo(path).lastModified().toSecsSinceEpoch());
    EXPECT_NE(record.value(QStringLiteral("inode")).toULongLong(), 0u);

    bool stale = true;
    pf::Error error;
    EXPECT_EQ(Bookmark::resolve(data, kResolveOptions, &stale, &error), QFileInfo(path).absoluteFilePath());
    EXPECT_FALSE(stale);
    EXPECT_TRUE(error.isNull());
}

TEST_F(BookmarkTest, RelativePathsAreRecordedAbsolute)
{
    const QString path = makeFile(QStringLiteral("relative.qly"));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(m_dir.path());
    const QByteArray data = bookmarkOf(QStringLiteral("./relative.qly"));
    QDir::setCurrent(previous);
    bool stale = true;
    EXPECT_EQ(Bookmark::resolve(data, 0, &stale, nullptr), QFileInfo(path).absoluteFilePath());
    EXPECT_FALSE(stale);
}

TEST_F(BookmarkTest, FileRenamedInItsFolderIsFoundAndStale)
{
    const QString path = makeFile(QStringLiteral("before.qly"));
    makeFile(QStringLiteral("neighbour.qly"));
    const QByteArray data = bookmarkOf(path);
    const QString renamed = m_dir.filePath(QStringLiteral("after.qly"));
    ASSERT_TRUE(QFile::rename(path, renamed));

    bool stale = false;
    pf::Error error;
    EXPECT_EQ(Bookmark::resolve(data, kResolveOptions, &stale, &error), renamed);
    EXPECT_TRUE(stale);
    EXPECT_TRUE(error.isNull());
}

TEST_F(BookmarkTest, DifferentFileAtThePathIsStale)
{
    const QString path = makeFile(QStringLiteral("saved.qly"));
    const QByteArray data = bookmarkOf(path);
    // Replaced the way a safe save does it: a new file renamed over the old one.
    const QString replacement = makeFile(QStringLiteral("saved.qly.new"), "new contents");
    ASSERT_EQ(std::rename(QFile::encodeName(replacement).constData(), QFile::encodeName(path).constData()), 0);

    bool stale = false;
    EXPECT_EQ(Bookmark::resolve(data, 0, &stale, nullptr), path);
    EXPECT_TRUE(stale);
}

TEST_F(BookmarkTest, GoneFileIsNotFound)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("elsewhere")));
    const struct {
        const char* name;
        std::function<void(const QString&)> remove;
    } cases[] = {
        {"deleted", [](const QString& path) { QFile::remove(path); }},
        {"moved to another folder",
         [this](const QString& path) { QFile::rename(path, m_dir.filePath(QStringLiteral("elsewhere/moved.qly"))); }},
        {"folder deleted",
         [](const QString& path) { QDir(QFileInfo(path).absolutePath()).removeRecursively(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("folder")));
        const QString path = makeFile(QStringLiteral("folder/gone.qly"));
        const QByteArray data = bookmarkOf(path);
        c.remove(path);
        bool stale = true;
        pf::Error error;
        EXPECT_TRUE(Bookmark::resolve(data, kResolveOptions, &stale, &error).isEmpty());
        EXPECT_FALSE(stale);
        EXPECT_EQ(error.domain(), pf::kPFFoundationErrorDomain);
        EXPECT_EQ(error.code(), pf::kErrorFileNotFound);
        EXPECT_EQ(error.userInfo().value(pf::NSFilePathErrorKey).toString(), path);
    }
}

TEST_F(BookmarkTest, MissingFileCannotBeBookmarked)
{
    pf::Error error;
    EXPECT_TRUE(Bookmark::create(m_dir.filePath(QStringLiteral("nothing.qly")), 0, &error).isEmpty());
    EXPECT_EQ(error.code(), pf::kErrorFileNotFound);
}

TEST_F(BookmarkTest, DamagedDataFailsClearly)
{
    const QByteArray good = bookmarkOf(makeFile(QStringLiteral("real.qly")));
    QVariantMap record = pf::PropertyList::value(good).toMap();
    auto without = [record](const char* key) {
        QVariantMap copy = record;
        copy.remove(QString::fromLatin1(key));
        return pf::PropertyList::data(copy, pf::PropertyListFormat::Binary);
    };
    auto with = [record](const char* key, const QVariant& value) {
        QVariantMap copy = record;
        copy.insert(QString::fromLatin1(key), value);
        return pf::PropertyList::data(copy, pf::PropertyListFormat::Binary);
    };
    QList<QPair<QString, QByteArray>> cases{
        {QStringLiteral("empty"), QByteArray()},
        {QStringLiteral("garbage"), QByteArray("not a bookmark at all")},
        {QStringLiteral("array"), pf::PropertyList::data(QVariantList{1}, pf::PropertyListFormat::Binary)},
        {QStringLiteral("no inode"), without("inode")},
        {QStringLiteral("no path"), without("path")},
        {QStringLiteral("relative path"), with("path", QStringLiteral("real.qly"))},
        {QStringLiteral("device as a string"), with("device", QStringLiteral("12"))},
    };
    for (qsizetype length = 0; length < good.size(); ++length)
        cases.append({QStringLiteral("truncated to %1").arg(length), good.left(length)});
    for (const auto& [name, data] : cases) {
        SCOPED_TRACE(qPrintable(name));
        bool stale = true;
        pf::Error error;
        EXPECT_TRUE(Bookmark::resolve(data, 0, &stale, &error).isEmpty());
        EXPECT_FALSE(stale);
        EXPECT_EQ(error.code(), pf::kErrorFileReadCorrupt);
        EXPECT_TRUE(error.localizedDescription().startsWith(QStringLiteral("The bookmark data is damaged")))
            << qPrintable(error.localizedDescription());
    }
}

TEST(BookmarkSecurityScope, AccessIsGrantedUnlessATestRefusesIt)
{
    const QString path = QStringLiteral("/tmp");
    EXPECT_TRUE(Bookmark::startAccessingSecurityScopedResource(path));
    Bookmark::setRefusesSecurityScopedAccessForTesting(true);
    EXPECT_FALSE(Bookmark::startAccessingSecurityScopedResource(path));
    Bookmark::setRefusesSecurityScopedAccessForTesting(false);
    EXPECT_TRUE(Bookmark::startAccessingSecurityScopedResource(path));
    Bookmark::stopAccessingSecurityScopedResource(path);
}
