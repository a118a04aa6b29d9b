#pragma once

#include "platform/ui/WindowController.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QTreeWidget>
#include <QUrl>

class PWXLibrary;
class PWXLibraryCategory;

// The library manager window: the groups, their collections and each collection's items in
// one outline, the items with their previews. One shared window, made on first use.
class PWXLibraryManagerWindowController : public pf::WindowController {
    PF_CLASS(PWXLibraryManagerWindowController)
public:
    PWXLibraryManagerWindowController();
    ~PWXLibraryManagerWindowController() override;

    static pf::Ref<PWXLibraryManagerWindowController> sharedLibraryManager();
    static bool sharedLibraryManagerAvailable();
    // Tests: closes and forgets the shared window.
    static void releaseSharedLibraryManager();

    void showWindow(const QVariant& sender = {}) override;
    // Reveals the item with that unique key (expanding its group and collection) and, with
    // `select`, selects it; false when no library holds the key.
    bool showItemWithUniqueID(const QString& key, bool select);

    // Makes a clip-art item of each object that can become a symbol and adds it to `category`
    // of `library` (the user's default library and its "All Items" when null); the new items
    // are shown selected. Tells the user when some objects could not be used. False when no
    // item was made.
    bool importItemsAsSymbols(const QList<pf::Ref<pf::Object>>& objects, pf::Ref<PWXLibrary> library = nullptr,
                              pf::Ref<PWXLibraryCategory> category = nullptr);

    // Collections: a new empty one, one imported from a folder or zip archive, one written to a
    // zip archive (reported when done; a failure is told to the user). Each answers whether it
    // started or did what was asked.
    pf::Ref<PWXLibrary> newCollection(const QString& name);
    pf::Ref<PWXLibrary> importCollectionAtPath(const QString& path);
    bool exportCollection(const pf::Ref<PWXLibrary>& library, const QUrl& destination);
    // The collection of the selected row (a collection row or an item row), or null.
    pf::Ref<PWXLibrary> selectedLibrary() const;
    // The archive last written by exportCollection, once it has been reported (empty on failure).
    QUrl lastExportedArchive() const { return m_lastExport; }
    bool exportInProgress() const { return m_exporting; }

    // The outline, rebuilt from the registry.
    void reloadLibraries();
    QTreeWidget* outline() const { return m_outline; }
    // The unique key of the selected item, or empty.
    QString selectedItemUniqueID() const;
    // The unique keys of the selected items, in outline order.
    QStringList selectedItemUniqueIDs() const;

private:
    QTreeWidgetItem* rowForItem(const QString& key) const;
    void chooseAndImport();
    void chooseAndExport();
    void askAndMakeCollection();
    void exportEnded(const pf::Ref<PWXLibrary>& library, const QUrl& url);

    QPointer<QTreeWidget> m_outline;
    QHash<QString, QTreeWidgetItem*> m_rows; // unique key -> row, rebuilt with the outline
    QList<quint64> m_observations;
    bool m_reloadPending = false;
    bool m_exporting = false;
    QUrl m_lastExport;
};
