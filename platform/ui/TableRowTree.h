#pragma once

#include "platform/ui/TableRowSource.h"

#include <QVariantList>

#include <memory>
#include <vector>

namespace pf {

// The items of a table or outline as the data source last answered them: each item's child
// list is asked for once and kept until it is reloaded. The rows are the items under
// expanded items, depth first; a collapsed item keeps its children's expansion.
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

    // The expanded items, parents before children.
    QVariantList expandedItems();

private:
    void rebuildRows();
    void collectExpanded(Node* node, QVariantList& out);
    void restoreExpanded(Node* node, const QVariantList& expanded);

    TableRowSource& m_source;
    Node m_root;
    std::vector<Node*> m_rows;
    bool m_rowsValid = false;
};

} // namespace pf
