#include "platform/ui/TableView.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ActionCell.h"
#include "platform/ui/Application.h"
#include "platform/ui/ButtonCell.h"
#include "platform/ui/FieldEditor.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/TableCellEditor.h"
#include "platform/ui/TableCellTracker.h"
#include "platform/ui/TableHeaderView.h"
#include "platform/ui/TableItemModel.h"
#include "platform/ui/TableRowView.h"
#include "platform/ui/TableRowViewLayout.h"
#include "platform/ui/TableTreeWidget.h"
#include "platform/ui/TableViewDelegate.h"
#include "platform/ui/TextField.h"

#include <QCursor>
#include <QHeaderView>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS_NAMED(pf::TableView, pf::View, "pf::TableView") {}

namespace pf {

namespace {

const char* const kIdentifierProperty = "pfUserInterfaceIdentifier";

} // namespace

TableView::TableView(QWidget* parent) : View(parent), m_tree(std::make_unique<TableRowTree>(static_cast<TableRowSource&>(*this)))
{
    setFocusPolicy(Qt::StrongFocus);
    m_headerView = new TableHeaderView(QRectF(0, 0, 100, TableHeaderView::kDefaultHeight));
    addSubview(m_headerView);
    m_headerView->setTableView(this);
    buildBody();
}

TableView::~TableView()
{
    prepareForDestruction();
    // Row views and the model ask the table for rows while they go.
    m_rowViews.reset();
    delete m_treeWidget;
    m_treeWidget = nullptr;
}

void TableView::prepareForDestruction()
{
    if (m_destroying)
        return;
    m_destroying = true;
    // The data source and delegate may already be gone: nothing may ask them from here on.
    m_dataSource = nullptr;
    m_delegate = nullptr;
    abortEditing();
    m_tracker.reset();
}

void TableView::setViewBased(bool viewBased)
{
    if (viewBased == m_viewBased)
        return;
    m_viewBased = viewBased;
    buildBody();
    reloadData();
}

void TableView::buildBody()
{
    m_rowViews.reset();
    delete m_treeWidget;
    m_treeWidget = nullptr;
    if (m_viewBased) {
        m_rowViews = std::make_unique<TableRowViewLayout>(*this);
    } else {
        m_treeWidget = new TableTreeWidget(*this);
        m_treeWidget->show();
        syncHeader();
        outlineStyleChanged();
    }
    updateBoundsForScroll();
}

void TableView::setHeaderView(TableHeaderView* headerView)
{
    if (headerView == m_headerView)
        return;
    if (m_headerView) {
        m_headerView->setTableView(nullptr);
        delete m_headerView.data();
    }
    m_headerView = headerView;
    if (m_headerView) {
        addSubview(m_headerView);
        m_headerView->setTableView(this);
    }
    updateBoundsForScroll();
}

void TableView::layoutHeader()
{
    const double height = headerHeight();
    if (m_headerView) {
        const bool shown = height > 0;
        m_headerView->setHidden(!shown);
        if (shown) {
            // Pinned to the top of the table's visible area, scrolling sideways with the rows.
            m_headerView->setFrame(QRectF(bounds().topLeft(), QSizeF(bounds().width(), height)));
            m_headerView->setBoundsOrigin(QPointF(scrollOffsetX(), 0));
            m_headerView->raise();
            m_headerView->setNeedsDisplay(true);
        }
    }
    if (m_treeWidget) {
        const QRect area = rect().adjusted(0, qRound(height), 0, 0);
        if (m_treeWidget->geometry() != area)
            m_treeWidget->setGeometry(area);
    }
}

// --- Columns

void TableView::addTableColumn(const Ref<TableColumn>& column)
{
    if (!column || m_columns.contains(column))
        return;
    if (TableView* old = column->tableView())
        old->removeTableColumn(column.get());
    m_columns.append(column);
    column->setTableView(this);
    columnDidChange(nullptr);
}

void TableView::removeTableColumn(TableColumn* column)
{
    const int index = indexOfColumn(column);
    if (index < 0)
        return;
    const Ref<TableColumn> keep = m_columns.takeAt(index);
    keep->setTableView(nullptr);
    if (m_highlightedColumn == column)
        m_highlightedColumn = nullptr;
    columnDidChange(nullptr);
}

TableColumn* TableView::tableColumnWithIdentifier(const QString& identifier) const
{
    const int index = columnWithIdentifier(identifier);
    return index >= 0 ? m_columns[index].get() : nullptr;
}

int TableView::columnWithIdentifier(const QString& identifier) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i]->identifier() == identifier)
            return i;
    }
    return -1;
}

int TableView::indexOfColumn(const TableColumn* column) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].get() == column)
            return i;
    }
    return -1;
}

void TableView::columnDidChange(TableColumn* column)
{
    if (m_headerView)
        m_headerView->setNeedsDisplay(true);
    if (m_treeWidget) {
        if (column)
            m_treeWidget->itemModel().columnChanged(indexOfColumn(column));
        else
            m_treeWidget->itemModel().resetAll();
        syncHeader();
        m_treeWidget->applyExpansion();
        m_treeWidget->showSelection();
    }
    if (m_rowViews) {
        if (!column)
            m_rowViews->reloadAll();
        layoutRowViews(false);
    }
}

