#include "widgets/RVTreeNode.h"

#include "platform/foundation/AutoreleasePool.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

#include <algorithm>

PF_DEFINE_CLASS(RVTreeNode, pf::Object)
{
    b.protocol(pf::kCodingProtocol);
    b.property(QStringLiteral("representedObject"), &RVTreeNode::representedObject, &RVTreeNode::setRepresentedObject);
    b.property(QStringLiteral("countOfChildNodes"), &RVTreeNode::countOfChildNodes);
}

namespace {

const QString kChildrenKey = QStringLiteral("RVNode_children");
const QString kParentKey = QStringLiteral("RVNode_parent");
const QString kPayloadKey = QStringLiteral("RVNode_payload");

// Whether the archiver can write `value`: archivable objects and property-list values.
bool isArchivableValue(const QVariant& value)
{
    if (pf::holdsObject(value))
        return dynamic_cast<pf::Coding*>(pf::objectFromVariant(value).get()) != nullptr;
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::QByteArray:
    case QMetaType::QDateTime:
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    case QMetaType::QVariantList: {
        const QVariantList list = value.toList();
        return std::all_of(list.begin(), list.end(), isArchivableValue);
    }
    case QMetaType::QVariantMap: {
        const QVariantMap map = value.toMap();
        return std::all_of(map.begin(), map.end(), isArchivableValue);
    }
    default:
        return false;
    }
}

QString indexPathText(const QList<int>& path)
{
    QStringList parts;
    for (int index : path)
        parts.append(QString::number(index));
    return QStringLiteral("(%1)").arg(parts.join(QStringLiteral(", ")));
}

} // namespace

RVTreeNode::RVTreeNode(const QVariant& representedObject)
    : m_representedObject(representedObject)
{
}

RVTreeNode::~RVTreeNode()
{
    for (const auto& child : m_children)
        child->m_parent.reset();
}

pf::Ref<RVTreeNode> RVTreeNode::treeNodeWithRepresentedObject(const QVariant& representedObject)
{
    return std::make_shared<RVTreeNode>(representedObject);
}

pf::Ref<RVTreeNode> RVTreeNode::binaryTreeWithDepth(quint8 depth)
{
    PF_ASSERT(depth <= kMaxBinaryTreeDepth, "excessive depth, max is 20. Cannot construct more than 1,048,576 nodes");
    auto node = std::make_shared<RVTreeNode>();
    if (depth > 0) {
        node->addChildNode(binaryTreeWithDepth(depth - 1));
        node->addChildNode(binaryTreeWithDepth(depth - 1));
    }
    return node;
}

int RVTreeNode::absoluteDepth() const
{
    int depth = 0;
    for (auto parent = m_parent.lock(); parent; parent = parent->m_parent.lock())
        ++depth;
    return depth;
}

RVTreeNode* RVTreeNode::rootNode()
{
    RVTreeNode* node = this;
    while (RVTreeNode* parent = node->parentNode())
        node = parent;
    return node;
}

bool RVTreeNode::isAncestorOrSelfOf(const RVTreeNode* node) const
{
    for (const RVTreeNode* n = node; n; n = n->parentNode()) {
        if (n == this)
            return true;
    }
    return false;
}

void RVTreeNode::insertObject(const pf::Ref<RVTreeNode>& child, int index)
{
    PF_ASSERT(child != nullptr, "cannot pass nil to -insertObject:inChildNodesAtIndex:");
    // A node above this one (or this one) below itself would make a cycle that nothing frees.
    PF_ASSERT(!child->isAncestorOrSelfOf(this), "cannot insert a node below itself");
    // A node lives in one child list: take it out of the old one first.
    const pf::Ref<RVTreeNode> keep = child;
    // The index counts in this list without the child.
    if (RVTreeNode* oldParent = child->parentNode())
        oldParent->removeObjectFromChildNodesAtIndex(int(child->indexInParent()));
    PF_ASSERT(index >= 0 && index <= m_children.size(), "index %d out of range for -insertObject:inChildNodesAtIndex:",
              index);
    child->m_parent = std::static_pointer_cast<RVTreeNode>(weak_from_this().lock());
    m_children.insert(index, keep);
}

void RVTreeNode::addChildNode(const pf::Ref<RVTreeNode>& child)
{
    PF_ASSERT(child != nullptr, "cannot pass nil to -insertObject:inChildNodesAtIndex:");
    // After a move out of this very list the end is one place nearer.
    const int end = child->parentNode() == this ? countOfChildNodes() - 1 : countOfChildNodes();
    insertObject(child, end);
}

void RVTreeNode::removeObjectFromChildNodesAtIndex(int index)
{
    PF_ASSERT(index >= 0 && index < m_children.size(),
              "index %d out of range for -removeObjectFromChildNodesAtIndex:", index);
    m_children[index]->m_parent.reset();
    m_children.removeAt(index);
}

