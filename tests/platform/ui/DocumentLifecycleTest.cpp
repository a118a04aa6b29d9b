// Documents through save, reopen, revert and autosave in a temporary folder, untitled names,
// the change count and what the document controller does with bad files.
#include "platform/foundation/FileWrapper.h"
#include "platform/foundation/UndoManager.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Document.h"
#include "platform/ui/DocumentController.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/PresentationHook.h"
#include "platform/ui/WindowController.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

namespace {

// A document whose contents are a line of text. "BAD" files do not read; contents "FAIL" do
// not write.
class TextDocument : public pf::Document {
    PF_CLASS(TextDocument)
public:
    QString text;
    QList<pf::DocumentChangeType> changes;
    bool inPlace = false;
    bool asynchronous = false;
    int writeDelayMs = 0;

    bool autosavesInPlace() const override { return inPlace; }
    bool canAsynchronouslyWriteToURL(const QUrl&, const QString&, pf::SaveOperation) const override
    {
        return asynchronous;
    }
    bool readFromData(const QByteArray& data, const QString& type, pf::Error* error) override
    {
        if (data.startsWith("BAD"))
            return pf::fail(error, pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorFileReadCorrupt,
                                                   QStringLiteral("unreadable")));
        text = QString::fromUtf8(data);
        return true;
    }
    QByteArray dataOfType(const QString& type, pf::Error* error) override
    {
        if (text == QStringLiteral("FAIL")) {
            pf::fail(error, pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorFileWrite, QStringLiteral("refused")));
            return {};
        }
        return text.toUtf8();
    }
    bool writeFileWrapper(const pf::FileWrapperRef& wrapper, const QUrl& url, const QString& type,
                          pf::SaveOperation operation, pf::Error* error) override
    {
        unblockUserInteraction();
        if (writeDelayMs)
            QThread::msleep(writeDelayMs);
        return wrapper->writeToPath(url.toLocalFile(), 0, error);
    }
    void updateChangeCount(pf::DocumentChangeType change) override
    {
        changes.append(change);
        Document::updateChangeCount(change);
    }
    QString windowNibName() const override { return QStringLiteral("TextDocumentWindow"); }
};

// Reads on a worker thread.
class ConcurrentTextDocument : public TextDocument {
    PF_CLASS(ConcurrentTextDocument)
public:
    bool canConcurrentlyReadDocumentsOfType(const QString&) const override { return true; }
};

} // namespace

PF_DEFINE_CLASS(TextDocument, pf::Document) {}
PF_DEFINE_CLASS(ConcurrentTextDocument, TextDocument) {}

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void write(const QString& path, const QByteArray& data)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}

// Presses the alert button titled `title` whenever an alert comes up.
void answerAlertsWith(const QString& title)
{
    pf::PresentationHook::set([title](QWidget* dialog) {
        for (auto* button : dialog->findChildren<QAbstractButton*>()) {
            if (button->text() == title) {
                button->click();
                return;
            }
        }
        dialog->close();
    });
}

class DocumentLifecycleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        controller = std::make_shared<pf::DocumentController>();
        ASSERT_EQ(pf::DocumentController::shared(), controller.get());
        controller->registerDocumentType({QStringLiteral("Text"), {QStringLiteral("qtxt")},
                                          pf::DocumentTypeRole::Editor, QStringLiteral("TextDocument"), false});
        controller->registerDocumentType({QStringLiteral("Import"), {QStringLiteral("qimp")},
                                          pf::DocumentTypeRole::Viewer, QStringLiteral("TextDocument"), false});
        controller->registerDocumentType({QStringLiteral("Slow"), {QStringLiteral("qslow")},
                                          pf::DocumentTypeRole::Editor, QStringLiteral("ConcurrentTextDocument"), false});
        pf::WindowController::registerWindowNib(QStringLiteral("TextDocumentWindow"),
                                                [](pf::WindowController&) { return new QMainWindow; });
        // Any alert nobody expected is dismissed, so no test waits for a person.
        answerAlertsWith(QStringLiteral("OK"));
    }
    void TearDown() override
    {
        pf::PresentationHook::clear();
        pf::WindowController::registerWindowNib(QStringLiteral("TextDocumentWindow"), nullptr);
    }

    QString path(const QString& name) const { return folder.filePath(name); }
    QUrl url(const QString& name) const { return QUrl::fromLocalFile(path(name)); }

    pf::Ref<TextDocument> untitled()
    {
        pf::Error error;
        auto document = std::dynamic_pointer_cast<TextDocument>(controller->makeUntitledDocumentOfType(QStringLiteral("Text"), &error));
        EXPECT_TRUE(document) << qPrintable(error.description());
        controller->addDocument(document);
        return document;
    }

    // Saves and waits for the answer.
    bool save(pf::Document& document, const QUrl& to, const QString& type, pf::SaveOperation operation,
              pf::Error* error = nullptr)
    {
        bool finished = false, ok = false;
        document.saveToURL(to, type, operation, [&](bool result, const pf::Error& e) {
            finished = true;
            ok = result;
            if (error)
                *error = e;
        });
        EXPECT_TRUE(quillory::test::waitUntil([&] { return finished; }));
        return ok;
    }

    struct Opened {
        pf::Ref<pf::Document> document;
        bool wasOpen = false;
        pf::Error error;
    };
    Opened open(const QUrl& url, bool display = false)
    {
        Opened result;
        bool finished = false;
        controller->openDocumentWithContentsOfURL(url, display, [&](const pf::Ref<pf::Document>& d, bool wasOpen, const pf::Error& e) {
            result = {d, wasOpen, e};
            finished = true;
        });
        EXPECT_TRUE(quillory::test::waitUntil([&] { return finished; }));
        return result;
    }

    QTemporaryDir folder;
    pf::Ref<pf::DocumentController> controller;
};

TEST_F(DocumentLifecycleTest, SaveReopenRevertRoundTrip)
{
    auto document = untitled();
    document->text = QStringLiteral("first");
    document->updateChangeCount(pf::DocumentChangeType::Done);
    ASSERT_TRUE(document->isDocumentEdited());

    ASSERT_TRUE(save(*document, url("note.qtxt"), QStringLiteral("Text"), pf::SaveOperation::Save));
    EXPECT_EQ(contents(path("note.qtxt")), QByteArray("first"));
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_EQ(document->fileURL(), url("note.qtxt"));
    EXPECT_EQ(document->displayName(), QStringLiteral("note"));
    EXPECT_EQ(document->changes.last(), pf::DocumentChangeType::Cleared);

    // Opening the same file again brings up the open document.
    Opened again = open(url("note.qtxt"));
    EXPECT_TRUE(again.wasOpen);
    EXPECT_EQ(again.document.get(), document.get());

    // A fresh document reads what was written.
    ASSERT_TRUE(QFile::copy(path("note.qtxt"), path("copy.qtxt")));
    Opened copy = open(url("copy.qtxt"));
    ASSERT_TRUE(copy.document) << qPrintable(copy.error.description());
    EXPECT_FALSE(copy.wasOpen);
    EXPECT_EQ(std::static_pointer_cast<TextDocument>(copy.document)->text, QStringLiteral("first"));
    EXPECT_EQ(copy.document->fileType(), QStringLiteral("Text"));
    EXPECT_TRUE(controller->documents().contains(copy.document));

    // Revert brings back the file's contents and clears the edits.
    document->text = QStringLiteral("edited");
    document->updateChangeCount(pf::DocumentChangeType::Done);
    pf::Error error;
    ASSERT_TRUE(document->revertToContentsOfURL(document->fileURL(), document->fileType(), &error));
    EXPECT_EQ(document->text, QStringLiteral("first"));
    EXPECT_FALSE(document->isDocumentEdited());
}

TEST_F(DocumentLifecycleTest, RevertThatCannotReadKeepsTheContents)
{
    auto document = untitled();
    document->text = QStringLiteral("kept");
    ASSERT_TRUE(save(*document, url("r.qtxt"), QStringLiteral("Text"), pf::SaveOperation::Save));
    document->text = QStringLiteral("edited");
    document->updateChangeCount(pf::DocumentChangeType::Done);
    write(path("r.qtxt"), "BAD data");

    pf::Error error;
    EXPECT_FALSE(document->revertToContentsOfURL(document->fileURL(), document->fileType(), &error));
    EXPECT_FALSE(error.isNull());
    EXPECT_EQ(document->text, QStringLiteral("edited"));
    EXPECT_TRUE(document->isDocumentEdited());
}

