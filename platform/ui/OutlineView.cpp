#include "platform/ui/OutlineView.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/TableItemModel.h"
#include "platform/ui/TableTreeWidget.h"

PF_DEFINE_CLASS_NAMED(pf::OutlineView, pf::TableView, "pf::OutlineView") {}

namespace pf {

OutlineView::OutlineView(QWidget* parent) : TableView(parent)
{
    outlineStyleChanged();
}

OutlineView::~OutlineView()
{
    prepareForDestruction();
    m_outlineDataSource = nullptr;
    m_outlineDelegate = nullptr;
}

void OutlineView::setDataSource(OutlineViewDataSource* dataSource)
{
    m_outlineDataSource = dataSource;
    reloadData();
    restoreExpandedItems();
}

void OutlineView::setDelegate(OutlineViewDelegate* delegate)
{
    m_outlineDelegate = delegate;
    reloadData();
}

TableColumn* OutlineView::outlineTableColumn() const
{
    if (indexOfColumn(m_outlineColumn) >= 0)
        return m_outlineColumn;
    return tableColumns().isEmpty() ? nullptr : tableColumns().first().get();
}

void OutlineView::setOutlineTableColumn(TableColumn* column)
{
    m_outlineColumn = column;
    outlineStyleChanged();
    refreshRows();
}

int OutlineView::outlineColumnIndex() const
{
    const int index = indexOfColumn(outlineTableColumn());
    return index >= 0 ? index : 0;
}

void OutlineView::setIndentationPerLevel(double indentation)
{
    m_indentation = std::max(0.0, indentation);
    outlineStyleChanged();
    refreshRows();
}

// --- The tree

int OutlineView::numberOfChildren(const QVariant& item)
{
    return m_outlineDataSource ? std::max(0, m_outlineDataSource->numberOfChildrenOfItem(*this, item)) : 0;
}

QVariant OutlineView::childOfItem(int index, const QVariant& item)
{
    return m_outlineDataSource ? m_outlineDataSource->child(*this, index, item) : QVariant();
}

bool OutlineView::isExpandable(const QVariant& item)
{
    return m_outlineDataSource && m_outlineDataSource->isItemExpandable(*this, item);
}

QVariant OutlineView::itemAtRow(int row)
{
    TableRowTree::Node* node = rowTree().nodeAtRow(row);
    return node ? node->item : QVariant();
}

int OutlineView::rowForItem(const QVariant& item)
{
    TableRowTree::Node* node = item.isValid() ? rowTree().findNode(item) : nullptr;
    return node ? node->row : -1;
}

QVariant OutlineView::parentForItem(const QVariant& item)
{
    TableRowTree::Node* node = item.isValid() ? rowTree().findNode(item) : nullptr;
    return node && node->parent ? node->parent->item : QVariant();
}

int OutlineView::childIndexForItem(const QVariant& item)
{
    TableRowTree::Node* node = item.isValid() ? rowTree().findNode(item) : nullptr;
    return node ? node->indexInParent : -1;
}

int OutlineView::levelForItem(const QVariant& item)
{
    TableRowTree::Node* node = item.isValid() ? rowTree().findNode(item) : nullptr;
    return node ? node->level : -1;
}

int OutlineView::levelForRow(int row)
{
    TableRowTree::Node* node = rowTree().nodeAtRow(row);
    return node ? node->level : -1;
}

bool OutlineView::isItemExpanded(const QVariant& item)
{
    TableRowTree::Node* node = item.isValid() ? rowTree().findNode(item) : nullptr;
    return node && node->expanded;
}

void OutlineView::expandItem(const QVariant& item, bool expandChildren)
{
    if (TableRowTree::Node* node = rowTree().findNode(item))
        setNodeExpanded(node, true, expandChildren);
}

void OutlineView::collapseItem(const QVariant& item, bool collapseChildren)
{
    if (TableRowTree::Node* node = rowTree().findNode(item))
        setNodeExpanded(node, false, collapseChildren);
}

void OutlineView::rowWidgetToggledExpansion(TableRowTree::Node* node, bool expanded)
{
    if (node) {
        const bool allowed = !m_outlineDelegate || (expanded ? m_outlineDelegate->shouldExpandItem(*this, node->item)
                                                             : m_outlineDelegate->shouldCollapseItem(*this, node->item));
        if (allowed)
            setNodeExpanded(node, expanded, false);
    }
    // Undoes in the widget what was refused.
    TableView::rowWidgetToggledExpansion(node, expanded);
}

void OutlineView::setNodeExpanded(TableRowTree::Node* node, bool expanded, bool recursive)
{
    const QVariantList selected = selectedItems();
    QVariantList changed;
    if (node == rowTree().root()) {
        for (const auto& child : rowTree().children(node))
            setSubtreeExpanded(child.get(), expanded, recursive, changed);
    } else {
        setSubtreeExpanded(node, expanded, recursive, changed);
    }
    if (changed.isEmpty())
        return;
    rowsChanged(selected);
    const QString name = expanded ? NSOutlineViewItemDidExpandNotification : NSOutlineViewItemDidCollapseNotification;
    for (const QVariant& item : changed) {
        if (m_outlineDelegate)
            expanded ? m_outlineDelegate->itemDidExpand(*this, item) : m_outlineDelegate->itemDidCollapse(*this, item);
        NotificationCenter::defaultCenter().post(name, this, {{kOutlineViewItemKey, item}});
    }
    saveExpandedItems();
}

void OutlineView::setSubtreeExpanded(TableRowTree::Node* node, bool expanded, bool recursive, QVariantList& changed)
{
    if (rowTree().setExpanded(node, expanded))
        changed.append(node->item);
    if (!recursive || (expanded && !node->expanded))
        return;
    if (!expanded && !node->loaded)
        return;
    for (const auto& child : rowTree().children(node))
        setSubtreeExpanded(child.get(), expanded, recursive, changed);
}

void OutlineView::reloadItem(const QVariant& item, bool reloadChildren)
{
    TableRowTree::Node* node = rowTree().findNode(item);
    if (!node)
        return;
    if (reloadChildren || node == rowTree().root()) {
        reloadChildrenOf(node);
        return;
    }
    // A new answer about expandability shows through the node's children being asked again.
    if (node->loaded && !node->expanded)
        reloadChildrenOf(node);
    const int row = node->row;
    if (row >= 0) {
        IndexSet columns = IndexSet::range(0, numberOfColumns());
        reloadDataForRowIndexes(IndexSet(row), columns);
    }
}

void OutlineView::reloadData()
{
    TableView::reloadData();
}

void OutlineView::insertItemsAtIndexes(const IndexSet& indexes, const QVariant& parent)
{
    insertChildren(rowTree().findNode(parent), indexes);
}

void OutlineView::removeItemsAtIndexes(const IndexSet& indexes, const QVariant& parent)
{
    removeChildren(rowTree().findNode(parent), indexes);
}

void OutlineView::moveItemAtIndex(int from, const QVariant& oldParent, int to, const QVariant& newParent)
{
    moveChild(rowTree().findNode(oldParent), from, rowTree().findNode(newParent), to);
}

// --- Autosave

QString OutlineView::autosaveKey(const QString& name)
{
    return QStringLiteral("NSOutlineView Items ") + name;
}

void OutlineView::setAutosaveName(const QString& name)
{
    m_autosaveName = name;
    restoreExpandedItems();
}

void OutlineView::setAutosaveExpandedItems(bool autosave)
{
    m_autosaveExpanded = autosave;
    restoreExpandedItems();
}

void OutlineView::saveExpandedItems()
{
    if (m_restoring || !m_autosaveExpanded || m_autosaveName.isEmpty() || !m_outlineDataSource)
        return;
    QVariantList objects;
    for (const QVariant& item : rowTree().expandedItems()) {
        const QVariant object = m_outlineDataSource->persistentObjectForItem(*this, item);
        if (object.isValid())
            objects.append(object);
    }
    UserDefaults::standard().setObject(objects, autosaveKey(m_autosaveName));
}

void OutlineView::restoreExpandedItems()
{
    if (!m_autosaveExpanded || m_autosaveName.isEmpty() || !m_outlineDataSource)
        return;
    const QVariantList objects = UserDefaults::standard().arrayForKey(autosaveKey(m_autosaveName));
    if (objects.isEmpty())
        return;
    m_restoring = true;
    // Parents were saved before their children, so each item's parent is open when it is found.
    for (const QVariant& object : objects) {
        const QVariant item = m_outlineDataSource->itemForPersistentObject(*this, object);
        if (!item.isValid())
            continue;
        if (TableRowTree::Node* node = rowTree().findNode(item))
            setNodeExpanded(node, true, false);
    }
    m_restoring = false;
}

// --- Drops

void OutlineView::setDropItem(const QVariant& item, int childIndex)
{
    m_dropItem = item;
    m_dropChildIndex = childIndex;
}

int OutlineView::gapRow(TableRowTree::Node* parent, int childIndex)
{
    const auto& children = rowTree().children(parent);
    if (childIndex >= 0 && childIndex < int(children.size()) && children[size_t(childIndex)]->row >= 0)
        return children[size_t(childIndex)]->row;
    // After the parent's last shown descendant.
    int row = parent->row;
    for (TableRowTree::Node* n = rowTree().nodeAtRow(row + 1); n; n = rowTree().nodeAtRow(row + 1)) {
        if (parent != rowTree().root() && n->level <= parent->level)
            break;
        ++row;
    }
    return row + 1;
}

unsigned OutlineView::validateDropAtPoint(const DraggingInfo& info, QPointF point)
{
    TableRowTree::Node* root = rowTree().root();
    const int row = rowAtPoint(point);
    TableRowTree::Node* target = root;
    int childIndex = int(rowTree().children(root).size());
    if (row < 0 && point.y() < 0) {
        childIndex = 0;
    } else if (TableRowTree::Node* node = row >= 0 ? rowTree().nodeAtRow(row) : nullptr) {
        const QRectF r = rectOfRow(row);
        const double offset = point.y() - r.top();
        if (offset < r.height() * 0.25) {
            target = node->parent;
            childIndex = node->indexInParent;
        } else if (offset > r.height() * 0.75) {
            if (node->expanded && !rowTree().children(node).empty()) {
                target = node;
                childIndex = 0;
            } else {
                target = node->parent;
                childIndex = node->indexInParent + 1;
            }
        } else {
            target = node;
            childIndex = -1;
        }
    }
    m_dropItem = target->item;
    m_dropChildIndex = childIndex;
    if (!m_outlineDataSource)
        return DragOperationNone;
    const unsigned answer = m_outlineDataSource->validateDrop(*this, info, m_dropItem, m_dropChildIndex);
    if (answer == DragOperationNone) {
        setDropHighlight(-1, false);
        return answer;
    }
    TableRowTree::Node* dropNode = rowTree().findNode(m_dropItem);
    if (!dropNode)
        setDropHighlight(-1, false);
    else if (m_dropChildIndex < 0)
        setDropHighlight(dropNode == root ? -1 : dropNode->row, false);
    else
        setDropHighlight(gapRow(dropNode, m_dropChildIndex), true);
    return answer;
}

bool OutlineView::acceptValidatedDrop(const DraggingInfo& info)
{
    return m_outlineDataSource && m_outlineDataSource->acceptDrop(*this, info, m_dropItem, m_dropChildIndex);
}

bool OutlineView::writeRowsToPasteboard(const IndexSet& rows, Pasteboard& pasteboard)
{
    if (!m_outlineDataSource)
        return false;
    QVariantList items;
    rows.forEach([&](qint64 row) { items.append(itemAtRow(int(row))); });
    return m_outlineDataSource->writeItems(*this, items, pasteboard);
}

// --- Messages by item

QVariant OutlineView::dataSourceValue(TableColumn* column, int row)
{
    return m_outlineDataSource ? m_outlineDataSource->objectValueForTableColumn(*this, column, itemAtRow(row)) : QVariant();
}

void OutlineView::dataSourceSetValue(const QVariant& value, TableColumn* column, int row)
{
    if (m_outlineDataSource)
        m_outlineDataSource->setObjectValue(*this, value, column, itemAtRow(row));
}

void OutlineView::delegateWillDisplayCell(Cell& cell, TableColumn* column, int row)
{
    if (m_outlineDelegate)
        m_outlineDelegate->willDisplayCell(*this, cell, column, itemAtRow(row));
}

Ref<Cell> OutlineView::delegateDataCell(TableColumn* column, int row)
{
    return m_outlineDelegate ? m_outlineDelegate->dataCellForTableColumn(*this, column, itemAtRow(row)) : nullptr;
}

QString OutlineView::delegateToolTip(Cell& cell, QRectF& rect, TableColumn* column, int row, QPointF point)
{
    return m_outlineDelegate ? m_outlineDelegate->toolTipForCell(*this, cell, rect, column, itemAtRow(row), point)
                             : QString();
}

View* OutlineView::delegateViewForColumn(TableColumn* column, int row)
{
    return m_outlineDelegate ? m_outlineDelegate->viewForTableColumn(*this, column, itemAtRow(row)) : nullptr;
}

TableRowView* OutlineView::delegateRowView(int row)
{
    return m_outlineDelegate ? m_outlineDelegate->rowViewForItem(*this, itemAtRow(row)) : nullptr;
}

bool OutlineView::delegateShouldSelect(int row)
{
    return !m_outlineDelegate || m_outlineDelegate->shouldSelectItem(*this, itemAtRow(row));
}

IndexSet OutlineView::delegateProposedSelection(const IndexSet& rows)
{
    return m_outlineDelegate ? m_outlineDelegate->selectionIndexesForProposedSelection(*this, rows) : rows;
}

void OutlineView::notifySelectionDidChange()
{
    if (m_outlineDelegate)
        m_outlineDelegate->selectionDidChange(*this);
    NotificationCenter::defaultCenter().post(NSOutlineViewSelectionDidChangeNotification, this);
}

bool OutlineView::delegateShouldEdit(TableColumn* column, int row)
{
    return !m_outlineDelegate || m_outlineDelegate->shouldEditTableColumn(*this, column, itemAtRow(row));
}

bool OutlineView::delegateIsGroupRow(int row)
{
    return m_outlineDelegate && m_outlineDelegate->isGroupItem(*this, itemAtRow(row));
}

double OutlineView::delegateHeightOfRow(int row)
{
    return m_outlineDelegate ? m_outlineDelegate->heightOfRowByItem(*this, itemAtRow(row)) : 0;
}

void OutlineView::notifySortDescriptorsDidChange(const QList<SortDescriptor>& old)
{
    if (m_outlineDataSource)
        m_outlineDataSource->sortDescriptorsDidChange(*this, old);
}

} // namespace pf
