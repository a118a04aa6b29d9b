#include "platform/ui/Workspace.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

using namespace pf;

namespace {

// Catches what would go to the desktop's handlers.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher() { QDesktopServices::setUrlHandler("file", this, "open"); }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler("file"); }
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

QString makeFile(const QString& name)
{
    const QString path = QDir(quillory::test::homeFolder()).filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("x");
    return path;
}

} // namespace

TEST(WorkspaceTrash, TrashesWhatItCanAndReportsTheRest)
{
    const QString a = makeFile("trash-me/a.txt");
    const QString b = makeFile("trash-me/b.txt");
    const QUrl missing = QUrl::fromLocalFile(QDir(quillory::test::homeFolder()).filePath("trash-me/missing.txt"));
    QMap<QUrl, QUrl> moved;
    Error error;
    bool done = false;
    Workspace::shared().recycleURLs({QUrl::fromLocalFile(a), missing, QUrl::fromLocalFile(b)},
                                    [&](const QMap<QUrl, QUrl>& urls, const Error& e) {
                                        moved = urls;
                                        error = e;
                                        done = true;
                                    });
    EXPECT_FALSE(done); // the completion comes from the event loop
    ASSERT_TRUE(quillory::test::waitUntil([&] { return done; }));
    EXPECT_EQ(moved.size(), 2);
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_FALSE(QFile::exists(b));
    const QString inTrash = moved.value(QUrl::fromLocalFile(a)).toLocalFile();
    EXPECT_TRUE(QFile::exists(inTrash));
    // The trash of the (temporary) home, with the record the freedesktop trash keeps.
    EXPECT_TRUE(inTrash.startsWith(quillory::test::homeFolder())) << inTrash.toStdString();
    EXPECT_TRUE(inTrash.startsWith(qEnvironmentVariable("XDG_DATA_HOME") + "/Trash/files/")) << inTrash.toStdString();
    EXPECT_TRUE(QFile::exists(QString(inTrash).replace("/Trash/files/", "/Trash/info/") + ".trashinfo"));
    EXPECT_FALSE(error.isNull());
    EXPECT_EQ(error.userInfo().value(kWorkspaceFailedURLsKey).toList(), QVariantList{missing});
}

TEST(WorkspaceReveal, WithoutAFileManagerTheContainingFoldersOpen)
{
    UrlCatcher catcher;
    Workspace::shared().setUsesFileManagerService(false);
    const QString a = makeFile("reveal/one/a.svg");
    const QString b = makeFile("reveal/one/b.svg");
    const QString c = makeFile("reveal/two/c.svg");
    EXPECT_TRUE(Workspace::shared().activateFileViewerSelectingURLs(
        {QUrl::fromLocalFile(a), QUrl::fromLocalFile(b), QUrl::fromLocalFile(c)}));
    EXPECT_EQ(catcher.opened, (QList<QUrl>{QUrl::fromLocalFile(QFileInfo(a).absolutePath()),
                                           QUrl::fromLocalFile(QFileInfo(c).absolutePath())}));
    catcher.opened.clear();
    EXPECT_TRUE(Workspace::shared().selectFile({}, QFileInfo(c).absolutePath()));
    EXPECT_EQ(catcher.opened, QList<QUrl>{QUrl::fromLocalFile(QFileInfo(c).absolutePath())});
    EXPECT_FALSE(Workspace::shared().activateFileViewerSelectingURLs({QUrl("https://example.org")}));
    Workspace::shared().setUsesFileManagerService(true);
}

TEST(WorkspaceMisc, LaunchingNeedsAProgramAndTheUserHasAName)
{
    Error error;
    EXPECT_FALSE(Workspace::shared().launchApplication(makeFile("not-a-program.txt"), {}, &error));
    EXPECT_FALSE(error.isNull());
    EXPECT_FALSE(Workspace::fullUserName().isEmpty());
    EXPECT_FALSE(Workspace::shared().iconForFileType("fldr").isNull() && Workspace::shared().iconForFile(quillory::test::homeFolder()).isNull());
}

#include "WorkspaceServicesTest.moc"
