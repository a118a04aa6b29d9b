#pragma once

#include "library/PWXLibraryManagerTransferHost.h"
#include "library/PWXLibrarySmartCategoryEditDelegate.h"
#include "platform/ui/WindowController.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QTreeWidget>
#include <QUrl>

class PWXLibrary;
class PWXLibraryCategory;
class PWXLibraryGetInfoController;
class PWXLibraryManagerTransfers;
class PWXLibrarySmartCategory;
class PWXLibrarySmartCategoryEditController;

// The library manager window: the groups, their collections and each collection's items in
// one outline, the items with their previews. One shared window, made on first use.
class PWXLibraryManagerWindowController : public pf::WindowController,
                                          public PWXLibraryManagerTransferHost,
                                          public PWXLibrarySmartCategoryEditDelegate {
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

    // Transfers into and out of the library (the window is their host).
    PWXLibraryManagerTransfers& transfers() const { return *m_transfers; }
    // Makes a clip-art item of each object that can become a symbol and adds it to `category`
    // of `library` (the user's default library and its "All Items" when null); the new items
    // are shown selected. Tells the user when some objects could not be used. False when no
    // item was made.
    bool importItemsAsSymbols(const QList<pf::Ref<pf::Object>>& objects, pf::Ref<PWXLibrary> library = nullptr,
                              pf::Ref<PWXLibraryCategory> category = nullptr);
    // Installs a collection folder or zip archive from elsewhere, asking first with `confirm`.
    bool confirmAndImportLibraryFile(const QString& path, bool confirm);
    // Commands: Import Collection... and Export Collection...
    void importLibraryAction(const QVariant& sender = {});
    void exportLibraryAction(const QVariant& sender = {});

    // The information panel, following the selected items.
    PWXLibraryGetInfoController& getInfoController() const { return *m_getInfo; }
    void showGetInfoPanel();
    // Opens the smart-category sheet on the category; a new smart category of the selected
    // collection when null.
    void editSmartCategory(pf::Ref<PWXLibrarySmartCategory> category);
    PWXLibrarySmartCategoryEditController& smartCategoryEditor() const { return *m_smartEdit; }
    void smartCategoryEditorDidFinishEditingCategory(PWXLibrarySmartCategoryEditController*,
                                                     PWXLibrarySmartCategory* category) override;

    // A new empty collection.
    pf::Ref<PWXLibrary> newCollection(const QString& name);
    // The collection of the selected row (a collection row or an item row), or null.
    pf::Ref<PWXLibrary> selectedLibrary() const override;

    // Transfer host.
    QWidget* transferWindow() const override
    {
        return const_cast<PWXLibraryManagerWindowController*>(this)->window();
    }
    void showTransferWindow() override;
    void reloadLibrarySelectingCategory(const pf::Ref<PWXLibrary>& library,
                                        const pf::Ref<PWXLibraryCategory>& category) override;
    void reloadElementRow(const pf::Ref<PWXLibraryElementContainer>& element) override;
    void reloadItemList(bool preservingSelection) override;
    void selectItems(const QList<pf::Ref<PWXLibraryItem>>& items) override;
    void libraryWasInstalled(const pf::Ref<PWXLibrary>& library) override;

    // The outline, rebuilt from the registry.
    void reloadLibraries();
    QTreeWidget* outline() const { return m_outline; }
    // The unique key of the selected item, or empty.
    QString selectedItemUniqueID() const;
    // The unique keys of the selected items, in outline order.
    QStringList selectedItemUniqueIDs() const;

private:
    QTreeWidgetItem* rowForItem(const QString& key) const;
    void askAndMakeCollection();
    void chooseSmartCategory();
    void selectionChanged();

    QPointer<QTreeWidget> m_outline;
    QHash<QString, QTreeWidgetItem*> m_rows; // unique key -> row, rebuilt with the outline
    QList<quint64> m_observations;
    bool m_reloadPending = false;
    pf::Ref<PWXLibraryManagerTransfers> m_transfers;
    pf::Ref<PWXLibraryGetInfoController> m_getInfo;
    pf::Ref<PWXLibrarySmartCategoryEditController> m_smartEdit;
};