void TableView::syncHeader()
{
    if (!m_treeWidget || m_syncingHeader)
        return;
    m_syncingHeader = true;
    // The widget's own header stays hidden (the header view draws the headers) but still
    // sets the widths of the columns, the last one reaching the right edge.
    QHeaderView* header = m_treeWidget->header();
    for (int i = 0; i < m_columns.size(); ++i) {
        header->setSectionHidden(i, m_columns[i]->isHidden());
        const QRectF shown = rectOfColumn(i);
        if (!shown.isNull())
            header->resizeSection(i, qRound(shown.width()));
    }
    if (m_headerView)
        m_headerView->setNeedsDisplay(true);
    m_syncingHeader = false;
}

void TableView::rowWidgetResized()
{
    syncHeader();
    layoutHeader();
}

double TableView::visibleRowWidth() const
{
    if (m_treeWidget && m_treeWidget->viewport()->width() > 0)
        return m_treeWidget->viewport()->width();
    return bounds().width();
}

// --- Data source and delegate

void TableView::setDataSource(TableViewDataSource* dataSource)
{
    m_dataSource = dataSource;
    reloadData();
}

void TableView::setDelegate(TableViewDelegate* delegate)
{
    m_delegate = delegate;
    reloadData();
}

int TableView::numberOfChildren(const QVariant& item)
{
    return !item.isValid() && m_dataSource && !m_destroying ? std::max(0, m_dataSource->numberOfRowsInTableView(*this)) : 0;
}

QVariant TableView::childOfItem(int index, const QVariant&)
{
    return index;
}

// --- Rows

int TableView::numberOfRows()
{
    return m_tree->numberOfRows();
}

void TableView::reloadData()
{
    abortEditing();
    stopTrackingCell();
    const QVariantList selected = selectedItems();
    m_dropHighlightRow = -1;
    if (m_rowViews)
        m_rowViews->reloadAll();
    if (m_treeWidget)
        m_treeWidget->itemModel().beginReset();
    m_tree->reloadAll();
    if (m_treeWidget)
        m_treeWidget->itemModel().endReset();
    rowsChanged(selected);
}

void TableView::reloadDataForRowIndexes(const IndexSet& rows, const IndexSet& columns)
{
    if (m_treeWidget) {
        rows.forEach([&](qint64 row) {
            columns.forEach([&](qint64 column) { m_treeWidget->itemModel().cellChanged(int(row), int(column)); });
        });
    }
    if (m_rowViews)
        m_rowViews->reloadCells(rows, columns);
}

void TableView::noteNumberOfRowsChanged()
{
    reloadData();
}

void TableView::noteHeightOfRowsWithIndexesChanged(const IndexSet& rows)
{
    m_geometryValid = false;
    if (m_treeWidget)
        rows.forEach([&](qint64 row) { m_treeWidget->itemModel().rowHeightChanged(int(row)); });
    // Rows of views grow and shrink over the open animation group's time (or the slide's).
    refreshRows(true);
}

void TableView::setRowHeight(double height)
{
    m_rowHeight = std::max(1.0, height);
    m_geometryValid = false;
    if (m_treeWidget)
        m_treeWidget->itemModel().allRowHeightsChanged();
    refreshRows();
}

bool TableView::isGroupRow(int row)
{
    return row >= 0 && row < numberOfRows() && delegateIsGroupRow(row);
}

QVariantList TableView::selectedItems()
{
    QVariantList items;
    m_selection.forEach([&](qint64 row) {
        if (TableRowTree::Node* node = m_tree->nodeAtRow(int(row)))
            items.append(node->item);
    });
    return items;
}

void TableView::rowsChanged(const QVariantList& selectedItemsBefore)
{
    m_tree->invalidateRows();
    m_geometryValid = false;
    IndexSet rows;
    for (const QVariant& item : selectedItemsBefore) {
        TableRowTree::Node* node = m_tree->findNode(item);
        if (node && node != m_tree->root() && m_tree->numberOfRows() > 0 && node->row >= 0)
            rows.add(node->row);
    }
    if (m_treeWidget)
        m_treeWidget->applyExpansion();
    setSelectionInternal(rows, rows != m_selection);
    refreshRows(m_updateDepth > 0);
}

void TableView::refreshRows(bool animate)
{
    if (m_treeWidget) {
        m_treeWidget->showSelection();
        m_treeWidget->viewport()->update();
    }
    if (m_rowViews)
        layoutRowViews(animate);
    updateBoundsForScroll();
    syncHeader();
}

void TableView::layoutRowViews(bool animate)
{
    if (m_rowViews && m_updateDepth == 0)
        m_rowViews->layout(animate);
}

// --- Geometry

double TableView::heightOfRow(int row)
{
    const double height = delegateHeightOfRow(row);
    return height > 0 ? height : m_rowHeight;
}

void TableView::rebuildGeometry()
{
    const int rows = numberOfRows();
    if (m_geometryValid && int(m_rowTops.size()) == rows + 1)
        return;
    m_rowTops.assign(size_t(rows) + 1, 0.0);
    for (int row = 0; row < rows; ++row)
        m_rowTops[size_t(row) + 1] = m_rowTops[size_t(row)] + heightOfRow(row);
    m_geometryValid = true;
}

QRectF TableView::rectOfRow(int row)
{
    rebuildGeometry();
    if (row < 0 || row >= numberOfRows())
        return {};
    double width = 0;
    for (const Ref<TableColumn>& column : m_columns) {
        if (!column->isHidden())
            width += column->width();
    }
    width = std::max(width, visibleRowWidth());
    return QRectF(0, m_rowTops[size_t(row)], width, m_rowTops[size_t(row) + 1] - m_rowTops[size_t(row)]);
}

