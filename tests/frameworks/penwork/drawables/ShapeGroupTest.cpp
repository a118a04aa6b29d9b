#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/GraphicsContext.h"
#include "tests/frameworks/penwork/drawables/ShapesTestSupport.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cmath>

namespace {

using shapestest::Container;

void expectRectNear(const QRectF& actual, const QRectF& expected, double tolerance = 1e-6)
{
    EXPECT_NEAR(actual.left(), expected.left(), tolerance);
    EXPECT_NEAR(actual.top(), expected.top(), tolerance);
    EXPECT_NEAR(actual.width(), expected.width(), tolerance);
    EXPECT_NEAR(actual.height(), expected.height(), tolerance);
}

struct TwoShapes {
    pf::Ref<PWDrawableShape> left = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 10, 10));
    pf::Ref<PWDrawableShape> right = PWDrawableShape::drawableShapeWithRect(QRectF(20, 0, 10, 20));
    pf::Ref<PWShapeGroup> group = PWShapeGroup::groupWithObjects({left, right});
};

TEST(ShapesGroup, GroupEnclosesMembersWhereTheyAreDrawn)
{
    TwoShapes s;
    EXPECT_EQ(s.group->location(), QPointF(15, 10));
    EXPECT_EQ(s.group->size(), QSizeF(30, 20));
    expectRectNear(s.group->logicalBounds(), QRectF(0, 0, 30, 20));
    expectRectNear(s.left->logicalBounds(), QRectF(0, 0, 10, 10));
    expectRectNear(s.right->logicalBounds(), QRectF(20, 0, 10, 20));
    EXPECT_EQ(s.left->container(), static_cast<PWDrawableContainer*>(s.group.get()));
    EXPECT_EQ(s.group->indexOfObject(s.right.get()), 1);
    EXPECT_TRUE(s.group->bounds().contains(s.right->bounds()));
}

// A member edited in place (inside an entered group) can leave the frame the group was made
// with: the selection outline goes round the members as they are.
TEST(ShapesGroup, SelectionOutlineFollowsMembersEditedInPlace)
{
    TwoShapes s;
    auto container = std::make_shared<Container>();
    s.group->setContainer(container.get());
    container->step([&] { s.right->moveBy(30, 20); }); // now (50, 20) to (60, 40)
    QImage image(100, 60, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        pf::GraphicsContextScope scope(painter, true);
        s.group->drawSelectedState();
    }
    auto inked = [&](int x, int y) {
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                if (image.rect().contains(x + dx, y + dy) && qAlpha(image.pixel(x + dx, y + dy)) > 0)
                    return true;
        return false;
    };
    EXPECT_TRUE(inked(55, 40)) << "the outline's bottom edge reaches the moved member";
    EXPECT_TRUE(inked(60, 30)) << "and its right edge";
    EXPECT_FALSE(inked(30, 10)) << "the old frame's right edge is gone";
}

