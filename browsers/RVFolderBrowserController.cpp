#include "browsers/RVFolderBrowserController.h"

#include "browsers/RVFileInfo.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Notification.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Cell.h"
#include "platform/ui/TableColumn.h"
#include "widgets/RVIconTextFieldCell.h"
#include "widgets/String+CartavelExtensions.h"

#include <QAbstractButton>
#include <QDir>

#include <algorithm>
#include <functional>
#include <utility>

PF_DEFINE_CLASS(RVFolderBrowserController, pf::Object)
{
    b.method("removeSelectedItemAction:", &RVFolderBrowserController::removeSelectedItemAction);
    b.method("doubleClickAction:", &RVFolderBrowserController::doubleClickAction);
}

namespace {

QString cleanPathOf(const QUrl& url)
{
    return QDir::cleanPath(url.isLocalFile() ? url.toLocalFile() : url.path());
}

} // namespace

RVFolderBrowserController::RVFolderBrowserController(QWidget* parent)
{
    m_outline = new pf::OutlineView(parent);
    m_outline->setHeaderVisible(false);
    m_outline->setAllowsMultipleSelection(false);
    m_outline->setRowHeight(20);
    // The outline takes the room its owner gives it, above any title or button row.
    m_outline->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto column = pf::TableColumn::make(kNameColumn);
    column->setWidth(220);
    column->setDataCell(std::make_shared<RVIconTextFieldCell>());
    column->setSortDescriptorPrototype(pf::SortDescriptor(QStringLiteral("name"), true,
                                                          pf::SortDescriptor::Comparison::LocalizedStandardCompare));
    m_outline->addTableColumn(column);
    m_outline->setOutlineTableColumn(column.get());
    m_outline->setDataSource(this);
    m_outline->setDelegate(this);
    // What the nib's wake-up does: changes on disk, the double action, the first sort order.
    pf::NotificationCenter::defaultCenter().addObserver(
        this,
        [this](const pf::Notification& notification) {
            folderChangedOnDisk(dynamic_cast<RVFolderInfo*>(notification.object));
        },
        RVFolderInfo::kRVFolderInfoDidChangeOnDisk, nullptr);
    m_outline->setTarget(this);
    m_outline->setDoubleAction(QStringLiteral("doubleClickAction:"));
    if (column->sortDescriptorPrototype())
        m_outline->setSortDescriptors({*column->sortDescriptorPrototype()});
    addRootItemWithURL(RVFolderInfo::urlForPath(QStringLiteral("~")));
}

RVFolderBrowserController::~RVFolderBrowserController()
{
    pf::NotificationCenter::defaultCenter().removeObserver(this);
    m_delegate = nullptr;
    if (m_outline) {
        m_outline->setDataSource(nullptr);
        m_outline->setDelegate(nullptr);
        m_outline->setTarget(nullptr);
    }
}

void RVFolderBrowserController::setDeleteFolderButton(QAbstractButton* button)
{
    m_deleteButton = button;
}

// --- Roots ------------------------------------------------------------------------------------

void RVFolderBrowserController::sortRoots()
{
    std::stable_sort(m_roots.begin(), m_roots.end(), [](const auto& a, const auto& b) {
        return localisedCaseInsensitiveNumericCompare(a->name(), b->name()) < 0;
    });
}

void RVFolderBrowserController::setRootItems(const QList<pf::Ref<RVFolderInfo>>& roots)
{
    m_roots.clear();
    for (const pf::Ref<RVFolderInfo>& root : roots)
        if (root)
            m_roots.append(root);
    sortRoots();
    reload();
    if (m_outline)
        m_outline->deselectAll();
}

pf::Ref<RVFolderInfo> RVFolderBrowserController::addRootItemWithURL(const QUrl& url)
{
    if (rootInfoForURL(url))
        return nullptr;
    pf::Ref<RVFolderInfo> root = RVFolderInfo::folderInfoWithURL(QUrl::fromLocalFile(cleanPathOf(url)));
    root->setIncludesPackages(m_includesFilePackages);
    addRootItem(root);
    return root;
}

