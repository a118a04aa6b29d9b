#include "browsers/RVFolderBrowserController.h"

#include "platform/foundation/ClassBuilder.h"

#include <QCollator>
#include <QDir>
#include <QFileSystemWatcher>
#include <QHeaderView>
#include <QSet>
#include <QTreeWidget>

#include <algorithm>

PF_DEFINE_CLASS(RVFolderBrowserController, pf::Object) {}

namespace {

bool pathIsInside(const QString& path, const QString& folder)
{
    return path == folder || path.startsWith(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
}

} // namespace

RVFolderBrowserController::RVFolderBrowserController(QWidget* parent)
{
    m_outline = new QTreeWidget(parent);
    m_outline->setHeaderHidden(true);
    m_outline->setColumnCount(1);
    m_outline->setSelectionMode(QAbstractItemView::SingleSelection);
    m_outline->setUniformRowHeights(true);
    QObject::connect(m_outline, &QTreeWidget::itemExpanded, m_outline, [this](QTreeWidgetItem* row) {
        for (int i = 0; i < row->childCount(); ++i)
            fillChildren(row->child(i));
    });
    QObject::connect(m_outline, &QTreeWidget::itemSelectionChanged, m_outline, [this] { selectionChanged(); });
    m_watcher = new QFileSystemWatcher(m_outline);
    QObject::connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_outline,
                     [this](const QString& path) { folderChangedOnDisk(path); });
}

RVFolderBrowserController::~RVFolderBrowserController()
{
    m_delegate = nullptr;
    if (m_outline) {
        QObject::disconnect(m_outline, nullptr, m_outline, nullptr);
        if (m_watcher)
            QObject::disconnect(m_watcher, nullptr, m_outline, nullptr);
    }
}

void RVFolderBrowserController::setRootItems(const QList<pf::Ref<RVFolderInfo>>& roots)
{
    m_roots.clear();
    for (const pf::Ref<RVFolderInfo>& root : roots)
        if (root)
            m_roots.append(root);
    QCollator collator;
    std::stable_sort(m_roots.begin(), m_roots.end(),
                     [&](const auto& a, const auto& b) { return collator.compare(a->name(), b->name()) < 0; });
    reload();
    if (m_outline)
        m_outline->clearSelection();
}

pf::Ref<RVFolderInfo> RVFolderBrowserController::addRootItemWithURL(const QUrl& url)
{
    const QString path = QDir::cleanPath(url.toLocalFile());
    for (const pf::Ref<RVFolderInfo>& root : m_roots)
        if (root->path() == path)
            return nullptr;
    pf::Ref<RVFolderInfo> root = RVFolderInfo::folderInfoWithURL(url);
    addRootItem(root);
    return root;
}

void RVFolderBrowserController::addRootItem(const pf::Ref<RVFolderInfo>& root)
{
    if (!root)
        return;
    QList<pf::Ref<RVFolderInfo>> roots = m_roots;
    roots.append(root);
    setRootItems(roots);
}

pf::Ref<RVFolderInfo> RVFolderBrowserController::itemWithURL(const QUrl& url) const
{
    const QString path = QDir::cleanPath(url.toLocalFile());
    if (path.isEmpty() || path == QLatin1String("."))
        return nullptr;
    // Only the branch that leads to the path is listed.
    for (const pf::Ref<RVFolderInfo>& root : m_roots) {
        pf::Ref<RVFolderInfo> node = root;
        while (node && pathIsInside(path, node->path())) {
            if (node->path() == path)
                return node;
            pf::Ref<RVFolderInfo> next;
            for (const pf::Ref<RVFolderInfo>& child : node->subFolders())
                if (pathIsInside(path, child->path())) {
                    next = child;
                    break;
                }
            node = next;
        }
    }
    return nullptr;
}

void RVFolderBrowserController::expandItem(const pf::Ref<RVFolderInfo>& node, bool select)
{
    if (!node || !m_outline)
        return;
    QList<pf::Ref<RVFolderInfo>> chain;
    for (pf::Ref<RVFolderInfo> at = node; at; at = at->parent())
        chain.prepend(at);
    QTreeWidgetItem* row = nullptr;
    for (const pf::Ref<RVFolderInfo>& step : chain) {
        QTreeWidgetItem* found = rowForNode(step.get());
        if (!found && row) {
            // A node adopted after the row was filled: list the row again.
            for (QTreeWidgetItem* child : row->takeChildren()) {
                m_nodes.remove(child);
                delete child;
            }
            fillChildren(row);
            found = rowForNode(step.get());
        }
        if (!found)
            return;
        row = found;
        m_outline->expandItem(row);
    }
    if (row && select)
        m_outline->setCurrentItem(row);
}

