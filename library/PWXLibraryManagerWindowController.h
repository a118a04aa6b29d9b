#pragma once

#include "library/PWXLibraryItemViewControllerDelegate.h"
#include "library/PWXLibraryManagerTransferHost.h"
#include "library/PWXLibrarySharingDelegate.h"
#include "library/PWXLibrarySmartCategoryEditDelegate.h"
#include "platform/ui/Menu.h"
#include "platform/ui/OutlineView.h"
#include "platform/ui/SearchField.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/WindowController.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <optional>

class PWXLibrary;
class PWXLibraryCategory;
class PWXLibraryElement;
class PWXLibraryElementContainer;
class PWXLibraryGetInfoController;
class PWXLibraryGroup;
class PWXLibraryItem;
class PWXLibraryItemViewController;
class PWXLibraryManagerTransfers;
class PWXLibraryPredicate;
class PWXLibrarySmartCategory;
class PWXLibrarySharingController;
class PWXLibrarySmartCategoryEditController;
class QLabel;
class QLineEdit;

namespace pf {
class MenuItem;
class PrintInfo;
} // namespace pf

// The one window in which the user sees and edits the whole item library: an outline of the
// groups, their collections and the collections' categories on the left, the items of the
// selected collection or category on the right, a search field above them and a bottom bar
// with the category and collection buttons, the item count and the selected item's key.
// One shared window, made on first use.
class PWXLibraryManagerWindowController : public pf::WindowController,
                                          public pf::OutlineViewDataSource,
                                          public pf::OutlineViewDelegate,
                                          public pf::MenuDelegate,
                                          public PWXLibraryItemViewControllerDelegate,
                                          public PWXLibraryManagerTransferHost,
                                          public PWXLibrarySmartCategoryEditDelegate,
                                          public PWXLibrarySharingDelegate {
    PF_CLASS(PWXLibraryManagerWindowController)
public:
    // User defaults.
    static inline const QString kShowLibraryCountsKey = QStringLiteral("LIB_MGR_SHOW_LIB_COUNTS");
    static inline const QString kShowCategoryCountsKey = QStringLiteral("LIB_MGR_SHOW_CAT_COUNTS");
    static inline const QString kShowDocumentsKey = QStringLiteral("CVLQ_LIBRARY_MANAGER_SHOW_DOCUMENTS");
    static inline const QString kSortModeKey = QStringLiteral("CVLQ_LIBRARY_MANAGER_SORTMODE");
    static inline const QString kPrintInfoKey = QStringLiteral("CVLQ_LIBRARY_MANAGER_PRINT_INFO");
    static inline const QString kLastCategoryKey = QStringLiteral("LIBRARY_MANAGER_LAST_CAT_SELECTION");
    static inline const QString kLastSelectionKey = QStringLiteral("CVLQ_LIB_MANAGER_LAST_SELECTION");
    static inline const QString kConfirmCategoryDeleteKey = QStringLiteral("kPWXLibraryConfirmCategoryDelete");
    static inline const QString kConfirmCategoryCopyKey = QStringLiteral("kPWXLibraryConfirmCategoryCopy");
    static inline const QString kFrameAutosaveName = QStringLiteral("CVLQ_LIBRARY_MANAGER_WFRAME");
    static inline const QString kItemViewSettingsRoot = QStringLiteral("CVLQ_LIB_MANAGER");
    static inline const QString kOutlineAutosaveName = QStringLiteral("CVLQ_LIBRARY_MANAGER_OUTLINE");
    static inline const QString kHelpIdentifier = QStringLiteral("The_Library_Manager");
    static constexpr quint64 kInitialCookie = 5;

    PWXLibraryManagerWindowController();
    ~PWXLibraryManagerWindowController() override;

    static pf::Ref<PWXLibraryManagerWindowController> sharedLibraryManager();
    static bool sharedLibraryManagerAvailable();
    // Tests: closes and forgets the shared window.
    static void releaseSharedLibraryManager();
    // The types the outline takes in drops and pastes, most preferred first.
    static const QStringList& acceptedPasteboardTypes();

    void loadWindow() override;
    void awakeFromNib() override;
    void windowDidLoad() override;
    void showWindow(const QVariant& sender = {}) override;

    // --- Revealing
    bool showItemWithUniqueID(const QString& key, bool select);
    bool showItemWithUniqueID(const QString& key, const pf::Ref<PWXLibraryCategory>& category, bool select);
    bool selectLibrary(const pf::Ref<PWXLibrary>& library);
    bool selectCategory(const pf::Ref<PWXLibraryCategory>& category) override;
    void reloadLibrary(const pf::Ref<PWXLibrary>& library, const pf::Ref<PWXLibraryCategory>& category);

    // --- What the collection transfers (import, export, paste, drops) ask of the window that
    // hosts them: where the user is and how to show what a transfer changed.
    QWidget* transferWindow() const override { return const_cast<PWXLibraryManagerWindowController*>(this)->window(); }
    void showTransferWindow() override;
    pf::Ref<PWXLibraryElement> selectedOutlineElement() const override { return selectedItem(); }
    void reloadLibrarySelectingCategory(const pf::Ref<PWXLibrary>& library,
                                        const pf::Ref<PWXLibraryCategory>& category) override
    {
        reloadLibrary(library, category);
    }
    // Reloads one row of the outline, with its children when it is expanded.
    void reloadElementRow(const pf::Ref<PWXLibraryElementContainer>& element) override;
    // Drops the cached item list and reloads it, keeping the selection or not.
    void reloadItemList(bool preservingSelection) override;
    // Selects the items in the item browser.
    void selectItems(const QList<pf::Ref<PWXLibraryItem>>& items) override;
    // A collection was installed: its group's row is expanded and reloaded, and the new
    // collection's row selected and scrolled to when it is shown.
    void libraryWasInstalled(const pf::Ref<PWXLibrary>& library) override;

    // The transfers into, out of and between collections; this window is their host.
    PWXLibraryManagerTransfers& transfers() const { return *mTransfers; }
    // Makes a clip-art item of each object that can become a symbol and adds it to `category`
    // of `library` (the user's default library and its "All Items" when null); the new items
    // are shown selected. Tells the user when some objects could not be used. False when no
    // item was made.
    bool importItemsAsSymbols(const QList<pf::Ref<pf::Object>>& objects, pf::Ref<PWXLibrary> library = nullptr,
                              pf::Ref<PWXLibraryCategory> category = nullptr);
    // Installs a collection folder or zip archive from elsewhere, asking first with `confirm`.
    bool confirmAndImportLibraryFile(const QString& path, bool confirm);

    // The information panel (it follows the item selection), the smart-category sheet and the
    // sharing sheet.
    PWXLibraryGetInfoController& getInfoController() const { return *mGetInfoController; }
    PWXLibrarySmartCategoryEditController& smartCategoryEditor() const { return *mSmartEditController; }
    PWXLibrarySharingController& sharingController() const { return *mSharingController; }
    // Opens the smart-category sheet on the category, when its rule may be edited.
    void editSmartCategory(const pf::Ref<PWXLibraryCategory>& category);

    // --- What is shown and selected
    QList<pf::Ref<PWXLibraryGroup>> groups();
    QList<pf::Ref<PWXLibrary>> userLibraries();
    // The element of the first selected row; null without one or for a group row.
    pf::Ref<PWXLibraryElement> selectedItem() const;
    pf::Ref<PWXLibrary> selectedLibrary() const override;
    QList<pf::Ref<PWXLibraryCategory>> selectedCategories() const;
    pf::Ref<PWXLibraryCategory> lastSelectedCategory() const override;
    // The items selected in the item browser.
    QList<pf::Ref<PWXLibraryItem>> selection();
    // The unique key of the first selected item, or empty; all of them.
    QString selectedItemUniqueID();
    QStringList selectedItemUniqueIDs();
    bool selectedCategoriesCanBeDeleted();
    pf::Ref<PWXLibraryElement> itemWithIdentifier(const QString& identifier);
    pf::Ref<PWXLibraryGroup> groupWithName(const QString& name);
    // The items of the selection, filtered and sorted (cached); empty when there are none.
    QList<pf::Ref<PWXLibraryItem>> sortedAndFilteredItems();
    pf::Ref<PWXLibraryPredicate> filterPredicate() const;
    void invalidateItemsCache();
    void loadItemsViewPreservingSelection(bool preserving);
    QString bottomBarInfoText() const;

    // --- Properties
    QString filterString() const { return mFilterString; }
    void setFilterString(const QString& text);
    int filterMode() const { return mFilterMode; }
    void setFilterMode(int mode);
    bool showsLibraryCounts() const { return mShowLibraryCounts; }
    void setShowsLibraryCounts(bool show);
    bool showsCategoryCounts() const { return mShowCategoryCounts; }
    void setShowsCategoryCounts(bool show);
    bool showsDocumentsLibraries() const;
    void setShowsDocumentsLibraries(bool show);
    pf::Ref<pf::PrintInfo> printInfo();
    void setPrintInfo(const pf::Ref<pf::PrintInfo>& info);
    int sortMainListMode() const;
    void setSortMainListMode(int mode, bool forced);
    quint64 categorySortCookie() const { return mCatSortChanges; }

    // --- Parts, for the program's tests
    pf::OutlineView* outlineView() const { return mLibraryOutlineView; }
    PWXLibraryItemViewController* itemViewController() const { return mItemViewController.get(); }
    pf::SegmentedControl* bottomBarButtonsControl() const { return mBottomBarButtonsControl; }
    QString itemIdentifierText() const;
    pf::SearchField* searchField() const { return mFilterInputSearchField; }
    QDialog* libraryDeleteSheet() const { return mLibDeleteDialog; }
    pf::Ref<PWXLibrary> libraryToDelete() const { return mLibraryToDelete; }
    pf::Menu* moveToMenu() const { return mMoveToDynamicMenu.get(); }

    // --- Commands
    void newLibraryAction(const QVariant& sender);
    void newCategoryAction(const QVariant& sender);
    void deleteCategoryAction(const QVariant& sender);
    void deleteLibraryAction(const QVariant& sender);
    void nominateDefaultLibraryAction(const QVariant& sender);
    void searchFieldAction(const QVariant& sender);
    void searchFieldModeAction(const QVariant& sender);
    void searchFieldConvertToSmartCategoryAction(const QVariant& sender);
    void renameAction(const QVariant& sender);
    void removeItemsAction(const QVariant& sender);
    void editItemsAction(const QVariant& sender);
    void toggleShowCategoryCounts(const QVariant& sender);
    void toggleShowLibraryCounts(const QVariant& sender);
    void newSmartCategoryAction(const QVariant& sender);
    void editSmartCategoryAction(const QVariant& sender);
    void importLibraryAction(const QVariant& sender = {});
    void exportLibraryAction(const QVariant& sender = {});
    void paste(const QVariant& sender);
    void getInfoAction(const QVariant& sender);
    void revealInFinderAction(const QVariant& sender);
    void printDocument(const QVariant& sender);
    void runPageLayout(const QVariant& sender);
    void sortMainListAction(const QVariant& sender);
    void shareLibraryAction(const QVariant& sender);
    void toggleLibrarySharing(const QVariant& sender);
    void libDeleteCancelAction(const QVariant& sender);
    void libDeleteOKAction(const QVariant& sender);
    void bottomBarButtonAction(const QVariant& sender);
    void moveToLibraryAction(const QVariant& sender);
    void helpButtonAction(const QVariant& sender);
    void debug_forceWritable(const QVariant& sender);
    void debug_gatherOrphanedItemsAction(const QVariant& sender);
    void debug_toggleLock(const QVariant& sender);
    void debug_forceCatfileUpdate(const QVariant& sender);
    void debug_remakePreviewImage(const QVariant& sender);
    bool validateMenuItem(pf::MenuItem& item) override;
    bool validateUserInterfaceItem(pf::UserInterfaceItem& item) override;

    // The operations behind the commands.
    pf::Ref<PWXLibraryCategory> makeNewCategoryForLibrary(const pf::Ref<PWXLibrary>& library, bool startEditing = true);
    pf::Ref<PWXLibraryCategory> makeNewSmartCategoryForLibrary(const pf::Ref<PWXLibrary>& library, bool startEditing);
    pf::Ref<PWXLibraryCategory> makeNewSmartCategoryFromFilter();
    void deleteCategories(const QList<pf::Ref<PWXLibraryCategory>>& categories);
    // Shows the delete-collection sheet for the selected library; the library is kept and is the
    // one deleted when the sheet ends with 1.
    void confirmAndDeleteSelectedLibrary();
    void endLibraryDeleteSheet(int code);
    void deleteLibrary(const pf::Ref<PWXLibrary>& library);
    bool moveItemsToLibrary(const QList<pf::Ref<PWXLibraryItem>>& items, const pf::Ref<PWXLibrary>& library);
    // The smart-category sheet finished with `category`: its row and, when it is shown, the
    // item list follow the new rule.
    void smartCategoryEditorDidFinishEditingCategory(PWXLibrarySmartCategoryEditController* editor,
                                                     PWXLibrarySmartCategory* category) override;
    // The sharing sheet describes the selected collection.
    pf::Ref<PWXLibrary> libraryToUpload() const override { return selectedLibrary(); }

    // OutlineViewDataSource
    int numberOfChildrenOfItem(pf::OutlineView&, const QVariant& item) override;
    QVariant child(pf::OutlineView&, int index, const QVariant& item) override;
    bool isItemExpandable(pf::OutlineView&, const QVariant& item) override;
    QVariant objectValueForTableColumn(pf::OutlineView&, pf::TableColumn* column, const QVariant& item) override;
    void setObjectValue(pf::OutlineView&, const QVariant& value, pf::TableColumn* column, const QVariant& item) override;
    void sortDescriptorsDidChange(pf::OutlineView&, const QList<pf::SortDescriptor>& oldDescriptors) override;
    QVariant persistentObjectForItem(pf::OutlineView&, const QVariant& item) override;
    QVariant itemForPersistentObject(pf::OutlineView&, const QVariant& object) override;
    // Drags and drops on the outline, done by the transfers.
    bool writeItems(pf::OutlineView&, const QVariantList& items, pf::Pasteboard& pasteboard) override;
    unsigned validateDrop(pf::OutlineView&, const pf::DraggingInfo& info, const QVariant& item, int childIndex) override;
    bool acceptDrop(pf::OutlineView&, const pf::DraggingInfo& info, const QVariant& item, int childIndex) override;
    // OutlineViewDelegate
    void willDisplayCell(pf::OutlineView&, pf::Cell& cell, pf::TableColumn* column, const QVariant& item) override;
    QString toolTipForCell(pf::OutlineView&, pf::Cell& cell, QRectF& rect, pf::TableColumn* column,
                           const QVariant& item, QPointF mouseLocation) override;
    bool shouldSelectItem(pf::OutlineView&, const QVariant& item) override;
    void selectionDidChange(pf::OutlineView&) override;
    bool shouldEditTableColumn(pf::OutlineView&, pf::TableColumn* column, const QVariant& item) override;
    bool isGroupItem(pf::OutlineView&, const QVariant& item) override;
    double heightOfRowByItem(pf::OutlineView&, const QVariant& item) override;
    // MenuDelegate: the move-to-collection submenu.
    int numberOfItemsInMenu(pf::Menu& menu) override;
    bool updateItem(pf::Menu& menu, pf::MenuItem& item, int index, bool shouldCancel) override;
    // PWXLibraryItemViewControllerDelegate
    QString saveSettingsRootNameForItemViewController(PWXLibraryItemViewController&) override;
    bool shouldEditItemAtIndex(PWXLibraryItemViewController&, int index) override;
    bool canRemoveItemsAtIndexes(const pf::IndexSet& indexes) override;
    bool removeItemsAtIndexes(const pf::IndexSet& indexes) override;
    void deleteItemsAtIndexes(const pf::IndexSet& indexes) override;
    void editItemsAtIndexes(const pf::IndexSet&) override {}
    bool libraryItemViewControllerAllowsResorting(PWXLibraryItemViewController&) override;
    void itemSelectionChanged(const pf::IndexSet& indexes) override;
    void sortDescriptorsChanged(const QList<pf::SortDescriptor>& oldDescriptors) override;
    QString printHeaderStringForPage(int page) override;
    QString printFooterStringForPage(int page) override;
    void printOperationDidRun(bool success, const QString& contextInfo) override;

private:
    void buildWindow();
    void observeNotifications();
    void updateBottomBarInfo();
    void updateCategoryButtons();
    void reloadOutline();
    void restoreSelection();
    void rowDidChange(const QVariant& element, bool withChildren);
    int rowForElement(const pf::Ref<PWXLibraryElement>& element);
    void selectAndScrollTo(const pf::Ref<PWXLibraryElement>& element, bool edit);
    void editNameOfRow(int row);
    pf::Ref<PWXLibraryElement> elementOf(const QVariant& item) const;
    // Where paste: puts items: the last selected category, or none for a collection's row.
    pf::Ref<PWXLibraryCategory> pasteTargetCategory() const;
    bool answersAllowsSubContainers(const pf::Ref<PWXLibraryElement>& element) const;
    void windowBecameMain();

    QPointer<pf::OutlineView> mLibraryOutlineView;
    QPointer<QLabel> mItemIdentifierField;
    QPointer<QLabel> mBottomBarItemsInfoTextField;
    QPointer<pf::SegmentedControl> mBottomBarButtonsControl;
    pf::Ref<pf::Menu> mBottomBarActionMenu;
    pf::Ref<pf::Menu> mMoveToDynamicMenu;
    QPointer<pf::SearchField> mFilterInputSearchField;
    pf::Ref<PWXLibraryItemViewController> mItemViewController;
    QPointer<QDialog> mLibDeleteDialog;
    QPointer<QLabel> mLibDeleteText;
    pf::Ref<PWXLibrary> mLibraryToDelete;
    quint64 mCatSortChanges = kInitialCookie;
    quint64 mItemSortChanges = kInitialCookie;
    std::optional<QList<pf::Ref<PWXLibraryGroup>>> mCachedLibraries;
    std::optional<QList<pf::Ref<PWXLibraryItem>>> mCachedItems;
    QString mFilterString;
    int mFilterMode = 0;
    pf::Ref<pf::PrintInfo> mPrintInfo;
    bool mShowLibraryCounts = false;
    bool mShowCategoryCounts = false;
    bool mNeedsSelection = false;
    bool mSymbolEditorIsOpen = false;
    QList<quint64> mObservations;
    QPointer<QObject> mMainWatcher;
    pf::Ref<PWXLibraryManagerTransfers> mTransfers;
    pf::Ref<PWXLibraryGetInfoController> mGetInfoController;
    pf::Ref<PWXLibrarySmartCategoryEditController> mSmartEditController;
    pf::Ref<PWXLibrarySharingController> mSharingController;
};
