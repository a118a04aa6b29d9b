#include "tests/frameworks/penwork/drawables/DrawableTestSupport.h"

#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/styles/PWStyle.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

#include <gtest/gtest.h>

#include <cmath>

using drawablestest::Container;
using drawablestest::Observer;
using ElementType = pf::BezierPath::ElementType;

namespace {

pf::Ref<pf::BezierPath> polyline(const QList<QPointF>& points, bool closed = false)
{
    return pf::BezierPath::pathWithPolygon(points, closed);
}

// An L of two legs, 30 then 40 long: 70 in all.
pf::Ref<PWDrawablePath> elbow()
{
    return PWDrawablePath::drawablePathWithPath(*polyline({QPointF(0, 0), QPointF(30, 0), QPointF(30, 40)}));
}

void expectNear(const QPointF& a, const QPointF& b, double tolerance = 1e-6)
{
    EXPECT_NEAR(a.x(), b.x(), tolerance);
    EXPECT_NEAR(a.y(), b.y(), tolerance);
}

TEST(DrawablesPath, GeometryComesFromThePathAndEditsMoveItsPoints)
{
    Container container;
    auto path = elbow();
    path->setContainer(&container);
    EXPECT_EQ(path->location(), QPointF(15, 20));
    EXPECT_EQ(path->size(), QSizeF(30, 40));

    container.step([&] {
        path->setLocation(QPointF(115, 20));
        path->setSize(QSizeF(60, 40));
    });
    EXPECT_EQ(path->path()->bounds(), QRectF(85, 0, 60, 40));
    container.undo->undo();
    EXPECT_TRUE(path->path()->isEqual(polyline({QPointF(0, 0), QPointF(30, 0), QPointF(30, 40)}).get()));

    // Rotation turns the points about the centre and is remembered as the angle.
    container.step([&] { path->setAngle(M_PI / 2); });
    EXPECT_NEAR(path->angle(), M_PI / 2, 1e-12);
    EXPECT_NEAR(path->size().width(), 40, 1e-9);
    EXPECT_NEAR(path->size().height(), 30, 1e-9);
    container.undo->undo();
    EXPECT_EQ(path->angle(), 0.0);
    expectNear(path->path()->firstPoint(), QPointF(0, 0));

    // A horizontal line has no height to scale.
    auto line = PWDrawablePath::drawablePathWithPath(*polyline({QPointF(0, 0), QPointF(10, 0)}));
    line->setSize(QSizeF(20, 5));
    EXPECT_EQ(line->size(), QSizeF(20, 0));
}

TEST(DrawablesPath, LengthTrimsOrExtendsAndIsObservedThroughPath)
{
    Container container;
    auto path = elbow();
    path->setContainer(&container);
    EXPECT_NEAR(path->length(), 70, 1e-9);
    Observer observer;
    path->addObserver(&observer, "length");

    container.step([&] { path->setValueForKeyPath(50.0, "length"); });
    EXPECT_NEAR(path->length(), 50, 1e-6);
    expectNear(path->path()->currentPoint(), QPointF(30, 20));
    EXPECT_EQ(observer.count("length"), 1);

    // Longer: the last leg goes on in its own direction.
    container.step([&] { path->setLength(100); });
    EXPECT_NEAR(path->length(), 100, 1e-6);
    expectNear(path->path()->currentPoint(), QPointF(30, 70));

    container.undo->undo();
    EXPECT_NEAR(path->length(), 50, 1e-6);
    container.undo->undo();
    EXPECT_NEAR(path->length(), 70, 1e-6);

    // Refused: nothing, negative, not a number.
    for (double bad : {0.0, -5.0, std::nan("")})
        path->setLength(bad);
    EXPECT_NEAR(path->length(), 70, 1e-6);
    path->removeObserver(&observer);
}

TEST(DrawablesPath, LengthExtendsACurveWithAStraightPiece)
{
    auto curve = pf::BezierPath::path();
    curve->moveTo(QPointF(0, 0));
    curve->curveTo(QPointF(100, 0), QPointF(30, -40), QPointF(70, -40));
    auto path = PWDrawablePath::drawablePathWithPath(*curve);
    const double length = path->length();
    path->setLength(length + 10);
    EXPECT_NEAR(path->length(), length + 10, 1e-3);
    EXPECT_EQ(path->path()->elementCount(), 3);

    // A closed path has no end to carry on from; trimming still works.
    auto square = PWDrawablePath::drawablePathWithPath(*pf::BezierPath::pathWithRect(QRectF(0, 0, 10, 10)));
    square->setLength(80);
    EXPECT_NEAR(square->length(), 40, 1e-9);
    square->setLength(25);
    EXPECT_NEAR(square->length(), 25, 1e-6);
}

TEST(DrawablesPath, LengthForPointAlongThePath)
{
    auto path = elbow();
    EXPECT_NEAR(path->lengthForPoint(QPointF(15, 1)), 15, 1e-6);
    EXPECT_NEAR(path->lengthForPoint(QPointF(31, 20)), 50, 1e-6);
    EXPECT_NEAR(path->lengthForPoint(QPointF(0, 0)), 0, 1e-9);
    EXPECT_LT(path->lengthForPoint(QPointF(100, 100)), 0);
    EXPECT_LT(path->lengthForPoint(QPointF(std::nan(""), 0)), 0);
}

TEST(DrawablesPath, DivideKeepsTheFirstPartAndReturnsTheRest)
{
    Container container;
    auto style = PWStyle::styleWithFillColour(pf::Color(), pf::Color::blue());
    auto path = elbow();
    path->setStyle(style);
    path->setContainer(&container);
    pf::Ref<PWDrawablePath> rest;
    container.step([&] { rest = path->dividePathAtLength(40); });
    ASSERT_TRUE(rest);
    EXPECT_NEAR(path->length(), 40, 1e-6);
    EXPECT_NEAR(rest->length(), 30, 1e-6);
    expectNear(path->path()->currentPoint(), QPointF(30, 10));
    expectNear(rest->path()->firstPoint(), QPointF(30, 10));
    EXPECT_EQ(rest->style(), style);
    EXPECT_EQ(rest->container(), nullptr);

    container.undo->undo();
    EXPECT_NEAR(path->length(), 70, 1e-6);

    // No cut at either end or beyond.
    for (double at : {0.0, -1.0, 70.0, 500.0, std::nan("")})
        EXPECT_FALSE(path->dividePathAtLength(at)) << at;
    EXPECT_NEAR(path->length(), 70, 1e-6);
}

TEST(DrawablesPath, MovingAPointCarriesItsControlPoints)
{
    auto curve = pf::BezierPath::path();
    curve->moveTo(QPointF(0, 0));
    curve->curveTo(QPointF(100, 0), QPointF(20, 30), QPointF(80, 30));
    curve->curveTo(QPointF(200, 0), QPointF(120, -30), QPointF(180, -30));
    auto path = PWDrawablePath::drawablePathWithPath(*curve);
    // Element 1's end point, (100, 0).
    const int part = PWDrawablePath::partCode(1, 2);
    EXPECT_EQ(path->knobPoint(part), QPointF(100, 0));
    ASSERT_TRUE(path->movePathPart(part, QPointF(100, 10)));
    const auto& e1 = path->path()->elementAt(1);
    const auto& e2 = path->path()->elementAt(2);
    EXPECT_EQ(e1.points[2], QPointF(100, 10));
    EXPECT_EQ(e1.points[1], QPointF(80, 40));
    EXPECT_EQ(e2.points[0], QPointF(120, -20));
    // A control point moves alone.
    ASSERT_TRUE(path->movePathPart(PWDrawablePath::partCode(2, 0), QPointF(0, 0)));
    EXPECT_EQ(path->path()->elementAt(1).points[2], QPointF(100, 10));
    EXPECT_FALSE(path->movePathPart(PWDrawablePath::partCode(9, 0), QPointF(0, 0)));
    EXPECT_FALSE(path->movePathPart(PWDrawablePath::partCode(0, 2), QPointF(0, 0)));
}

TEST(DrawablesPath, ClosedPathStartAndEndMoveTogether)
{
    auto triangle = pf::BezierPath::path();
    triangle->moveTo(QPointF(0, 0));
    triangle->lineTo(QPointF(10, 0));
    triangle->lineTo(QPointF(10, 10));
    triangle->lineTo(QPointF(0, 0));
    triangle->closePath();
    auto path = PWDrawablePath::drawablePathWithPath(*triangle);
    path->movePathPart(PWDrawablePath::partCode(0, 0), QPointF(-5, -5));
    EXPECT_EQ(path->path()->elementAt(0).points[0], QPointF(-5, -5));
    EXPECT_EQ(path->path()->elementAt(3).points[0], QPointF(-5, -5));
}

TEST(DrawablesPath, InsertAndDeletePoints)
{
    auto path = elbow();
    const int part = path->insertPointAtPoint(QPointF(10, 1));
    ASSERT_GT(part, 0);
    EXPECT_EQ(path->path()->elementCount(), 4);
    EXPECT_EQ(path->knobPoint(part), QPointF(10, 0));
    EXPECT_NEAR(path->length(), 70, 1e-9);
    EXPECT_EQ(path->insertPointAtPoint(QPointF(500, 500)), 0);

    // On a curve the split keeps the shape.
    auto curve = pf::BezierPath::path();
    curve->moveTo(QPointF(0, 0));
    curve->curveTo(QPointF(100, 0), QPointF(0, 50), QPointF(100, 50));
    auto bent = PWDrawablePath::drawablePathWithPath(*curve);
    const double length = bent->length();
    ASSERT_GT(bent->insertPointAtPoint(QPointF(50, 37.5), 2.0), 0);
    EXPECT_EQ(bent->path()->elementCount(), 3);
    EXPECT_NEAR(bent->length(), length, 1e-3);

    ASSERT_TRUE(path->deletePointAtPart(part));
    EXPECT_TRUE(path->path()->isEqual(elbow()->path().get()));
    ASSERT_TRUE(path->deletePointAtPart(PWDrawablePath::partCode(0, 0)));
    EXPECT_EQ(path->path()->firstPoint(), QPointF(30, 0));
    // Two points are the least a path keeps.
    EXPECT_FALSE(path->deletePointAtPart(PWDrawablePath::partCode(0, 0)));
    EXPECT_EQ(path->path()->elementCount(), 2);
}

TEST(DrawablesPath, CloseOpenAndReverse)
{
    auto path = elbow();
    EXPECT_FALSE(path->isPathClosed());
    path->closePath();
    EXPECT_TRUE(path->isPathClosed());
    EXPECT_NEAR(path->length(), 120, 1e-9);
    path->openPath();
    EXPECT_FALSE(path->isPathClosed());
    EXPECT_NEAR(path->length(), 70, 1e-9);
    path->reversePath();
    EXPECT_EQ(path->path()->firstPoint(), QPointF(30, 40));
    EXPECT_EQ(path->path()->currentPoint(), QPointF(0, 0));
}

TEST(DrawablesPath, SimpleStraightLineTest)
{
    struct Case {
        const char* name;
        pf::Ref<pf::BezierPath> path;
        bool straight;
    };
    auto curveOnLine = pf::BezierPath::path();
    curveOnLine->moveTo(QPointF(0, 0));
    curveOnLine->curveTo(QPointF(90, 0), QPointF(30, 0), QPointF(60, 0));
    auto curveOff = pf::BezierPath::path();
    curveOff->moveTo(QPointF(0, 0));
    curveOff->curveTo(QPointF(90, 0), QPointF(30, 5), QPointF(60, 0));
    const QList<Case> cases{
        {"line", polyline({QPointF(0, 0), QPointF(10, 10)}), true},
        {"curve on its chord", curveOnLine, true},
        {"bent curve", curveOff, false},
        {"two legs", polyline({QPointF(0, 0), QPointF(10, 0), QPointF(20, 0)}), false},
        {"closed", polyline({QPointF(0, 0), QPointF(10, 0)}, true), false},
        {"no length", polyline({QPointF(3, 3), QPointF(3, 3)}), false},
        {"empty", pf::BezierPath::path(), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PWDrawablePath::drawablePathWithPath(*c.path)->isSimpleStraightLine(), c.straight) << c.name;
}

TEST(DrawablesPath, FlatteningAndParallels)
{
    auto circle = PWDrawablePath::drawablePathWithPath(*pf::BezierPath::pathWithOval(QRectF(0, 0, 100, 100)));
    circle->setFlatness(8.0);
    EXPECT_EQ(circle->flatness(), 8.0);
    circle->setFlatness(-1);
    EXPECT_EQ(circle->flatness(), 8.0);
    auto flat = circle->flattenedPath();
    for (const auto& e : flat->elements())
        EXPECT_NE(e.type, ElementType::CurveTo);
    circle->flattenPath();
    EXPECT_TRUE(circle->path()->isEqual(flat.get()));

    auto line = PWDrawablePath::drawablePathWithPath(*polyline({QPointF(0, 0), QPointF(100, 0)}));
    auto parallel = line->makeParallelWithOffset(10, false);
    ASSERT_TRUE(parallel);
    // Positive offsets lie to the left of travel: up the screen.
    EXPECT_EQ(parallel->path()->bounds(), QRectF(0, -10, 100, 0));
    EXPECT_EQ(parallel->style(), line->style());
    EXPECT_TRUE(line->makeParallelWithOffset(5, true));
    EXPECT_FALSE(line->makeParallelWithOffset(std::nan(""), false));
}

TEST(DrawablesPath, PointHandlesWhenSelectedAndDragging)
{
    Container container;
    auto path = elbow();
    path->setContainer(&container);
    container.selected.insert(path.get());
    const int corner = path->hitPart(QPointF(30, 0));
    EXPECT_EQ(corner, PWDrawablePath::partCode(1, 0));
    container.step([&] {
        path->mouseDownAtPoint(QPointF(30, 0), corner, false);
        path->mouseDraggedAtPoint(QPointF(40, 0), corner, false);
        path->mouseUpAtPoint(QPointF(40, 0), corner, false);
    });
    EXPECT_EQ(path->path()->elementAt(1).points[0], QPointF(40, 0));

    // The whole object drags by the mouse's travel.
    container.step([&] {
        path->mouseDownAtPoint(QPointF(35, 20), PWDrawableObject::kEntireObjectPart, false);
        path->mouseDraggedAtPoint(QPointF(45, 25), PWDrawableObject::kEntireObjectPart, false);
    });
    EXPECT_EQ(path->path()->firstPoint(), QPointF(10, 5));
}

TEST(DrawablesPath, ValidityCopiesAndUngrouping)
{
    EXPECT_TRUE(elbow()->objectIsValid());
    EXPECT_FALSE(PWDrawablePath::drawablePathWithPath(*polyline({QPointF(1, 1), QPointF(1, 1)}))->objectIsValid());
    EXPECT_FALSE(std::make_shared<PWDrawablePath>()->objectIsValid());

    auto path = elbow();
    auto copy = std::static_pointer_cast<PWDrawablePath>(path->copy());
    copy->moveBy(10, 0);
    EXPECT_EQ(path->path()->firstPoint(), QPointF(0, 0));
    path->group(nullptr, QTransform::fromScale(2, 2));
    EXPECT_NEAR(path->length(), 140, 1e-9);
}

TEST(DrawablesPath, ArchiveRoundTripRetiredNameAndDamage)
{
    auto path = elbow();
    path->setAngle(0.5);
    auto decoded = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWDrawablePath>(pf::KeyedArchiver::archivedData(path));
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(decoded->path()->isEqual(path->path().get()));
    EXPECT_EQ(decoded->angle(), 0.5);

    pf::KeyedArchiver archiver;
    archiver.setClassNameForClass("PWXTrack", PWDrawablePath::staticClass());
    archiver.encodeObject(path, pf::KeyedArchiver::kRootKey);
    auto track = pf::KeyedUnarchiver::unarchiveObject(archiver.encodedData());
    ASSERT_TRUE(track);
    EXPECT_TRUE(track->isMemberOf(PWDrawablePath::staticClass()));

    // A shape's archive read as a path has no path under the path's key: an empty path.
    pf::KeyedArchiver wrong;
    wrong.setClassNameForClass("PWDrawablePath", PWDrawableShape::staticClass());
    wrong.encodeObject(PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 5, 5)), pf::KeyedArchiver::kRootKey);
    auto empty = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWDrawablePath>(wrong.encodedData());
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->path()->isEmpty());
    EXPECT_EQ(empty->length(), 0.0);
}

} // namespace
