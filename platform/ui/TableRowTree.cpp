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
    for (int i = 0; i < count; ++i)
        node->children.push_back(makeChild(node, i));
    if (std::shared_ptr<const QVariantList> pending = std::move(node->pendingExpanded)) {
        node->pendingExpanded.reset();
        for (const auto& child : node->children) {
            if (contains(*pending, child->item) && isExpandable(child.get()))
                child->expanded = true;
            restoreExpanded(child.get(), pending);
        }
    }
    return node->children;
}

std::unique_ptr<TableRowTree::Node> TableRowTree::makeChild(Node* parent, int index)
{
    auto child = std::make_unique<Node>();
    child->item = m_source.childOfItem(index, parent->item);
    child->parent = parent;
    child->level = parent->level + 1;
    child->indexInParent = index;
    return child;
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
    if (!node->loaded && node->pendingExpanded)
        expanded.append(*node->pendingExpanded);
    forgetRows();
    node->children.clear();
    node->loaded = false;
    node->pendingExpanded.reset();
    if (!expanded.isEmpty())
        restoreExpanded(node, std::make_shared<const QVariantList>(std::move(expanded)));
}

void TableRowTree::forgetRows()
{
    for (Node* shown : m_rows)
        shown->row = -1;
    m_rows.clear();
    m_rowsValid = false;
}

bool TableRowTree::insertChild(Node* parent, int index)
{
    if (!parent || !parent->loaded || index < 0 || index > int(parent->children.size()))
        return false;
    forgetRows();
    parent->children.insert(parent->children.begin() + index, makeChild(parent, index));
    renumberChildren(parent, index);
    return true;
}

TableRowTree::Node* TableRowTree::removeChild(Node* parent, int index)
{
    std::unique_ptr<Node> removed = takeChild(parent, index);
    if (!removed)
        return nullptr;
    m_removed.push_back(std::move(removed));
    return m_removed.back().get();
}

std::unique_ptr<TableRowTree::Node> TableRowTree::takeChild(Node* parent, int index)
{
    if (!parent || !parent->loaded || index < 0 || index >= int(parent->children.size()))
        return nullptr;
    forgetRows();
    std::unique_ptr<Node> taken = std::move(parent->children[size_t(index)]);
    parent->children.erase(parent->children.begin() + index);
    renumberChildren(parent, index);
    return taken;
}

bool TableRowTree::moveChild(Node* oldParent, int from, Node* newParent, int to)
{
    if (!oldParent || !newParent || !oldParent->loaded || from < 0 || from >= int(oldParent->children.size()))
        return false;
    Node* moving = oldParent->children[size_t(from)].get();
    // A node cannot go inside itself.
    if (isUnder(newParent, moving))
        return false;
    const int newCount = int(newParent->children.size()) - (newParent == oldParent ? 1 : 0);
    if (newParent->loaded && (to < 0 || to > newCount))
        return false;
    if (!newParent->loaded) {
        removeChild(oldParent, from); // its children are asked for when it opens
        return true;
    }
    std::unique_ptr<Node> node = takeChild(oldParent, from);
    node->parent = newParent;
    const int levelChange = newParent->level + 1 - node->level;
    if (levelChange != 0) {
        std::vector<Node*> pending{node.get()};
        while (!pending.empty()) {
            Node* n = pending.back();
            pending.pop_back();
            n->level += levelChange;
            for (const auto& child : n->children)
                pending.push_back(child.get());
        }
    }
    newParent->children.insert(newParent->children.begin() + to, std::move(node));
    renumberChildren(newParent, to);
    return true;
}

void TableRowTree::renumberChildren(Node* parent, int from)
{
    for (int i = std::max(0, from); i < int(parent->children.size()); ++i) {
        Node* child = parent->children[size_t(i)].get();
        child->indexInParent = i;
        // A table's rows are their own numbers.
        if (m_source.itemsAreChildIndexes())
            child->item = i;
    }
}

bool TableRowTree::isAttached(const Node* node) const
{
    for (const Node* n = node; n; n = n->parent) {
        if (n == &m_root)
            return true;
        const Node* parent = n->parent;
        if (!parent || n->indexInParent < 0 || n->indexInParent >= int(parent->children.size())
            || parent->children[size_t(n->indexInParent)].get() != n)
            return false;
    }
    return false;
}

bool TableRowTree::isUnder(const Node* node, const Node* ancestor)
{
    for (const Node* n = node; n; n = n->parent) {
        if (n == ancestor)
            return true;
    }
    return false;
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
    if (node->expanded && !contains(out, node->item))
        out.append(node->item);
    if (!node->loaded && node->pendingExpanded) {
        for (const QVariant& item : *node->pendingExpanded) {
            if (!contains(out, item))
                out.append(item);
        }
    }
    for (const auto& child : node->children)
        collectExpanded(child.get(), out);
}

void TableRowTree::restoreExpanded(Node* node, const std::shared_ptr<const QVariantList>& expanded)
{
    if (!expanded || expanded->isEmpty())
        return;
    // A closed node asks for its children only when it opens; they get the list then.
    if (node != &m_root && !node->expanded) {
        node->pendingExpanded = expanded;
        return;
    }
    for (const auto& child : children(node)) {
        if (contains(*expanded, child->item) && isExpandable(child.get()))
            child->expanded = true;
        restoreExpanded(child.get(), expanded);
    }
}

void TableRowTree::rebuildRows()
{
    if (m_rowsValid)
        return;
    forgetRows();
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
