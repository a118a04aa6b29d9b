#pragma once

#include "library/PWXLibraryItemViewControllerDelegate.h"
#include "platform/foundation/Object.h"
#include "platform/graphics/Color.h"
#include "platform/ui/Responder.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewDelegate.h"
#include "widgets/RVPrintableZDDistributedViewDelegate.h"
#include "widgets/ZDDistributedView.h"
#include "widgets/ZDDistributedViewDataSource.h"
#include "widgets/ZDDistributedViewDelegate.h"

#include <QHash>
#include <QImage>
#include <QPointer>

#include <limits>
#include <optional>

class PWXLibraryItem;
class RVPrintableZDDistributedView;
class QDialog;
class QLabel;
class QStackedWidget;
class QWidget;

namespace pf {
class Image;
class MenuItem;
class PopUpButton;
class PrintInfo;
class SegmentedControl;
} // namespace pf

// Shows a list of library items as icons or as a table, and lets the user select, rename,
// lock, sort, print, drag out and delete them. It holds no library logic: its owner hands it
// the items and hears of selections and requests through the delegate. Each owner keeps its
// own view settings in the user defaults under the root name its delegate gives.
class PWXLibraryItemViewController : public pf::Object,
                                     public pf::Responder,
                                     public pf::TableViewDataSource,
                                     public pf::TableViewDelegate,
                                     public ZDDistributedViewDataSource,
                                     public ZDDistributedViewDelegate,
                                     public RVPrintableZDDistributedViewDelegate {
    PF_CLASS(PWXLibraryItemViewController)
public:
    enum LayoutMode { IconLayout = 0, ListLayout = 1 };
    // The value of a tri-state editing answer when some selected items are locked and some not.
    static constexpr int kMixedEditing = -1;
    static constexpr int kNoSortCode = std::numeric_limits<int>::max();

    // User defaults keys, "%1" being the root name.
    static inline const QString kLayoutModeKey = QStringLiteral("%1_PWLIB_ITEM_VIEW_layoutMode");
    static inline const QString kIconSizingKey = QStringLiteral("%1_PWLIB_ITEM_VIEW_iconSizing");
    static inline const QString kIconUpscalingKey = QStringLiteral("%1_PWLIB_ITEM_VIEW_iconUpscaling");
    static inline const QString kLockBadgingKey = QStringLiteral("%1_PWLIB_ITEM_VIEW_lockBadging");
    static inline const QString kBackgroundColourKey = QStringLiteral("%1_bkgColorIndex");
    static inline const QString kDeleteContext = QStringLiteral("items_delete");
    static inline const QString kPrintContext = QStringLiteral("print_preview");

    PWXLibraryItemViewController();
    ~PWXLibraryItemViewController() override;

    // The browser's widgets: the views (one shown at a time) and its toolbar controls. Made
    // at construction; the owner places them.
    QWidget* containerView() const { return m_container; }
    QWidget* toolbarView() const { return m_toolbar; }
    pf::TableView* listView() const { return m_table; }
    ZDDistributedView* iconView() const { return m_iconView; }
    // Replaces the icon view (the old one is deleted); the new one is set up as the browser's.
    void setIconView(ZDDistributedView* view);
    QWidget* activeView() const;
    // The window that hosts the delete sheet and the print panel.
    QWidget* sheetHostWindow() const;
    void setSheetHostWindow(QWidget* window) { m_sheetHost = window; }

    PWXLibraryItemViewControllerDelegate* delegate() const { return m_delegate; }
    // Reads the stored view settings under the delegate's root name and applies them.
    void setDelegate(PWXLibraryItemViewControllerDelegate* delegate);

    // --- Content
    void setContent(const QList<pf::Ref<PWXLibraryItem>>& content) { setContent(content, true); }
    void setContent(const QList<pf::Ref<PWXLibraryItem>>& content, bool preservingSelection);
    QList<pf::Ref<PWXLibraryItem>> content();
    int numberOfItemsInContent();

    // --- Selection
    pf::IndexSet selectedItemIndexes() const;
    QList<pf::Ref<PWXLibraryItem>> selectedItems();
    QList<pf::Ref<PWXLibraryItem>> selectedUnlockedItems();
    void selectItems(const QList<pf::Ref<PWXLibraryItem>>& items);
    void selectItemsAtIndexes(const pf::IndexSet& indexes);
    void selectAll(const QVariant& sender = {});
    void selectNone(const QVariant& sender = {});
    void selectOthers(const QVariant& sender = {});
    bool revealItem(const pf::Ref<PWXLibraryItem>& item, bool selectIt);
    void saveSelectedItems();
    void restoreSelectedItems();

    void refreshActiveView();
    double rowHeight() const;
    double fixedHeight() const;

    // --- Settings
    int layoutMode() const { return m_mode; }
    void setLayoutMode(int mode);
    int iconSizing() const { return m_iconSizing; }
    void setIconSizing(int sizing);
    bool iconsCanBeScaledUp() const { return m_allowIconUpscaling; }
    void setIconsCanBeScaledUp(bool upscaling);
    bool showsLockBadging() const { return m_lockBadging; }
    void setShowsLockBadging(bool badging);
    // 1 when every selected item is unlocked, 0 when every one is locked or nothing is selected,
    // kMixedEditing otherwise.
    int isEditingEnabled();
    void setEditingEnabled(bool enabled);
    // Null: no item is disabled; an empty set: every item is.
    std::optional<pf::IndexSet> disabledItems() const { return m_disabledItems; }
    void setDisabledItems(const std::optional<pf::IndexSet>& indexes);
    bool isItemDisabled(int index) const;
    int sortedBy() const;
    void setSortedBy(int code);
    QList<pf::SortDescriptor> sortDescriptors() const;
    void setSortDescriptors(const QList<pf::SortDescriptor>& descriptors);
    int backgroundColourCode() const { return m_backgroundCode; }
    void setIconViewBackgroundColour(int code);
    QSizeF cellSize() const { return m_cellSize; }
    void renameItemAtIndex(int index);

    // --- Printing: the page holds floor(printable width / 52) columns (at least one) of 52-point
    // cells and as many rows as the items need.
    struct PrintLayout {
        int columns = 1;
        int rows = 0;
        double width = 0;
        double height = 0;
    };
    static PrintLayout printLayoutForWidth(double printableWidth, int itemCount);
    // The width the items print in: the imageable width of the page less its margins.
    static double printableWidth(const pf::PrintInfo& info);
    // Prints the content with the print panel as a sheet (the shared print info when null);
    // the delegate hears the outcome with the context "print_preview".
    void performPrintWithPrintInfo(const pf::Ref<pf::PrintInfo>& info);
    // The view that prints the content, laid out for `info` (owned by the caller).
    RVPrintableZDDistributedView* makePrintableView(const pf::PrintInfo& info);
    // Prints the content into a PDF file without a panel; false when it could not be written.
    bool printToPDF(const pf::Ref<pf::PrintInfo>& info, const QString& path);

    // --- Class side
    static double iconSizeForSizing(int sizing);
    static pf::Color cellSelectionColour();
    static pf::Color standardBackgroundColour();
    static pf::Color backgroundColourForCode(int code);
    static pf::Ref<pf::Image> lockBadgeImage();
    // The items as icons of `sizing` in `columns` columns, as one page of PDF data. No
    // columns is a programming error.
    static QByteArray pdfPreviewForContent(const QList<pf::Ref<PWXLibraryItem>>& content, int columns, int sizing);
    // The text of the delete sheet for `items` (the last one's library named).
    static QString deleteSheetText(const QList<pf::Ref<PWXLibraryItem>>& items);

    // The cell image of an item: its preview, kept by this browser for as long as the item is
    // in its content so that a preview, once decoded, is never decoded again while shown.
    pf::Ref<pf::Image> previewForItem(PWXLibraryItem& item);
    int cachedPreviewCount() const { return int(m_previews.size()); }

    // --- Commands
    void deleteAction(const QVariant& sender);
    // Puts the selected items on the general pasteboard, for pasting into another category or
    // collection.
    void copy(const QVariant& sender = {});
    void deleteItemsOKAction(const QVariant& sender);
    void deleteItemsCancelAction(const QVariant& sender);
    void iconSizingAction(const QVariant& sender);
    // A continuous size control: both sides of the icons take its value.
    void iconContinuousSizingAction(const QVariant& sender);
    void layoutModeAction(const QVariant& sender);
    void enableEditingAction(const QVariant& sender);
    void revealInFinderAction(const QVariant& sender);
    void renameAction(const QVariant& sender);
    void toggleIconScalingAction(const QVariant& sender);
    void toggleLockBadgingAction(const QVariant& sender);
    void backgroundColourAction(const QVariant& sender);
    void sortByAction(const QVariant& sender);
    bool validateMenuItem(pf::MenuItem& item) override;
    // The delete sheet while it is shown, else null; the items it will delete.
    QDialog* deleteSheet() const { return m_deleteSheet; }
    QList<pf::Ref<PWXLibraryItem>> itemsToDelete() const { return m_itemsToDelete; }
    // Ends the delete sheet: 1 deletes, 0 cancels.
    void endDeleteSheet(int code);

    // TableViewDataSource / TableViewDelegate
    int numberOfRowsInTableView(pf::TableView&) override { return numberOfItemsInContent(); }
    QVariant objectValueForTableColumn(pf::TableView&, pf::TableColumn* column, int row) override;
    void setObjectValue(pf::TableView&, const QVariant& value, pf::TableColumn* column, int row) override;
    void sortDescriptorsDidChange(pf::TableView&, const QList<pf::SortDescriptor>& oldDescriptors) override;
    bool writeRowsWithIndexes(pf::TableView&, const pf::IndexSet& rows, pf::Pasteboard& pasteboard) override;
    void willDisplayCell(pf::TableView&, pf::Cell& cell, pf::TableColumn* column, int row) override;
    bool shouldSelectRow(pf::TableView&, int row) override;
    void selectionDidChange(pf::TableView&) override;
    bool shouldEditTableColumn(pf::TableView&, pf::TableColumn* column, int row) override;
    // ZDDistributedViewDataSource / ZDDistributedViewDelegate
    int numberOfItemsInDistributedView(ZDDistributedView&) override { return numberOfItemsInContent(); }
    QPointF positionForCell(ZDDistributedView& view, pf::Cell* cell, int itemIndex) override;
    bool implementsSetPosition() const override { return true; }
    void setPosition(ZDDistributedView& view, QPointF position, int itemIndex) override;
    bool implementsToolTips() const override { return true; }
    QString toolTipForItemAtIndex(ZDDistributedView& view, int itemIndex) override;
    void setObjectValue(ZDDistributedView& view, const QVariant& value, int itemIndex) override;
    bool implementsWriteItemsAtIndexes() const override { return true; }
    bool writeItemsAtIndexes(ZDDistributedView& view, const pf::IndexSet& indexes, pf::Pasteboard& pasteboard) override;
    void dragEndedWithOperation(ZDDistributedView& view, unsigned operation) override;
    void draggedImageMovedTo(ZDDistributedView& view, QPointF screenPoint) override;
    unsigned draggingSourceOperationMaskForLocal(ZDDistributedView& view, bool local) override;
    std::optional<pf::IndexSet> proposedSelectionAtIndexes(ZDDistributedView& view, const pf::IndexSet& proposed) override;
    bool didSelectItemsAtIndexes(ZDDistributedView& view, const pf::IndexSet& selection) override;
    void cellDoubleClickedAtItemIndex(ZDDistributedView& view, int itemIndex) override;
    bool shouldEditItemAtIndex(ZDDistributedView& view, int itemIndex) override;
    bool isDragDeleting() const { return m_flagDragDelete; }
    // RVPrintableZDDistributedViewDelegate: the owner's texts.
    QString headerStringForPage(RVPrintableZDDistributedView& view, int page) override;
    QString footerStringForPage(RVPrintableZDDistributedView& view, int page) override;

private:
    void buildViews();
    QString defaultsKey(const QString& pattern) const;
    void readSettings();
    void reloadActiveView();
    void selectInActiveView(const pf::IndexSet& indexes);
    void itemChanged(PWXLibraryItem* item);
    bool shouldEditItemAtIndex(int index);
    void updateSortPopUp();
    void showDeleteSheet(const QList<pf::Ref<PWXLibraryItem>>& items);

    QPointer<QWidget> m_container;
    QPointer<QStackedWidget> m_stack;
    QPointer<QWidget> m_toolbar;
    QPointer<pf::TableView> m_table;
    QPointer<ZDDistributedView> m_iconView;
    QPointer<QWidget> m_iconScroll;
    QPointer<pf::SegmentedControl> m_iconSizeControl;
    QPointer<pf::SegmentedControl> m_layoutControl;
    QPointer<pf::PopUpButton> m_sortPopUp;
    QPointer<QWidget> m_sheetHost;
    QPointer<QDialog> m_deleteSheet;
    QPointer<QLabel> m_deleteText;
    QList<pf::Ref<PWXLibraryItem>> m_itemsToDelete;

    PWXLibraryItemViewControllerDelegate* m_delegate = nullptr;
    int m_mode = -1;
    int m_iconSizing = -1;
    QSizeF m_cellSize{80, 80};
    QList<pf::Ref<PWXLibraryItem>> m_content;
    bool m_allowIconUpscaling = true;
    bool m_lockBadging = true;
    std::optional<pf::IndexSet> m_disabledItems;
    QList<pf::Ref<PWXLibraryItem>> m_preservedSelection;
    bool m_hasPreservedSelection = false;
    QList<pf::SortDescriptor> m_sortDescriptors;
    int m_backgroundCode = 0;
    bool m_flagDragDelete = false;
    QHash<const PWXLibraryItem*, pf::Ref<pf::Image>> m_previews;
    QHash<const PWXLibraryItem*, int> m_indexOfItem;
    QList<quint64> m_observations;
};
