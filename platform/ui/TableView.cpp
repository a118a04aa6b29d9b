#include "platform/ui/TableView.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Application.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/TableItemModel.h"
#include "platform/ui/TableRowView.h"
#include "platform/ui/TableRowViewLayout.h"
#include "platform/ui/TableTreeWidget.h"
#include "platform/ui/TableViewDelegate.h"

#include <QCursor>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyleOptionViewItem>

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
    buildBody();
}

TableView::~TableView()
{
    // Row views and the model ask the table for rows while they go.
    m_rowViews.reset();
    delete m_treeWidget;
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
        m_treeWidget->setGeometry(rect());
        m_treeWidget->show();
        syncHeader();
        outlineStyleChanged();
    }
    updateBoundsForScroll();
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
    QHeaderView* header = m_treeWidget->header();
    header->setVisible(m_headerVisible);
    for (int i = 0; i < m_columns.size(); ++i) {
        header->setSectionHidden(i, m_columns[i]->isHidden());
        if (i < m_columns.size() - 1)
            header->resizeSection(i, qRound(m_columns[i]->width()));
    }
    TableColumn* highlighted = highlightedTableColumn();
    header->setSortIndicatorShown(highlighted && !m_sortDescriptors.isEmpty());
    if (highlighted && !m_sortDescriptors.isEmpty())
        header->setSortIndicator(indexOfColumn(highlighted),
                                 m_sortDescriptors.first().ascending() ? Qt::AscendingOrder : Qt::DescendingOrder);
    m_syncingHeader = false;
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
    return !item.isValid() && m_dataSource ? std::max(0, m_dataSource->numberOfRowsInTableView(*this)) : 0;
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
    refreshRows(m_updateDepth > 0);
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
    width = std::max(width, bounds().width());
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
        width = std::max(width, bounds().width() - x);
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
    if (!m_treeWidget || !m_headerVisible)
        return 0;
    return m_treeWidget->header()->isVisible() ? m_treeWidget->header()->height()
                                               : m_treeWidget->header()->sizeHint().height();
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
    if (m_treeWidget)
        m_treeWidget->setGeometry(rect());
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

void TableView::editColumn(int column, int row, bool select)
{
    if (!isCellEditable(column, row))
        return;
    if (select)
        selectRowIndexes(IndexSet(row), false);
    scrollRowToVisible(row);
    if (m_treeWidget)
        m_treeWidget->editCell(row, column);
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

void TableView::prepareCellForDisplay(QStyleOptionViewItem& cell, int column, int row)
{
    if (column >= 0 && column < m_columns.size())
        delegateWillDisplayCell(cell, m_columns[column].get(), row);
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
    return m_dataSource ? m_dataSource->objectValueForTableColumn(*this, column, row) : QVariant();
}

void TableView::dataSourceSetValue(const QVariant& value, TableColumn* column, int row)
{
    if (m_dataSource)
        m_dataSource->setObjectValue(*this, value, column, row);
}

void TableView::delegateWillDisplayCell(QStyleOptionViewItem& cell, TableColumn* column, int row)
{
    if (m_delegate)
        m_delegate->willDisplayCell(*this, cell, column, row);
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

void TableView::insertRowsAtIndexes(const IndexSet&)
{
    // A table's rows are numbers: the shown rows after the change are simply asked again.
    reloadData();
}

void TableView::removeRowsAtIndexes(const IndexSet&)
{
    reloadData();
}

void TableView::moveRowAtIndex(int, int)
{
    reloadData();
}

} // namespace pf