TEST_F(DocumentLifecycleTest, FailedSavesKeepTheOldFileAndTheEditedState)
{
    auto document = untitled();
    document->text = QStringLiteral("original");
    ASSERT_TRUE(save(*document, url("s.qtxt"), QStringLiteral("Text"), pf::SaveOperation::Save));

    document->text = QStringLiteral("FAIL");
    document->updateChangeCount(pf::DocumentChangeType::Done);
    pf::Error error;
    EXPECT_FALSE(save(*document, url("s.qtxt"), QStringLiteral("Text"), pf::SaveOperation::Save, &error));
    EXPECT_FALSE(error.isNull());
    EXPECT_EQ(contents(path("s.qtxt")), QByteArray("original"));
    EXPECT_TRUE(document->isDocumentEdited());

    document->text = QStringLiteral("fine");
    EXPECT_FALSE(save(*document, QUrl::fromLocalFile(path("no/such/folder/s.qtxt")), QStringLiteral("Text"),
                      pf::SaveOperation::SaveAs, &error));
    EXPECT_EQ(document->fileURL(), url("s.qtxt")) << "a failed Save As keeps the document's file";
    EXPECT_TRUE(document->isDocumentEdited());
}

TEST_F(DocumentLifecycleTest, SaveToWritesACopyAndChangesNothing)
{
    auto document = untitled();
    document->text = QStringLiteral("copy me");
    document->updateChangeCount(pf::DocumentChangeType::Done);
    ASSERT_TRUE(save(*document, url("export.qtxt"), QStringLiteral("Text"), pf::SaveOperation::SaveTo));
    EXPECT_EQ(contents(path("export.qtxt")), QByteArray("copy me"));
    EXPECT_TRUE(document->isUntitled());
    EXPECT_TRUE(document->isDocumentEdited());
}

// Autosaving in place writes the edits into the file, yet the document stays edited until the
// user saves, and the version the user saved is kept for Revert to Saved.
TEST_F(DocumentLifecycleTest, AutosaveInPlaceKeepsTheUsersVersionUntilTheUserSaves)
{
    auto document = untitled();
    document->inPlace = true;
    document->text = QStringLiteral("v1");
    ASSERT_TRUE(save(*document, url("a.qtxt"), QStringLiteral("Text"), pf::SaveOperation::Save));
    auto autosave = [&] {
        bool done = false;
        document->autosaveWithImplicitCancellability(true, [&](bool ok, const pf::Error&) { done = ok; });
        return quillory::test::waitUntil([&] { return done; });
    };
    document->text = QStringLiteral("v2");
    document->updateChangeCount(pf::DocumentChangeType::Done);
    ASSERT_TRUE(document->hasUnautosavedChanges());
    document->changes.clear();

    ASSERT_TRUE(autosave());
    EXPECT_EQ(contents(path("a.qtxt")), QByteArray("v2"));
    EXPECT_EQ(document->changes, QList<pf::DocumentChangeType>{pf::DocumentChangeType::Autosaved});
    EXPECT_TRUE(document->isDocumentEdited()) << "only the user's save clears the edited mark";
    EXPECT_FALSE(document->hasUnautosavedChanges());
    const QString kept = document->savedVersionURL().toLocalFile();
    EXPECT_EQ(contents(kept), QByteArray("v1"));
    auto revert = pf::MenuItem::make(QStringLiteral("Revert"), QStringLiteral("revertDocumentToSaved:"));
    EXPECT_TRUE(document->validateMenuItem(*revert));

    // A later autosave keeps the user's version, not the first autosave's.
    document->text = QStringLiteral("v3");
    document->updateChangeCount(pf::DocumentChangeType::Done);
    ASSERT_TRUE(autosave());
    EXPECT_EQ(contents(path("a.qtxt")), QByteArray("v3"));
    EXPECT_EQ(contents(document->savedVersionURL().toLocalFile()), QByteArray("v1"));

    // Revert to Saved brings the user's version back, in memory and in the file.
    pf::Error error;
    ASSERT_TRUE(document->revertToSavedVersion(&error)) << qPrintable(error.description());
    EXPECT_EQ(document->text, QStringLiteral("v1"));
    EXPECT_EQ(contents(path("a.qtxt")), QByteArray("v1"));
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_TRUE(document->savedVersionURL().isEmpty());
    EXPECT_FALSE(QFile::exists(kept));
    EXPECT_FALSE(document->validateMenuItem(*revert));

    // The user's save makes the file the saved version: nothing is kept any more.
    document->text = QStringLiteral("v4");
    document->updateChangeCount(pf::DocumentChangeType::Done);
    ASSERT_TRUE(autosave());
    const QString keptAgain = document->savedVersionURL().toLocalFile();
    EXPECT_EQ(contents(keptAgain), QByteArray("v1"));
    ASSERT_TRUE(save(*document, url("a.qtxt"), QStringLiteral("Text"), pf::SaveOperation::Save));
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_TRUE(document->savedVersionURL().isEmpty());
    EXPECT_FALSE(QFile::exists(keptAgain));
}

