// Saving a document package when any file call of the save fails, or when the saving process
// dies: the package on disk is always whole and opens, the old one unless the save said it
// succeeded.
#include "DocumentTestSupport.h"

#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "platform/foundation/FileWrapper.h"
#include "tests/support/FileFaultInjector.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <cerrno>

namespace {

using namespace quillory::test;

pf::Ref<RVCartavelDocument> documentWithShapes(int count)
{
    pf::Ref<RVCartavelDocument> document = newDocument();
    auto layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(
        document->drawing()->activeLayerOfClass(PWObjectDrawingLayer::staticClass()));
    EXPECT_TRUE(layer);
    for (int i = 0; i < count; ++i)
        layer->addObject(PWDrawableShape::drawableShapeWithRect(QRectF(i * 5, 0, 4, 4)));
    QCoreApplication::processEvents();
    return document;
}

// The number of objects of the package's drawing, or -1 when the package does not open.
int objectsInPackage(const QString& path)
{
    pf::Error error;
    const pf::Ref<pf::Document> opened =
        documentController().makeDocumentWithContentsOfURL(QUrl::fromLocalFile(path), RVCartavelDocument::kNativeType, &error);
    auto document = std::dynamic_pointer_cast<RVCartavelDocument>(opened);
    return document && document->drawing() ? int(document->drawing()->countOfObjects()) : -1;
}

// Every file of the package by its path inside, with its bytes.
QMap<QString, QByteArray> packageFiles(const QString& path)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(path, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        files.insert(QDir(path).relativeFilePath(file.fileName()), file.readAll());
    }
    return files;
}

class PackageSaveFaults : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }
    void TearDown() override { pf::FileWrapper::setRenameExchangeEnabledForTesting(true); }

    QStringList folderContents() const
    {
        return QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("Map.qlry"));
};

TEST_F(PackageSaveFaults, EachFailingFileCallOfASaveLeavesTheOldPackageWhole)
{
    const auto old = documentWithShapes(3);
    const auto edited = documentWithShapes(4);
    // With an exchanging rename, and where the file system has none (the old package is moved
    // aside, the new one in, and the old one back when that fails).
    for (bool exchange : {true, false}) {
        SCOPED_TRACE(exchange ? "exchanging rename" : "moving aside");
        pf::FileWrapper::setRenameExchangeEnabledForTesting(exchange);
        ASSERT_TRUE(saveDocument(*old, path));
        QMap<QString, QByteArray> oldFiles = packageFiles(path);
        ASSERT_EQ(objectsInPackage(path), 3);

        // Every call a save makes on the folder, in order; then each of them fails in turn.
        FileFaultInjector injector(folder.path());
        ASSERT_TRUE(saveDocument(*edited, path));
        const QStringList steps = injector.calls();
        for (const char* step : {"mkdir", "open", "write", "sync", "close", "rename"})
            ASSERT_TRUE(steps.contains(QLatin1String(step))) << step << " is not among " << qPrintable(steps.join(u' '));
        injector.reset();
        ASSERT_TRUE(saveDocument(*old, path));
        oldFiles = packageFiles(path);

        // Up to the rename that puts the new package in place, a lost folder, write, sync or
        // rename must fail the save; after it, syncing the parent folder is best effort.
        const qsizetype lastRename = steps.lastIndexOf(QStringLiteral("rename"));
        auto mustFailTheSave = [&](int step) {
            static const QStringList essential{QStringLiteral("mkdir"), QStringLiteral("write"), QStringLiteral("sync"),
                                               QStringLiteral("rename")};
            return step <= lastRename && essential.contains(steps[step]);
        };
        for (int step = 0; step < steps.size(); ++step) {
            SCOPED_TRACE(testing::Message() << "step " << step << " (" << qPrintable(steps[step]) << ")");
            for (int error : {EIO, ENOSPC}) {
                injector.failCall(step, error);
                pf::Error saveError;
                const bool saved = saveDocument(*edited, path, &saveError);
                ASSERT_TRUE(injector.hasFailed());
                injector.reset();
                if (saved) {
                    EXPECT_FALSE(mustFailTheSave(step)) << "a failing " << qPrintable(steps[step]) << " was reported as a save";
                    EXPECT_EQ(objectsInPackage(path), 4);
                    ASSERT_TRUE(saveDocument(*old, path));
                    oldFiles = packageFiles(path);
                } else {
                    EXPECT_FALSE(saveError.isNull());
                    EXPECT_EQ(packageFiles(path), oldFiles) << "the old package changed";
                    EXPECT_EQ(objectsInPackage(path), 3);
                }
                // Removing what the new package replaced may fail after it is in place: then the
                // old package is left beside it (and said so in the log), never a part of the new.
                const QStringList left = folderContents();
                if (step > lastRename) {
                    for (const QString& name : left) {
                        if (name != QStringLiteral("Map.qlry")) {
                            EXPECT_TRUE(QDir(folder.filePath(name)).removeRecursively());
                        }
                    }
                } else {
                    EXPECT_EQ(left, QStringList{QStringLiteral("Map.qlry")})
                        << "a temporary was left: " << qPrintable(left.join(u' '));
                }
            }
        }
    }
}

TEST_F(PackageSaveFaults, KillingASavingProcessAtAnyPointLeavesAWholePackage)
{
    // A package save writes several files, so even a small drawing gives kills many places to
    // land; each round starts a child, which is what takes the time.
    const int shapes = 500;
    QRandomGenerator random(20261210);
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        QProcess child;
        child.start(QStringLiteral(QUILLORY_PACKAGE_SAVE_CHILD), {path, QString::number(shapes)});
        QByteArray output;
        auto said = [&](const char* line) {
            output += child.readAllStandardOutput();
            return output.contains(line);
        };
        ASSERT_TRUE(waitUntil([&] { return said("ready"); }, 60000))
            << "the child never became ready: " << child.readAllStandardError().constData();
        // The first round lets one save finish, so that there is a package to keep whole.
        if (round == 0) {
            ASSERT_TRUE(waitUntil([&] { return said("saved"); }, 60000));
        }
        QThread::msleep(random.bounded(1, 200));
        ASSERT_EQ(child.state(), QProcess::Running) << child.readAllStandardError().constData();
        child.kill();
        ASSERT_TRUE(child.waitForFinished());
        const int objects = objectsInPackage(path);
        EXPECT_TRUE(objects == shapes || objects == shapes + 1) << "the package holds " << objects << " objects";
    }
}

} // namespace
