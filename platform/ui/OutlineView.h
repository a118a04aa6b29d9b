#pragma once

#include "platform/ui/OutlineViewDataSource.h"
#include "platform/ui/OutlineViewDelegate.h"
#include "platform/ui/TableView.h"

namespace pf {

inline const QString NSOutlineViewSelectionDidChangeNotification = QStringLiteral("NSOutlineViewSelectionDidChangeNotification");
inline const QString NSOutlineViewItemDidExpandNotification = QStringLiteral("NSOutlineViewItemDidExpandNotification");
inline const QString NSOutlineViewItemDidCollapseNotification = QStringLiteral("NSOutlineViewItemDidCollapseNotification");
// The user information key of the expansion notifications: the item.
inline const QString kOutlineViewItemKey = QStringLiteral("NSObject");

// A table whose rows are a tree of items from an outline data source: items open and close,
// the outline column is indented by level, and the delegate answers by item. Expanded items
// can be remembered in the user defaults under "NSOutlineView Items <autosave name>" through
// the data source's persistent objects.
class OutlineView : public TableView {
    Q_OBJECT
    PF_CLASS(OutlineView)
public:
    explicit OutlineView(QWidget* parent = nullptr);
    ~OutlineView() override;

    OutlineViewDataSource* dataSource() const { return m_outlineDataSource; }
    void setDataSource(OutlineViewDataSource* dataSource);
    OutlineViewDelegate* delegate() const { return m_outlineDelegate; }
    void setDelegate(OutlineViewDelegate* delegate);

    // The column indented by level with the disclosure triangles: the first by default.
    TableColumn* outlineTableColumn() const;
    void setOutlineTableColumn(TableColumn* column);
    double indentationPerLevel() const override { return m_indentation; }
    void setIndentationPerLevel(double indentation);

    // --- Items and rows (the root item is an invalid QVariant)
    QVariant itemAtRow(int row);
    // -1 when the item has no row (unknown, or inside a closed item).
    int rowForItem(const QVariant& item);
    QVariant parentForItem(const QVariant& item);
    int childIndexForItem(const QVariant& item);
    int levelForItem(const QVariant& item);
    int levelForRow(int row);
    bool isExpandable(const QVariant& item) override;
    bool isItemExpanded(const QVariant& item);
    void expandItem(const QVariant& item, bool expandChildren = false);
    void collapseItem(const QVariant& item, bool collapseChildren = false);
    void reloadItem(const QVariant& item, bool reloadChildren = false);
    void reloadData() override;

    // --- Changes the data source already made, shown inside begin/end updates
    void insertItemsAtIndexes(const IndexSet& indexes, const QVariant& parent);
    void removeItemsAtIndexes(const IndexSet& indexes, const QVariant& parent);
    void moveItemAtIndex(int from, const QVariant& oldParent, int to, const QVariant& newParent);

    // --- Autosaved expansion
    QString autosaveName() const { return m_autosaveName; }
    void setAutosaveName(const QString& name);
    bool autosaveExpandedItems() const { return m_autosaveExpanded; }
    void setAutosaveExpandedItems(bool autosave);
    static QString autosaveKey(const QString& name);

    // --- Drops: during validateDrop, where the drop lands instead of where it was proposed
    void setDropItem(const QVariant& item, int childIndex);
    QVariant dropItem() const { return m_dropItem; }
    int dropChildIndex() const { return m_dropChildIndex; }

    void rowWidgetToggledExpansion(TableRowTree::Node* node, bool expanded) override;

protected:
    bool itemsAreChildIndexes() const override { return false; }
    int numberOfChildren(const QVariant& item) override;
    QVariant childOfItem(int index, const QVariant& item) override;

    QVariant dataSourceValue(TableColumn* column, int row) override;
    void dataSourceSetValue(const QVariant& value, TableColumn* column, int row) override;
    void delegateWillDisplayCell(Cell& cell, TableColumn* column, int row) override;
    Ref<Cell> delegateDataCell(TableColumn* column, int row) override;
    QString delegateToolTip(Cell& cell, QRectF& rect, TableColumn* column, int row, QPointF point) override;
    View* delegateViewForColumn(TableColumn* column, int row) override;
    TableRowView* delegateRowView(int row) override;
    bool delegateShouldSelect(int row) override;
    IndexSet delegateProposedSelection(const IndexSet& rows) override;
    void notifySelectionDidChange() override;
    bool delegateShouldEdit(TableColumn* column, int row) override;
    bool delegateIsGroupRow(int row) override;
    double delegateHeightOfRow(int row) override;
    void notifySortDescriptorsDidChange(const QList<SortDescriptor>& old) override;
    bool writeRowsToPasteboard(const IndexSet& rows, Pasteboard& pasteboard) override;
    unsigned validateDropAtPoint(const DraggingInfo& info, QPointF point) override;
    bool acceptValidatedDrop(const DraggingInfo& info) override;
    int outlineColumnIndex() const override;

private:
    void setNodeExpanded(TableRowTree::Node* node, bool expanded, bool recursive);
    void setSubtreeExpanded(TableRowTree::Node* node, bool expanded, bool recursive, QVariantList& changed);
    void saveExpandedItems();
    void restoreExpandedItems();
    // The row a drop between children is shown above.
    int gapRow(TableRowTree::Node* parent, int childIndex);

    OutlineViewDataSource* m_outlineDataSource = nullptr;
    OutlineViewDelegate* m_outlineDelegate = nullptr;
    TableColumn* m_outlineColumn = nullptr;
    double m_indentation = 16;
    QString m_autosaveName;
    bool m_autosaveExpanded = false;
    bool m_restoring = false;
    QVariant m_dropItem;
    int m_dropChildIndex = -1;
};

} // namespace pf
