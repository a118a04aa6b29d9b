#include "platform/ui/Document.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Application.h"
#include "platform/ui/DocumentController.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/PageLayout.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/PrintOperation.h"
#include "platform/ui/SavePanel.h"
#include "platform/ui/Sheet.h"
#include "platform/ui/WindowController.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QThreadPool>
#include <QUuid>
#include <QTimer>
#include <QWidget>

#include <atomic>

PF_DEFINE_CLASS_NAMED(pf::Document, pf::Object, "pf::Document")
{
    b.method("saveDocument:", &pf::Document::saveDocument);
    b.method("saveDocumentAs:", &pf::Document::saveDocumentAs);
    b.method("saveDocumentTo:", &pf::Document::saveDocumentTo);
    b.method("revertDocumentToSaved:", &pf::Document::revertDocumentToSaved);
    b.method("printDocument:", &pf::Document::printDocument);
    b.method("runPageLayout:", &pf::Document::runPageLayout);
    b.method("undo:", std::function<QVariant(pf::Document&, const QVariantList&)>(
                          [](pf::Document& document, const QVariantList&) {
                              if (pf::UndoManager* manager = document.ownUndoManager())
                                  manager->undo();
                              return QVariant();
                          }));
    b.method("redo:", std::function<QVariant(pf::Document&, const QVariantList&)>(
                          [](pf::Document& document, const QVariantList&) {
                              if (pf::UndoManager* manager = document.ownUndoManager())
                                  manager->redo();
                              return QVariant();
                          }));
    b.property("displayName", &pf::Document::displayName, &pf::Document::setDisplayName);
    b.property("fileType", &pf::Document::fileType, &pf::Document::setFileType);
    b.property("fileURL", &pf::Document::fileURL, &pf::Document::setFileURL);
    b.property("documentEdited", &pf::Document::isDocumentEdited);
}