void RVTreeNode::removeFromParentNode()
{
    RVTreeNode* parent = parentNode();
    if (!parent)
        return;
    pf::autorelease(ref());
    parent->removeObjectFromChildNodesAtIndex(int(indexInParent()));
}

qint64 RVTreeNode::indexInParent() const
{
    const RVTreeNode* parent = parentNode();
    if (!parent)
        return kNotFound;
    for (int i = 0; i < parent->m_children.size(); ++i) {
        if (parent->m_children[i].get() == this)
            return i;
    }
    return kNotFound;
}

QList<int> RVTreeNode::indexPath() const
{
    const RVTreeNode* parent = parentNode();
    if (!parent)
        return {};
    QList<int> path = parent->indexPath();
    path.append(int(indexInParent()));
    return path;
}

RVTreeNode* RVTreeNode::descendantNodeAtIndexPath(const QList<int>& indexPath)
{
    return descendantNodeAtPosition(0, indexPath);
}

RVTreeNode* RVTreeNode::descendantNodeAtPosition(int position, const QList<int>& indexPath)
{
    RVTreeNode* node = this;
    for (int i = std::max(position, 0); i < indexPath.size(); ++i) {
        const int index = indexPath[i];
        if (index < 0 || index >= node->m_children.size())
            return nullptr;
        node = node->m_children[index].get();
    }
    return node;
}

bool RVTreeNode::traverseUsingBlock(const Visitor& visitor)
{
    return !visitor || traverse(visitor, 0);
}

bool RVTreeNode::traverse(const Visitor& visitor, int depth)
{
    bool stop = false;
    visitor(*this, depth, stop);
    if (stop)
        return false;
    // The visitor may change the children; walk the ones there were.
    const auto children = m_children;
    for (const auto& child : children) {
        if (!child->traverse(visitor, depth + 1))
            return false;
    }
    return true;
}

void RVTreeNode::sortWithSortDescriptors(const QList<pf::SortDescriptor>& descriptors, bool recursively)
{
    QVariantList nodes;
    for (const auto& child : m_children)
        nodes.append(pf::toVariant(child));
    pf::sort(nodes, descriptors);
    m_children.clear();
    for (const QVariant& node : nodes)
        m_children.append(pf::fromVariant<pf::Ref<RVTreeNode>>(node));
    if (recursively) {
        for (const auto& child : m_children)
            child->sortWithSortDescriptors(descriptors, true);
    }
}

pf::Ref<pf::Object> RVTreeNode::copy() const
{
    return std::make_shared<RVTreeNode>(m_representedObject);
}

pf::Ref<RVTreeNode> RVTreeNode::copyTreeCopyingRepresentedObjects(bool copyRepresentedObjects) const
{
    QVariant object = m_representedObject;
    if (copyRepresentedObjects && pf::holdsObject(object)) {
        try {
            object = pf::toVariant(pf::objectFromVariant(object)->copy());
        } catch (const pf::InvalidArgumentException&) {
            // A class that does not copy: the copy shares the object.
        }
    }
    auto node = std::make_shared<RVTreeNode>(object);
    for (const auto& child : m_children)
        node->addChildNode(child->copyTreeCopyingRepresentedObjects(copyRepresentedObjects));
    return node;
}

QString RVTreeNode::description() const
{
    QStringList children;
    for (const auto& child : m_children)
        children.append(child->description());
    return QStringLiteral("%1 ix=%2, rep=%3, par=<%4>, %5 children=(%6)")
        .arg(pf::Object::description(), indexPathText(indexPath()), pf::describe(m_representedObject))
        .arg(quintptr(parentNode()), 0, 16)
        .arg(m_children.size())
        .arg(children.join(QStringLiteral(", ")));
}

void RVTreeNode::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    QVariantList children;
    for (const auto& child : m_children)
        children.append(pf::toVariant(child));
    coder.encodePropertyListValue(children, kChildrenKey);
    coder.encodeConditionalObject(m_parent.lock(), kParentKey);
    if (m_representedObject.isValid() && isArchivableValue(m_representedObject))
        coder.encodePropertyListValue(m_representedObject, kPayloadKey);
}

void RVTreeNode::initWithCoder(pf::KeyedUnarchiver& coder)
{
    m_children.clear();
    m_parent = std::dynamic_pointer_cast<RVTreeNode>(coder.decodeObjectForKey(kParentKey));
    const auto self = std::static_pointer_cast<RVTreeNode>(weak_from_this().lock());
    const QVariantList children = coder.decodePropertyListValue(kChildrenKey).toList();
    for (const QVariant& child : children) {
        // A damaged archive may hold anything under the key, or a node twice: keep each node
        // once, and make this its parent, so the tree holds together as built.
        auto node = pf::fromVariant<pf::Ref<RVTreeNode>>(child);
        if (!node || node.get() == this || m_children.contains(node))
            continue;
        node->m_parent = self;
        m_children.append(node);
    }
    m_representedObject = coder.decodePropertyListValue(kPayloadKey);
}
