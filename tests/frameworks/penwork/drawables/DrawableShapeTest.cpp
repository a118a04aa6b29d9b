#include "tests/frameworks/penwork/drawables/DrawableTestSupport.h"

#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/styles/PWStyle.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/GraphicsContext.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cmath>

using drawablestest::Container;

namespace {

void expectNear(const QPointF& a, const QPointF& b)
{
    EXPECT_NEAR(a.x(), b.x(), 1e-9);
    EXPECT_NEAR(a.y(), b.y(), 1e-9);
}

TEST(DrawablesShape, ConstructorsPlaceTheUnitPathOnTheRectangle)
{
    auto rect = PWDrawableShape::drawableShapeWithRect(QRectF(10, 20, 100, 50));
    EXPECT_EQ(rect->location(), QPointF(60, 45));
    EXPECT_EQ(rect->size(), QSizeF(100, 50));
    EXPECT_EQ(rect->path()->bounds(), QRectF(-0.5, -0.5, 1, 1));
    EXPECT_EQ(rect->logicalBounds(), QRectF(10, 20, 100, 50));

    auto oval = PWDrawableShape::drawableShapeWithOvalInRect(QRectF(0, 0, 40, 20));
    const QRectF b = oval->logicalBounds();
    EXPECT_NEAR(b.width(), 40, 1e-6);
    EXPECT_NEAR(b.height(), 20, 1e-6);
    // The corner of the bounds lies outside an oval.
    EXPECT_FALSE(oval->renderingPath()->containsPoint(QPointF(1, 1)));
}

TEST(DrawablesShape, SetPathNormalisesIntoTheUnitSquareAndKeepsTheTransform)
{
    Container container;
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 100, 100));
    shape->setContainer(&container);
    auto triangle = pf::BezierPath::pathWithPolygon({QPointF(500, 500), QPointF(900, 500), QPointF(700, 700)}, true);
    container.step([&] { shape->setPath(triangle); });
    EXPECT_EQ(shape->path()->bounds(), QRectF(-0.5, -0.5, 1, 1));
    EXPECT_EQ(shape->logicalBounds(), QRectF(0, 0, 100, 100));
    container.undo->undo();
    EXPECT_TRUE(shape->path()->isEqual(pf::BezierPath::pathWithRect(QRectF(-0.5, -0.5, 1, 1)).get()));

    // Nothing usable is refused.
    shape->setPath(pf::BezierPath::path());
    shape->setPath(nullptr);
    auto broken = pf::BezierPath::path();
    broken->moveTo(QPointF(0, 0));
    broken->lineTo(QPointF(std::nan(""), 1));
    shape->setPath(broken);
    EXPECT_EQ(shape->path()->bounds(), QRectF(-0.5, -0.5, 1, 1));
}

struct HandleCase {
    int part;
    QPointF to;
    QRectF expected;
};

class DrawablesShapeHandles : public ::testing::TestWithParam<HandleCase> {};

// Dragging a handle of the unrotated 0,0 .. 100,50 rectangle moves its edges only.
TEST_P(DrawablesShapeHandles, DragMovesTheGrabbedEdges)
{
    const HandleCase& c = GetParam();
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 100, 50));
    shape->mouseDownAtPoint(shape->knobPoint(c.part), c.part, false);
    shape->mouseDraggedAtPoint(c.to, c.part, false);
    shape->mouseUpAtPoint(c.to, c.part, false);
    const QRectF b = shape->logicalBounds();
    EXPECT_NEAR(b.left(), c.expected.left(), 1e-9);
    EXPECT_NEAR(b.top(), c.expected.top(), 1e-9);
    EXPECT_NEAR(b.width(), c.expected.width(), 1e-9);
    EXPECT_NEAR(b.height(), c.expected.height(), 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Handles, DrawablesShapeHandles,
    ::testing::Values(HandleCase{PWDrawableShape::kRightHandle, QPointF(150, 999), QRectF(0, 0, 150, 50)},
                      HandleCase{PWDrawableShape::kLeftHandle, QPointF(-20, 999), QRectF(-20, 0, 120, 50)},
                      HandleCase{PWDrawableShape::kBottomHandle, QPointF(999, 80), QRectF(0, 0, 100, 80)},
                      HandleCase{PWDrawableShape::kTopLeftHandle, QPointF(10, 10), QRectF(10, 10, 90, 40)},
                      HandleCase{PWDrawableShape::kBottomRightHandle, QPointF(200, 100), QRectF(0, 0, 200, 100)},
                      // Dragged past the opposite edge: the shape stops short instead of
                      // taking a negative size.
                      HandleCase{PWDrawableShape::kRightHandle, QPointF(-50, 0), QRectF(0, 0, 0.01, 50)}));