void RVFolderBrowserController::addRootItem(const pf::Ref<RVFolderInfo>& root)
{
    PF_ASSERT(root != nullptr, "cannot pass nil for root item");
    m_roots.append(root);
    sortRoots();
    reload();
    if (m_outline) {
        m_outline->deselectAll();
        m_outline->update();
    }
}

void RVFolderBrowserController::removeRootItem(const pf::Ref<RVFolderInfo>& root)
{
    PF_ASSERT(root != nullptr, "cannot pass nil for root item");
    m_roots.removeAll(root);
    reload();
    if (m_outline)
        m_outline->deselectAll();
}

void RVFolderBrowserController::removeRootItemWithURL(const QUrl& url)
{
    if (pf::Ref<RVFolderInfo> root = rootInfoForURL(url))
        removeRootItem(root);
}

pf::Ref<RVFolderInfo> RVFolderBrowserController::rootInfoForURL(const QUrl& url) const
{
    const QString wanted = cleanPathOf(url);
    for (const pf::Ref<RVFolderInfo>& root : m_roots)
        if (root->path() == wanted)
            return root;
    return nullptr;
}

pf::Ref<RVFolderInfo> RVFolderBrowserController::rootInfoForPath(const QString& path) const
{
    return rootInfoForURL(RVFolderInfo::urlForPath(path));
}

void RVFolderBrowserController::removeSelectedItemAction(const QVariant&)
{
    pf::Ref<RVFolderInfo> selected = selectedItem();
    if (!selected)
        return;
    pf::Ref<RVFolderInfo> root = selected->root();
    if (root->allowsDeletion() && m_roots.contains(root))
        removeRootItem(root);
}

void RVFolderBrowserController::setShowRootItems(bool show)
{
    if (show == m_showRootItems)
        return;
    m_showRootItems = show;
    reload();
}

// --- Finding, expanding, selecting --------------------------------------------------------------

pf::Ref<RVFolderInfo> RVFolderBrowserController::itemWithURL(const QUrl& url) const
{
    for (const pf::Ref<RVFolderInfo>& root : m_roots)
        if (pf::Ref<RVFolderInfo> found = root->nodeWithURL(url))
            return found;
    return nullptr;
}

pf::Ref<RVFolderInfo> RVFolderBrowserController::itemWithIdentifier(const QString& identifier) const
{
    for (const pf::Ref<RVFolderInfo>& root : m_roots)
        if (pf::Ref<RVFolderInfo> found = root->nodeWithIdentifier(identifier))
            return found;
    return nullptr;
}

pf::Ref<RVFolderInfo> RVFolderBrowserController::expandItemWithIdentifier(const QString& identifier)
{
    pf::Ref<RVFolderInfo> node = itemWithIdentifier(identifier);
    if (!node || !m_outline)
        return node;
    QList<pf::Ref<RVFolderInfo>> chain;
    for (pf::Ref<RVFolderInfo> up = node; up; up = up->parent())
        chain.prepend(up);
    for (const pf::Ref<RVFolderInfo>& step : chain)
        if (m_outline->rowForItem(pf::toVariant(step)) >= 0)
            m_outline->expandItem(pf::toVariant(step), false);
    return node;
}

void RVFolderBrowserController::expandItem(const pf::Ref<RVFolderInfo>& node, bool select)
{
    if (!node || !m_outline)
        return;
    expandItemWithIdentifier(node->identifier());
    if (!select)
        return;
    const int row = m_outline->rowForItem(pf::toVariant(node));
    if (row >= 0) {
        m_outline->scrollRowToVisible(row);
        m_outline->selectRowIndexes(pf::IndexSet(row), false);
    }
}

void RVFolderBrowserController::selectItemWithIdentifier(const QString& identifier)
{
    if (identifier.isEmpty() || !m_outline)
        return;
    pf::Ref<RVFolderInfo> node = expandItemWithIdentifier(identifier);
    if (!node)
        return;
    const int row = m_outline->rowForItem(pf::toVariant(node));
    if (row >= 0) {
        m_outline->scrollRowToVisible(row);
        m_outline->selectRowIndexes(pf::IndexSet(row), false);
    }
}