namespace pf {

namespace {

QString pathOf(const QUrl& url)
{
    return QFileInfo(url.toLocalFile()).absoluteFilePath();
}

Error saveError(const QUrl& url, int code, const QString& reason)
{
    Error error = Error::make(kPFFoundationErrorDomain, code,
                              QObject::tr("The document \u201c%1\u201d could not be saved.")
                                  .arg(QFileInfo(url.toLocalFile()).fileName()),
                              reason);
    QVariantMap info = error.userInfo();
    info.insert(NSFilePathErrorKey, url.toLocalFile());
    return Error(error.domain(), error.code(), info);
}

// Answers of the close alert.
constexpr int kCloseSave = 0;
constexpr int kCloseDontSave = 1;
constexpr int kCloseCancel = 2;

} // namespace

// The blocking part of an asynchronous save: the main thread takes no user input until the
// writer unblocks it or the write ends.
struct Document::BlockState {
    std::atomic<bool> unblocked{false};
};

struct Document::SaveRequest {
    QUrl url;
    QString type;
    SaveOperation operation = SaveOperation::Save;
    Completion completion;
    int changeCountAtSnapshot = 0;
    int autosaveCountAtSnapshot = 0;
};

Document::Document() = default;

Document::~Document()
{
    auto& center = NotificationCenter::defaultCenter();
    for (quint64 token : m_undoObservations)
        center.removeObserver(token);
    delete m_autosaveTimer;
}

bool Document::initWithType(const QString& type, Error* error)
{
    setFileType(type);
    return true;
}

QStringList Document::writableTypes() const
{
    DocumentController* controller = DocumentController::sharedIfMade();
    return controller ? controller->writableTypes(className()) : QStringList();
}

bool Document::isNativeType(const QString& type) const
{
    return writableTypes().contains(type);
}

// --- Identity

void Document::setFileURL(const QUrl& url)
{
    m_fileURL = url;
    if (!url.isEmpty())
        m_untitledNumber = 0;
    synchronizeWindowTitles();
}

void Document::setFileType(const QString& type)
{
    m_fileType = type;
}

int Document::untitledNumber() const
{
    if (m_untitledNumber == 0)
        m_untitledNumber = DocumentController::shared()->untitledNumberFor(this);
    return m_untitledNumber;
}

QString Document::displayName() const
{
    if (!m_displayName.isEmpty())
        return m_displayName;
    if (!m_fileURL.isEmpty())
        return QFileInfo(m_fileURL.toLocalFile()).completeBaseName();
    const int number = untitledNumber();
    return number <= 1 ? QObject::tr("Untitled") : QObject::tr("Untitled %1").arg(number);
}

void Document::setDisplayName(const QString& name)
{
    m_displayName = name;
    synchronizeWindowTitles();
}

// --- Reading and writing

bool Document::readFromURL(const QUrl& url, const QString& type, Error* error)
{
    if (!url.isLocalFile())
        return fail(error, Error::make(kPFFoundationErrorDomain, kErrorFileReadInvalidFileName,
                                       QObject::tr("Only files on this computer can be opened.")));
    FileWrapperRef wrapper = FileWrapper::readFromPath(url.toLocalFile(), error);
    if (!wrapper)
        return false;
    return readFromFileWrapper(*wrapper, type, error);
}

bool Document::readFromFileWrapper(const FileWrapper& wrapper, const QString& type, Error* error)
{
    if (!wrapper.isRegularFile())
        return fail(error, Error::make(kPFFoundationErrorDomain, kErrorFileReadCorrupt,
                                       QObject::tr("The document could not be opened."),
                                       QObject::tr("It is not a single file.")));
    return readFromData(wrapper.regularFileContents(), type, error);
}

bool Document::readFromData(const QByteArray& data, const QString& type, Error* error)
{
    return fail(error, Error::make(kPFFoundationErrorDomain, kErrorFileReadCorrupt,
                                   QObject::tr("The document could not be opened."),
                                   QObject::tr("Documents of type \u201c%1\u201d cannot be read.").arg(type)));
}

FileWrapperRef Document::fileWrapperOfType(const QString& type, Error* error)
{
    Error failure;
    QByteArray data = dataOfType(type, &failure);
    // Null data is a failure only with an error; without one it is an empty file.
    if (data.isNull() && !failure.isNull()) {
        fail(error, failure);
        return nullptr;
    }
    return FileWrapper::regularFile(data.isNull() ? QByteArray("") : std::move(data));
}

QByteArray Document::dataOfType(const QString& type, Error* error)
{
    fail(error, Error::make(kPFFoundationErrorDomain, kErrorFileWrite,
                            QObject::tr("The document could not be saved."),
                            QObject::tr("Documents of type \u201c%1\u201d cannot be written.").arg(type)));
    return {};
}

bool Document::writeFileWrapper(const FileWrapperRef& wrapper, const QUrl& url, const QString& type,
                                SaveOperation operation, Error* error)
{
    // The wrapper is a finished snapshot: nothing here needs the user to wait.
    unblockUserInteraction();
    return wrapper->writeToPath(url.toLocalFile(), 0, error);
}

// --- Saving

bool Document::canAsynchronouslyWriteToURL(const QUrl& url, const QString& type, SaveOperation operation) const
{
    return false;
}

void Document::unblockUserInteraction()
{
    if (auto block = std::atomic_load(&m_block))
        block->unblocked = true;
}

bool Document::prepareSavePanel(SavePanel& panel)
{
    return true;
}

void Document::saveToURL(const QUrl& url, const QString& type, SaveOperation operation, Completion completion)
{
    SaveRequest request;
    request.url = url;
    request.type = type;
    request.operation = operation;
    request.completion = std::move(completion);
    if (m_saving) {
        // One write at a time; the next starts from the contents as they are then.
        std::weak_ptr<void> alive = livenessToken();
        m_pendingSaves.append([this, alive, request]() mutable {
            if (!alive.expired())
                startSave(std::move(request));
        });
        return;
    }
    startSave(std::move(request));
}

void Document::startSave(SaveRequest request)
{
    m_saving = true;
    request.changeCountAtSnapshot = m_changeCount;
    request.autosaveCountAtSnapshot = m_autosaveChangeCount;

    if (!request.url.isLocalFile() || request.url.toLocalFile().isEmpty()) {
        finishSave(request, false, saveError(request.url, kErrorFileWriteInvalidFileName,
                                             QObject::tr("Only files on this computer can be written.")));
        return;
    }
    const QFileInfo target(request.url.toLocalFile());
    if (!target.absoluteDir().exists()) {
        finishSave(request, false, saveError(request.url, kErrorFileNotFound, QObject::tr("The folder does not exist.")));
        return;
    }

    Error error;
    // The user's own version of the file is kept before the first autosave overwrites it.
    if (request.operation == SaveOperation::AutosaveInPlace && m_savedVersionURL.isEmpty()
        && QFileInfo::exists(request.url.toLocalFile()) && !keepSavedVersion(&error)) {
        finishSave(request, false, error);
        return;
    }
    FileWrapperRef wrapper;
    try {
        wrapper = fileWrapperOfType(request.type, &error);
    } catch (const std::exception& e) {
        error = saveError(request.url, kErrorFileWrite, QString::fromLocal8Bit(e.what()));
        wrapper = nullptr;
    }
    if (!wrapper) {
        if (error.isNull())
            error = saveError(request.url, kErrorFileWrite, QObject::tr("The contents could not be prepared."));
        finishSave(request, false, error);
        return;
    }

    if (!canAsynchronouslyWriteToURL(request.url, request.type, request.operation)) {
        bool ok = false;
        try {
            ok = writeFileWrapper(wrapper, request.url, request.type, request.operation, &error);
        } catch (const std::exception& e) {
            error = saveError(request.url, kErrorFileWrite, QString::fromLocal8Bit(e.what()));
        }
        finishSave(request, ok, error);
        return;
    }

    auto block = std::make_shared<BlockState>();
    std::atomic_store(&m_block, block);
    std::weak_ptr<void> alive = livenessToken();
    QPointer<QObject> app = QCoreApplication::instance();
    auto done = std::make_shared<std::atomic<bool>>(false);
    // The writer runs on the document; a document held by a Ref stays alive until it ends.
    // It is released on the main thread, where the document lives.
    Ref<Object> keepAlive = weak_from_this().lock();
    QThreadPool::globalInstance()->start([=, this, keepAlive = std::move(keepAlive)]() mutable {
        Error writeError;
        bool ok = false;
        try {
            ok = writeFileWrapper(wrapper, request.url, request.type, request.operation, &writeError);
        } catch (const std::exception& e) {
            writeError = saveError(request.url, kErrorFileWrite, QString::fromLocal8Bit(e.what()));
        }
        block->unblocked = true;
        done->store(true);
        QMetaObject::invokeMethod(app, [=, this, keepAlive = std::move(keepAlive)] {
            if (!alive.expired())
                finishSave(request, ok, writeError);
        }, Qt::QueuedConnection);
    });
    // The modal part: events go on but input waits until the writer has what it needs.
    while (!block->unblocked && !done->load())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents, 10);
}

