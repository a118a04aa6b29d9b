#pragma once

#include "platform/foundation/IndexSet.h"
#include "platform/foundation/SortDescriptor.h"
#include "platform/ui/ActionTarget.h"
#include "platform/ui/DraggingSession.h"
#include "platform/ui/TableColumn.h"
#include "platform/ui/TableHeaderView.h"
#include "platform/ui/TableRowSource.h"
#include "platform/ui/TableRowTree.h"
#include "platform/ui/TableViewDataSource.h"
#include "platform/ui/View.h"

#include <QColor>
#include <QHash>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

namespace pf {

class Cell;
class FieldEditor;
class Image;
class Menu;
class TableCellEditor;
class TableCellTracker;
class TableHeaderView;
class TableRowView;
class TableRowViewLayout;
class TableTreeWidget;
class TableViewDelegate;

inline const QString NSTableViewSelectionDidChangeNotification = QStringLiteral("NSTableViewSelectionDidChangeNotification");
inline const QString NSTableViewSelectionIsChangingNotification = QStringLiteral("NSTableViewSelectionIsChangingNotification");

// Rows of values in columns, served by a data source and steered by a delegate.
//
// Cell-based (the default), the rows are shown by a QTreeView over a model adapter, the
// column's data cell draws each cell, prepared for its row and adjusted by the delegate just
// before it draws, and edits it in place with the window's field editor; button cells track
// clicks in any row without changing the selection. View-based, every shown row is a
// TableRowView holding a view per column made by the delegate, recycled by identifier as rows
// scroll away. Either way the table's own coordinates are flipped and span the whole content:
// row 0 starts at y = 0 whatever the scroll position, so rectOfRow and rowAtPoint agree with
// points converted from events (the bounds origin follows the scroll position and the header).
class TableView : public View, protected TableRowSource, public DraggingSource {
    Q_OBJECT
    PF_CLASS(TableView)
public:
    enum class SelectionHighlightStyle { Regular, SourceList };

    explicit TableView(QWidget* parent = nullptr);
    ~TableView() override;

    bool isFlipped() const override { return true; }
    bool acceptsFirstResponder() const override { return true; }

    // Chosen before the first reload, as an interface file would.
    bool isViewBased() const { return m_viewBased; }
    void setViewBased(bool viewBased);
    // Whether a press on `view`, inside one of the rows, goes to that view. Views that only
    // show something (images, labels, a name not being edited) leave it to the table, which
    // selects and drags rows with it.
    virtual bool validateProposedFirstResponder(View& view, const Event& event);

    // --- Columns
    const QList<Ref<TableColumn>>& tableColumns() const { return m_columns; }
    int numberOfColumns() const { return int(m_columns.size()); }
    void addTableColumn(const Ref<TableColumn>& column);
    void removeTableColumn(TableColumn* column);
    TableColumn* tableColumnWithIdentifier(const QString& identifier) const;
    // -1 when there is none.
    int columnWithIdentifier(const QString& identifier) const;
    int indexOfColumn(const TableColumn* column) const;

    // --- Data source and delegate (not owned)
    TableViewDataSource* dataSource() const { return m_dataSource; }
    void setDataSource(TableViewDataSource* dataSource);
    TableViewDelegate* delegate() const { return m_delegate; }
    void setDelegate(TableViewDelegate* delegate);

    // --- Rows
    int numberOfRows();
    // Asks the data source for everything again; selected rows that still exist stay selected.
    virtual void reloadData();
    // Redraws the cells of these rows and columns with fresh values.
    void reloadDataForRowIndexes(const IndexSet& rows, const IndexSet& columns);
    void noteNumberOfRowsChanged();
    void noteHeightOfRowsWithIndexesChanged(const IndexSet& rows);
    double rowHeight() const { return m_rowHeight; }
    void setRowHeight(double height);
    bool isGroupRow(int row);

    // --- Geometry (the table's coordinates)
    QRectF rectOfRow(int row);
    QRectF rectOfColumn(int column);
    QRectF frameOfCellAtColumn(int column, int row);
    // -1 when no row or column is there.
    int rowAtPoint(QPointF point);
    int columnAtPoint(QPointF point);
    void scrollRowToVisible(int row);
    double headerHeight() const;
    bool hasHeader() const { return m_headerVisible; }
    void setHeaderVisible(bool visible);
    // The strip of column headers above cell-based rows; the table owns it. Replacing it
    // deletes the old one; null leaves the table without a header.
    TableHeaderView* headerView() const { return m_headerView; }
    void setHeaderView(TableHeaderView* headerView);