pf::Ref<RVFolderInfo> RVFolderBrowserController::selectedItem()
{
    if (!m_outline || m_outline->selectedRow() < 0)
        return nullptr;
    return nodeOf(m_outline->itemAtRow(m_outline->selectedRow()));
}

void RVFolderBrowserController::reload()
{
    forgetSorting();
    if (m_outline)
        m_outline->reloadData();
}

void RVFolderBrowserController::setNeedsUpdateWithItem(const pf::Ref<RVFolderInfo>& item)
{
    if (!item || !m_outline)
        return;
    reloadKeepingSelection([&] {
        forgetSorting(item.get());
        const bool isTopLevel = !m_showRootItems && !m_roots.isEmpty() && item == m_roots.last();
        if (isTopLevel)
            m_outline->reloadData();
        else if (m_outline->rowForItem(pf::toVariant(item)) >= 0)
            m_outline->reloadItem(pf::toVariant(item), true);
    });
}

void RVFolderBrowserController::reloadKeepingSelection(const std::function<void()>& reload)
{
    const pf::Ref<RVFolderInfo> before = selectedItem();
    const QString identifier = before ? before->identifier() : QString();
    const bool wasQuiet = std::exchange(m_quiet, true);
    reload();
    if (before && selectedItem() != before) {
        int row = m_outline->rowForItem(pf::toVariant(before));
        if (row < 0) {
            expandItemWithIdentifier(identifier);
            if (pf::Ref<RVFolderInfo> same = itemWithIdentifier(identifier))
                row = m_outline->rowForItem(pf::toVariant(same));
        }
        if (row >= 0)
            m_outline->selectRowIndexes(pf::IndexSet(row), false);
        else
            m_outline->deselectAll();
    }
    m_quiet = wasQuiet;
    if (!m_quiet && selectedItem() != before)
        selectionDidChange(*m_outline);
}

void RVFolderBrowserController::forgetSorting(const RVFolderInfo* node)
{
    if (node)
        m_sorted.remove(node);
    else
        m_sorted.clear();
}

QList<pf::Ref<RVFolderInfo>> RVFolderBrowserController::sortedFoldersOfItem(const pf::Ref<RVFolderInfo>& node)
{
    if (!node)
        return {};
    if (auto found = m_sorted.constFind(node.get()); found != m_sorted.constEnd())
        return *found;
    QList<pf::Ref<RVFolderInfo>> children = node->subFolders();
    const QList<pf::SortDescriptor> descriptors = m_outline ? m_outline->sortDescriptors() : QList<pf::SortDescriptor>();
    if (!node->subFoldersPresorted() && !descriptors.isEmpty()) {
        std::stable_sort(children.begin(), children.end(), [&](const auto& a, const auto& b) {
            for (const pf::SortDescriptor& descriptor : descriptors) {
                const int order = descriptor.compareObjects(pf::toVariant(a), pf::toVariant(b));
                if (order != 0)
                    return order < 0;
            }
            return false;
        });
    }
    m_sorted.insert(node.get(), children);
    return children;
}

bool RVFolderBrowserController::ownsNode(RVFolderInfo* node)
{
    if (!node)
        return false;
    pf::Ref<RVFolderInfo> root = node->root();
    return m_roots.contains(root);
}

void RVFolderBrowserController::folderChangedOnDisk(RVFolderInfo* node)
{
    if (!ownsNode(node))
        return;
    const pf::Ref<RVFolderInfo> changed = node->ref<RVFolderInfo>();
    if (!m_roots.contains(changed)) {
        // A folder deeper in a tree: its own rows are read again.
        setNeedsUpdateWithItem(changed);
        return;
    }
    reloadKeepingSelection([&] {
        forgetSorting();
        if (!m_outline)
            return;
        if (m_outline->rowForItem(pf::toVariant(changed)) >= 0)
            m_outline->reloadItem(pf::toVariant(changed), true);
        else
            m_outline->reloadData();
    });
    if (m_delegate)
        m_delegate->folderBrowserWasNotifiedOfChangeOnDisk(*this, changed);
}

void RVFolderBrowserController::doubleClickAction(const QVariant&)
{
    if (m_delegate)
        m_delegate->folderBrowserDidDoubleClickFolder(*this, selectedItem());
}