void Document::finishSave(const SaveRequest& request, bool ok, const Error& error)
{
    std::atomic_store(&m_block, std::shared_ptr<BlockState>());
    Error failure = error;
    if (!ok && failure.isNull())
        failure = saveError(request.url, kErrorFileWrite, QObject::tr("The file could not be written."));

    if (ok) {
        const QDateTime modified = QFileInfo(request.url.toLocalFile()).lastModified();
        // Edits made while an asynchronous write ran stay unsaved.
        auto settle = [this, &request](DocumentChangeType change) {
            const bool editedSince = m_changeCount != request.changeCountAtSnapshot
                                  || m_autosaveChangeCount != request.autosaveCountAtSnapshot;
            if (!editedSince) {
                updateChangeCount(change);
            } else {
                // An autosave leaves the document edited: only the user's save clears it.
                if (change != DocumentChangeType::Autosaved)
                    m_changeCount -= request.changeCountAtSnapshot;
                m_autosaveChangeCount -= request.autosaveCountAtSnapshot;
                synchronizeWindowTitles();
            }
        };
        switch (request.operation) {
        case SaveOperation::Save:
        case SaveOperation::SaveAs: {
            const bool movedElsewhere = pathOf(request.url) != pathOf(m_fileURL);
            setFileType(request.type);
            setFileURL(request.url);
            setFileModificationDate(modified);
            settle(DocumentChangeType::Cleared);
            // The real file now holds everything the side file did, and is the user's version.
            if (!m_autosavedContentsFileURL.isEmpty()) {
                QFile::remove(m_autosavedContentsFileURL.toLocalFile());
                m_autosavedContentsFileURL.clear();
            }
            discardSavedVersion();
            if (movedElsewhere || request.operation == SaveOperation::SaveAs)
                DocumentController::shared()->noteNewRecentDocument(this);
            break;
        }
        case SaveOperation::SaveTo:
            break;
        case SaveOperation::AutosaveInPlace:
            setFileModificationDate(modified);
            settle(DocumentChangeType::Autosaved);
            break;
        case SaveOperation::AutosaveElsewhere:
            setAutosavedContentsFileURL(request.url);
            settle(DocumentChangeType::Autosaved);
            break;
        }
    }

    m_saving = false;
    if (request.completion)
        request.completion(ok, ok ? Error() : failure);
    if (!m_saving && !m_pendingSaves.isEmpty()) {
        auto next = m_pendingSaves.takeFirst();
        next();
    }
}

