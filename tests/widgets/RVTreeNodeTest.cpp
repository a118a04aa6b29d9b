#include "widgets/RVTreeNode.h"

#include "platform/foundation/AutoreleasePool.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

#include <gtest/gtest.h>

namespace {

using pf::Ref;

Ref<RVTreeNode> node(const QString& name)
{
    return RVTreeNode::treeNodeWithRepresentedObject(name);
}

int countNodes(RVTreeNode& root)
{
    int count = 0;
    root.traverseUsingBlock([&](RVTreeNode&, int, bool&) { ++count; });
    return count;
}

// A copyable represented object, to tell copies from shared objects.
class Payload : public pf::Object {
public:
    explicit Payload(int value = 0) : value(value) {}
    Ref<pf::Object> copy() const override { return std::make_shared<Payload>(value); }
    int value;
};

TEST(RVTreeNodeTest, BinaryTrees)
{
    EXPECT_EQ(countNodes(*RVTreeNode::binaryTreeWithDepth(0)), 1);
    EXPECT_EQ(countNodes(*RVTreeNode::binaryTreeWithDepth(2)), 7);
    EXPECT_THROW(RVTreeNode::binaryTreeWithDepth(21), pf::Exception);
}

TEST(RVTreeNodeTest, IndexPathsAndNavigation)
{
    auto root = RVTreeNode::binaryTreeWithDepth(2);
    RVTreeNode* target = root->childNodes()[0]->childNodes()[1].get();
    EXPECT_EQ(target->indexPath(), (QList<int>{0, 1}));
    EXPECT_EQ(root->descendantNodeAtIndexPath({0, 1}), target);
    EXPECT_EQ(root->descendantNodeAtIndexPath({}), root.get());
    EXPECT_EQ(root->descendantNodeAtPosition(1, {7, 1}), root->childNodes()[1].get());
    EXPECT_EQ(root->descendantNodeAtIndexPath({0, 2}), nullptr);
    EXPECT_EQ(root->descendantNodeAtIndexPath({-1}), nullptr);
    EXPECT_EQ(root->descendantNodeAtIndexPath({0, 1, 0}), nullptr);
    EXPECT_EQ(target->absoluteDepth(), 2);
    EXPECT_EQ(target->rootNode(), root.get());
    EXPECT_TRUE(root->isRoot());
    EXPECT_TRUE(target->isLeaf());
    EXPECT_EQ(root->indexInParent(), RVTreeNode::kNotFound);
    EXPECT_TRUE(root->indexPath().isEmpty());
}

TEST(RVTreeNodeTest, InsertingMovesANodeAndRefusesCycles)
{
    auto root = node("root");
    auto a = node("a");
    auto b = node("b");
    root->addChildNode(a);
    root->addChildNode(b);
    auto leaf = node("leaf");
    a->addChildNode(leaf);

    // Into another parent: out of the old list.
    b->insertObject(leaf, 0);
    EXPECT_EQ(a->countOfChildNodes(), 0);
    EXPECT_EQ(leaf->parentNode(), b.get());
    EXPECT_EQ(leaf->indexPath(), (QList<int>{1, 0}));

    // Within the same list: moved, not doubled.
    root->addChildNode(a);
    ASSERT_EQ(root->countOfChildNodes(), 2);
    EXPECT_EQ(root->childNodes()[0], b);
    EXPECT_EQ(root->childNodes()[1], a);
    root->insertObject(a, 0);
    EXPECT_EQ(root->childNodes()[0], a);

    EXPECT_THROW(leaf->addChildNode(root), pf::Exception);
    EXPECT_THROW(b->addChildNode(b), pf::Exception);
    EXPECT_THROW(root->insertObject(nullptr, 0), pf::Exception);
    EXPECT_THROW(root->insertObject(node("x"), 3), pf::Exception);
    EXPECT_THROW(root->removeObjectFromChildNodesAtIndex(2), pf::Exception);
    // Nothing moved by the refused calls.
    EXPECT_EQ(leaf->parentNode(), b.get());
    EXPECT_EQ(root->countOfChildNodes(), 2);
    EXPECT_TRUE(root->isRoot());
}

TEST(RVTreeNodeTest, RemovingClearsParentAndKeepsNodeForTheEvent)
{
    auto root = node("root");
    std::weak_ptr<RVTreeNode> watched;
    {
        pf::AutoreleasePool pool;
        auto child = node("child");
        root->addChildNode(child);
        watched = child;
        child.reset();
        root->childNodes()[0]->removeFromParentNode();
        ASSERT_FALSE(watched.expired());
        EXPECT_TRUE(watched.lock()->isRoot());
        EXPECT_EQ(root->countOfChildNodes(), 0);
    }
    EXPECT_TRUE(watched.expired());

    auto parent = node("p");
    auto kept = node("kept");
    parent->addChildNode(kept);
    parent.reset();
    EXPECT_TRUE(kept->isRoot());
}

TEST(RVTreeNodeTest, TraversalStops)
{
    auto root = RVTreeNode::binaryTreeWithDepth(2);
    QList<int> depths;
    EXPECT_FALSE(root->traverseUsingBlock([&](RVTreeNode&, int depth, bool& stop) {
        depths.append(depth);
        stop = depths.size() == 3;
    }));
    EXPECT_EQ(depths, (QList<int>{0, 1, 2}));

    depths.clear();
    EXPECT_TRUE(root->traverseUsingBlock([&](RVTreeNode&, int depth, bool&) { depths.append(depth); }));
    EXPECT_EQ(depths, (QList<int>{0, 1, 2, 2, 1, 2, 2}));
}

TEST(RVTreeNodeTest, SortsRecursively)
{
    auto root = node("root");
    for (const char* name : {"c", "a", "b"})
        root->addChildNode(node(name));
    for (const char* name : {"z", "y"})
        root->childNodes()[0]->addChildNode(node(name));
    root->sortWithSortDescriptors({pf::SortDescriptor(QStringLiteral("representedObject"), true)}, true);
    QStringList order;
    root->traverseUsingBlock([&](RVTreeNode& n, int, bool&) { order.append(n.representedObject().toString()); });
    EXPECT_EQ(order, (QStringList{"root", "a", "b", "c", "y", "z"}));
    EXPECT_EQ(root->childNodes()[2]->childNodes()[0]->parentNode(), root->childNodes()[2].get());
}

TEST(RVTreeNodeTest, CopiesShareOrCopyRepresentedObjects)
{
    auto payload = std::make_shared<Payload>(5);
    auto root = RVTreeNode::treeNodeWithRepresentedObject(pf::toVariant(payload));
    root->addChildNode(RVTreeNode::treeNodeWithRepresentedObject(pf::toVariant(std::make_shared<Payload>(6))));

    auto single = std::dynamic_pointer_cast<RVTreeNode>(root->copy());
    EXPECT_TRUE(single->isLeaf());
    EXPECT_EQ(pf::objectFromVariant(single->representedObject()), payload);

    auto shared = root->copyTree();
    ASSERT_EQ(shared->countOfChildNodes(), 1);
    EXPECT_EQ(pf::objectFromVariant(shared->representedObject()), payload);
    EXPECT_EQ(shared->childNodes()[0]->parentNode(), shared.get());

    auto copied = root->copyTreeCopyingRepresentedObjects(true);
    auto copiedPayload = pf::objectCast<Payload>(copied->representedObject());
    ASSERT_TRUE(copiedPayload);
    EXPECT_NE(copiedPayload, payload);
    EXPECT_EQ(copiedPayload->value, 5);
    EXPECT_EQ(pf::objectCast<Payload>(copied->childNodes()[0]->representedObject())->value, 6);

    // An object that does not copy is shared.
    auto plain = std::make_shared<pf::Object>();
    auto holder = RVTreeNode::treeNodeWithRepresentedObject(pf::toVariant(plain));
    EXPECT_EQ(pf::objectFromVariant(holder->copyTreeCopyingRepresentedObjects(true)->representedObject()), plain);
}

TEST(RVTreeNodeTest, ArchiveRoundTrip)
{
    auto root = node("root");
    root->addChildNode(node("a"));
    root->childNodes()[0]->addChildNode(node("a1"));
    root->addChildNode(RVTreeNode::treeNodeWithRepresentedObject(pf::toVariant(std::make_shared<pf::Object>())));

    const QByteArray data = pf::KeyedArchiver::archivedData(root);
    auto decoded = pf::KeyedUnarchiver::unarchiveObjectOfClass<RVTreeNode>(data);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->representedObject().toString(), QStringLiteral("root"));
    ASSERT_EQ(decoded->countOfChildNodes(), 2);
    RVTreeNode* a1 = decoded->descendantNodeAtIndexPath({0, 0});
    ASSERT_TRUE(a1);
    EXPECT_EQ(a1->representedObject().toString(), QStringLiteral("a1"));
    EXPECT_EQ(a1->indexPath(), (QList<int>{0, 0}));
    EXPECT_EQ(a1->rootNode(), decoded.get());
    // The object that cannot be archived is left out, not the node.
    EXPECT_FALSE(decoded->childNodes()[1]->representedObject().isValid());
}

} // namespace
