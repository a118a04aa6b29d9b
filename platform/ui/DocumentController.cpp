#include "platform/ui/DocumentController.h"

#include "platform/foundation/Class.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Application.h"
#include "platform/ui/Document.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/OpenPanel.h"
#include "platform/ui/Sheet.h"
#include "platform/ui/RecentDocuments.h"
#include "platform/ui/WindowController.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QThreadPool>
#include <QWidget>

PF_DEFINE_CLASS_NAMED(pf::DocumentController, pf::Object, "pf::DocumentController")
{
    b.method("newDocument:", &pf::DocumentController::newDocument);
    b.method("openDocument:", &pf::DocumentController::openDocument);
    b.method("openRecentDocument:", &pf::DocumentController::openRecentDocument);
    b.method("clearRecentDocuments:", &pf::DocumentController::clearRecentDocuments);
}

namespace pf {

namespace {

DocumentController* g_shared = nullptr;
std::weak_ptr<void> g_sharedLiveness;

Ref<DocumentController>& defaultController()
{
    static Ref<DocumentController> controller;
    return controller;
}

QString cleanExtension(const QString& extension)
{
    QString e = extension.trimmed().toLower();
    if (e.startsWith(QLatin1Char('.')))
        e.remove(0, 1);
    return e;
}

Error openError(const QUrl& url, int code, const QString& reason)
{
    Error error = Error::make(kPFFoundationErrorDomain, code,
                              QObject::tr("The document \u201c%1\u201d could not be opened.")
                                  .arg(QFileInfo(url.toLocalFile()).fileName()),
                              reason);
    QVariantMap info = error.userInfo();
    info.insert(NSFilePathErrorKey, url.toLocalFile());
    return Error(error.domain(), error.code(), info);
}

} // namespace

DocumentController::DocumentController()
{
    if (!g_shared || g_sharedLiveness.expired()) {
        g_shared = this;
        g_sharedLiveness = livenessToken();
    }
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        // Documents autosave when the program stops being the active one.
        m_stateConnection = QObject::connect(app, &QGuiApplication::applicationStateChanged, app,
                                             [this](Qt::ApplicationState state) {
            if (state != Qt::ApplicationActive)
                autosaveAll();
        });
    }
}

DocumentController::~DocumentController()
{
    QObject::disconnect(m_stateConnection);
    if (g_shared == this)
        g_shared = nullptr;
}

DocumentController* DocumentController::shared()
{
    if (DocumentController* existing = sharedIfMade())
        return existing;
    defaultController() = std::make_shared<DocumentController>();
    return defaultController().get();
}

DocumentController* DocumentController::sharedIfMade()
{
    return g_shared && !g_sharedLiveness.expired() ? g_shared : nullptr;
}

// --- Types

void DocumentController::registerDocumentType(const DocumentType& type)
{
    PF_PARAMETER_ASSERT(!type.name.isEmpty());
    DocumentType clean = type;
    clean.extensions.clear();
    for (const QString& e : type.extensions) {
        const QString c = cleanExtension(e);
        if (!c.isEmpty() && !clean.extensions.contains(c))
            clean.extensions.append(c);
    }
    for (auto& existing : m_types) {
        if (existing.name == type.name) {
            existing = clean;
            return;
        }
    }
    m_types.append(clean);
}

void DocumentController::registerDocumentTypes(const QVariantMap& info)
{
    for (const QVariant& entry : info.value(QStringLiteral("CFBundleDocumentTypes")).toList()) {
        const QVariantMap map = entry.toMap();
        DocumentType type;
        type.name = map.value(QStringLiteral("CFBundleTypeName")).toString();
        if (type.name.isEmpty())
            continue;
        type.extensions = map.value(QStringLiteral("CFBundleTypeExtensions")).toStringList();
        const QString role = map.value(QStringLiteral("CFBundleTypeRole")).toString();
        type.role = role == QStringLiteral("Viewer") ? DocumentTypeRole::Viewer
                  : role == QStringLiteral("None")   ? DocumentTypeRole::None
                                                     : DocumentTypeRole::Editor;
        type.documentClassName = map.value(QStringLiteral("NSDocumentClass")).toString();
        type.isPackage = map.value(QStringLiteral("LSTypeIsPackage")).toBool();
        registerDocumentType(type);
    }
}

const DocumentType* DocumentController::documentType(const QString& name) const
{
    for (const auto& type : m_types) {
        if (type.name == name)
            return &type;
    }
    return nullptr;
}

QString DocumentController::defaultType() const
{
    for (const auto& type : m_types) {
        if (type.role == DocumentTypeRole::Editor)
            return type.name;
    }
    return {};
}