TEST(DrawablesShape, RotatedShapeResizesAlongItsOwnAxes)
{
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 100, 50));
    shape->setAngle(M_PI / 2);
    // Turned a quarter clockwise, the shape's right edge faces down.
    const QPointF right = shape->knobPoint(PWDrawableShape::kRightHandle);
    expectNear(right, QPointF(50, 75));
    const QPointF left = shape->knobPoint(PWDrawableShape::kLeftHandle);
    shape->mouseDraggedAtPoint(right + QPointF(0, 40), PWDrawableShape::kRightHandle, false);
    EXPECT_NEAR(shape->size().width(), 140, 1e-9);
    EXPECT_NEAR(shape->size().height(), 50, 1e-9);
    expectNear(shape->knobPoint(PWDrawableShape::kLeftHandle), left);
}

TEST(DrawablesShape, AspectLockedCornerDragKeepsProportionsAndRotationHandleTurns)
{
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 100, 50));
    shape->setAspectRatioLocked(true);
    shape->mouseDraggedAtPoint(QPointF(200, 60), PWDrawableShape::kBottomRightHandle, false);
    EXPECT_NEAR(shape->size().width() / shape->size().height(), 2.0, 1e-9);
    EXPECT_NEAR(shape->size().width(), 200, 1e-9);

    shape->mouseDraggedAtPoint(shape->location() + QPointF(100, 0), PWDrawableShape::kRotationHandle, false);
    EXPECT_NEAR(shape->angle(), M_PI / 2, 1e-9);
}

TEST(DrawablesShape, MovingASelectedShapeRedrawsWhereItsRotationKnobWasAndIs)
{
    Container container;
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 100, 50));
    shape->setContainer(&container);
    container.selected.insert(shape.get());
    const QPointF before = shape->knobPoint(PWDrawableShape::kRotationHandle);
    container.redisplayed.clear();
    container.step([&] { shape->moveBy(200, 100); });
    const QPointF after = shape->knobPoint(PWDrawableShape::kRotationHandle);
    // The knob stands above the shape, outside its bounds, yet both its places are redrawn.
    ASSERT_FALSE(shape->bounds().adjusted(-5, -5, 5, 5).contains(after));
    auto redrawn = [&](QPointF point) {
        for (const QRectF& rect : container.redisplayed)
            if (rect.adjusted(-1e-6, -1e-6, 1e-6, 1e-6).contains(point))
                return true;
        return false;
    };
    EXPECT_TRUE(redrawn(before));
    EXPECT_TRUE(redrawn(after));

    // Not selected, only what it draws.
    container.selected.clear();
    container.redisplayed.clear();
    container.step([&] { shape->moveBy(-200, -100); });
    EXPECT_FALSE(redrawn(after));
}

TEST(DrawablesShape, OffsetMovesTheRotationCentre)
{
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 100, 100));
    shape->setOffset(QPointF(-0.5, -0.5)); // the location is now the top-left corner
    EXPECT_EQ(shape->logicalBounds(), QRectF(50, 50, 100, 100));
    shape->setAngle(M_PI);
    const QRectF b = shape->logicalBounds();
    EXPECT_NEAR(b.left(), -50, 1e-9);
    EXPECT_NEAR(b.top(), -50, 1e-9);
}

TEST(DrawablesShape, UngroupingAppliesTheGroupTransform)
{
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 10, 20));
    QTransform t;
    t.translate(100, 0);
    t.scale(2, 3);
    shape->group(nullptr, t);
    EXPECT_EQ(shape->logicalBounds(), QRectF(100, 0, 20, 60));

    // A mirroring transform flips the outline rather than the size.
    auto wedge = PWDrawableShape::drawableShapeWithPath(
        *pf::BezierPath::pathWithPolygon({QPointF(0, 0), QPointF(10, 0), QPointF(0, 10)}, true));
    wedge->group(nullptr, QTransform::fromScale(1, -1));
    EXPECT_GT(wedge->size().height(), 0);
    EXPECT_TRUE(wedge->renderingPath()->containsPoint(QPointF(1, -8)));
    EXPECT_FALSE(wedge->renderingPath()->containsPoint(QPointF(8, -8)));
}