// A kept version that no longer reads leaves the autosaved file and the contents alone.
TEST_F(DocumentLifecycleTest, RevertToAnUnreadableSavedVersionChangesNothing)
{
    auto document = untitled();
    document->inPlace = true;
    document->text = QStringLiteral("v1");
    ASSERT_TRUE(save(*document, url("b.qtxt"), QStringLiteral("Text"), pf::SaveOperation::Save));
    document->text = QStringLiteral("v2");
    document->updateChangeCount(pf::DocumentChangeType::Done);
    bool done = false;
    document->autosaveWithImplicitCancellability(true, [&](bool ok, const pf::Error&) { done = ok; });
    ASSERT_TRUE(quillory::test::waitUntil([&] { return done; }));
    write(document->savedVersionURL().toLocalFile(), "BAD version");

    pf::Error error;
    EXPECT_FALSE(document->revertToSavedVersion(&error));
    EXPECT_FALSE(error.isNull());
    EXPECT_EQ(document->text, QStringLiteral("v2"));
    EXPECT_EQ(contents(path("b.qtxt")), QByteArray("v2"));
    EXPECT_TRUE(document->isDocumentEdited());

    // Closing gives the kept version up.
    const QString kept = document->savedVersionURL().toLocalFile();
    document->close();
    EXPECT_FALSE(QFile::exists(kept));
}

TEST_F(DocumentLifecycleTest, AutosaveNeverOverwritesAFileOfAnotherFormat)
{
    write(path("picture.qimp"), "imported");
    Opened opened = open(url("picture.qimp"));
    ASSERT_TRUE(opened.document) << qPrintable(opened.error.description());
    auto document = std::static_pointer_cast<TextDocument>(opened.document);
    document->inPlace = true;
    document->text = QStringLiteral("changed");
    document->updateChangeCount(pf::DocumentChangeType::Done);

    bool done = false;
    document->autosaveWithImplicitCancellability(true, [&](bool ok, const pf::Error&) { done = ok; });
    ASSERT_TRUE(quillory::test::waitUntil([&] { return done; }));
    EXPECT_EQ(contents(path("picture.qimp")), QByteArray("imported"));
    const QString side = document->autosavedContentsFileURL().toLocalFile();
    EXPECT_TRUE(side.contains(QStringLiteral("Autosave Information"))) << qPrintable(side);
    EXPECT_TRUE(side.endsWith(QStringLiteral(".qtxt")));
    EXPECT_EQ(contents(side), QByteArray("changed"));
    EXPECT_TRUE(document->isDocumentEdited()) << "the real file still lacks the changes";
    EXPECT_FALSE(document->hasUnautosavedChanges());

    // Closing gives the side file up.
    document->close();
    EXPECT_FALSE(QFile::exists(side));
}

TEST_F(DocumentLifecycleTest, AsynchronousSaveKeepsEditsMadeDuringTheWrite)
{
    auto document = untitled();
    document->asynchronous = true;
    document->writeDelayMs = 150;
    document->text = QStringLiteral("snapshot");
    document->updateChangeCount(pf::DocumentChangeType::Done);

    bool finished = false;
    document->saveToURL(url("async.qtxt"), QStringLiteral("Text"), pf::SaveOperation::Save,
                        [&](bool ok, const pf::Error&) { finished = ok; });
    // Interaction is back before the write ends; an edit made now stays unsaved.
    EXPECT_TRUE(document->isSaving());
    document->text = QStringLiteral("later");
    document->updateChangeCount(pf::DocumentChangeType::Done);
    ASSERT_TRUE(quillory::test::waitUntil([&] { return finished; }));
    EXPECT_EQ(contents(path("async.qtxt")), QByteArray("snapshot"));
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_EQ(document->changeCount(), 1);
}