QRectF TableView::rectOfColumn(int column)
{
    if (column < 0 || column >= m_columns.size() || m_columns[column]->isHidden())
        return {};
    rebuildGeometry();
    double x = 0;
    for (int i = 0; i < column; ++i) {
        if (!m_columns[i]->isHidden())
            x += m_columns[i]->width();
    }
    double width = m_columns[column]->width();
    // The last shown column takes the rest of the table's width, as the header draws it.
    bool last = true;
    for (int i = column + 1; i < m_columns.size(); ++i)
        last = last && m_columns[i]->isHidden();
    if (last)
        width = std::max(width, visibleRowWidth() - x);
    return QRectF(x, 0, width, m_rowTops.back());
}

QRectF TableView::frameOfCellAtColumn(int column, int row)
{
    const QRectF rowRect = rectOfRow(row);
    const QRectF columnRect = rectOfColumn(column);
    if (rowRect.isNull() || columnRect.isNull())
        return {};
    QRectF cell(columnRect.x(), rowRect.y(), columnRect.width(), rowRect.height());
    if (column == outlineColumnIndex()) {
        const double indent = indentationForRow(row);
        cell.setLeft(std::min(cell.right(), cell.left() + indent));
    }
    return cell;
}

double TableView::indentationForRow(int row)
{
    TableRowTree::Node* node = m_tree->nodeAtRow(row);
    if (!node || outlineColumnIndex() < 0)
        return 0;
    // Room for the disclosure triangle, then one step per level.
    return indentationPerLevel() * (node->level + 1);
}

int TableView::rowAtPoint(QPointF point)
{
    rebuildGeometry();
    if (point.y() < 0 || point.y() >= m_rowTops.back())
        return -1;
    const auto it = std::upper_bound(m_rowTops.begin(), m_rowTops.end(), point.y());
    return int(it - m_rowTops.begin()) - 1;
}

int TableView::columnAtPoint(QPointF point)
{
    for (int i = 0; i < m_columns.size(); ++i) {
        const QRectF r = rectOfColumn(i);
        if (!r.isNull() && point.x() >= r.left() && point.x() < r.right())
            return i;
    }
    return -1;
}

double TableView::headerHeight() const
{
    if (!m_treeWidget || !m_headerVisible || !m_headerView)
        return 0;
    return m_headerView->frame().height();
}

void TableView::setHeaderVisible(bool visible)
{
    m_headerVisible = visible;
    syncHeader();
    updateBoundsForScroll();
}

int TableView::scrollOffsetY() const
{
    if (m_treeWidget)
        return m_treeWidget->verticalScrollBar()->value();
    return m_rowViews ? m_rowViews->scrollY() : 0;
}

int TableView::scrollOffsetX() const
{
    return m_treeWidget ? m_treeWidget->horizontalScrollBar()->value() : 0;
}

void TableView::updateBoundsForScroll()
{
    const QPointF origin(scrollOffsetX(), scrollOffsetY() - headerHeight());
    if (bounds().topLeft() != origin)
        setBoundsOrigin(origin);
    layoutHeader();
}

QPointF TableView::tablePointFromRowWidget(QPointF point) const
{
    return point + QPointF(scrollOffsetX(), scrollOffsetY());
}

void TableView::scrollRowToVisible(int row)
{
    const QRectF r = rectOfRow(row);
    if (r.isNull())
        return;
    if (m_treeWidget) {
        if (QModelIndex index = m_treeWidget->itemModel().indexForRow(row, 0); index.isValid())
            m_treeWidget->scrollTo(index);
    }
    if (m_rowViews)
        m_rowViews->scrollToRect(r);
    updateBoundsForScroll();
}

void TableView::resizeEvent(QResizeEvent* event)
{
    View::resizeEvent(event);
    layoutHeader();
    if (m_rowViews)
        m_rowViews->tableResized();
    updateBoundsForScroll();
}

void TableView::scrollWheel(const Event& event)
{
    if (m_rowViews)
        m_rowViews->scrollBy(-event.scrollingDeltaY);
    else
        View::scrollWheel(event);
}

bool TableView::validateProposedFirstResponder(View& view, const Event&)
{
    if (auto* image = qobject_cast<ImageView*>(&view))
        return image->isEditable();
    if (auto* field = qobject_cast<TextField*>(&view))
        return field->currentEditor() || field->isEditable() || field->isSelectable();
    return true;
}

void TableView::mouseDown(const Event& event)
{
    if (!m_viewBased) {
        View::mouseDown(event);
        return;
    }
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    noteClick(point);
    m_mouseDownPoint = point;
    m_dragStarted = false;
    makeFirstResponder(windowWidget(), this);
    if (event.clickCount >= 2) {
        performDoubleAction();
        return;
    }
    const int row = m_clickedRow;
    if (row < 0) {
        proposeSelection(IndexSet());
        return;
    }
    IndexSet proposed;
    if (event.modifierFlags & CommandKeyMask) {
        proposed = m_selection;
        proposed.contains(row) ? proposed.remove(row) : proposed.add(row);
    } else if ((event.modifierFlags & ShiftKeyMask) && !m_selection.isEmpty()) {
        proposed = m_selection;
        const qint64 anchor = row < m_selection.firstIndex() ? m_selection.firstIndex() : m_selection.lastIndex();
        proposed.addRange(std::min<qint64>(anchor, row), std::abs(anchor - row) + 1);
    } else if (m_selection.contains(row)) {
        return; // a press on the selection may start a drag of all of it
    } else {
        proposed = IndexSet(row);
    }
    proposeSelection(proposed);
}