TEST(DrawablesShape, ConvertsToAPathAndBackKeepingOutlineAndStyle)
{
    auto style = PWStyle::styleWithFillColour(pf::Color::red(), pf::Color());
    auto shape = PWDrawableShape::drawableShapeWithOvalInRect(QRectF(0, 0, 40, 20), style);
    shape->setAngle(0.3);
    shape->setName("Egg");
    auto path = shape->makePath();
    ASSERT_TRUE(path);
    EXPECT_EQ(path->style(), style);
    EXPECT_EQ(path->name(), "Egg");
    EXPECT_TRUE(path->path()->isEqual(shape->transformedPath().get()));

    auto back = path->makeShape();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->style(), style);
    const QRectF a = back->logicalBounds();
    const QRectF b = shape->logicalBounds();
    EXPECT_NEAR(a.left(), b.left(), 1e-6);
    EXPECT_NEAR(a.width(), b.width(), 1e-6);
    EXPECT_NEAR(a.height(), b.height(), 1e-6);
}

TEST(DrawablesShape, ValidityAndDirectControlsSetting)
{
    EXPECT_TRUE(PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 1, 1))->objectIsValid());
    EXPECT_FALSE(PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 0, 10))->objectIsValid());
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 10, 10));
    PWDrawableShape::setShowsDirectControls(false);
    EXPECT_TRUE(shape->knobParts().isEmpty());
    PWDrawableShape::setShowsDirectControls(true);
    EXPECT_EQ(shape->knobParts().size(), 9);
}

// Rectangles and ovals share their outline in memory; nothing done to one may reach another,
// and each still archives an outline of its own.
TEST(DrawablesShape, ShapesWithTheSameOutlineStayIndependent)
{
    auto a = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 10, 20));
    auto b = PWDrawableShape::drawableShapeWithRect(QRectF(50, 50, 4, 4));
    auto c = PWDrawableShape::drawableShapeWithOvalInRect(QRectF(0, 0, 10, 10));
    auto d = PWDrawableShape::drawableShapeWithOvalInRect(QRectF(20, 0, 30, 10));
    const auto unitRect = pf::BezierPath::pathWithRect(QRectF(-0.5, -0.5, 1, 1));
    const auto unitOval = pf::BezierPath::pathWithOval(QRectF(-0.5, -0.5, 1, 1));
    ASSERT_TRUE(a->path()->isEqual(unitRect.get()));
    ASSERT_TRUE(d->path()->isEqual(unitOval.get()));

    a->path()->lineTo(QPointF(3, 3)); // a copy: changes neither shape
    EXPECT_TRUE(a->path()->isEqual(unitRect.get()));
    // A kite has as many elements as a rectangle, but is not one.
    a->setPath(pf::BezierPath::pathWithPolygon({QPointF(5, 0), QPointF(10, 4), QPointF(5, 20), QPointF(0, 4)}, true));
    EXPECT_FALSE(a->path()->isEqual(unitRect.get()));
    EXPECT_FALSE(a->renderingPath()->containsPoint(a->logicalBounds().topLeft() + QPointF(0.5, 0.5)));
    EXPECT_TRUE(b->path()->isEqual(unitRect.get()));
    EXPECT_EQ(b->logicalBounds(), QRectF(50, 50, 4, 4));

    auto e = std::static_pointer_cast<PWDrawableShape>(b->copy());
    e->group(nullptr, QTransform::fromScale(1, -1));
    c->group(nullptr, QTransform::fromScale(-1, 1));
    EXPECT_TRUE(b->path()->isEqual(unitRect.get()));
    EXPECT_TRUE(d->path()->isEqual(unitOval.get()));
    EXPECT_EQ(d->logicalBounds(), QRectF(20, 0, 30, 10));

    for (const auto& shape : {b, d, e}) {
        auto decoded = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWDrawableShape>(pf::KeyedArchiver::archivedData(shape));
        ASSERT_TRUE(decoded);
        EXPECT_TRUE(decoded->path()->isEqual(shape->path().get()));
        EXPECT_EQ(decoded->logicalBounds(), shape->logicalBounds());
    }
}

