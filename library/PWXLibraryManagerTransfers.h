#pragma once

#include "library/PWXLibraryArchivingDelegate.h"
#include "platform/foundation/Object.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

class PWXLibrary;
class PWXLibraryCategory;
class PWXLibraryElement;
class PWXLibraryItem;
class PWXLibraryManagerTransferHost;
class RVProgressController;

namespace pf {
class DraggingInfo;
class Pasteboard;
} // namespace pf

inline const QString kPWXLibraryElementPasteboardType = QStringLiteral("PWX_LIB_ELEMENT_TYPE");
inline const QString kPWXLibraryCategoryInternalPasteboardType = QStringLiteral("PWX_LIB_CAT_INTERNAL");

// Everything that moves styles and clip art into, out of and between collections: paste and
// drag and drop onto the library outline (items, categories and drawn objects), moving and
// copying items and categories, turning drawn objects into clip art, installing a collection
// from elsewhere and exporting one as a zip archive. The library manager window owns one and
// is its host; every operation also runs without a window.
class PWXLibraryManagerTransfers : public pf::Object, public PWXLibraryArchivingDelegate {
    PF_CLASS(PWXLibraryManagerTransfers)
public:
    // Confirmation of copying a category into another collection; YES suppresses it.
    static inline const QString kConfirmCategoryCopyDefault = QStringLiteral("kPWXLibraryConfirmCategoryCopy");

    PWXLibraryManagerTransfers();
    ~PWXLibraryManagerTransfers() override;

    // The host is not owned; null means no window.
    void setHost(PWXLibraryManagerTransferHost* host) { m_host = host; }
    PWXLibraryManagerTransferHost* host() const { return m_host; }

    // The types the outline takes, most preferred first.
    static const QStringList& acceptedPasteboardTypes();

    // Drag and drop on the outline --------------------------------------------------------------
    // Starts a drag of outline rows: only a category (the last row) may be dragged; it is
    // remembered until the drop ends. False (and nothing remembered) otherwise.
    bool writeItemsToPasteboard(const QList<pf::Ref<PWXLibraryElement>>& rows, pf::Pasteboard& pasteboard);
    // The drop operation for a drag over a row (a group, collection or category).
    unsigned dragOperationForDraggingInfo(const pf::DraggingInfo* info, const pf::Ref<PWXLibraryElement>& target);
    // Performs a drop on a row; false when nothing was done.
    bool acceptDrop(const pf::DraggingInfo* info, const pf::Ref<PWXLibraryElement>& target);
    pf::Ref<PWXLibraryCategory> draggingCategory() const { return m_draggingCategory.lock(); }
    void forgetDraggingCategory() { m_draggingCategory.reset(); }

    // Paste ---------------------------------------------------------------------------------
    bool canPasteIntoLibrary(const pf::Ref<PWXLibrary>& library, const pf::Ref<PWXLibraryCategory>& category,
                             const pf::Pasteboard& pasteboard) const;
    bool pasteIntoLibrary(const pf::Ref<PWXLibrary>& library, const pf::Ref<PWXLibraryCategory>& category,
                          const pf::Pasteboard& pasteboard, bool copyItems);

    // Items and categories between collections ------------------------------------------------
    // Moves (or copies) the items into `category` of `library` (its "All Items" when null);
    // the first failure stops (what moved stays moved) and answers false.
    bool moveItems(const QList<pf::Ref<PWXLibraryItem>>& items, const pf::Ref<PWXLibrary>& library,
                   const pf::Ref<PWXLibraryCategory>& category, bool makingCopies);
    // Copies a category of another collection into `library` under a free name, with copies
    // of its items and its sub-categories rebuilt, after the user agrees.
    bool copyCategory(const pf::Ref<PWXLibraryCategory>& category, const pf::Ref<PWXLibrary>& library);
    // Makes a clip-art item of each object that can become a symbol, in `category` of
    // `library` (the user's default collection and its "All Items" when null).
    bool importItemsAsSymbols(const QList<pf::Ref<pf::Object>>& objects, pf::Ref<PWXLibrary> library = nullptr,
                              pf::Ref<PWXLibraryCategory> category = nullptr);

    // Collections from elsewhere and to zip archives ------------------------------------------
    // Installs a collection folder, or a zip archive of one, with the checks and alerts; with
    // `confirm` the user is asked first.
    bool confirmAndImportLibraryFile(const QString& path, bool confirm);
    bool importUserLibrary(const QString& path);
    // The commands: an open panel to choose a collection, a save panel to name the archive of
    // the selected collection.
    void importLibraryAction(const QVariant& sender = {});
    void exportLibraryAction(const QVariant& sender = {});
    // Writes the library's archive at `url`, showing progress meanwhile.
    void exportLibrary(const pf::Ref<PWXLibrary>& library, const QUrl& url);
    bool exportInProgress() const { return m_exporting; }
    // The archive last written, once reported (empty when it failed).
    QUrl lastExportedArchive() const { return m_lastExport; }
    // The progress window of an export while it runs.
    pf::Ref<RVProgressController> progressController() const { return m_progress; }

    void libraryWillCreateZipArchiveAtURL(PWXLibrary* library, const QUrl& url) override;
    void libraryAvailableAsZipArchiveURL(PWXLibrary* library, const QUrl& url) override;

private:
    // Where a drop lands: a collection row gives no category.
    struct Target {
        pf::Ref<PWXLibrary> library;
        pf::Ref<PWXLibraryCategory> category;
    };
    static Target targetFor(const pf::Ref<PWXLibraryElement>& element);
    QString firstAcceptedType(const pf::Pasteboard& pasteboard) const;
    // Transfers items one by one; `copies` maps source keys to the copies made so far, so an
    // item filed in several categories is copied once.
    bool transferItems(const QList<pf::Ref<PWXLibraryItem>>& items, const pf::Ref<PWXLibrary>& library,
                       const pf::Ref<PWXLibraryCategory>& category, bool makingCopies,
                       QList<pf::Ref<PWXLibraryItem>>* transferred, QHash<QString, pf::Ref<PWXLibraryItem>>* copies);
    bool copyCategoryContents(const pf::Ref<PWXLibraryCategory>& source, const pf::Ref<PWXLibraryCategory>& target,
                              const pf::Ref<PWXLibrary>& library, QHash<QString, pf::Ref<PWXLibraryItem>>& copies);
    void showAlert(const QString& title, const QString& text, const QString& button, bool beeping);

    PWXLibraryManagerTransferHost* m_host = nullptr;
    pf::Weak<PWXLibraryCategory> m_draggingCategory;
    pf::Ref<RVProgressController> m_progress;
    bool m_exporting = false;
    QUrl m_lastExport;
};