void TableView::mouseDragged(const Event& event)
{
    if (!m_viewBased || m_dragStarted || m_clickedRow < 0 || !m_selection.contains(m_clickedRow)) {
        View::mouseDragged(event);
        return;
    }
    const QPointF delta = convertPointFromView(event.locationInWindow, nullptr) - m_mouseDownPoint;
    const bool vertical = std::abs(delta.y()) > std::abs(delta.x());
    if (std::hypot(delta.x(), delta.y()) < 4 || (vertical && !m_verticalMotionDrags))
        return;
    m_dragStarted = true;
    dragRows(m_selection, event);
}

void TableView::rowWidgetToggledExpansion(TableRowTree::Node*, bool)
{
    if (m_treeWidget)
        m_treeWidget->applyExpansion();
}

void TableView::outlineStyleChanged()
{
    if (m_treeWidget)
        m_treeWidget->applyOutlineStyle(outlineColumnIndex(), indentationPerLevel());
}

void TableView::willReloadChildren(TableRowTree::Node* node)
{
    if (m_rowViews)
        m_rowViews->dropRowsUnder(node);
}

// --- Selection

int TableView::selectedRow() const
{
    return m_selection.isEmpty() ? -1 : int(m_selection.lastIndex());
}

void TableView::selectRowIndexes(const IndexSet& rows, bool extend)
{
    IndexSet next = extend ? m_selection : IndexSet();
    const int count = numberOfRows();
    rows.forEach([&](qint64 row) {
        if (row < count && !delegateIsGroupRow(int(row)))
            next.add(row);
    });
    if (!m_allowsMultiple && next.count() > 1)
        next = IndexSet(rows.lastIndex() < count ? rows.lastIndex() : next.lastIndex());
    setSelectionInternal(next, next != m_selection);
}

void TableView::deselectRow(int row)
{
    IndexSet next = m_selection;
    next.remove(row);
    setSelectionInternal(next, next != m_selection);
}

void TableView::deselectAll()
{
    setSelectionInternal(IndexSet(), !m_selection.isEmpty());
}

void TableView::proposeSelection(const IndexSet& proposed)
{
    IndexSet rows;
    bool choseNew = false;
    bool choseAllowed = false;
    proposed.forEach([&](qint64 row) {
        const bool newlyChosen = !m_selection.contains(row);
        choseNew = choseNew || newlyChosen;
        if (delegateIsGroupRow(int(row)))
            return;
        if (newlyChosen && !delegateShouldSelect(int(row)))
            return;
        choseAllowed = choseAllowed || newlyChosen;
        rows.add(row);
    });
    // A click on rows that may not be selected changes nothing.
    if (choseNew && !choseAllowed) {
        refreshRows();
        return;
    }
    if (!m_allowsMultiple && rows.count() > 1)
        rows = IndexSet(proposed.lastIndex() >= 0 && rows.contains(proposed.lastIndex()) ? proposed.lastIndex()
                                                                                          : rows.lastIndex());
    rows = delegateProposedSelection(rows);
    if (rows.isEmpty() && !m_allowsEmpty && !m_selection.isEmpty())
        rows = m_selection;
    if (rows == m_selection) {
        // The widget may already show the refused proposal.
        refreshRows();
        return;
    }
    NotificationCenter::defaultCenter().post(NSTableViewSelectionIsChangingNotification, this);
    setSelectionInternal(rows, true);
}

void TableView::setSelectionInternal(const IndexSet& rows, bool notify)
{
    m_selection = rows;
    if (m_treeWidget)
        m_treeWidget->showSelection();
    if (m_rowViews)
        m_rowViews->showSelection();
    if (notify)
        notifySelectionDidChange();
}

void TableView::noteClick(QPointF point)
{
    m_clickedRow = rowAtPoint(point);
    m_clickedColumn = m_clickedRow >= 0 ? columnAtPoint(point) : -1;
}

void TableView::performDoubleAction()
{
    if (m_doubleAction.isEmpty() || m_clickedRow < 0)
        return;
    Application::shared()->sendAction(m_doubleAction, m_target.get(), QVariant::fromValue<QWidget*>(this));
}

QMenu* TableView::menuForEvent(const Event& event)
{
    noteClick(convertPointFromView(event.locationInWindow, nullptr));
    return m_menu ? m_menu->qMenu() : nullptr;
}

// --- Sorting

TableColumn* TableView::highlightedTableColumn() const
{
    return indexOfColumn(m_highlightedColumn) >= 0 ? m_highlightedColumn : nullptr;
}

void TableView::setHighlightedTableColumn(TableColumn* column)
{
    m_highlightedColumn = indexOfColumn(column) >= 0 ? column : nullptr;
    syncHeader();
}

void TableView::setSortDescriptors(const QList<SortDescriptor>& descriptors)
{
    if (descriptors == m_sortDescriptors)
        return;
    const QList<SortDescriptor> old = m_sortDescriptors;
    m_sortDescriptors = descriptors;
    syncHeader();
    notifySortDescriptorsDidChange(old);
}

