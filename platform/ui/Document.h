#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/FileWrapper.h"
#include "platform/foundation/Object.h"
#include "platform/ui/Responder.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>

class QTimer;
class QWidget;

namespace pf {

class PrintInfo;
class PrintOperation;
class SavePanel;
class UndoManager;
class WindowController;

// Kinds of change reported to updateChangeCount, numbered as the rest of the system expects.
enum class DocumentChangeType : int {
    Done = 0,
    Undone = 1,
    Cleared = 2,
    ReadOtherContents = 3,
    Autosaved = 4,
    Redone = 5,
};

enum class SaveOperation : int {
    Save = 0,
    SaveAs = 1,
    SaveTo = 2,
    AutosaveElsewhere = 3,
    AutosaveInPlace = 4,
};

// A document: its contents in memory, the file they came from, its windows and its undo
// history. Subclasses read and write their contents (readFromData / dataOfType, or the file
// wrapper forms for packages) and make their windows; the rest (saving, reverting,
// autosaving, the edited state, closing) is done here.
class Document : public Object, public Responder {
    PF_CLASS(Document)
public:
    using Completion = std::function<void(bool ok, const Error& error)>;

    Document();
    ~Document() override;

    // A new, empty document of `type`; the default accepts every type. Fails with an error
    // for a type the document cannot be made as.
    virtual bool initWithType(const QString& type, Error* error);

    // Class-wide answers, asked of an instance.
    virtual bool autosavesInPlace() const { return false; }
    virtual bool canConcurrentlyReadDocumentsOfType(const QString& type) const { return false; }
    // Types this document can be written as (the controller's editor types for this class).
    virtual QStringList writableTypes() const;
    virtual bool isNativeType(const QString& type) const;

    // --- Identity
    QUrl fileURL() const { return m_fileURL; }
    virtual void setFileURL(const QUrl& url);
    QString fileType() const { return m_fileType; }
    virtual void setFileType(const QString& type);
    QDateTime fileModificationDate() const { return m_fileModificationDate; }
    void setFileModificationDate(const QDateTime& date) { m_fileModificationDate = date; }
    // The file name without its extension; "Untitled", "Untitled 2", ... for an untitled
    // document; the name set with setDisplayName wins over both.
    virtual QString displayName() const;
    virtual void setDisplayName(const QString& name);
    bool isUntitled() const { return m_fileURL.isEmpty(); }

    // --- Reading and writing (subclasses override the data or the file wrapper forms)
    virtual bool readFromURL(const QUrl& url, const QString& type, Error* error);
    virtual bool readFromFileWrapper(const FileWrapper& wrapper, const QString& type, Error* error);
    virtual bool readFromData(const QByteArray& data, const QString& type, Error* error);
    // The default wraps dataOfType in a regular file; dataOfType fails by answering null data
    // with the error filled in.
    virtual FileWrapperRef fileWrapperOfType(const QString& type, Error* error);
    virtual QByteArray dataOfType(const QString& type, Error* error);
    // Writes `wrapper` atomically to `url`; runs on a worker thread when the write is
    // asynchronous, so it must touch nothing but its arguments.
    virtual bool writeFileWrapper(const FileWrapperRef& wrapper, const QUrl& url, const QString& type,
                                  SaveOperation operation, Error* error);

    // --- Saving
    // Saves to `url` as `type`. Save and SaveAs make `url` the document's file and clear the
    // edited state; SaveTo writes a copy and changes neither; the autosave kinds report
    // DocumentChangeType::Autosaved. A failed save leaves the file on disk as it was. The
    // completion runs on the main thread once the file is written or the save failed.
    void saveToURL(const QUrl& url, const QString& type, SaveOperation operation, Completion completion = {});
    virtual bool canAsynchronouslyWriteToURL(const QUrl& url, const QString& type, SaveOperation operation) const;
    // Ends the blocking part of an asynchronous save; callable from the writing thread.
    void unblockUserInteraction();
    bool isSaving() const { return m_saving; }
    // Prepares the save panel of Save As and Save To; false cancels the panel.
    virtual bool prepareSavePanel(SavePanel& panel);

    // Actions.
    virtual void saveDocument(const QVariant& sender);
    virtual void saveDocumentAs(const QVariant& sender);
    virtual void saveDocumentTo(const QVariant& sender);
    virtual void revertDocumentToSaved(const QVariant& sender);
    virtual void printDocument(const QVariant& sender);
    virtual void runPageLayout(const QVariant& sender);

    // Save and revert are enabled as the document's state allows; undo and redo follow the
    // undo manager and take its titles.
    bool validateMenuItem(MenuItem& item) override;

    // Re-reads the file at `url` as `type`, replacing the contents; clears the change count.
    // On failure the contents in memory stay as they were.
    virtual bool revertToContentsOfURL(const QUrl& url, const QString& type, Error* error);