TEST_F(DocumentLifecycleTest, ChangeCountFollowsUndoAndRedo)
{
    auto document = untitled();
    pf::UndoManager* undo = document->undoManager();
    ASSERT_NE(undo, nullptr);
    // An edit whose undo registers its own redo, and so on.
    std::function<void()> toggle = [&] { undo->registerUndo(document.get(), toggle); };
    undo->beginUndoGrouping();
    toggle();
    undo->endUndoGrouping();
    EXPECT_EQ(document->changeCount(), 1);
    undo->undo();
    EXPECT_EQ(document->changeCount(), 0);
    EXPECT_FALSE(document->isDocumentEdited());
    undo->redo();
    EXPECT_EQ(document->changeCount(), 1);
    EXPECT_EQ(document->changes, (QList<pf::DocumentChangeType>{pf::DocumentChangeType::Done,
                                                               pf::DocumentChangeType::Undone,
                                                               pf::DocumentChangeType::Redone}));
    // Undoing past the saved state is an edit too.
    document->updateChangeCount(pf::DocumentChangeType::Cleared);
    undo->undo();
    EXPECT_TRUE(document->isDocumentEdited());
}

TEST_F(DocumentLifecycleTest, UntitledDocumentsAreNumberedWithTheLowestFreeNumber)
{
    auto a = untitled(), b = untitled(), c = untitled();
    EXPECT_EQ(a->displayName(), QStringLiteral("Untitled"));
    EXPECT_EQ(b->displayName(), QStringLiteral("Untitled 2"));
    EXPECT_EQ(c->displayName(), QStringLiteral("Untitled 3"));
    b->close();
    auto d = untitled();
    EXPECT_EQ(d->displayName(), QStringLiteral("Untitled 2"));
    EXPECT_FALSE(controller->documents().contains(b));
}

TEST_F(DocumentLifecycleTest, OpeningFailuresMakeNoDocumentAndNoWindow)
{
    write(path("unknown.xyz"), "data");
    write(path("broken.qtxt"), "BAD");
    const struct {
        const char* name;
        int code;
    } cases[] = {
        {"unknown.xyz", pf::kErrorFileReadCorrupt},
        {"vanished.qtxt", pf::kErrorFileNotFound},
        {"broken.qtxt", pf::kErrorFileReadCorrupt},
    };
    const int windowsBefore = QApplication::topLevelWidgets().size();
    for (const auto& c : cases) {
        Opened opened = open(url(QString::fromLatin1(c.name)), true);
        EXPECT_FALSE(opened.document) << c.name;
        EXPECT_EQ(opened.error.code(), c.code) << c.name;
        EXPECT_FALSE(opened.error.localizedDescription().isEmpty());
    }
    EXPECT_TRUE(controller->documents().isEmpty());
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windowsBefore);
}

TEST_F(DocumentLifecycleTest, ConcurrentReadingAndDisplay)
{
    write(path("slow.qslow"), "from a worker");
    Opened opened = open(url("slow.qslow"), true);
    ASSERT_TRUE(opened.document) << qPrintable(opened.error.description());
    EXPECT_EQ(std::static_pointer_cast<TextDocument>(opened.document)->text, QStringLiteral("from a worker"));
    ASSERT_EQ(opened.document->windowControllers().size(), 1);
    QWidget* window = opened.document->windowForSheet();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("slow[*]"));
    EXPECT_EQ(controller->documentForWindow(window), opened.document.get());
    EXPECT_TRUE(controller->recentDocumentURLs().contains(url("slow.qslow")));

    // The title marks edits.
    opened.document->updateChangeCount(pf::DocumentChangeType::Done);
    EXPECT_TRUE(window->isWindowModified());
    opened.document->updateChangeCount(pf::DocumentChangeType::Cleared);
    EXPECT_FALSE(window->isWindowModified());
    opened.document->close();
}