void Document::saveDocument(const QVariant& sender)
{
    if (isUntitled() || !writableTypes().contains(m_fileType)) {
        runSavePanel(SaveOperation::SaveAs);
        return;
    }
    saveToURL(m_fileURL, m_fileType, SaveOperation::Save, [this](bool ok, const Error& error) {
        if (!ok)
            presentError(error);
    });
}

void Document::saveDocumentAs(const QVariant& sender)
{
    runSavePanel(SaveOperation::SaveAs);
}

void Document::saveDocumentTo(const QVariant& sender)
{
    runSavePanel(SaveOperation::SaveTo);
}

bool Document::validateMenuItem(MenuItem& item)
{
    const QString action = item.action();
    if (action == QStringLiteral("revertDocumentToSaved:"))
        return !isUntitled() && (isDocumentEdited() || !m_savedVersionURL.isEmpty());
    if (action == QStringLiteral("saveDocument:") || action == QStringLiteral("saveDocumentAs:")
        || action == QStringLiteral("saveDocumentTo:"))
        return !m_saving;
    if (action == QStringLiteral("undo:") || action == QStringLiteral("redo:")) {
        const bool undo = action == QStringLiteral("undo:");
        UndoManager* manager = ownUndoManager();
        if (!manager) {
            item.setTitle(undo ? QObject::tr("Undo") : QObject::tr("Redo"));
            return false;
        }
        item.setTitle(undo ? manager->undoMenuItemTitle() : manager->redoMenuItemTitle());
        return undo ? manager->canUndo() : manager->canRedo();
    }
    return Responder::validateMenuItem(item);
}

void Document::runSavePanel(SaveOperation operation, std::function<void(bool saved)> done)
{
    auto panel = std::make_shared<SavePanel>();
    QStringList types = writableTypes();
    QString type = types.contains(m_fileType) ? m_fileType : types.value(0);
    if (type.isEmpty()) {
        presentError(saveError(m_fileURL, kErrorFileWrite, QObject::tr("The document has no type it can be saved as.")));
        if (done)
            done(false);
        return;
    }
    DocumentController* controller = DocumentController::shared();
    panel->setAllowedFileTypes(controller->fileExtensionsFromType(type).mid(0, 1));
    panel->setCanCreateDirectories(true);
    if (!isUntitled()) {
        const QFileInfo info(m_fileURL.toLocalFile());
        panel->setDirectoryURL(QUrl::fromLocalFile(info.absolutePath()));
    }
    panel->setNameFieldStringValue(displayName());
    if (!prepareSavePanel(*panel)) {
        if (done)
            done(false);
        return;
    }
    std::weak_ptr<void> alive = livenessToken();
    auto answered = [this, alive, panel, operation, type, done](int result) {
        if (alive.expired() || result != kModalResponseOK || panel->URL().isEmpty()) {
            if (done)
                done(false);
            return;
        }
        // A type whose extension the chosen name carries wins over the one offered.
        QString chosenType = type;
        const QString byExtension = DocumentController::shared()->typeFromFileExtension(QFileInfo(panel->URL().toLocalFile()).suffix());
        if (writableTypes().contains(byExtension))
            chosenType = byExtension;
        saveToURL(panel->URL(), chosenType, operation, [this, alive, done](bool ok, const Error& error) {
            if (!ok && !alive.expired())
                presentError(error);
            if (done)
                done(ok);
        });
    };
    if (QWidget* window = windowForSheet())
        panel->beginSheetModal(window, answered);
    else
        answered(panel->runModal());
}

