#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/Object.h"
#include "platform/ui/Responder.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

class QWidget;

namespace pf {

class Class;
class Document;
class RecentDocuments;

enum class DocumentTypeRole { None, Viewer, Editor };

// One kind of document the program opens: its name ("Quil"), file extensions without the
// dot, role (editors also write the type), the Document subclass that handles it, and
// whether its files are folders (packages).
struct DocumentType {
    QString name;
    QStringList extensions;
    DocumentTypeRole role = DocumentTypeRole::Editor;
    QString documentClassName;
    bool isPackage = false;
};

// Keeps the open documents, the document types, the recent documents list and the
// presentation of document errors. The first controller made becomes the shared one.
class DocumentController : public Object, public Responder {
    PF_CLASS(DocumentController)
public:
    using OpenCompletion = std::function<void(const Ref<Document>& document, bool wasAlreadyOpen, const Error& error)>;

    DocumentController();
    ~DocumentController() override;

    // The first controller made that is still alive; a plain one is made when there is none.
    static DocumentController* shared();
    static DocumentController* sharedIfMade();

    // --- Types
    // Adds a type, replacing one of the same name.
    void registerDocumentType(const DocumentType& type);
    // The types of an information dictionary's "CFBundleDocumentTypes" (CFBundleTypeName,
    // CFBundleTypeExtensions, CFBundleTypeRole, NSDocumentClass, LSTypeIsPackage). Entries
    // without a name are skipped.
    void registerDocumentTypes(const QVariantMap& info);
    const QList<DocumentType>& documentTypes() const { return m_types; }
    const DocumentType* documentType(const QString& name) const;
    // The first editor type; empty when there is none.
    QString defaultType() const;
    // Editor and viewer types handled by `documentClassName` (every class when empty).
    QStringList readableTypes(const QString& documentClassName = {}) const;
    QStringList writableTypes(const QString& documentClassName = {}) const;
    QStringList fileExtensionsFromType(const QString& type) const;
    QString typeFromFileExtension(const QString& extension) const;
    // The type of the file or package at `url` from its extension; fails for a missing
    // file, a folder that is no package and an extension no type claims. A plain file of a
    // package type is the document's to judge, so it is not refused here.
    virtual QString typeForContentsOfURL(const QUrl& url, Error* error) const;
    const Class* documentClassForType(const QString& type) const;

    // --- Documents
    const QList<Ref<Document>>& documents() const { return m_documents; }
    virtual void addDocument(const Ref<Document>& document);
    virtual void removeDocument(Document* document);
    Document* documentForURL(const QUrl& url) const;
    Document* documentForWindow(const QWidget* window) const;
    // The document of the main window, else of the last active document window.
    Document* currentDocument() const;
    bool hasEditedDocuments() const;

    virtual Ref<Document> makeUntitledDocumentOfType(const QString& type, Error* error);
    virtual Ref<Document> makeDocumentWithContentsOfURL(const QUrl& url, const QString& type, Error* error);
    // A new untitled document of the default type, added and, with `display`, shown.
    Ref<Document> openUntitledDocumentAndDisplay(bool display, Error* error);
    // Opens the document at `url`, or brings up the one already open. The document gets its
    // URL and type before it reads, and may change both while reading (a reader that takes
    // the file as a copy drops the URL). Reads on a worker thread when the document class
    // allows it for the type: such a class must change nothing outside the new document there.
    // The completion runs on the main thread; on failure it gets the error and no document,
    // and nothing is shown.
    void openDocumentWithContentsOfURL(const QUrl& url, bool display, OpenCompletion completion);

    // Asks every edited document in turn whether it may close, then closes them all;
    // `done` gets false as soon as one refuses.
    void reviewUnsavedDocuments(std::function<void(bool allClosed)> done);
    void closeAllDocuments(std::function<void(bool allClosed)> done);

    // Actions.
    virtual void newDocument(const QVariant& sender);
    virtual void openDocument(const QVariant& sender);
    virtual void openRecentDocument(const QVariant& sender);
    virtual void clearRecentDocuments(const QVariant& sender);
    bool validateMenuItem(MenuItem& item) override;

    // --- Recent documents (the desktop's recently used list)
    virtual void noteNewRecentDocument(Document* document);
    virtual void noteNewRecentDocumentURL(const QUrl& url);
    QList<QUrl> recentDocumentURLs() const;
    int maximumRecentDocumentCount() const { return 10; }
    RecentDocuments& recentDocuments() const;

    // --- Errors
    // Shows the error's description and failure reason in an alert; answers whether the
    // user recovered (never: there are no recovery options yet). A cancel the user asked for
    // (kErrorCancelled in the foundation domain) is not shown.
    virtual bool presentError(const Error& error);
    virtual Error willPresentError(const Error& error) { return error; }

    // The number an untitled document shows: the lowest not taken by another open one.
    int untitledNumberFor(const Document* document) const;

private:
    void finishOpening(const QUrl& url, const Ref<Document>& document, bool display, const Error& error);
    void reviewNext(QList<Ref<Document>> remaining, std::function<void(bool)> done, bool closeAll);
    void autosaveAll();

    QList<DocumentType> m_types;
    QList<Ref<Document>> m_documents;
    QHash<QUrl, QList<OpenCompletion>> m_opening;
    mutable std::unique_ptr<RecentDocuments> m_recent;
    QMetaObject::Connection m_stateConnection;
};

} // namespace pf