    // --- Autosaving
    // Autosaves when there are changes not yet autosaved: in place to the document's own
    // file when that file is of a type this document writes, else to a side file in the
    // "Autosave Information" folder, so that a file the program cannot write back in its own
    // format is never overwritten.
    virtual void autosaveWithImplicitCancellability(bool cancellable, Completion completion = {});
    bool hasUnautosavedChanges() const { return m_autosaveChangeCount != 0; }
    QUrl autosavedContentsFileURL() const { return m_autosavedContentsFileURL; }
    void setAutosavedContentsFileURL(const QUrl& url) { m_autosavedContentsFileURL = url; }
    // Seconds after the last edit before an autosave runs.
    static double autosaveDelay() { return 30.0; }
    // Autosaving in place writes the edits into the document's own file while the document
    // stays edited until the user saves. Before the first such write after the user's save,
    // the file as the user saved it is kept aside here (null when nothing is kept), so that
    // Revert to Saved brings it back. A save by the user or closing the document drops it.
    QUrl savedVersionURL() const { return m_savedVersionURL; }
    // Brings back the version the user last saved: the kept one, put back in place of the
    // autosaved file, or else the file itself. On failure the contents in memory and the
    // file stay as they were.
    virtual bool revertToSavedVersion(Error* error);

    // --- Change count
    virtual void updateChangeCount(DocumentChangeType change);
    virtual bool isDocumentEdited() const { return m_changeCount != 0; }
    int changeCount() const { return m_changeCount; }

    // --- Undo
    // Made on first use unless the document has none.
    UndoManager* ownUndoManager() const override;
    // Replaces the undo manager (null removes it); the document follows its undo, redo and
    // group notifications to keep the change count.
    void setUndoManager(const Ref<UndoManager>& manager);
    bool hasUndoManager() const { return bool(m_undoManager); }
    void setHasUndoManager(bool has);

    // --- Windows
    virtual QString windowNibName() const { return {}; }
    // Makes the document's window controllers; the default makes one for windowNibName().
    virtual void makeWindowControllers();
    const QList<Ref<WindowController>>& windowControllers() const { return m_windowControllers; }
    void addWindowController(const Ref<WindowController>& controller);
    void removeWindowController(WindowController* controller);
    virtual void windowControllerWillLoadNib(WindowController* controller) {}
    virtual void windowControllerDidLoadNib(WindowController* controller) {}
    virtual void showWindows();
    // The window sheets of this document attach to: its first window controller's window.
    virtual QWidget* windowForSheet() const;

    // --- Closing
    // Asks whether the document may close: an edited document that autosaves in place and
    // has a file is saved silently; an edited one otherwise asks "Do you want to save".
    // `done` runs with the answer.
    virtual void canCloseDocument(std::function<void(bool shouldClose)> done);
    // Closes every window and leaves the document controller.
    virtual void close();

    // --- Printing
    Ref<PrintInfo> printInfo() const;
    void setPrintInfo(const Ref<PrintInfo>& info);
    // The print operation for the document; the default fails, since only a subclass knows
    // what to print.
    virtual Ref<PrintOperation> printOperationWithSettings(const QVariantMap& settings, Error* error);
    virtual void runModalPrintOperation(const Ref<PrintOperation>& operation, std::function<void(bool printed)> done);

    // --- Errors
    // Presents the error in an alert through the document controller; answers whether the
    // user recovered from it.
    virtual bool presentError(const Error& error);
    virtual Error willPresentError(const Error& error) { return error; }

protected:
    // The undo manager's notifications become change counts.
    void observeUndoManager();
    void scheduleAutosave();

private:
    friend class DocumentController;
    struct SaveRequest;
    void startSave(SaveRequest request);
    void finishSave(const SaveRequest& request, bool ok, const Error& error);
    // Runs the save panel for Save As or Save To, then saves; `done` tells whether it saved.
    void runSavePanel(SaveOperation operation, std::function<void(bool saved)> done = {});
    void synchronizeWindowTitles();
    QUrl sideAutosaveURL();
    bool keepSavedVersion(Error* error);
    void discardSavedVersion();
    int untitledNumber() const;

    QUrl m_fileURL;
    QString m_fileType;
    QDateTime m_fileModificationDate;
    QString m_displayName;
    mutable int m_untitledNumber = 0;
    QUrl m_autosavedContentsFileURL;
    QUrl m_savedVersionURL;

    int m_changeCount = 0;
    int m_autosaveChangeCount = 0;

    mutable Ref<UndoManager> m_undoManager;
    bool m_hasUndoManager = true;
    QList<quint64> m_undoObservations;

    QList<Ref<WindowController>> m_windowControllers;
    Ref<PrintInfo> m_printInfo;
    QTimer* m_autosaveTimer = nullptr;

    bool m_saving = false;
    QList<std::function<void()>> m_pendingSaves;
    struct BlockState;
    std::shared_ptr<BlockState> m_block;
};

} // namespace pf