void TableView::sortByColumn(TableColumn* column)
{
    if (!column || !column->sortDescriptorPrototype())
        return;
    SortDescriptor first = *column->sortDescriptorPrototype();
    if (!m_sortDescriptors.isEmpty() && m_sortDescriptors.first().key() == first.key()
        && highlightedTableColumn() == column)
        first = m_sortDescriptors.first().reversedSortDescriptor();
    QList<SortDescriptor> next{first};
    for (const SortDescriptor& d : m_sortDescriptors) {
        if (d.key() != first.key())
            next.append(d);
    }
    m_highlightedColumn = column;
    setSortDescriptors(next);
    syncHeader();
}

// --- Editing

void TableView::editColumn(int column, int row, bool select, const Event* event)
{
    if (!m_treeWidget || !isCellEditable(column, row))
        return;
    // Editing elsewhere ends first, writing back what was typed there.
    if (!FieldEditor::endEditingInWindow(window()))
        return;
    if (select)
        selectRowIndexes(IndexSet(row), false);
    scrollRowToVisible(row);
    Ref<Cell> cell = preparedCellAtColumn(column, row);
    if (!cell)
        return;
    cell->setEditable(true);
    cell->setHighlighted(false);
    FieldEditor* editor = cell->fieldEditorForView(this);
    if (!editor)
        editor = FieldEditor::forWindow(window());
    m_cellEditor = std::make_unique<TableCellEditor>(*this, cell, column, row);
    // Selecting edits the whole text (a new name replaces what was there); an event places
    // the caret where it happened instead.
    if (select && !event)
        cell->selectWithFrame(frameOfCellAtColumn(column, row), this, editor, m_cellEditor.get(), 0,
                              int(cell->stringValue().size()));
    else
        cell->editWithFrame(frameOfCellAtColumn(column, row), this, editor, m_cellEditor.get(), event);
    if (editor->isEditing() && editor->delegate() == m_cellEditor.get())
        noteEditing(column, row);
}

FieldEditor* TableView::currentEditor() const
{
    FieldEditor* editor = FieldEditor::forWindow(const_cast<TableView*>(this)->window(), false);
    if (editor && m_cellEditor && editor->isEditing() && editor->delegate() == m_cellEditor.get())
        return editor;
    return nullptr;
}

void TableView::abortEditing()
{
    if (FieldEditor* editor = currentEditor())
        editor->abortEditing();
    noteEditing(-1, -1);
}

void TableView::cellEditingEnded(TableCellEditor& editor, bool keepText)
{
    noteEditing(-1, -1);
    if (!keepText || &editor != m_cellEditor.get())
        return;
    // Taken first: the data source may start editing another cell, which replaces `editor`.
    const int column = editor.column();
    const int row = editor.row();
    const QVariant value = editor.cell().objectValue();
    setObjectValueAt(value, column, row);
}

void TableView::noteEditing(int column, int row)
{
    m_editedColumn = column;
    m_editedRow = row;
}

QVariant TableView::objectValueAt(int column, int row)
{
    if (column < 0 || column >= m_columns.size() || row < 0 || row >= numberOfRows())
        return {};
    return dataSourceValue(m_columns[column].get(), row);
}

void TableView::setObjectValueAt(const QVariant& value, int column, int row)
{
    if (!isCellEditable(column, row))
        return;
    dataSourceSetValue(value, m_columns[column].get(), row);
    reloadDataForRowIndexes(IndexSet(row), IndexSet(column));
}

bool TableView::isCellEditable(int column, int row)
{
    if (column < 0 || column >= m_columns.size() || row < 0 || row >= numberOfRows())
        return false;
    TableColumn* tableColumn = m_columns[column].get();
    return tableColumn->isEditable() && !delegateIsGroupRow(row) && delegateShouldEdit(tableColumn, row);
}

Ref<Cell> TableView::preparedCellAtColumn(int column, int row)
{
    if (column < 0 || column >= m_columns.size() || row < 0 || row >= numberOfRows())
        return nullptr;
    TableColumn* tableColumn = m_columns[column].get();
    const Ref<Cell> prototype = tableColumn->dataCellForRow(row);
    if (!prototype)
        return nullptr;
    // A copy per row: what the delegate changes for one row does not stay for the next.
    Ref<Cell> cell = prototype->copyCell();
    cell->setControlView(this);
    cell->setObjectValue(objectValueAt(column, row));
    cell->setHighlighted(isRowSelected(row) && !cellTracksClicks(*cell));
    delegateWillDisplayCell(*cell, tableColumn, row);
    return cell;
}

Ref<Cell> TableView::cellForDrawing(int column, int row)
{
    if (m_tracker && m_tracker->column() == column && m_tracker->row() == row)
        return m_tracker->cellRef();
    return preparedCellAtColumn(column, row);
}

bool TableView::cellTracksClicks(const Cell& cell) const
{
    return dynamic_cast<const ButtonCell*>(&cell) != nullptr;
}

bool TableView::trackCellMouseDown(QPointF point)
{
    stopTrackingCell();
    const int row = rowAtPoint(point);
    const int column = row >= 0 ? columnAtPoint(point) : -1;
    if (column < 0 || !m_columns[column]->isEditable())
        return false;
    Ref<Cell> cell = preparedCellAtColumn(column, row);
    const QRectF frame = frameOfCellAtColumn(column, row);
    if (!cell || !cellTracksClicks(*cell) || !cell->isEnabled() || !frame.contains(point))
        return false;
    m_tracker = std::make_unique<TableCellTracker>(cell, column, row, frame);
    if (!m_tracker->start(point, this)) {
        m_tracker.reset();
        return false;
    }
    reloadDataForRowIndexes(IndexSet(row), IndexSet(column));
    return true;
}