pf::Ref<RVFolderInfo> RVFolderBrowserController::selectedItem() const
{
    if (!m_outline)
        return nullptr;
    const QList<QTreeWidgetItem*> rows = m_outline->selectedItems();
    return rows.isEmpty() ? nullptr : m_nodes.value(rows.first());
}

void RVFolderBrowserController::reload()
{
    if (!m_outline)
        return;
    QSet<QString> expanded;
    for (auto it = m_nodes.cbegin(); it != m_nodes.cend(); ++it)
        if (it.key()->isExpanded())
            expanded.insert(it.value()->path());
    pf::Ref<RVFolderInfo> selected = selectedItem();
    m_reloading = true;
    m_outline->clear();
    m_nodes.clear();
    for (const pf::Ref<RVFolderInfo>& root : m_roots) {
        QTreeWidgetItem* row = makeRow(root, nullptr);
        fillChildren(row);
    }
    // Reopen what was open, top down, so each row exists when its turn comes.
    QList<QTreeWidgetItem*> pending;
    for (int i = 0; i < m_outline->topLevelItemCount(); ++i)
        pending.append(m_outline->topLevelItem(i));
    while (!pending.isEmpty()) {
        QTreeWidgetItem* row = pending.takeFirst();
        if (!expanded.contains(m_nodes.value(row)->path()))
            continue;
        m_outline->expandItem(row);
        for (int i = 0; i < row->childCount(); ++i)
            pending.append(row->child(i));
    }
    m_reloading = false;
    if (selected)
        expandItem(itemWithURL(selected->URL()), true);
    watchRoots();
}

void RVFolderBrowserController::folderChangedOnDisk(const QString& path)
{
    const QString cleaned = QDir::cleanPath(path);
    for (const pf::Ref<RVFolderInfo>& root : m_roots) {
        if (!pathIsInside(cleaned, root->path()))
            continue;
        if (pf::Ref<RVFolderInfo> node = itemWithURL(QUrl::fromLocalFile(cleaned)))
            node->clearCache();
        root->clearCache();
        reload();
        pf::Ref<pf::Object> keep = shared_from_this();
        if (m_delegate)
            m_delegate->folderBrowserWasNotifiedOfChangeOnDisk(*this, root);
        return;
    }
}

QTreeWidgetItem* RVFolderBrowserController::rowForNode(const RVFolderInfo* node) const
{
    for (auto it = m_nodes.cbegin(); it != m_nodes.cend(); ++it)
        if (it.value().get() == node)
            return it.key();
    return nullptr;
}

QTreeWidgetItem* RVFolderBrowserController::makeRow(const pf::Ref<RVFolderInfo>& node, QTreeWidgetItem* parent)
{
    auto* row = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_outline);
    row->setText(0, node->name());
    row->setToolTip(0, node->path());
    row->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    m_nodes.insert(row, node);
    return row;
}

void RVFolderBrowserController::fillChildren(QTreeWidgetItem* row)
{
    if (!row || row->childCount() > 0)
        return;
    const pf::Ref<RVFolderInfo> node = m_nodes.value(row);
    if (!node)
        return;
    for (const pf::Ref<RVFolderInfo>& child : node->subFolders())
        makeRow(child, row);
}

void RVFolderBrowserController::watchRoots()
{
    if (!m_watcher)
        return;
    if (!m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
    QStringList paths;
    for (auto it = m_nodes.cbegin(); it != m_nodes.cend(); ++it)
        if (it.value()->existsOnDisk())
            paths.append(it.value()->path());
    if (!paths.isEmpty())
        m_watcher->addPaths(paths);
}

void RVFolderBrowserController::selectionChanged()
{
    if (m_reloading || !m_delegate)
        return;
    if (pf::Ref<RVFolderInfo> node = selectedItem())
        m_delegate->folderBrowserDidSelectFolder(*this, node);
}