// Whatever the group does to its members' placement, ungrouping leaves each member drawn where
// the group showed it.
TEST(ShapesGroup, UngroupKeepsWhatTheGroupShowed)
{
    struct Case {
        const char* name;
        std::function<void(PWShapeGroup&)> edit;
        QRectF leftShown;
    };
    const Case cases[] = {
        {"move", [](PWShapeGroup& g) { g.moveBy(10, 5); }, QRectF(10, 5, 10, 10)},
        {"resize", [](PWShapeGroup& g) { g.resizeWidthBy(2, 0.5); }, QRectF(-15, 5, 20, 5)},
        // A quarter turn clockwise (y-down) about the group's centre (15, 10).
        {"rotate", [](PWShapeGroup& g) { g.rotateByAngle(M_PI / 2); }, QRectF(15, -5, 10, 10)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TwoShapes s;
        c.edit(*s.group);
        expectRectNear(s.left->logicalBounds(), c.leftShown);
        const QRectF rightShown = s.right->logicalBounds();

        const auto members = s.group->ungroup();
        ASSERT_EQ(members.size(), 2);
        EXPECT_EQ(members.first(), s.left);
        EXPECT_EQ(s.left->container(), nullptr);
        EXPECT_EQ(s.group->countOfMembers(), 0);
        expectRectNear(s.left->logicalBounds(), c.leftShown);
        expectRectNear(s.right->logicalBounds(), rightShown);
    }
}

TEST(ShapesGroup, MembersReachTheDrawingThroughTheGroup)
{
    auto container = std::make_shared<Container>();
    TwoShapes s;
    s.group->setContainer(container.get());
    EXPECT_EQ(s.left->undoManager(), container->undo.get());
    EXPECT_EQ(s.left->containerTransform(), s.group->renderingTransform());

    container->step([&] { s.group->moveBy(100, 0); });
    container->redisplayed.clear();
    container->step([&] { s.left->setLocation(QPointF(0, 5)); }); // group space: shown 100 further right
    ASSERT_FALSE(container->redisplayed.isEmpty());
    EXPECT_EQ(container->lastObject, s.group.get());
    EXPECT_GT(container->redisplayed.last().left(), 90);
    expectRectNear(s.group->logicalBounds(), QRectF(95, 0, 35, 20));
}

TEST(ShapesGroup, GroupEditsAndUngroupUndo)
{
    auto container = std::make_shared<Container>();
    TwoShapes s;
    s.group->setContainer(container.get());

    container->step([&] { s.group->resizeWidthBy(2, 2); });
    expectRectNear(s.left->logicalBounds(), QRectF(-15, -10, 20, 20));
    container->undo->undo();
    expectRectNear(s.left->logicalBounds(), QRectF(0, 0, 10, 10));

    container->step([&] { s.group->moveBy(5, 0); });
    container->step([&] { s.group->ungroup(); });
    expectRectNear(s.left->logicalBounds(), QRectF(5, 0, 10, 10));
    ASSERT_EQ(s.group->countOfMembers(), 0);

    container->undo->undo();
    ASSERT_EQ(s.group->countOfMembers(), 2);
    EXPECT_EQ(s.left->container(), static_cast<PWDrawableContainer*>(s.group.get()));
    EXPECT_EQ(s.left->location(), QPointF(5, 5)); // its group-space geometry again
    expectRectNear(s.left->logicalBounds(), QRectF(5, 0, 10, 10));

    container->undo->redo();
    EXPECT_EQ(s.group->countOfMembers(), 0);
    expectRectNear(s.left->logicalBounds(), QRectF(5, 0, 10, 10));
}

TEST(ShapesGroup, ObjectAtPointFindsTheTopmostMember)
{
    auto under = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 20, 20), PWStyle::styleWithFillColour(pf::Color(QColor(Qt::red)), pf::Color()));
    auto over = PWDrawableShape::drawableShapeWithRect(QRectF(10, 10, 20, 20), PWStyle::styleWithFillColour(pf::Color(QColor(Qt::blue)), pf::Color()));
    auto group = PWShapeGroup::groupWithObjects({under, over});
    EXPECT_EQ(group->objectAtPoint(QPointF(15, 15)), over);
    EXPECT_EQ(group->objectAtPoint(QPointF(5, 5)), under);
    EXPECT_EQ(group->objectAtPoint(QPointF(50, 50)), nullptr);
    group->moveBy(100, 0);
    EXPECT_EQ(group->objectAtPoint(QPointF(105, 5)), under);
    EXPECT_EQ(group->hitPart(QPointF(105, 5)), PWDrawableObject::kEntireObjectPart);
    EXPECT_EQ(group->hitPart(QPointF(5, 5)), PWDrawableObject::kNoPart);

    // Members are drawn in order: the top one covers the overlap.
    auto image = shapestest::render(*group, QSize(140, 40));
    EXPECT_EQ(QColor(image.pixel(115, 15)), QColor(Qt::blue));
    EXPECT_EQ(QColor(image.pixel(105, 5)), QColor(Qt::red));
}

TEST(ShapesGroup, CopiesAndArchivesKeepTheMembersAndTheirPlacement)
{
    TwoShapes s;
    s.group->moveBy(10, 0);
    s.group->rotateByAngle(0.3);
    const QRectF shown = s.left->logicalBounds();

    auto copy = std::dynamic_pointer_cast<PWShapeGroup>(s.group->copy());
    ASSERT_TRUE(copy);
    ASSERT_EQ(copy->countOfMembers(), 2);
    EXPECT_NE(copy->members().first(), s.left);
    EXPECT_EQ(copy->members().first()->container(), static_cast<PWDrawableContainer*>(copy.get()));
    expectRectNear(copy->members().first()->logicalBounds(), shown);

    pf::Error error;
    const QByteArray archive = pf::KeyedArchiver::archivedData(s.group, pf::PropertyListFormat::Binary, &error);
    ASSERT_FALSE(archive.isEmpty()) << error.description().toStdString();
    auto read = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWShapeGroup>(archive, &error);
    ASSERT_TRUE(read) << error.description().toStdString();
    ASSERT_EQ(read->countOfMembers(), 2);
    expectRectNear(read->members().first()->logicalBounds(), shown);
    expectRectNear(read->referenceRect(), s.group->referenceRect());
}

} // namespace
