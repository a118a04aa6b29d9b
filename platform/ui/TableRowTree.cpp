#include "platform/ui/TableRowTree.h"

#include "platform/foundation/Variant.h"

namespace pf {

namespace {

bool contains(const QVariantList& items, const QVariant& item)
{
    for (const QVariant& candidate : items) {
        if (isEqual(candidate, item))
            return true;
    }
    return false;
}

} // namespace

TableRowTree::TableRowTree(TableRowSource& source) : m_source(source)
{
    m_root.expanded = true;
}

const std::vector<std::unique_ptr<TableRowTree::Node>>& TableRowTree::children(Node* node)
{
    if (node->loaded)
        return node->children;
    node->loaded = true;
    const int count = (node == &m_root || m_source.isExpandable(node->item)) ? m_source.numberOfChildren(node->item) : 0;
    node->children.reserve(size_t(std::max(0, count)));
    for (int i = 0; i < count; ++i) {
        auto child = std::make_unique<Node>();
        child->item = m_source.childOfItem(i, node->item);
        child->parent = node;
        child->level = node->level + 1;
        child->indexInParent = i;
        node->children.push_back(std::move(child));
    }
    return node->children;
}

int TableRowTree::numberOfRows()
{
    rebuildRows();
    return int(m_rows.size());
}

TableRowTree::Node* TableRowTree::nodeAtRow(int row)
{
    rebuildRows();
    return row >= 0 && row < int(m_rows.size()) ? m_rows[size_t(row)] : nullptr;
}

TableRowTree::Node* TableRowTree::findNode(const QVariant& item)
{
    if (!item.isValid())
        return &m_root;
    // Shown rows first: they are what callers nearly always mean.
    rebuildRows();
    for (Node* node : m_rows) {
        if (isEqual(node->item, item))
            return node;
    }
    std::vector<Node*> pending{&m_root};
    while (!pending.empty()) {
        Node* node = pending.back();
        pending.pop_back();
        for (const auto& child : node->children) {
            if (isEqual(child->item, item))
                return child.get();
            pending.push_back(child.get());
        }
    }
    return nullptr;
}

bool TableRowTree::isExpandable(Node* node)
{
    return node == &m_root || m_source.isExpandable(node->item);
}

bool TableRowTree::setExpanded(Node* node, bool expanded)
{
    if (node == &m_root || node->expanded == expanded)
        return false;
    if (expanded && !isExpandable(node))
        return false;
    node->expanded = expanded;
    if (expanded)
        children(node);
    m_rowsValid = false;
    return true;
}

void TableRowTree::reloadAll()
{
    reloadChildren(&m_root);
}

void TableRowTree::reloadChildren(Node* node)
{
    QVariantList expanded;
    for (const auto& child : node->children)
        collectExpanded(child.get(), expanded);
    // The row list points into the children about to go.
    for (Node* shown : m_rows)
        shown->row = -1;
    m_rows.clear();
    node->children.clear();
    node->loaded = false;
    m_rowsValid = false;
    restoreExpanded(node, expanded);
}

QVariantList TableRowTree::expandedItems()
{
    QVariantList items;
    for (const auto& child : m_root.children)
        collectExpanded(child.get(), items);
    return items;
}

void TableRowTree::collectExpanded(Node* node, QVariantList& out)
{
    if (node->expanded)
        out.append(node->item);
    for (const auto& child : node->children)
        collectExpanded(child.get(), out);
}

void TableRowTree::restoreExpanded(Node* node, const QVariantList& expanded)
{
    if (expanded.isEmpty() || !(node == &m_root || node->expanded))
        return;
    for (const auto& child : children(node)) {
        if (contains(expanded, child->item) && isExpandable(child.get())) {
            child->expanded = true;
            restoreExpanded(child.get(), expanded);
        }
    }
}

void TableRowTree::rebuildRows()
{
    if (m_rowsValid)
        return;
    for (Node* node : m_rows)
        node->row = -1;
    m_rows.clear();
    std::vector<Node*> pending;
    const auto pushChildren = [&](Node* node) {
        const auto& list = children(node);
        for (auto it = list.rbegin(); it != list.rend(); ++it)
            pending.push_back(it->get());
    };
    pushChildren(&m_root);
    while (!pending.empty()) {
        Node* node = pending.back();
        pending.pop_back();
        node->row = int(m_rows.size());
        m_rows.push_back(node);
        if (node->expanded)
            pushChildren(node);
    }
    m_rowsValid = true;
}

} // namespace pf