void TableView::trackCellMouseDragged(QPointF point)
{
    if (!m_tracker)
        return;
    const int row = m_tracker->row();
    const int column = m_tracker->column();
    if (!m_tracker->drag(point, this))
        stopTrackingCell();
    reloadDataForRowIndexes(IndexSet(row), IndexSet(column));
}

void TableView::trackCellMouseUp(QPointF point)
{
    if (!m_tracker)
        return;
    std::unique_ptr<TableCellTracker> tracker = std::move(m_tracker);
    const int row = tracker->row();
    const int column = tracker->column();
    if (tracker->finish(point, this)) {
        dataSourceSetValue(tracker->cell().objectValue(), m_columns[column].get(), row);
        if (auto* actionCell = dynamic_cast<ActionCell*>(&tracker->cell()); actionCell && !actionCell->action().isEmpty())
            Application::shared()->sendAction(actionCell->action(), actionCell->target(), QVariant::fromValue<QWidget*>(this));
    }
    // The data source may have reloaded meanwhile.
    if (row < numberOfRows() && column < numberOfColumns())
        reloadDataForRowIndexes(IndexSet(row), IndexSet(column));
}

void TableView::stopTrackingCell()
{
    if (!m_tracker)
        return;
    std::unique_ptr<TableCellTracker> tracker = std::move(m_tracker);
    tracker->cancel(this);
}

QString TableView::toolTipForCellAt(QPointF point)
{
    const int row = rowAtPoint(point);
    const int column = row >= 0 ? columnAtPoint(point) : -1;
    Ref<Cell> cell = column >= 0 ? preparedCellAtColumn(column, row) : nullptr;
    if (!cell)
        return {};
    QRectF rect = frameOfCellAtColumn(column, row);
    return delegateToolTip(*cell, rect, m_columns[column].get(), row, point);
}

void TableView::setSelectionHighlightStyle(SelectionHighlightStyle style)
{
    m_highlightStyle = style;
    if (m_treeWidget)
        m_treeWidget->applyHighlightStyle();
    update();
}

void TableView::setGridColor(const QColor& color)
{
    m_gridColor = color;
    update();
}

// --- Table messages to the data source and delegate

QVariant TableView::dataSourceValue(TableColumn* column, int row)
{
    return m_dataSource && !m_destroying ? m_dataSource->objectValueForTableColumn(*this, column, row) : QVariant();
}

void TableView::dataSourceSetValue(const QVariant& value, TableColumn* column, int row)
{
    if (m_dataSource)
        m_dataSource->setObjectValue(*this, value, column, row);
}

void TableView::delegateWillDisplayCell(Cell& cell, TableColumn* column, int row)
{
    if (m_delegate)
        m_delegate->willDisplayCell(*this, cell, column, row);
}

Ref<Cell> TableView::delegateDataCell(TableColumn* column, int row)
{
    return m_delegate ? m_delegate->dataCellForTableColumn(*this, column, row) : nullptr;
}

QString TableView::delegateToolTip(Cell& cell, QRectF& rect, TableColumn* column, int row, QPointF point)
{
    return m_delegate ? m_delegate->toolTipForCell(*this, cell, rect, column, row, point) : QString();
}

Ref<Image> TableView::delegateDragImage(const IndexSet& rows)
{
    return m_delegate ? m_delegate->customDragImage(*this, rows) : nullptr;
}

View* TableView::delegateViewForColumn(TableColumn* column, int row)
{
    return m_delegate ? m_delegate->viewForTableColumn(*this, column, row) : nullptr;
}

TableRowView* TableView::delegateRowView(int row)
{
    return m_delegate ? m_delegate->rowViewForRow(*this, row) : nullptr;
}

bool TableView::delegateShouldSelect(int row)
{
    return !m_delegate || m_delegate->shouldSelectRow(*this, row);
}

IndexSet TableView::delegateProposedSelection(const IndexSet& rows)
{
    return m_delegate ? m_delegate->selectionIndexesForProposedSelection(*this, rows) : rows;
}

void TableView::notifySelectionDidChange()
{
    if (m_delegate)
        m_delegate->selectionDidChange(*this);
    NotificationCenter::defaultCenter().post(NSTableViewSelectionDidChangeNotification, this);
}

bool TableView::delegateShouldEdit(TableColumn* column, int row)
{
    return !m_delegate || m_delegate->shouldEditTableColumn(*this, column, row);
}

bool TableView::delegateIsGroupRow(int row)
{
    return m_delegate && m_delegate->isGroupRow(*this, row);
}

double TableView::delegateHeightOfRow(int row)
{
    return m_delegate ? m_delegate->heightOfRow(*this, row) : 0;
}

void TableView::notifySortDescriptorsDidChange(const QList<SortDescriptor>& old)
{
    if (m_dataSource)
        m_dataSource->sortDescriptorsDidChange(*this, old);
}

bool TableView::writeRowsToPasteboard(const IndexSet& rows, Pasteboard& pasteboard)
{
    return m_dataSource && m_dataSource->writeRowsWithIndexes(*this, rows, pasteboard);
}

// --- Dragging

