#pragma once

#include "platform/ui/WindowController.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QTreeWidget>

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

    // The outline, rebuilt from the registry.
    void reloadLibraries();
    QTreeWidget* outline() const { return m_outline; }
    // The unique key of the selected item, or empty.
    QString selectedItemUniqueID() const;

private:
    QTreeWidgetItem* rowForItem(const QString& key) const;

    QPointer<QTreeWidget> m_outline;
    QList<quint64> m_observations;
    bool m_reloadPending = false;
};