// A decoded outline has exactly the points that were archived, whether it is one of the common
// outlines or any other path filling the unit square.
TEST(DrawablesShape, DecodedOutlinesKeepEveryPointExactly)
{
    auto kite = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 10, 20));
    kite->setPath(pf::BezierPath::pathWithPolygon({QPointF(5, 0), QPointF(10, 4), QPointF(5, 20), QPointF(0, 4)}, true));
    auto curved = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 3, 7));
    auto outline = pf::BezierPath::pathWithOval(QRectF(0, 0, 3, 7));
    outline->lineTo(QPointF(1.0 / 3.0, 0.1));
    curved->setPath(outline);
    for (const auto& shape : {PWDrawableShape::drawableShapeWithRect(QRectF(1, 2, 3, 4)),
                              PWDrawableShape::drawableShapeWithOvalInRect(QRectF(0, 0, 7, 3)), kite, curved}) {
        auto decoded = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWDrawableShape>(pf::KeyedArchiver::archivedData(shape));
        ASSERT_TRUE(decoded);
        const auto before = shape->path(), after = decoded->path();
        ASSERT_EQ(after->elementCount(), before->elementCount());
        for (int i = 0; i < before->elementCount(); ++i) {
            const auto& x = before->elements()[i];
            const auto& y = after->elements()[i];
            ASSERT_EQ(x.type, y.type);
            for (int p = 0; p < x.pointCount(); ++p) {
                EXPECT_EQ(x.points[size_t(p)].x(), y.points[size_t(p)].x()) << i << " " << p;
                EXPECT_EQ(x.points[size_t(p)].y(), y.points[size_t(p)].y()) << i << " " << p;
            }
        }
        EXPECT_EQ(decoded->logicalBounds(), shape->logicalBounds());
    }
}

// Drawing a rectangle's selection (its handles' frame comes from the unit square) once left
// every rectangle of every drawing moved onto that frame.
TEST(DrawablesShape, DrawingTheSelectionLeavesOtherRectanglesAlone)
{
    auto selected = PWDrawableShape::drawableShapeWithRect(QRectF(10, 10, 30, 20));
    auto other = PWDrawableShape::drawableShapeWithRect(QRectF(60, 60, 8, 8));
    QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        pf::GraphicsContextScope scope(painter, true, true);
        selected->drawSelectedState();
    }
    EXPECT_EQ(other->logicalBounds(), QRectF(60, 60, 8, 8));
    EXPECT_EQ(selected->logicalBounds(), QRectF(10, 10, 30, 20));
    EXPECT_TRUE(PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 1, 1))->path()->isEqual(
        pf::BezierPath::pathWithRect(QRectF(-0.5, -0.5, 1, 1)).get()));
}

TEST(DrawablesShape, ArchiveRoundTripAndRetiredNames)
{
    auto shape = PWDrawableShape::drawableShapeWithOvalInRect(QRectF(5, 5, 30, 10));
    shape->setAngle(1.0);
    const QByteArray data = pf::KeyedArchiver::archivedData(shape);
    auto decoded = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWDrawableShape>(data);
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(decoded->path()->isEqual(shape->path().get()));
    EXPECT_EQ(decoded->renderingPath()->bounds(), shape->renderingPath()->bounds());

    for (const char* retired : {"PWXLabelShape", "PWXLabelledShape"}) {
        pf::KeyedArchiver archiver;
        archiver.setClassNameForClass(QString::fromLatin1(retired), PWDrawableShape::staticClass());
        archiver.encodeObject(shape, pf::KeyedArchiver::kRootKey);
        const QByteArray old = archiver.encodedData();
        ASSERT_TRUE(old.contains(retired));
        pf::Error error;
        auto read = pf::KeyedUnarchiver::unarchiveObject(old, &error);
        ASSERT_TRUE(read) << retired << qPrintable(error.description());
        EXPECT_TRUE(read->isMemberOf(PWDrawableShape::staticClass())) << retired;
    }
}

} // namespace
