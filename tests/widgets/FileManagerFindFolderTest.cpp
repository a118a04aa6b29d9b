#include "widgets/FileManager+FindFolder.h"

#include "platform/foundation/Exception.h"
#include "platform/ui/Bundle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST(FindFolder, TheSupportFolderIsMadeOnAFreshAccount)
{
    const QUrl folder = thisApplicationsSupportFolderURL();
    ASSERT_FALSE(folder.isEmpty());
    EXPECT_TRUE(QDir::isAbsolutePath(folder.toLocalFile()));
    EXPECT_TRUE(QFileInfo(folder.toLocalFile()).isDir());
    EXPECT_EQ(QFileInfo(folder.toLocalFile()).fileName(), pf::Bundle::main().bundleIdentifier());
}

TEST(FindFolder, ADirectoryMeansADirectory)
{
    QTemporaryDir root;
    const QString file = QDir(root.path()).filePath(QStringLiteral("plain"));
    touch(file);
    EXPECT_FALSE(createDirectoryIfNeeded(QUrl::fromLocalFile(file)));
    EXPECT_TRUE(createDirectoryIfNeeded(QUrl::fromLocalFile(QDir(root.path()).filePath(QStringLiteral("a/b/c")))));
    EXPECT_FALSE(createDirectoryIfNeeded(QUrl()));
}

TEST(FindFolder, UniqueNames)
{
    QTemporaryDir root;
    touch(QDir(root.path()).filePath(QStringLiteral("a.png")));
    touch(QDir(root.path()).filePath(QStringLiteral("a 1.png")));
    EXPECT_EQ(uniqueFilenameForFilename(QStringLiteral("a.png"), root.path()), QStringLiteral("a 2.png"));
    EXPECT_EQ(uniqueFilenameForFilename(QStringLiteral("b.png"), root.path()), QStringLiteral("b.png"));
    touch(QDir(root.path()).filePath(QStringLiteral("notes")));
    EXPECT_EQ(uniqueFilenameForFilename(QStringLiteral("notes"), root.path()), QStringLiteral("notes 1"));
}

TEST(FindFolder, UniqueFilesAreClaimedOnce)
{
    QTemporaryDir root;
    const QString first = writeContentsToUniqueFile("one", QStringLiteral("c.txt"), root.path());
    const QString second = writeContentsToUniqueFile("two", QStringLiteral("c.txt"), root.path());
    EXPECT_EQ(QFileInfo(first).fileName(), QStringLiteral("c.txt"));
    EXPECT_EQ(QFileInfo(second).fileName(), QStringLiteral("c 1.txt"));
    QFile file(first);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("one")) << "the first file is never written over";
    EXPECT_THROW(writeContentsToUniqueFile("x", QStringLiteral("d"), QDir(root.path()).filePath(QStringLiteral("missing"))),
                 pf::Exception);
    for (int i = 0; i < 999; ++i)
        touch(QDir(root.path()).filePath(i == 0 ? QStringLiteral("e") : QStringLiteral("e %1").arg(i)));
    EXPECT_THROW(uniqueFilenameForFilename(QStringLiteral("e"), root.path()), pf::Exception);
}

} // namespace
