#pragma once

#include "platform/foundation/Coding.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/SortDescriptor.h"

#include <QList>
#include <QVariant>

#include <functional>
#include <limits>

// A node of a general tree: a represented object, child nodes held strongly and a weak link
// to the parent. A node is in at most one child list, and never below itself.
class RVTreeNode : public pf::Object, public pf::Coding {
    PF_CLASS(RVTreeNode)
public:
    // indexInParent of a root.
    static constexpr qint64 kNotFound = std::numeric_limits<qint64>::max();
    static constexpr int kMaxBinaryTreeDepth = 20;
    // Called for each node with its depth below the starting node; setting `stop` ends the walk.
    using Visitor = std::function<void(RVTreeNode& node, int depth, bool& stop)>;

    RVTreeNode() = default;
    explicit RVTreeNode(const QVariant& representedObject);
    ~RVTreeNode() override;

    static pf::Ref<RVTreeNode> treeNodeWithRepresentedObject(const QVariant& representedObject);
    // A full binary tree: for depth d > 0 a node with two trees of depth d - 1 below it.
    // Raises for a depth above kMaxBinaryTreeDepth.
    static pf::Ref<RVTreeNode> binaryTreeWithDepth(quint8 depth);

    RVTreeNode* parentNode() const { return m_parent.lock().get(); }
    const QList<pf::Ref<RVTreeNode>>& childNodes() const { return m_children; }
    const QVariant& representedObject() const { return m_representedObject; }
    void setRepresentedObject(const QVariant& object) { m_representedObject = object; }

    int countOfChildNodes() const { return int(m_children.size()); }
    bool isLeaf() const { return m_children.isEmpty(); }
    bool isRoot() const { return m_parent.expired(); }
    int absoluteDepth() const;
    RVTreeNode* rootNode();
    // Whether this node is `node` or lies above it.
    bool isAncestorOrSelfOf(const RVTreeNode* node) const;

    // Takes `child` out of its old parent and inserts it here. Raises for a null child, for
    // this node or one above it (which would make a cycle) and for an index out of range.
    void insertObject(const pf::Ref<RVTreeNode>& child, int index);
    void addChildNode(const pf::Ref<RVTreeNode>& child);
    // Raises for an index out of range.
    void removeObjectFromChildNodesAtIndex(int index);
    // The node stays alive until the current event has been handled.
    void removeFromParentNode();

    qint64 indexInParent() const;
    // The indexes from the root down to this node; empty for a root.
    QList<int> indexPath() const;
    // This node for an empty path; null when an index of the path is out of range.
    RVTreeNode* descendantNodeAtIndexPath(const QList<int>& indexPath);
    // The walk of descendantNodeAtIndexPath from `position` in the path on.
    RVTreeNode* descendantNodeAtPosition(int position, const QList<int>& indexPath);

    // Depth first, pre-order. False when the visitor stopped the walk.
    bool traverseUsingBlock(const Visitor& visitor);
    // Key paths of the descriptors are read from the child nodes ("representedObject.name").
    void sortWithSortDescriptors(const QList<pf::SortDescriptor>& descriptors, bool recursively);

    // The same represented object and no children.
    pf::Ref<pf::Object> copy() const override;
    pf::Ref<RVTreeNode> copyTree() const { return copyTreeCopyingRepresentedObjects(false); }
    // This node and deep copies of its children in order; represented objects that can be
    // copied are copied when asked, the others shared.
    pf::Ref<RVTreeNode> copyTreeCopyingRepresentedObjects(bool copyRepresentedObjects) const;

    QString description() const override;

    // "RVNode_children", "RVNode_parent" (conditional) and "RVNode_payload" (only for an
    // archivable represented object or a property-list value).
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

private:
    bool traverse(const Visitor& visitor, int depth);

    pf::Weak<RVTreeNode> m_parent;
    QList<pf::Ref<RVTreeNode>> m_children;
    QVariant m_representedObject;
};
