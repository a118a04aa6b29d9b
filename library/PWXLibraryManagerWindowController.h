#pragma once

#include "platform/ui/WindowController.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QTreeWidget>

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

    // The outline, rebuilt from the registry.
    void reloadLibraries();
    QTreeWidget* outline() const { return m_outline; }
    // The unique key of the selected item, or empty.
    QString selectedItemUniqueID() const;
    // The unique keys of the selected items, in outline order.
    QStringList selectedItemUniqueIDs() const;

private:
    QTreeWidgetItem* rowForItem(const QString& key) const;

    QPointer<QTreeWidget> m_outline;
    QList<quint64> m_observations;
    bool m_reloadPending = false;
};