    // --- Selection
    IndexSet selectedRowIndexes() const { return m_selection; }
    // The last selected row, or -1.
    int selectedRow() const;
    int numberOfSelectedRows() const { return int(m_selection.count()); }
    bool isRowSelected(int row) const { return m_selection.contains(row); }
    // Selection by code: the delegate is not asked, but group rows are left out.
    void selectRowIndexes(const IndexSet& rows, bool extend);
    void deselectRow(int row);
    void deselectAll();
    bool allowsMultipleSelection() const { return m_allowsMultiple; }
    void setAllowsMultipleSelection(bool allows) { m_allowsMultiple = allows; }
    bool allowsEmptySelection() const { return m_allowsEmpty; }
    void setAllowsEmptySelection(bool allows) { m_allowsEmpty = allows; }
    // The row and column of the last click, double click or context click; -1 outside.
    int clickedRow() const { return m_clickedRow; }
    int clickedColumn() const { return m_clickedColumn; }

    // --- Sorting
    QList<SortDescriptor> sortDescriptors() const { return m_sortDescriptors; }
    // Tells the data source when they change.
    void setSortDescriptors(const QList<SortDescriptor>& descriptors);
    TableColumn* highlightedTableColumn() const;
    void setHighlightedTableColumn(TableColumn* column);
    // What a click on a column's header does: its prototype first, reversed when it was
    // first already; other descriptors on the same key are dropped.
    void sortByColumn(TableColumn* column);

    // --- Cells (cell-based tables)
    // A copy of the column's data cell for the row with the row's value and enabled state,
    // as the delegate's willDisplayCell left it: what draws, edits and tracks that cell.
    // Null outside the rows and columns.
    Ref<Cell> preparedCellAtColumn(int column, int row);
    // The delegate's tool tip for the cell under `point` (table coordinates), or empty.
    QString toolTipForCellAt(QPointF point);

    // --- Editing in place
    // Opens the window's field editor over the cell when the column and the delegate allow
    // it; editing going on elsewhere ends first. Return, Tab and losing the focus write the
    // text back through the data source; Escape drops it. `event` places the caret.
    void editColumn(int column, int row, bool select, const Event* event = nullptr);
    int editedRow() const { return m_editedRow; }
    int editedColumn() const { return m_editedColumn; }
    // The field editor while it edits one of the table's cells, else null.
    FieldEditor* currentEditor() const;
    // Ends editing without writing the text back.
    void abortEditing();

    // --- Look
    SelectionHighlightStyle selectionHighlightStyle() const { return m_highlightStyle; }
    void setSelectionHighlightStyle(SelectionHighlightStyle style);
    virtual QColor gridColor() const { return m_gridColor; }
    void setGridColor(const QColor& color);

    // --- Actions and menu
    // Sent (to the target, or along the responder chain) on a double click in a row.
    QString doubleAction() const { return m_doubleAction; }
    void setDoubleAction(const QString& action) { m_doubleAction = action; }
    Reflective* target() const { return m_target.get(); }
    void setTarget(Reflective* target) { m_target = ActionTarget(target); }
    Menu* menu() const { return m_menu.get(); }
    void setMenu(const Ref<Menu>& menu) { m_menu = menu; }
    // The view's menu for every context click: the clicked row is noted, the selection is
    // left alone.
    QMenu* menuForEvent(const Event& event) override;

    // --- Dragging rows
    void setDraggingSourceOperationMask(unsigned mask, bool local);
    unsigned draggingSourceOperationMask(DraggingContext context) override;
    bool verticalMotionCanBeginDrag() const { return m_verticalMotionDrags; }
    void setVerticalMotionCanBeginDrag(bool can) { m_verticalMotionDrags = can; }
    // Drags the rows with the data source's pasteboard contents; answers the operation.
    unsigned dragRows(const IndexSet& rows, const Event& event);
    // The picture dragged for `rows` and where its top-left corner sits from the pointer (Qt
    // pixels): by default the rows as they are drawn, under the pointer where they were.
    virtual QPixmap dragImageForRows(const IndexSet& rows, const Event& event, QPoint& offset);
    // During validateDrop: where the drop will land instead of where it was proposed.
    void setDropRow(int row, TableDropOperation operation);
    int dropRow() const { return m_dropRow; }
    TableDropOperation dropOperation() const { return m_dropOperation; }

    unsigned draggingEntered(const DraggingInfo& info) override;
    unsigned draggingUpdated(const DraggingInfo& info) override;
    void draggingExited(const DraggingInfo* info) override;
    bool performDragOperation(const DraggingInfo& info) override;