// --- Reverting

void Document::revertDocumentToSaved(const QVariant& sender)
{
    if (isUntitled())
        return;
    auto alert = std::make_shared<Alert>();
    alert->setMessageText(QObject::tr("Do you want to revert to the most recently saved version of the document \u201c%1\u201d?").arg(displayName()));
    alert->setInformativeText(QObject::tr("Your current changes will be lost."));
    alert->addButton(QObject::tr("Revert"));
    alert->addButton(QObject::tr("Cancel"));
    std::weak_ptr<void> alive = livenessToken();
    auto answered = [this, alive](int code) {
        if (alive.expired() || code != kAlertFirstButtonReturn)
            return;
        Error error;
        if (!revertToSavedVersion(&error))
            presentError(error);
    };
    if (QWidget* window = windowForSheet())
        alert->beginSheetModal(window, answered);
    else
        answered(alert->runModal());
}

bool Document::revertToContentsOfURL(const QUrl& url, const QString& type, Error* error)
{
    // A read that fails halfway could leave the contents half replaced, so a fresh instance
    // reads the file first; only when that works does this document read it.
    if (objClass().canCreate()) {
        auto probe = std::dynamic_pointer_cast<Document>(objClass().create());
        if (probe && !probe->readFromURL(url, type, error))
            return false;
    }
    if (!readFromURL(url, type, error))
        return false;
    setFileURL(url);
    setFileType(type);
    setFileModificationDate(QFileInfo(url.toLocalFile()).lastModified());
    if (UndoManager* manager = m_undoManager.get())
        manager->removeAllActions();
    updateChangeCount(DocumentChangeType::Cleared);
    return true;
}

bool Document::revertToSavedVersion(Error* error)
{
    if (m_savedVersionURL.isEmpty())
        return revertToContentsOfURL(m_fileURL, m_fileType, error);
    // The kept version must read before it replaces the autosaved file.
    if (objClass().canCreate()) {
        auto probe = std::dynamic_pointer_cast<Document>(objClass().create());
        if (probe && !probe->readFromURL(m_savedVersionURL, m_fileType, error))
            return false;
    }
    FileWrapperRef kept = FileWrapper::readFromPath(m_savedVersionURL.toLocalFile(), error);
    if (!kept || !kept->writeToPath(m_fileURL.toLocalFile(), 0, error))
        return false;
    discardSavedVersion();
    return revertToContentsOfURL(m_fileURL, m_fileType, error);
}

// --- Autosaving

bool Document::keepSavedVersion(Error* error)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                         + QStringLiteral("/Saved Versions/") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (!QDir().mkpath(folder))
        return fail(error, saveError(m_fileURL, kErrorFileWrite,
                                     QObject::tr("The saved version could not be kept in \u201c%1\u201d.").arg(folder)));
    const QString source = m_fileURL.toLocalFile();
    const QString target = folder + QLatin1Char('/') + QFileInfo(source).fileName();
    FileWrapperRef wrapper = FileWrapper::readFromPath(source, error);
    if (!wrapper || !wrapper->writeToPath(target, 0, error)) {
        QDir(folder).removeRecursively();
        return false;
    }
    m_savedVersionURL = QUrl::fromLocalFile(target);
    return true;
}

void Document::discardSavedVersion()
{
    if (m_savedVersionURL.isEmpty())
        return;
    QDir(QFileInfo(m_savedVersionURL.toLocalFile()).absolutePath()).removeRecursively();
    m_savedVersionURL.clear();
}