QStringList DocumentController::readableTypes(const QString& documentClassName) const
{
    QStringList result;
    for (const auto& type : m_types) {
        if (type.role != DocumentTypeRole::None
            && (documentClassName.isEmpty() || type.documentClassName == documentClassName))
            result.append(type.name);
    }
    return result;
}

QStringList DocumentController::writableTypes(const QString& documentClassName) const
{
    QStringList result;
    for (const auto& type : m_types) {
        if (type.role == DocumentTypeRole::Editor
            && (documentClassName.isEmpty() || type.documentClassName == documentClassName))
            result.append(type.name);
    }
    return result;
}

QStringList DocumentController::fileExtensionsFromType(const QString& type) const
{
    const DocumentType* t = documentType(type);
    return t ? t->extensions : QStringList();
}

QString DocumentController::typeFromFileExtension(const QString& extension) const
{
    const QString e = cleanExtension(extension);
    if (e.isEmpty())
        return {};
    for (const auto& type : m_types) {
        if (type.extensions.contains(e))
            return type.name;
    }
    return {};
}

QString DocumentController::typeForContentsOfURL(const QUrl& url, Error* error) const
{
    if (!url.isLocalFile()) {
        fail(error, openError(url, kErrorFileReadInvalidFileName, QObject::tr("Only files on this computer can be opened.")));
        return {};
    }
    const QFileInfo info(url.toLocalFile());
    if (!info.exists()) {
        fail(error, openError(url, kErrorFileNotFound, QObject::tr("The file does not exist.")));
        return {};
    }
    const QString type = typeFromFileExtension(info.suffix());
    const DocumentType* t = documentType(type);
    if (!t || t->role == DocumentTypeRole::None) {
        fail(error, openError(url, kErrorFileReadCorrupt,
                              QObject::tr("%1 cannot open files of this type.").arg(QCoreApplication::applicationName())));
        return {};
    }
    if (info.isDir() && !t->isPackage) {
        fail(error, openError(url, kErrorFileReadCorrupt, QObject::tr("It is a folder, not a document.")));
        return {};
    }
    return type;
}

const Class* DocumentController::documentClassForType(const QString& type) const
{
    const DocumentType* t = documentType(type);
    if (!t)
        return nullptr;
    const Class* cls = Class::named(t->documentClassName);
    return cls && cls->isSubclassOf(Document::staticClass()) && cls->canCreate() ? cls : nullptr;
}

// --- Documents

void DocumentController::addDocument(const Ref<Document>& document)
{
    if (document && !m_documents.contains(document))
        m_documents.append(document);
}

void DocumentController::removeDocument(Document* document)
{
    for (int i = 0; i < m_documents.size(); ++i) {
        if (m_documents[i].get() == document) {
            // Released after this call returns: the caller may be the document itself.
            Ref<Document> keep = m_documents.takeAt(i);
            QMetaObject::invokeMethod(QCoreApplication::instance(), [keep] {}, Qt::QueuedConnection);
            return;
        }
    }
}

Document* DocumentController::documentForURL(const QUrl& url) const
{
    const QString path = QFileInfo(url.toLocalFile()).absoluteFilePath();
    for (const auto& document : m_documents) {
        if (!document->fileURL().isEmpty() && QFileInfo(document->fileURL().toLocalFile()).absoluteFilePath() == path)
            return document.get();
    }
    return nullptr;
}

Document* DocumentController::documentForWindow(const QWidget* window) const
{
    WindowController* controller = WindowController::forWindow(window);
    return controller ? controller->document() : nullptr;
}

Document* DocumentController::currentDocument() const
{
    Application* application = Application::shared();
    if (Document* document = documentForWindow(application->mainWindow()))
        return document;
    return documentForWindow(application->keyWindow());
}

bool DocumentController::hasEditedDocuments() const
{
    for (const auto& document : m_documents) {
        if (document->isDocumentEdited())
            return true;
    }
    return false;
}

Ref<Document> DocumentController::makeUntitledDocumentOfType(const QString& type, Error* error)
{
    const Class* cls = documentClassForType(type);
    if (!cls) {
        fail(error, Error::make(kPFFoundationErrorDomain, kErrorFileWriteInvalidFileName,
                                QObject::tr("A new document could not be made."),
                                QObject::tr("No kind of document is registered as \u201c%1\u201d.").arg(type)));
        return nullptr;
    }
    auto document = std::dynamic_pointer_cast<Document>(cls->create());
    if (!document || !document->initWithType(type, error))
        return nullptr;
    return document;
}

