#pragma once

#include "platform/ui/TableRowSource.h"

#include <QVariantList>

#include <memory>
#include <vector>

namespace pf {

// The items of a table or outline as the data source last answered them: each item's child
// list is asked for once and kept until it is reloaded or spliced. The rows are the items
// under expanded items, depth first; a collapsed item keeps its descendants' expansion, even
// across a reload of its children.
class TableRowTree {
public:
    struct Node {
        QVariant item;
        Node* parent = nullptr;
        std::vector<std::unique_ptr<Node>> children;
        bool loaded = false;
        bool expanded = false;
        int level = -1; // the root's; its children are level 0
        int row = -1;   // -1 while not shown
        int indexInParent = 0;
        // Expanded descendants to restore once a collapsed node's children are asked again.
        std::shared_ptr<const QVariantList> pendingExpanded;
    };

    explicit TableRowTree(TableRowSource& source);

    Node* root() { return &m_root; }
    // Asks the data source for the node's children the first time.
    const std::vector<std::unique_ptr<Node>>& children(Node* node);

    int numberOfRows();
    Node* nodeAtRow(int row);
    // The loaded node of the item, or null.
    Node* findNode(const QVariant& item);
    bool isExpandable(Node* node);

    // Answers whether the rows changed.
    bool setExpanded(Node* node, bool expanded);
    // Forgets every child list; items that come back keep their expansion.
    void reloadAll();
    // Forgets the node's child list; its children that come back keep their expansion.
    void reloadChildren(Node* node);
    // The rows are counted again (after a change of the tree's shape).
    void invalidateRows() { m_rowsValid = false; }

    // Splices of a loaded child list after the data source changed it; the other nodes stay
    // as they are. Each answers false, changing nothing, when the node's children were never
    // asked for (they will be when it opens) or the index is out of range.
    // Asks the data source for the child now at `index`.
    bool insertChild(Node* parent, int index);
    // The removed node, detached but kept alive until releaseRemoved, so that the caller can
    // still tell it (and its subtree) from the nodes that stay; null when nothing was removed.
    Node* removeChild(Node* parent, int index);
    // Moves the child at `from` of `oldParent` to `to` of `newParent`, its subtree with it.
    // Into a parent whose children were never asked for, the node is removed.
    bool moveChild(Node* oldParent, int from, Node* newParent, int to);
    // Frees the nodes removed since the last call.
    void releaseRemoved() { m_removed.clear(); }
    // Whether the node is still in the tree (not removed, nor under a removed node).
    bool isAttached(const Node* node) const;
    // Whether `node` is `ancestor` or lies under it.
    static bool isUnder(const Node* node, const Node* ancestor);

    // The expanded items, parents before children.
    QVariantList expandedItems();

private:
    void rebuildRows();
    void collectExpanded(Node* node, QVariantList& out);
    void restoreExpanded(Node* node, const std::shared_ptr<const QVariantList>& expanded);
    std::unique_ptr<Node> makeChild(Node* parent, int index);
    std::unique_ptr<Node> takeChild(Node* parent, int index);
    void renumberChildren(Node* parent, int from);
    // The shown rows point into nodes a splice may free.
    void forgetRows();

    TableRowSource& m_source;
    Node m_root;
    std::vector<Node*> m_rows;
    std::vector<std::unique_ptr<Node>> m_removed;
    bool m_rowsValid = false;
};

} // namespace pf