QUrl Document::sideAutosaveURL()
{
    if (!m_autosavedContentsFileURL.isEmpty())
        return m_autosavedContentsFileURL;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                         + QStringLiteral("/Autosave Information");
    QDir().mkpath(folder);
    QString type = writableTypes().contains(m_fileType) ? m_fileType : writableTypes().value(0);
    QString extension;
    if (DocumentController* controller = DocumentController::sharedIfMade())
        extension = controller->fileExtensionsFromType(type).value(0);
    QString base = displayName();
    base.replace(QLatin1Char('/'), QLatin1Char('-'));
    if (base.isEmpty() || base.startsWith(QLatin1Char('.')))
        base.prepend(QStringLiteral("Document"));
    const QString suffix = extension.isEmpty() ? QString() : QStringLiteral(".") + extension;
    QString candidate = folder + QLatin1Char('/') + base + QObject::tr(" (Autosaved)") + suffix;
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = folder + QLatin1Char('/') + base + QObject::tr(" (Autosaved %1)").arg(n) + suffix;
    return QUrl::fromLocalFile(candidate);
}

void Document::autosaveWithImplicitCancellability(bool cancellable, Completion completion)
{
    if (!hasUnautosavedChanges()) {
        if (completion)
            completion(true, {});
        return;
    }
    const QStringList writable = writableTypes();
    // In place only over a file this document writes back in its own format.
    if (autosavesInPlace() && !isUntitled() && writable.contains(m_fileType)) {
        saveToURL(m_fileURL, m_fileType, SaveOperation::AutosaveInPlace, std::move(completion));
        return;
    }
    const QString type = writable.contains(m_fileType) ? m_fileType : writable.value(0);
    if (type.isEmpty()) {
        if (completion)
            completion(false, saveError(m_fileURL, kErrorFileWrite, QObject::tr("The document has no type it can be saved as.")));
        return;
    }
    saveToURL(sideAutosaveURL(), type, SaveOperation::AutosaveElsewhere, std::move(completion));
}

void Document::scheduleAutosave()
{
    if (!QCoreApplication::instance())
        return;
    if (!m_autosaveTimer) {
        m_autosaveTimer = new QTimer();
        m_autosaveTimer->setSingleShot(true);
        std::weak_ptr<void> alive = livenessToken();
        QObject::connect(m_autosaveTimer, &QTimer::timeout, m_autosaveTimer, [this, alive] {
            if (alive.expired() || m_saving)
                return;
            autosaveWithImplicitCancellability(true, [](bool ok, const Error& error) {
                if (!ok)
                    log(QStringLiteral("autosave failed: ") + error.description());
            });
        });
    }
    m_autosaveTimer->start(int(autosaveDelay() * 1000));
}

// --- Change count

void Document::updateChangeCount(DocumentChangeType change)
{
    switch (change) {
    case DocumentChangeType::Done:
    case DocumentChangeType::Redone:
        ++m_changeCount;
        ++m_autosaveChangeCount;
        scheduleAutosave();
        break;
    case DocumentChangeType::Undone:
        --m_changeCount;
        ++m_autosaveChangeCount;
        scheduleAutosave();
        break;
    case DocumentChangeType::Cleared:
    case DocumentChangeType::ReadOtherContents:
        m_changeCount = 0;
        m_autosaveChangeCount = 0;
        break;
    case DocumentChangeType::Autosaved:
        // Written somewhere, but not saved by the user: the document stays edited.
        m_autosaveChangeCount = 0;
        break;
    }
    if (m_autosaveChangeCount == 0 && m_autosaveTimer)
        m_autosaveTimer->stop();
    synchronizeWindowTitles();
}

// --- Undo

UndoManager* Document::ownUndoManager() const
{
    if (!m_undoManager && m_hasUndoManager) {
        auto* self = const_cast<Document*>(this);
        self->m_undoManager = std::make_shared<UndoManager>();
        self->observeUndoManager();
    }
    return m_undoManager.get();
}

void Document::setUndoManager(const Ref<UndoManager>& manager)
{
    m_undoManager = manager;
    m_hasUndoManager = manager != nullptr;
    observeUndoManager();
}

void Document::setHasUndoManager(bool has)
{
    m_hasUndoManager = has;
    if (!has)
        setUndoManager(nullptr);
}

