// Renderer groups: the observable render list, membership, relaying, search, drawing order.
#include <gtest/gtest.h>

#include "StylesTestSupport.h"

#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWRastGroup.h"
#include "frameworks/penwork/styles/PWStroke.h"

#include "platform/foundation/Exception.h"

namespace {

using styles_test::PathShape;
using styles_test::RecordingObserver;

// Keeps every change dictionary of "renderList".
class GroupListObserver : public pf::Object {
    PF_CLASS(GroupListObserver)
public:
    QList<QVariantMap> changes;
    void observeValueForKeyPath(const QString&, pf::Reflective*, const QVariantMap& change, void*) override
    {
        changes.append(change);
    }
    pf::ChangeKind kind(int i) const
    {
        return pf::ChangeKind(changes.at(i).value(pf::NSKeyValueChangeKindKey).toInt());
    }
    QList<qint64> indexes(int i) const
    {
        return changes.at(i).value(pf::NSKeyValueChangeIndexesKey).value<pf::IndexSet>().toList();
    }
};

} // namespace

PF_DEFINE_CLASS(GroupListObserver, pf::Object) {}

namespace {

QList<PWRasterizer*> members(const PWRastGroup& group)
{
    QList<PWRasterizer*> list;
    for (const auto& renderer : group.renderList())
        list.append(renderer.get());
    return list;
}

TEST(StylesRastGroup, ToManyChangesReachObserversWithIndexes)
{
    auto group = std::make_shared<PWRastGroup>();
    GroupListObserver kvo;
    group->addObserver(&kvo, PWRastGroup::kRenderListKey);
    RecordingObserver observer;
    group->setRastObserver(&observer);

    auto a = std::make_shared<PWFill>();
    auto b = std::make_shared<PWStroke>();
    auto c = std::make_shared<PWStroke>();
    group->addRenderer(a);
    group->addRenderer(b);
    group->insertObjectInRenderListAtIndex(c, 0);
    EXPECT_EQ(members(*group), (QList<PWRasterizer*>{c.get(), a.get(), b.get()}));
    group->moveRendererAtIndex(0, 2);
    EXPECT_EQ(members(*group), (QList<PWRasterizer*>{a.get(), b.get(), c.get()}));
    group->removeObjectFromRenderListAtIndex(1);
    EXPECT_EQ(members(*group), (QList<PWRasterizer*>{a.get(), c.get()}));

    ASSERT_EQ(kvo.changes.size(), 5);
    EXPECT_EQ(kvo.kind(0), pf::ChangeKind::Insertion);
    EXPECT_EQ(kvo.indexes(0), (QList<qint64>{0}));
    EXPECT_EQ(kvo.indexes(1), (QList<qint64>{1}));
    EXPECT_EQ(kvo.indexes(2), (QList<qint64>{0}));
    EXPECT_EQ(kvo.kind(3), pf::ChangeKind::Replacement);
    EXPECT_EQ(kvo.indexes(3), (QList<qint64>{0, 1, 2}));
    EXPECT_EQ(kvo.kind(4), pf::ChangeKind::Removal);
    EXPECT_EQ(kvo.indexes(4), (QList<qint64>{1}));
    EXPECT_EQ(observer.messages.count("will:renderList"), 5);

    EXPECT_EQ(b->container(), nullptr);
    EXPECT_EQ(b->rastObserver(), nullptr);
    EXPECT_EQ(a->container(), group.get());
    EXPECT_EQ(group->indexOfRenderer(c.get()), 1);
    EXPECT_EQ(group->indexOfRenderer(b.get()), -1);
    group->removeObserver(&kvo);
}

TEST(StylesRastGroup, BadIndexesAndCyclesRaise)
{
    auto outer = std::make_shared<PWRastGroup>();
    auto inner = std::make_shared<PWRastGroup>();
    outer->addRenderer(inner);
    EXPECT_THROW(inner->addRenderer(outer), pf::InvalidArgumentException);
    EXPECT_THROW(inner->addRenderer(inner), pf::InvalidArgumentException);
    EXPECT_THROW(outer->addRenderer(nullptr), pf::InvalidArgumentException);
    EXPECT_THROW(outer->insertObjectInRenderListAtIndex(std::make_shared<PWFill>(), 3), pf::Exception);
    EXPECT_THROW(outer->removeObjectFromRenderListAtIndex(1), pf::Exception);
    EXPECT_THROW(outer->moveRendererAtIndex(0, -1), pf::Exception);
    EXPECT_THROW(outer->objectInRenderListAtIndex(1), pf::Exception);
    EXPECT_EQ(outer->count(), 1);
    EXPECT_EQ(inner->count(), 0);
}

TEST(StylesRastGroup, RendererMovesBetweenGroupsAndChangesRelayUpward)
{
    auto root = std::make_shared<PWRastGroup>();
    auto first = std::make_shared<PWRastGroup>();
    auto second = std::make_shared<PWRastGroup>();
    root->addRenderer(first);
    root->addRenderer(second);
    auto stroke = std::make_shared<PWStroke>();
    first->addRenderer(stroke);
    RecordingObserver observer;
    root->setRastObserver(&observer);

    stroke->setWidth(5.0);
    EXPECT_EQ(observer.messages, (QStringList{"will:width", "did:width"}));
    EXPECT_EQ(observer.senders.first(), stroke.get()); // the renderer that changed, not the group
    EXPECT_EQ(stroke->root(), root.get());

    observer.messages.clear();
    second->addRenderer(stroke);
    EXPECT_EQ(first->count(), 0);
    EXPECT_EQ(stroke->container(), second.get());
    EXPECT_EQ(observer.messages,
              (QStringList{"will:renderList", "did:renderList", "will:renderList", "did:renderList"}));

    stroke->removeFromContainer();
    EXPECT_EQ(stroke->container(), nullptr);
    EXPECT_EQ(stroke->root(), stroke.get());

    // A group that goes away lets go of its children.
    auto orphan = std::make_shared<PWFill>();
    {
        auto temporary = std::make_shared<PWRastGroup>();
        temporary->addRenderer(orphan);
    }
    EXPECT_EQ(orphan->container(), nullptr);
    EXPECT_EQ(orphan->rastObserver(), nullptr);
}

TEST(StylesRastGroup, RenderersOfClassSearchesTheWholeTree)
{
    PWRastGroup root;
    auto fill = std::make_shared<PWFill>();
    auto inner = std::make_shared<PWRastGroup>();
    auto deepStroke = std::make_shared<PWStroke>();
    auto topStroke = std::make_shared<PWStroke>();
    root.addRenderer(fill);
    root.addRenderer(inner);
    inner->addRenderer(deepStroke);
    root.addRenderer(topStroke);

    const auto strokes = root.renderersOfClass<PWStroke>();
    ASSERT_EQ(strokes.size(), 2);
    EXPECT_EQ(strokes.at(0), deepStroke);
    EXPECT_EQ(strokes.at(1), topStroke);
    EXPECT_EQ(root.renderersOfClass(PWRasterizer::staticClass()).size(), 4);
}

TEST(StylesRastGroup, DrawsEnabledChildrenInOrderAndUnitesTheirBounds)
{
    PWRastGroup group;
    auto bottom = std::make_shared<PWFill>(pf::Color::red());
    auto top = std::make_shared<PWFill>(pf::Color::blue());
    auto wide = std::make_shared<PWStroke>(10.0, pf::Color::green());
    group.addRenderer(bottom);
    group.addRenderer(top);
    group.addRenderer(wide);
    wide->setEnabled(false);
    const PathShape shape = PathShape::rect(QRectF(10, 10, 20, 20));

    QImage image = styles_test::renderToImage([&] { group.render(shape); });
    EXPECT_EQ(image.pixelColor(20, 20), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(8, 20), QColor(Qt::white)); // the disabled wide stroke drew nothing
    EXPECT_EQ(group.boundsNeededForObject(shape), QRectF(10, 10, 20, 20));

    wide->setEnabled(true);
    EXPECT_EQ(group.boundsNeededForObject(shape), QRectF(5, 5, 30, 30));
    image = styles_test::renderToImage([&] { group.render(shape); });
    EXPECT_EQ(image.pixelColor(8, 20), QColor(Qt::green));
}

TEST(StylesRastGroup, CopiesOwnCopiedChildren)
{
    PWRastGroup group;
    auto stroke = std::make_shared<PWStroke>(2.0, pf::Color::red());
    group.addRenderer(stroke);
    auto copied = std::static_pointer_cast<PWRastGroup>(group.copy());
    ASSERT_EQ(copied->count(), 1);
    EXPECT_NE(copied->rendererAtIndex(0), stroke);
    EXPECT_EQ(copied->rendererAtIndex(0)->container(), copied.get());
    EXPECT_TRUE(copied->isEqual(&group));
    stroke->setWidth(3.0);
    EXPECT_FALSE(copied->isEqual(&group));
}

} // namespace