    // --- View-based rows
    // A view for `identifier`: one recycled from a row that scrolled away, else a new one
    // from the factory registered under it; null when there is none. `owner` is what an
    // interface file would connect the view to (unused here).
    View* makeViewWithIdentifier(const QString& identifier, Reflective* owner = nullptr);
    void registerViewFactory(const QString& identifier, std::function<View*()> factory);
    // The identifier a view was made under, or empty.
    static QString identifierOfView(const View* view);
    View* viewAtColumn(int column, int row, bool makeIfNecessary);
    TableRowView* rowViewAtRow(int row, bool makeIfNecessary);
    void enumerateAvailableRowViews(const std::function<void(TableRowView*, int)>& visit);
    // The row of a view inside a row view, or -1.
    int rowForView(const View* view);
    // Changes made inside are shown together, rows sliding to their new places.
    void beginUpdates();
    void endUpdates();
    // Rows the data source already gained, lost or moved.
    void insertRowsAtIndexes(const IndexSet& rows);
    void removeRowsAtIndexes(const IndexSet& rows);
    void moveRowAtIndex(int from, int to);

    // --- For the column, the cell adapter and the row list
    void columnDidChange(TableColumn* column);
    QVariant objectValueAt(int column, int row);
    void setObjectValueAt(const QVariant& value, int column, int row);
    bool isCellEditable(int column, int row);
    // The cell that draws (column, row) now: the one a click is tracking there, else a
    // prepared one.
    Ref<Cell> cellForDrawing(int column, int row);
    // A press on a cell that tracks clicks (see cellTracksClicks): the cell follows the mouse
    // until it goes up, and a release inside writes its new value through the data source and
    // sends its action. Answers whether a cell took the press (the selection is left alone).
    bool trackCellMouseDown(QPointF point);
    void trackCellMouseDragged(QPointF point);
    void trackCellMouseUp(QPointF point);
    bool isTrackingCell() const { return m_tracker != nullptr; }
    // The field editor ended editing a cell.
    void cellEditingEnded(TableCellEditor& editor, bool keepText);
    // The column's data cell for the row when the delegate gives one of its own, else null.
    virtual Ref<Cell> delegateDataCell(TableColumn* column, int row);
    // Proposed by the user: filtered through group rows, shouldSelectRow and the proposal
    // hook, then made the selection.
    void proposeSelection(const IndexSet& rows);
    void noteClick(QPointF point);
    void performDoubleAction();
    // Points between the widget showing the rows and the table's coordinates.
    QPointF tablePointFromRowWidget(QPointF point) const;
    double heightOfRow(int row);
    // The indentation of the row's first cell in the outline column.
    double indentationForRow(int row);
    TableRowTree& rowTree() { return *m_tree; }
    // The widget of the cell-based rows (null when view-based).
    TableTreeWidget* rowWidget() const { return m_treeWidget; }
    // Where a drop is shown: a row (operation On) or the gap above it; -1 for none.
    int dropHighlightRow() const { return m_dropHighlightRow; }
    bool dropHighlightIsAbove() const { return m_dropHighlightAbove; }
    void noteEditing(int column, int row);
    // The rows widget scrolled or was resized.
    void rowWidgetScrolled() { updateBoundsForScroll(); }
    void rowWidgetResized();
    // The width the rows are shown in.
    double visibleRowWidth() const;
    // The user opened or closed a row in the rows widget.
    virtual void rowWidgetToggledExpansion(TableRowTree::Node* node, bool expanded);

protected:
    // TableRowSource: a table is the root's list of row numbers.
    int numberOfChildren(const QVariant& item) override;
    QVariant childOfItem(int index, const QVariant& item) override;
    bool isExpandable(const QVariant& item) override { return false; }
    bool itemsAreChildIndexes() const override { return true; }

    // What subclasses ask of their own data source and delegate instead.
    virtual QVariant dataSourceValue(TableColumn* column, int row);
    virtual void dataSourceSetValue(const QVariant& value, TableColumn* column, int row);
    virtual void delegateWillDisplayCell(Cell& cell, TableColumn* column, int row);
    virtual QString delegateToolTip(Cell& cell, QRectF& rect, TableColumn* column, int row, QPointF point);
    virtual Ref<Image> delegateDragImage(const IndexSet& rows);
    // Whether a press on the cell is tracked by the cell rather than selecting: button cells.
    virtual bool cellTracksClicks(const Cell& cell) const;
    virtual View* delegateViewForColumn(TableColumn* column, int row);
    virtual TableRowView* delegateRowView(int row);
    virtual bool delegateShouldSelect(int row);
    virtual IndexSet delegateProposedSelection(const IndexSet& rows);
    virtual void notifySelectionDidChange();
    virtual bool delegateShouldEdit(TableColumn* column, int row);
    virtual bool delegateIsGroupRow(int row);
    virtual double delegateHeightOfRow(int row);
    virtual void notifySortDescriptorsDidChange(const QList<SortDescriptor>& old);
    virtual bool writeRowsToPasteboard(const IndexSet& rows, Pasteboard& pasteboard);
    // Proposes the drop at `point` (table coordinates) and asks the data source.
    virtual unsigned validateDropAtPoint(const DraggingInfo& info, QPointF point);
    virtual bool acceptValidatedDrop(const DraggingInfo& info);
    // The column whose cells are indented by level; -1 in a plain table.
    virtual int outlineColumnIndex() const { return -1; }
    virtual double indentationPerLevel() const { return 0; }