Ref<Document> DocumentController::makeDocumentWithContentsOfURL(const QUrl& url, const QString& type, Error* error)
{
    const Class* cls = documentClassForType(type);
    auto document = cls ? std::dynamic_pointer_cast<Document>(cls->create()) : nullptr;
    if (!document) {
        fail(error, openError(url, kErrorFileReadCorrupt, QObject::tr("No kind of document reads \u201c%1\u201d.").arg(type)));
        return nullptr;
    }
    // As the platform does: the document knows where it comes from while it reads.
    document->setFileURL(url);
    document->setFileType(type);
    Error readError;
    if (!document->readFromURL(url, type, &readError)) {
        // A reader that refuses without saying why still gets the user an error to show.
        if (readError.isNull())
            readError = openError(url, kErrorFileReadCorrupt, QObject::tr("The document is not in the correct format."));
        fail(error, readError);
        return nullptr;
    }
    if (!document->fileURL().isEmpty())
        document->setFileModificationDate(QFileInfo(url.toLocalFile()).lastModified());
    return document;
}

Ref<Document> DocumentController::openUntitledDocumentAndDisplay(bool display, Error* error)
{
    const QString type = defaultType();
    Ref<Document> document = makeUntitledDocumentOfType(type, error);
    if (!document)
        return nullptr;
    addDocument(document);
    if (display) {
        document->makeWindowControllers();
        document->showWindows();
    }
    return document;
}

void DocumentController::openDocumentWithContentsOfURL(const QUrl& url, bool display, OpenCompletion completion)
{
    auto finish = [completion](const Ref<Document>& document, bool wasOpen, const Error& error) {
        if (completion)
            completion(document, wasOpen, error);
    };
    const QUrl fileUrl = url.isLocalFile() ? QUrl::fromLocalFile(QFileInfo(url.toLocalFile()).absoluteFilePath()) : url;
    if (Document* open = documentForURL(fileUrl)) {
        if (display)
            open->showWindows();
        finish(open->ref<Document>(), true, {});
        return;
    }
    // A second request for a file being read waits for the first.
    if (m_opening.contains(fileUrl)) {
        m_opening[fileUrl].append(finish);
        return;
    }
    Error error;
    const QString type = typeForContentsOfURL(fileUrl, &error);
    if (type.isEmpty()) {
        finish(nullptr, false, error);
        return;
    }
    const Class* cls = documentClassForType(type);
    auto document = cls ? std::dynamic_pointer_cast<Document>(cls->create()) : nullptr;
    if (!document) {
        finish(nullptr, false, openError(fileUrl, kErrorFileReadCorrupt,
                                         QObject::tr("No kind of document reads \u201c%1\u201d.").arg(type)));
        return;
    }
    m_opening.insert(fileUrl, {finish});
    // Set before reading; the reader may change them (a copy drops the URL).
    document->setFileURL(fileUrl);
    document->setFileType(type);
    auto read = [document, fileUrl, type](Error* readError) {
        try {
            return document->readFromURL(fileUrl, type, readError);
        } catch (const std::exception& e) {
            return fail(readError, openError(fileUrl, kErrorFileReadCorrupt, QString::fromLocal8Bit(e.what())));
        }
    };
    if (document->canConcurrentlyReadDocumentsOfType(type)) {
        std::weak_ptr<void> alive = livenessToken();
        QPointer<QObject> app = QCoreApplication::instance();
        QThreadPool::globalInstance()->start([=, this] {
            Error readError;
            const bool ok = read(&readError);
            QMetaObject::invokeMethod(app, [=, this] {
                if (alive.expired())
                    return;
                finishOpening(fileUrl, ok ? document : nullptr, display, readError);
            }, Qt::QueuedConnection);
        });
        return;
    }
    Error readError;
    const bool ok = read(&readError);
    finishOpening(fileUrl, ok ? document : nullptr, display, readError);
}

void DocumentController::finishOpening(const QUrl& url, const Ref<Document>& document, bool display, const Error& error)
{
    const QList<OpenCompletion> waiting = m_opening.take(url);
    Error failure = error;
    if (document) {
        if (!document->fileURL().isEmpty())
            document->setFileModificationDate(QFileInfo(url.toLocalFile()).lastModified());
        addDocument(document);
        if (display) {
            try {
                document->makeWindowControllers();
                document->showWindows();
            } catch (const std::exception& e) {
                // A document whose window cannot be made is not left open without one.
                document->close();
                failure = openError(url, kErrorFileReadCorrupt, QString::fromLocal8Bit(e.what()));
            }
        }
        if (failure.isNull())
            noteNewRecentDocument(document.get());
    }
    if (failure.isNull() && !document)
        failure = openError(url, kErrorFileReadCorrupt, QObject::tr("The document is not in the correct format."));
    for (const auto& completion : waiting)
        completion(failure.isNull() ? document : nullptr, false, failure);
}

void DocumentController::reviewUnsavedDocuments(std::function<void(bool allClosed)> done)
{
    reviewNext(m_documents, std::move(done), false);
}