void TableView::setDraggingSourceOperationMask(unsigned mask, bool local)
{
    (local ? m_localDragMask : m_outsideDragMask) = mask;
}

unsigned TableView::draggingSourceOperationMask(DraggingContext context)
{
    return context == DraggingContext::WithinApplication ? m_localDragMask : m_outsideDragMask;
}

unsigned TableView::dragRows(const IndexSet& rows, const Event& event)
{
    if (rows.isEmpty())
        return DragOperationNone;
    Ref<Pasteboard> pasteboard = Pasteboard::drag();
    pasteboard->clearContents();
    if (!writeRowsToPasteboard(rows, *pasteboard))
        return DragOperationNone;
    QPoint offset;
    const QPixmap image = dragImageForRows(rows, event, offset);
    return DraggingSession::begin(this, pasteboard, this, image, offset, event);
}

QPixmap TableView::dragImageForRows(const IndexSet& rows, const Event&, QPoint& offset)
{
    // The delegate's own image sits centred under the pointer.
    if (const Ref<Image> custom = delegateDragImage(rows)) {
        const QPixmap image = QPixmap::fromImage(custom->bitmap());
        offset = -QPoint(image.width() / 2, image.height() / 2);
        return image;
    }
    QRectF area = rectOfRow(int(rows.firstIndex()));
    rows.forEach([&](qint64 row) { area = area.united(rectOfRow(int(row))); });
    const QRect widgetArea = boundsToWidgetTransform().mapRect(area).toAlignedRect().intersected(rect());
    offset = widgetArea.topLeft() - mapFromGlobal(QCursor::pos());
    return DraggingSession::dragImageFromWidget(this, widgetArea);
}

void TableView::setDropRow(int row, TableDropOperation operation)
{
    m_dropRow = row;
    m_dropOperation = operation;
}

void TableView::setDropHighlight(int row, bool above)
{
    m_dropHighlightRow = row;
    m_dropHighlightAbove = above;
    if (m_treeWidget)
        m_treeWidget->viewport()->update();
    if (m_rowViews)
        m_rowViews->showDropTarget();
}

unsigned TableView::validateDropAtPoint(const DraggingInfo& info, QPointF point)
{
    const int rows = numberOfRows();
    int row = rowAtPoint(point);
    TableDropOperation operation = TableDropOperation::Above;
    if (row < 0) {
        row = point.y() < 0 ? 0 : rows;
    } else {
        const QRectF r = rectOfRow(row);
        const double offset = point.y() - r.top();
        if (offset > r.height() * 0.75)
            row += 1;
        else if (offset >= r.height() * 0.25)
            operation = TableDropOperation::On;
    }
    m_dropRow = row;
    m_dropOperation = operation;
    if (!m_dataSource)
        return DragOperationNone;
    const unsigned answer = m_dataSource->validateDrop(*this, info, m_dropRow, m_dropOperation);
    setDropHighlight(answer != DragOperationNone ? m_dropRow : -1, m_dropOperation == TableDropOperation::Above);
    return answer;
}

bool TableView::acceptValidatedDrop(const DraggingInfo& info)
{
    return m_dataSource && m_dataSource->acceptDrop(*this, info, m_dropRow, m_dropOperation);
}

unsigned TableView::draggingEntered(const DraggingInfo& info)
{
    return draggingUpdated(info);
}

unsigned TableView::draggingUpdated(const DraggingInfo& info)
{
    m_lastDropAnswer = validateDropAtPoint(info, convertPointFromView(info.draggingLocation(), nullptr));
    return m_lastDropAnswer;
}

void TableView::draggingExited(const DraggingInfo*)
{
    m_lastDropAnswer = DragOperationNone;
    setDropHighlight(-1, false);
}

bool TableView::performDragOperation(const DraggingInfo& info)
{
    setDropHighlight(-1, false);
    if (m_lastDropAnswer == DragOperationNone)
        return false;
    m_lastDropAnswer = DragOperationNone;
    return acceptValidatedDrop(info);
}

// --- View-based rows

View* TableView::makeViewWithIdentifier(const QString& identifier, Reflective*)
{
    if (m_rowViews) {
        if (View* recycled = m_rowViews->dequeue(identifier))
            return recycled;
    }
    const auto factory = m_viewFactories.constFind(identifier);
    if (factory == m_viewFactories.constEnd() || !*factory)
        return nullptr;
    View* view = (*factory)();
    if (view)
        view->setProperty(kIdentifierProperty, identifier);
    return view;
}

void TableView::registerViewFactory(const QString& identifier, std::function<View*()> factory)
{
    m_viewFactories.insert(identifier, std::move(factory));
}

QString TableView::identifierOfView(const View* view)
{
    return view ? view->property(kIdentifierProperty).toString() : QString();
}

View* TableView::viewAtColumn(int column, int row, bool makeIfNecessary)
{
    return m_rowViews ? m_rowViews->cellView(column, row, makeIfNecessary) : nullptr;
}

TableRowView* TableView::rowViewAtRow(int row, bool makeIfNecessary)
{
    return m_rowViews ? m_rowViews->rowView(row, makeIfNecessary) : nullptr;
}

void TableView::enumerateAvailableRowViews(const std::function<void(TableRowView*, int)>& visit)
{
    if (m_rowViews)
        m_rowViews->forEachRowView(visit);
}

int TableView::rowForView(const View* view)
{
    return m_rowViews ? m_rowViews->rowForView(view) : -1;
}

