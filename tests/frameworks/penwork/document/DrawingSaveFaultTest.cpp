// Saving a drawing file when any step of the write fails, or when the saving process dies: the
// file on disk is always a whole drawing, the old one unless the save said it succeeded.
#include "frameworks/penwork/archiving/PWDrawingArchiving.h"
#include "frameworks/penwork/document/PWDrawingDocument.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/foundation/AtomicFile.h"
#include "tests/support/FileFaultInjector.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <cerrno>

namespace {

pf::Ref<PWDrawingDocument> documentWithShapes(int count)
{
    auto document = std::make_shared<PWDrawingDocument>();
    pf::Error error;
    EXPECT_TRUE(document->initWithType(kPWDrawingDocumentType, &error));
    const pf::Ref<PWDrawing> drawing = document->drawing();
    drawing->undoManager()->disableUndoRegistration();
    auto layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(drawing->activeLayer());
    for (int i = 0; i < count; ++i)
        layer->addObject(PWDrawableShape::drawableShapeWithRect(QRectF(i * 5, 0, 4, 4)));
    drawing->undoManager()->enableUndoRegistration();
    return document;
}

// The number of objects of the drawing in the file, or -1 when it is not a whole drawing.
int objectsInFile(const QString& path)
{
    const QByteArray data = pf::readData(path);
    const pf::Ref<PWDrawing> drawing = data.isNull() ? nullptr : PWDrawingArchiving::drawingWithData(data);
    return drawing ? drawing->countOfObjects() : -1;
}

class DrawingSaveFaults : public testing::Test {
protected:
    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("Map.qdrw"));

    bool save(PWDrawingDocument& document, pf::Error* error = nullptr)
    {
        bool finished = false;
        bool ok = false;
        document.saveToURL(QUrl::fromLocalFile(path), kPWDrawingDocumentType, pf::SaveOperation::Save,
                           [&](bool result, const pf::Error& e) {
                               finished = true;
                               ok = result;
                               if (error)
                                   *error = e;
                           });
        EXPECT_TRUE(quillory::test::waitUntil([&] { return finished; }));
        return ok;
    }

    QStringList folderContents() const { return QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden); }
};

TEST_F(DrawingSaveFaults, EachFailingStepOfASaveLeavesTheOldFileAsItWas)
{
    ASSERT_TRUE(folder.isValid());
    const auto old = documentWithShapes(3);
    const auto edited = documentWithShapes(4);
    ASSERT_TRUE(save(*old));
    const QByteArray oldBytes = pf::readData(path);
    ASSERT_EQ(objectsInFile(path), 3);

    // Every call a save makes on the folder, in order; then each of them fails in turn.
    quillory::test::FileFaultInjector injector(folder.path());
    ASSERT_TRUE(save(*edited));
    const QStringList steps = injector.calls();
    for (const char* step : {"open", "write", "sync", "close", "rename"})
        ASSERT_TRUE(steps.contains(QLatin1String(step))) << step << " is not among " << qPrintable(steps.join(u' '));
    injector.reset();
    ASSERT_TRUE(save(*old));
    ASSERT_EQ(pf::readData(path), oldBytes);

    // Once the data is synced a later sync may fail harmlessly; the first may not.
    const qsizetype firstSync = steps.indexOf(QStringLiteral("sync"));
    auto mustFailTheSave = [&](int step) {
        return step == firstSync
            || QStringList{QStringLiteral("open"), QStringLiteral("write"), QStringLiteral("rename")}.contains(steps[step]);
    };
    for (int step = 0; step < steps.size(); ++step) {
        SCOPED_TRACE(testing::Message() << "step " << step << " (" << qPrintable(steps[step]) << ")");
        for (int error : {EIO, ENOSPC}) {
            injector.failCall(step, error);
            pf::Error saveError;
            const bool saved = save(*edited, &saveError);
            ASSERT_TRUE(injector.hasFailed());
            injector.reset();
            // A save may get round some failures (another temporary name, a close after the
            // data is synced) but never round a lost write or sync; one that says it succeeded
            // has the new drawing whole on disk.
            if (saved) {
                EXPECT_FALSE(mustFailTheSave(step)) << "a failing " << qPrintable(steps[step]) << " was reported as a save";
                EXPECT_EQ(objectsInFile(path), 4);
                ASSERT_TRUE(save(*old));
            } else {
                EXPECT_FALSE(saveError.isNull());
                EXPECT_EQ(pf::readData(path), oldBytes) << "the old file changed";
            }
            EXPECT_EQ(folderContents(), QStringList{QStringLiteral("Map.qdrw")})
                << "a temporary was left: " << qPrintable(folderContents().join(u' '));
        }
    }
}

TEST_F(DrawingSaveFaults, KillingASavingProcessAtAnyPointLeavesAWholeDrawing)
{
    ASSERT_TRUE(folder.isValid());
    const int shapes = 3000; // big enough for a save to take a while, so kills land inside one
    QRandomGenerator random(20261210);
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        QProcess child;
        child.start(QStringLiteral(QUILLORY_DRAWING_SAVE_CHILD), {path, QString::number(shapes)});
        QByteArray output;
        auto said = [&](const char* line) {
            output += child.readAllStandardOutput();
            return output.contains(line);
        };
        ASSERT_TRUE(quillory::test::waitUntil([&] { return said("ready"); }, 60000))
            << "the child never became ready: " << child.readAllStandardError().constData();
        // The first round lets one save finish, so that there is a file to keep whole.
        if (round == 0)
            ASSERT_TRUE(quillory::test::waitUntil([&] { return said("saved"); }, 60000));
        QThread::msleep(random.bounded(1, 200));
        ASSERT_EQ(child.state(), QProcess::Running) << child.readAllStandardError().constData();
        child.kill();
        ASSERT_TRUE(child.waitForFinished());
        const int objects = objectsInFile(path);
        EXPECT_TRUE(objects == shapes || objects == shapes + 1) << "the file holds " << objects << " objects";
    }
}

} // namespace