    // The shape of the rows changed: rows are counted again, selected items reselected.
    void rowsChanged(const QVariantList& selectedItemsBefore);
    QVariantList selectedItems();
    void setSelectionInternal(const IndexSet& rows, bool notify);
    // Shows the drop target of the validation just made (row, or the gap above it).
    void setDropHighlight(int row, bool above);
    // Re-lays the shown rows after a change of the tree (both kinds of body).
    void refreshRows(bool animate = false);
    void layoutRowViews(bool animate);
    void resizeEvent(QResizeEvent* event) override;
    void scrollWheel(const Event& event) override;
    // View-based rows: clicks select, double clicks send the double action, drags drag rows.
    void mouseDown(const Event& event) override;
    void mouseDragged(const Event& event) override;
    // Subclasses that indent by level call this once they are built.
    void outlineStyleChanged();
    // Before the node's child list is asked for again.
    void willReloadChildren(TableRowTree::Node* node);
    // Asks the data source for the node's children again, keeping the selected items.
    void reloadChildrenOf(TableRowTree::Node* node);
    // The data source gained, lost or moved children of loaded nodes: the cached lists are
    // spliced, the selection stays on the same items and the rows slide (removed ones fade).
    // Indexes the lists cannot take reload the parent's children instead.
    void insertChildren(TableRowTree::Node* parent, const IndexSet& indexes);
    void removeChildren(TableRowTree::Node* parent, const IndexSet& indexes);
    void moveChild(TableRowTree::Node* oldParent, int from, TableRowTree::Node* newParent, int to);
    // First thing a destructor does: from here on nothing asks the data source or delegate.
    void prepareForDestruction();

private:
    friend class TableRowViewLayout;
    void buildBody();
    void updateBoundsForScroll();
    void layoutHeader();
    void syncHeader();
    std::vector<TableRowTree::Node*> selectedNodes();
    // After a splice: rows counted again, the selection kept on `selected` where they remain.
    void rowsSpliced(const std::vector<TableRowTree::Node*>& selected);
    void stopTrackingCell();
    void rebuildGeometry();
    int scrollOffsetY() const;
    int scrollOffsetX() const;

    bool m_viewBased = false;
    QList<Ref<TableColumn>> m_columns;
    TableViewDataSource* m_dataSource = nullptr;
    TableViewDelegate* m_delegate = nullptr;
    std::unique_ptr<TableRowTree> m_tree;
    TableTreeWidget* m_treeWidget = nullptr;
    std::unique_ptr<TableRowViewLayout> m_rowViews;

    double m_rowHeight = 17;
    std::vector<double> m_rowTops; // one more than the rows: the last is the content height
    bool m_geometryValid = false;
    bool m_headerVisible = true;

    IndexSet m_selection;
    bool m_allowsMultiple = false;
    bool m_allowsEmpty = true;
    int m_clickedRow = -1;
    int m_clickedColumn = -1;

    QList<SortDescriptor> m_sortDescriptors;
    TableColumn* m_highlightedColumn = nullptr;

    int m_editedRow = -1;
    int m_editedColumn = -1;
    std::unique_ptr<TableCellEditor> m_cellEditor;
    std::unique_ptr<TableCellTracker> m_tracker;
    QPointer<TableHeaderView> m_headerView;
    bool m_destroying = false;

    SelectionHighlightStyle m_highlightStyle = SelectionHighlightStyle::Regular;
    QColor m_gridColor = QColor(224, 224, 224);
    QString m_doubleAction;
    ActionTarget m_target;
    Ref<Menu> m_menu;

    unsigned m_localDragMask = DragOperationEvery;
    unsigned m_outsideDragMask = DragOperationNone;
    bool m_verticalMotionDrags = true;
    int m_dropRow = -1;
    TableDropOperation m_dropOperation = TableDropOperation::On;
    unsigned m_lastDropAnswer = DragOperationNone;
    int m_dropHighlightRow = -1;
    bool m_dropHighlightAbove = false;
    int m_updateDepth = 0;
    QPointF m_mouseDownPoint;
    bool m_dragStarted = false;
    bool m_syncingHeader = false;

    QHash<QString, std::function<View*()>> m_viewFactories;
};

} // namespace pf