void TableView::beginUpdates()
{
    ++m_updateDepth;
}

void TableView::endUpdates()
{
    if (m_updateDepth == 0)
        return;
    if (--m_updateDepth == 0)
        refreshRows(true);
}

void TableView::insertRowsAtIndexes(const IndexSet& rows)
{
    insertChildren(m_tree->root(), rows);
}

void TableView::removeRowsAtIndexes(const IndexSet& rows)
{
    removeChildren(m_tree->root(), rows);
}

void TableView::moveRowAtIndex(int from, int to)
{
    moveChild(m_tree->root(), from, m_tree->root(), to);
}

// --- Splicing the cached child lists

std::vector<TableRowTree::Node*> TableView::selectedNodes()
{
    std::vector<TableRowTree::Node*> nodes;
    m_selection.forEach([&](qint64 row) {
        if (TableRowTree::Node* node = m_tree->nodeAtRow(int(row)))
            nodes.push_back(node);
    });
    return nodes;
}

void TableView::reloadChildrenOf(TableRowTree::Node* node)
{
    abortEditing();
    stopTrackingCell();
    const QVariantList selected = selectedItems();
    willReloadChildren(node);
    if (m_treeWidget)
        m_treeWidget->itemModel().beginReset();
    m_tree->reloadChildren(node);
    if (m_treeWidget)
        m_treeWidget->itemModel().endReset();
    rowsChanged(selected);
}

void TableView::insertChildren(TableRowTree::Node* parent, const IndexSet& indexes)
{
    if (!parent || indexes.isEmpty())
        return;
    if (!parent->loaded) {
        // Nothing cached: the children are asked for when the parent opens.
        refreshRows();
        return;
    }
    // Each index is a place in the list as it is after the earlier insertions.
    bool fits = true;
    int count = int(parent->children.size());
    indexes.forEach([&](qint64 index) {
        fits = fits && index <= count;
        ++count;
    });
    if (!fits) {
        reloadChildrenOf(parent);
        return;
    }
    abortEditing();
    stopTrackingCell();
    const std::vector<TableRowTree::Node*> selected = selectedNodes();
    TableItemModel* model = m_treeWidget ? &m_treeWidget->itemModel() : nullptr;
    const QModelIndex parentIndex = model ? model->indexForNode(parent) : QModelIndex();
    indexes.forEach([&](qint64 index) {
        if (model)
            model->beginInsert(parentIndex, int(index));
        m_tree->insertChild(parent, int(index));
        if (model)
            model->endInsert();
    });
    rowsSpliced(selected);
}

void TableView::removeChildren(TableRowTree::Node* parent, const IndexSet& indexes)
{
    if (!parent || indexes.isEmpty())
        return;
    if (!parent->loaded) {
        refreshRows();
        return;
    }
    if (indexes.lastIndex() >= qint64(parent->children.size())) {
        reloadChildrenOf(parent);
        return;
    }
    abortEditing();
    stopTrackingCell();
    const std::vector<TableRowTree::Node*> selected = selectedNodes();
    TableItemModel* model = m_treeWidget ? &m_treeWidget->itemModel() : nullptr;
    const QModelIndex parentIndex = model ? model->indexForNode(parent) : QModelIndex();
    std::vector<int> descending;
    indexes.forEach([&](qint64 index) { descending.insert(descending.begin(), int(index)); });
    for (int index : descending) {
        if (model)
            model->beginRemove(parentIndex, index);
        m_tree->removeChild(parent, index);
        if (model)
            model->endRemove();
    }
    if (m_rowViews)
        m_rowViews->dropDetachedRows(true);
    rowsSpliced(selected);
    m_tree->releaseRemoved();
}

void TableView::moveChild(TableRowTree::Node* oldParent, int from, TableRowTree::Node* newParent, int to)
{
    if (!oldParent || !newParent)
        return;
    if (!oldParent->loaded && !newParent->loaded) {
        refreshRows();
        return;
    }
    abortEditing();
    stopTrackingCell();
    const std::vector<TableRowTree::Node*> selected = selectedNodes();
    // The rows widget is told the whole shape changed; the data source is not asked again.
    if (m_treeWidget)
        m_treeWidget->itemModel().beginReset();
    bool moved = false;
    if (oldParent->loaded)
        moved = m_tree->moveChild(oldParent, from, newParent, to);
    else
        moved = m_tree->insertChild(newParent, to);
    if (m_treeWidget)
        m_treeWidget->itemModel().endReset();
    if (!moved) {
        // The lists and the data source disagree: everything is asked for again.
        reloadChildrenOf(m_tree->root());
        return;
    }
    if (m_rowViews)
        m_rowViews->dropDetachedRows(false);
    rowsSpliced(selected);
    m_tree->releaseRemoved();
}

void TableView::rowsSpliced(const std::vector<TableRowTree::Node*>& selected)
{
    m_tree->invalidateRows();
    m_geometryValid = false;
    m_tree->numberOfRows();
    // Removed nodes are still alive here, their rows gone.
    IndexSet rows;
    for (TableRowTree::Node* node : selected) {
        if (node->row >= 0)
            rows.add(node->row);
    }
    m_dropHighlightRow = -1;
    if (m_treeWidget)
        m_treeWidget->applyExpansion();
    setSelectionInternal(rows, rows.count() != m_selection.count());
    refreshRows(true);
}

} // namespace pf