void DocumentController::closeAllDocuments(std::function<void(bool allClosed)> done)
{
    reviewNext(m_documents, std::move(done), true);
}

void DocumentController::reviewNext(QList<Ref<Document>> remaining, std::function<void(bool)> done, bool closeAll)
{
    while (!remaining.isEmpty() && !remaining.first()->isDocumentEdited() && !closeAll)
        remaining.removeFirst();
    if (remaining.isEmpty()) {
        if (done)
            done(true);
        return;
    }
    Ref<Document> document = remaining.takeFirst();
    Weak<DocumentController> weakSelf = std::static_pointer_cast<DocumentController>(weak_from_this().lock());
    DocumentController* self = this;
    std::weak_ptr<void> alive = livenessToken();
    document->canCloseDocument([=](bool shouldClose) {
        if (alive.expired())
            return;
        if (!shouldClose) {
            if (done)
                done(false);
            return;
        }
        if (closeAll)
            document->close();
        self->reviewNext(remaining, done, closeAll);
    });
}

// --- Actions

void DocumentController::newDocument(const QVariant& sender)
{
    Error error;
    if (!openUntitledDocumentAndDisplay(true, &error))
        presentError(error);
}

void DocumentController::openDocument(const QVariant& sender)
{
    auto panel = std::make_shared<OpenPanel>();
    panel->setAllowsMultipleSelection(true);
    QStringList extensions;
    for (const QString& type : readableTypes())
        extensions += fileExtensionsFromType(type);
    panel->setAllowedFileTypes(extensions);
    if (panel->runModal() != kModalResponseOK)
        return;
    for (const QUrl& url : panel->URLs()) {
        openDocumentWithContentsOfURL(url, true, [this](const Ref<Document>&, bool, const Error& error) {
            if (!error.isNull())
                presentError(error);
        });
    }
}

void DocumentController::openRecentDocument(const QVariant& sender)
{
    Ref<MenuItem> item = objectCast<MenuItem>(sender);
    const QUrl url = item ? item->representedObject().toUrl() : sender.toUrl();
    if (url.isEmpty())
        return;
    openDocumentWithContentsOfURL(url, true, [this](const Ref<Document>&, bool, const Error& error) {
        if (!error.isNull())
            presentError(error);
    });
}

void DocumentController::clearRecentDocuments(const QVariant& sender)
{
    Error error;
    if (!recentDocuments().clear(&error))
        presentError(error);
}

bool DocumentController::validateMenuItem(MenuItem& item)
{
    if (item.action() == QStringLiteral("newDocument:"))
        return !defaultType().isEmpty();
    if (item.action() == QStringLiteral("clearRecentDocuments:"))
        return !recentDocumentURLs().isEmpty();
    return Responder::validateMenuItem(item);
}

// --- Recent documents

RecentDocuments& DocumentController::recentDocuments() const
{
    if (!m_recent)
        m_recent = std::make_unique<RecentDocuments>(QCoreApplication::applicationName());
    return *m_recent;
}

void DocumentController::noteNewRecentDocument(Document* document)
{
    if (document && !document->fileURL().isEmpty())
        noteNewRecentDocumentURL(document->fileURL());
}

void DocumentController::noteNewRecentDocumentURL(const QUrl& url)
{
    Error error;
    if (!recentDocuments().note(url, &error))
        log(QStringLiteral("could not note a recent document: ") + error.description());
}

QList<QUrl> DocumentController::recentDocumentURLs() const
{
    return recentDocuments().urls(maximumRecentDocumentCount());
}

// --- Errors

bool DocumentController::presentError(const Error& error)
{
    const Error shown = willPresentError(error);
    if (shown.isNull())
        return false;
    if (shown.domain() == kPFFoundationErrorDomain && shown.code() == kErrorCancelled)
        return false;
    auto alert = std::make_shared<Alert>();
    alert->setAlertStyle(AlertStyle::Warning);
    alert->setMessageText(shown.localizedDescription());
    alert->setInformativeText(shown.localizedFailureReason());
    alert->runModal();
    return false;
}

int DocumentController::untitledNumberFor(const Document* document) const
{
    QList<int> taken;
    for (const auto& other : m_documents) {
        if (other.get() != document && other->isUntitled() && other->m_untitledNumber > 0)
            taken.append(other->m_untitledNumber);
    }
    int number = 1;
    while (taken.contains(number))
        ++number;
    return number;
}

void DocumentController::autosaveAll()
{
    const QList<Ref<Document>> documents = m_documents;
    for (const auto& document : documents) {
        if (document->hasUnautosavedChanges() && !document->isSaving())
            document->autosaveWithImplicitCancellability(true, [document](bool ok, const Error& error) {
                if (!ok)
                    log(QStringLiteral("autosave failed: ") + error.description());
            });
    }
}

} // namespace pf