void Document::observeUndoManager()
{
    auto& center = NotificationCenter::defaultCenter();
    for (quint64 token : m_undoObservations)
        center.removeObserver(token);
    m_undoObservations.clear();
    UndoManager* manager = m_undoManager.get();
    if (!manager)
        return;
    std::weak_ptr<void> alive = livenessToken();
    auto on = [&](const QString& name, std::function<void(UndoManager&)> handle) {
        m_undoObservations.append(center.addObserver(name, manager, [alive, manager, handle](const Notification&) {
            if (!alive.expired())
                handle(*manager);
        }));
    };
    on(RVUndoManagerDidCloseTopLevelGroup, [this](UndoManager& m) {
        // Steps closed while replaying belong to the undo or redo being counted.
        if (!m.isUndoing() && !m.isRedoing())
            updateChangeCount(DocumentChangeType::Done);
    });
    on(NSUndoManagerDidUndoChangeNotification, [this](UndoManager&) { updateChangeCount(DocumentChangeType::Undone); });
    on(NSUndoManagerDidRedoChangeNotification, [this](UndoManager&) { updateChangeCount(DocumentChangeType::Redone); });
}

// --- Windows

void Document::makeWindowControllers()
{
    const QString nib = windowNibName();
    if (nib.isEmpty())
        raise(NSInternalInconsistencyException,
              QStringLiteral("%1 names no window nib and makes no window controllers").arg(className()));
    addWindowController(std::make_shared<WindowController>(nib));
}

void Document::addWindowController(const Ref<WindowController>& controller)
{
    if (!controller || m_windowControllers.contains(controller))
        return;
    if (Document* old = controller->document(); old && old != this)
        old->removeWindowController(controller.get());
    m_windowControllers.append(controller);
    controller->setDocument(this);
}

void Document::removeWindowController(WindowController* controller)
{
    for (int i = 0; i < m_windowControllers.size(); ++i) {
        if (m_windowControllers[i].get() == controller) {
            Ref<WindowController> removed = m_windowControllers.takeAt(i);
            if (removed->document() == this)
                removed->setDocument(nullptr);
            // Released after the caller is done with it.
            QMetaObject::invokeMethod(QCoreApplication::instance(), [removed] {}, Qt::QueuedConnection);
            return;
        }
    }
}

void Document::showWindows()
{
    for (const auto& controller : QList<Ref<WindowController>>(m_windowControllers))
        controller->showWindow(QVariant());
}

QWidget* Document::windowForSheet() const
{
    for (const auto& controller : m_windowControllers) {
        if (controller->isWindowLoaded())
            return controller->window();
    }
    return nullptr;
}

void Document::synchronizeWindowTitles()
{
    for (const auto& controller : m_windowControllers)
        controller->synchronizeWindowTitleWithDocumentName();
}

// --- Printing

Ref<PrintInfo> Document::printInfo() const
{
    if (!m_printInfo)
        const_cast<Document*>(this)->m_printInfo = std::static_pointer_cast<PrintInfo>(PrintInfo::sharedPrintInfo()->copy());
    return m_printInfo;
}

void Document::setPrintInfo(const Ref<PrintInfo>& info)
{
    m_printInfo = info;
}

Ref<PrintOperation> Document::printOperationWithSettings(const QVariantMap& settings, Error* error)
{
    fail(error, Error::make(kPFPrintErrorDomain, kErrorFileWrite, QObject::tr("The document could not be printed."),
                            QObject::tr("This kind of document has nothing to print.")));
    return nullptr;
}

void Document::runModalPrintOperation(const Ref<PrintOperation>& operation, std::function<void(bool printed)> done)
{
    std::weak_ptr<void> alive = livenessToken();
    auto finished = [this, alive, operation, done](bool printed) {
        if (!printed && !alive.expired() && !operation->error().isNull() && operation->error().code() != kErrorCancelled)
            presentError(operation->error());
        if (done)
            done(printed);
    };
    if (QWidget* window = windowForSheet())
        operation->runOperationModalForWindow(window, finished);
    else
        finished(operation->runOperation());
}