TEST_F(DocumentLifecycleTest, ClosingAnEditedUntitledDocumentAsks)
{
    auto document = untitled();
    document->updateChangeCount(pf::DocumentChangeType::Done);
    const struct {
        const char* button;
        bool closes;
    } cases[] = {{"Cancel", false}, {"Don't Save", true}};
    for (const auto& c : cases) {
        answerAlertsWith(QString::fromLatin1(c.button));
        std::optional<bool> answer;
        document->canCloseDocument([&](bool shouldClose) { answer = shouldClose; });
        ASSERT_TRUE(quillory::test::waitUntil([&] { return answer.has_value(); })) << c.button;
        EXPECT_EQ(*answer, c.closes) << c.button;
    }
}

TEST_F(DocumentLifecycleTest, ClosingAnEditedDocumentThatAutosavesInPlaceSavesSilently)
{
    auto document = untitled();
    document->inPlace = true;
    ASSERT_TRUE(save(*document, url("quiet.qtxt"), QStringLiteral("Text"), pf::SaveOperation::Save));
    document->text = QStringLiteral("unsaved");
    document->updateChangeCount(pf::DocumentChangeType::Done);
    pf::PresentationHook::set([](QWidget*) { ADD_FAILURE() << "no alert expected"; });
    std::optional<bool> answer;
    document->canCloseDocument([&](bool shouldClose) { answer = shouldClose; });
    ASSERT_TRUE(quillory::test::waitUntil([&] { return answer.has_value(); }));
    EXPECT_TRUE(*answer);
    EXPECT_EQ(contents(path("quiet.qtxt")), QByteArray("unsaved"));
}

TEST_F(DocumentLifecycleTest, ClosingTheLastWindowClosesTheDocument)
{
    auto document = untitled();
    document->makeWindowControllers();
    document->showWindows();
    QPointer<QWidget> window = document->windowForSheet();
    ASSERT_TRUE(window);
    window->close();
    EXPECT_TRUE(controller->documents().isEmpty());
    EXPECT_TRUE(quillory::test::waitUntil([&] { return window.isNull(); }));
}

TEST_F(DocumentLifecycleTest, TypesFromInformationDictionary)
{
    pf::DocumentController other;
    other.registerDocumentTypes({{QStringLiteral("CFBundleDocumentTypes"),
                                  QVariantList{QVariantMap{{QStringLiteral("CFBundleTypeName"), QStringLiteral("Quil")},
                                                           {QStringLiteral("CFBundleTypeExtensions"), QStringList{QStringLiteral(".QLRY")}},
                                                           {QStringLiteral("CFBundleTypeRole"), QStringLiteral("Editor")},
                                                           {QStringLiteral("NSDocumentClass"), QStringLiteral("TextDocument")},
                                                           {QStringLiteral("LSTypeIsPackage"), true}},
                                               QVariantMap{{QStringLiteral("CFBundleTypeName"), QStringLiteral("Image")},
                                                           {QStringLiteral("CFBundleTypeExtensions"), QStringList{QStringLiteral("png")}},
                                                           {QStringLiteral("CFBundleTypeRole"), QStringLiteral("Viewer")}},
                                               QVariantMap{{QStringLiteral("CFBundleTypeExtensions"), QStringList{QStringLiteral("nameless")}}}}}});
    ASSERT_EQ(other.documentTypes().size(), 2);
    EXPECT_EQ(other.typeFromFileExtension(QStringLiteral("qlry")), QStringLiteral("Quil"));
    EXPECT_TRUE(other.documentType(QStringLiteral("Quil"))->isPackage);
    EXPECT_EQ(other.defaultType(), QStringLiteral("Quil"));
    EXPECT_EQ(other.writableTypes(), QStringList{QStringLiteral("Quil")});
    EXPECT_EQ(other.readableTypes().size(), 2);

    // A plain file with a package type's extension is that type: its reader judges it.
    QDir().mkpath(path("pkg.qlry"));
    write(path("flat.qlry"), "x");
    pf::Error error;
    EXPECT_EQ(other.typeForContentsOfURL(url("pkg.qlry"), &error), QStringLiteral("Quil"));
    EXPECT_EQ(other.typeForContentsOfURL(url("flat.qlry"), &error), QStringLiteral("Quil"));
    EXPECT_NE(pf::DocumentController::shared(), &other) << "the first controller stays the shared one";
}

} // namespace
