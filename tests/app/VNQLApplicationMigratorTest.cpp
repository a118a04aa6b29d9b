#include "app/VNQLApplicationMigrator.h"
#include "platform/foundation/FileManager.h"
#include "platform/ui/Bundle.h"
#include "tests/support/FileFaultInjector.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace {

using M = VNQLApplicationMigrator;

QString userSupport()
{
    return pf::FileManager::defaultManager().URLForDirectory(pf::FileManager::SearchPath::ApplicationSupport, {}, true);
}

QString ownSupport()
{
    return QDir(userSupport()).filePath(pf::Bundle::main().bundleIdentifier());
}

void writeFile(const QString& path, const QByteArray& contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A collection folder: its catalogue named after it and one item package.
void makeCollection(const QString& folder, const QString& name)
{
    const QString root = QDir(folder).filePath(name + QStringLiteral(".symlibrary"));
    writeFile(QDir(root).filePath(name + QStringLiteral(".categories")), "catalogue of " + name.toUtf8());
    writeFile(QDir(root).filePath(QStringLiteral("Tree.libitem/item.plist")), "tree");
}

// Every file below `folder`, relative to it, sorted.
QStringList filesBelow(const QString& folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        out.append(QDir(folder).relativeFilePath(it.next()));
    out.sort();
    return out;
}

class MigratorTest : public ::testing::Test {
protected:
    void SetUp() override { clean(); }
    void TearDown() override { clean(); }
    static void clean()
    {
        for (const QString& name : {M::kEarlierStoreIdentifier, M::kEarlierDirectIdentifier, pf::Bundle::main().bundleIdentifier()})
            QDir(QDir(userSupport()).filePath(name)).removeRecursively();
        QFile::remove(QDir(userSupport()).filePath(pf::Bundle::main().bundleIdentifier()));
        QDir(M::quilloryAppStoreSupportFolder().toLocalFile()).removeRecursively();
        QFile::remove(QDir(userSupport()).filePath(QStringLiteral("outside.txt")));
    }
    QString store() const { return QDir(userSupport()).filePath(M::kEarlierStoreIdentifier); }
    QString direct() const { return QDir(userSupport()).filePath(M::kEarlierDirectIdentifier); }
    QString container() const { return M::quilloryAppStoreSupportFolder().toLocalFile(); }
};

TEST_F(MigratorTest, WithNothingEarlierOnlyTheMarkerIsWrittenAndOnce)
{
    EXPECT_FALSE(M::hasMigrated());
    EXPECT_FALSE(M::migrateFromEarlierVersion()); // nothing was migrated
    EXPECT_TRUE(M::hasMigrated());
    EXPECT_EQ(filesBelow(ownSupport()), QStringList{QStringLiteral("_migrated")});
    EXPECT_TRUE(readFile(QDir(ownSupport()).filePath(QStringLiteral("_migrated"))).startsWith("migrated:"));
    EXPECT_TRUE(M::migrateFromEarlierVersion()); // done before
}

TEST_F(MigratorTest, CopiesCollectionsAndTemplatesFromEveryPlaceInOrder)
{
    makeCollection(QDir(store()).filePath(QStringLiteral("Symbol Libraries")), QStringLiteral("Maps"));
    makeCollection(QDir(direct()).filePath(QStringLiteral("Symbol Libraries")), QStringLiteral("Maps"));
    makeCollection(QDir(container()).filePath(QStringLiteral("Symbol Libraries")), QStringLiteral("Trees"));
    writeFile(QDir(direct()).filePath(QStringLiteral("Symbol Libraries/notes.txt")), "not a collection");
    // A link inside a collection brings nothing from elsewhere.
    writeFile(QDir(userSupport()).filePath(QStringLiteral("outside.txt")), "private");
    ASSERT_TRUE(QFile::link(QDir(userSupport()).filePath(QStringLiteral("outside.txt")),
                            QDir(container()).filePath(QStringLiteral("Symbol Libraries/Trees.symlibrary/link.txt"))));
    writeFile(QDir(direct()).filePath(QStringLiteral("My Templates/Poster.qlry/VN_Info.plist")), "poster");
    writeFile(QDir(container()).filePath(QStringLiteral("My Templates/Card.whatever")), "card");
    writeFile(QDir(container()).filePath(QStringLiteral("My Templates/.hidden")), "hidden");

    ASSERT_EQ(M::URLsOfCollectionsToMigrate().size(), 3);
    EXPECT_EQ(M::URLsOfCollectionsToMigrate().first().toLocalFile(), QDir(store()).filePath(QStringLiteral("Symbol Libraries")));
    EXPECT_EQ(M::URLsOfTemplatesToMigrate().size(), 2);
    EXPECT_TRUE(M::migrateFromEarlierVersion());

    // The second Maps takes the next free name, and its catalogue is renamed to match.
    const QStringList expected{
        QStringLiteral("My Templates/Migrated From Quillory 1/Card.whatever"),
        QStringLiteral("My Templates/Migrated From Quillory 1/Poster.qlry/VN_Info.plist"),
        QStringLiteral("Symbol Libraries/Maps 2.symlibrary/Maps 2.categories"),
        QStringLiteral("Symbol Libraries/Maps 2.symlibrary/Tree.libitem/item.plist"),
        QStringLiteral("Symbol Libraries/Maps.symlibrary/Maps.categories"),
        QStringLiteral("Symbol Libraries/Maps.symlibrary/Tree.libitem/item.plist"),
        QStringLiteral("Symbol Libraries/Trees.symlibrary/Tree.libitem/item.plist"),
        QStringLiteral("Symbol Libraries/Trees.symlibrary/Trees.categories"),
        QStringLiteral("_migrated")};
    EXPECT_EQ(filesBelow(ownSupport()), expected);
    EXPECT_EQ(readFile(QDir(ownSupport()).filePath(QStringLiteral("Symbol Libraries/Maps 2.symlibrary/Maps 2.categories"))),
              QByteArray("catalogue of Maps"));

    // Without the marker the next launch copies again, under numbered names.
    QFile::remove(QDir(ownSupport()).filePath(QStringLiteral("_migrated")));
    EXPECT_TRUE(M::migrateTemplate(QUrl::fromLocalFile(QDir(container()).filePath(QStringLiteral("My Templates/Card.whatever")))));
    EXPECT_TRUE(QFileInfo::exists(QDir(ownSupport()).filePath(QStringLiteral("My Templates/Migrated From Quillory 1/Card 2.whatever"))));
}

// A copy that fails part-way, or a catalogue that cannot be fixed, leaves nothing behind: no
// half collection, and none under a name that does not match its catalogue.
TEST_F(MigratorTest, ACollectionThatFailsHalfWayLeavesNothing)
{
    const QString earlier = QDir(direct()).filePath(QStringLiteral("Symbol Libraries"));
    makeCollection(earlier, QStringLiteral("Maps"));
    ASSERT_TRUE(M::migrateSymbolLibrary(QUrl::fromLocalFile(QDir(earlier).filePath(QStringLiteral("Maps.symlibrary")))));
    const QString libraries = QDir(ownSupport()).filePath(QStringLiteral("Symbol Libraries"));
    const QStringList before = filesBelow(libraries);

    // The second file of the copy cannot be written.
    {
        quillory::test::FileFaultInjector faults(libraries);
        faults.failCall(3, ENOSPC);
        EXPECT_FALSE(M::migrateSymbolLibrary(QUrl::fromLocalFile(QDir(earlier).filePath(QStringLiteral("Maps.symlibrary")))));
        EXPECT_TRUE(faults.hasFailed());
    }
    EXPECT_EQ(filesBelow(libraries), before);
    EXPECT_EQ(QDir(libraries).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("Maps.symlibrary")});

    // A collection without the catalogue its name promises cannot be renamed: not copied.
    QFile::remove(QDir(earlier).filePath(QStringLiteral("Maps.symlibrary/Maps.categories")));
    EXPECT_FALSE(M::migrateSymbolLibrary(QUrl::fromLocalFile(QDir(earlier).filePath(QStringLiteral("Maps.symlibrary")))));
    EXPECT_EQ(QDir(libraries).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("Maps.symlibrary")});
}

TEST_F(MigratorTest, WithoutASupportFolderNothingIsWrittenNotEvenTheMarker)
{
    makeCollection(QDir(direct()).filePath(QStringLiteral("Symbol Libraries")), QStringLiteral("Maps"));
    // A file where the support folder should be: it cannot be made.
    writeFile(ownSupport(), "in the way");
    EXPECT_TRUE(M::appSupportFolder().isEmpty());
    EXPECT_FALSE(M::migrateFromEarlierVersion());
    EXPECT_FALSE(M::hasMigrated());
    EXPECT_TRUE(QFileInfo(ownSupport()).isFile());
    EXPECT_EQ(readFile(ownSupport()), QByteArray("in the way"));
}

} // namespace