void Document::printDocument(const QVariant& sender)
{
    Error error;
    Ref<PrintOperation> operation = printOperationWithSettings({}, &error);
    if (!operation) {
        presentError(error);
        return;
    }
    runModalPrintOperation(operation, {});
}

void Document::runPageLayout(const QVariant& sender)
{
    Ref<PrintInfo> info = std::static_pointer_cast<PrintInfo>(printInfo()->copy());
    std::weak_ptr<void> alive = livenessToken();
    auto answered = [this, alive, info](int result) {
        // The document's print info changes only when the user confirms.
        if (!alive.expired() && result == kModalResponseOK)
            setPrintInfo(info);
    };
    if (QWidget* window = windowForSheet())
        PageLayout::beginSheet(info, window, answered);
    else
        answered(PageLayout::runModal(info));
}

// --- Closing

void Document::canCloseDocument(std::function<void(bool shouldClose)> done)
{
    const bool inPlace = autosavesInPlace() && !isUntitled() && writableTypes().contains(m_fileType);
    // Edits undone after an autosave leave the file behind the contents: write it once more.
    if (!isDocumentEdited() && !(inPlace && hasUnautosavedChanges())) {
        done(true);
        return;
    }
    std::weak_ptr<void> alive = livenessToken();
    if (inPlace) {
        saveToURL(m_fileURL, m_fileType, SaveOperation::AutosaveInPlace, [this, alive, done](bool ok, const Error& error) {
            if (!ok && !alive.expired())
                presentError(error);
            done(ok);
        });
        return;
    }
    auto answered = [this, alive, done](int answer) {
        if (alive.expired()) {
            done(false);
            return;
        }
        switch (answer) {
        case kCloseSave:
            if (isUntitled() || !writableTypes().contains(m_fileType)) {
                runSavePanel(SaveOperation::SaveAs, [done](bool saved) { done(saved); });
            } else {
                saveToURL(m_fileURL, m_fileType, SaveOperation::Save, [this, done](bool ok, const Error& error) {
                    if (!ok)
                        presentError(error);
                    done(ok);
                });
            }
            break;
        case kCloseDontSave:
            done(true);
            break;
        default:
            done(false);
            break;
        }
    };
    auto alert = std::make_shared<Alert>();
    alert->setMessageText(QObject::tr("Do you want to save the changes made to the document \u201c%1\u201d?").arg(displayName()));
    alert->setInformativeText(QObject::tr("Your changes will be lost if you don't save them."));
    alert->addButton(QObject::tr("Save"));
    alert->addButton(QObject::tr("Don't Save"));
    alert->addButton(QObject::tr("Cancel"));
    auto fromCode = [answered](int code) {
        answered(code == kAlertFirstButtonReturn    ? kCloseSave
                 : code == kAlertSecondButtonReturn ? kCloseDontSave
                                                    : kCloseCancel);
    };
    if (QWidget* window = windowForSheet())
        alert->beginSheetModal(window, fromCode);
    else
        fromCode(alert->runModal());
}

void Document::close()
{
    Ref<Document> keep = std::static_pointer_cast<Document>(weak_from_this().lock());
    if (m_autosaveTimer)
        m_autosaveTimer->stop();
    const QList<Ref<WindowController>> controllers = m_windowControllers;
    m_windowControllers.clear();
    for (const auto& controller : controllers) {
        controller->setDocument(nullptr);
        controller->close();
    }
    // What the side file held is either saved or given up now; the document's file holds
    // what the user closed it with.
    if (!m_autosavedContentsFileURL.isEmpty()) {
        QFile::remove(m_autosavedContentsFileURL.toLocalFile());
        m_autosavedContentsFileURL.clear();
    }
    discardSavedVersion();
    if (DocumentController* controller = DocumentController::sharedIfMade())
        controller->removeDocument(this);
    if (keep)
        QMetaObject::invokeMethod(QCoreApplication::instance(), [keep] {}, Qt::QueuedConnection);
}

// --- Errors

bool Document::presentError(const Error& error)
{
    const Error shown = willPresentError(error);
    if (shown.isNull())
        return false;
    return DocumentController::shared()->presentError(shown);
}

} // namespace pf