// --- Outline data source and delegate -------------------------------------------------------------

int RVFolderBrowserController::numberOfChildrenOfItem(pf::OutlineView&, const QVariant& item)
{
    if (pf::Ref<RVFolderInfo> node = nodeOf(item))
        return node->isFile() ? 0 : int(sortedFoldersOfItem(node).size());
    if (m_showRootItems)
        return int(m_roots.size());
    return m_roots.isEmpty() ? 0 : int(sortedFoldersOfItem(m_roots.last()).size());
}

QVariant RVFolderBrowserController::child(pf::OutlineView&, int index, const QVariant& item)
{
    pf::Ref<RVFolderInfo> node = nodeOf(item);
    if (!node) {
        if (m_showRootItems)
            return pf::toVariant(m_roots.value(index));
        if (m_roots.isEmpty())
            return {};
        node = m_roots.last();
    }
    return pf::toVariant(sortedFoldersOfItem(node).value(index));
}

bool RVFolderBrowserController::isItemExpandable(pf::OutlineView&, const QVariant& item)
{
    pf::Ref<RVFolderInfo> node = nodeOf(item);
    return node && !node->isFile() && node->valence() > 0;
}

QVariant RVFolderBrowserController::objectValueForTableColumn(pf::OutlineView&, pf::TableColumn* column,
                                                              const QVariant& item)
{
    pf::Ref<RVFolderInfo> node = nodeOf(item);
    if (!node || !column)
        return {};
    return node->valueForKey(column->identifier());
}

void RVFolderBrowserController::sortDescriptorsDidChange(pf::OutlineView&, const QList<pf::SortDescriptor>&)
{
    pf::Ref<RVFolderInfo> selected = selectedItem();
    reload();
    if (selected)
        expandItem(selected, true);
}

QVariant RVFolderBrowserController::persistentObjectForItem(pf::OutlineView&, const QVariant& item)
{
    pf::Ref<RVFolderInfo> node = nodeOf(item);
    return node ? QVariant(node->identifier()) : QVariant();
}

QVariant RVFolderBrowserController::itemForPersistentObject(pf::OutlineView&, const QVariant& object)
{
    return pf::toVariant(itemWithIdentifier(object.toString()));
}

void RVFolderBrowserController::selectionDidChange(pf::OutlineView&)
{
    if (m_quiet)
        return;
    pf::Ref<RVFolderInfo> selected = selectedItem();
    if (m_delegate)
        m_delegate->folderBrowserDidSelectFolder(*this, selected);
    if (m_deleteButton)
        m_deleteButton->setEnabled(selected && selected->root()->allowsDeletion());
}

void RVFolderBrowserController::willDisplayCell(pf::OutlineView&, pf::Cell& cell, pf::TableColumn* column,
                                                const QVariant& item)
{
    if (!column || column->identifier() != kNameColumn)
        return;
    pf::Ref<RVFolderInfo> node = nodeOf(item);
    if (!node)
        return;
    if (auto* iconCell = dynamic_cast<RVIconTextFieldCell*>(&cell))
        iconCell->setTextFieldIcon(node->icon());
    cell.setEnabled(!node->isFile() || m_canSelectFiles);
}

bool RVFolderBrowserController::shouldSelectItem(pf::OutlineView&, const QVariant& item)
{
    pf::Ref<RVFolderInfo> node = nodeOf(item);
    return !node || !node->isFile() || m_canSelectFiles;
}

pf::IndexSet RVFolderBrowserController::selectionIndexesForProposedSelection(pf::OutlineView& outline,
                                                                             const pf::IndexSet& proposed)
{
    if (proposed.count() == 0)
        return proposed;
    pf::Ref<RVFolderInfo> node = nodeOf(outline.itemAtRow(proposed.firstIndex()));
    if (!node || !node->isFile() || m_canSelectFiles)
        return proposed;
    if (m_delegate)
        m_delegate->folderBrowserUserClickedFile(*this, node);
    const int parentRow = node->parent() ? outline.rowForItem(pf::toVariant(node->parent())) : -1;
    return parentRow >= 0 ? pf::IndexSet(parentRow) : pf::IndexSet();
}
