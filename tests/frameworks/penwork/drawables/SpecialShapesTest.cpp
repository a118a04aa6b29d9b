#include "frameworks/penwork/drawables/PWArcPath.h"
#include "frameworks/penwork/drawables/PWRegularPolygonPath.h"
#include "frameworks/penwork/drawables/PWRoundRectShape.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "tests/frameworks/penwork/drawables/ShapesTestSupport.h"

#include <gtest/gtest.h>

#include <QLineF>

#include <cmath>

namespace {

using shapestest::Container;
using shapestest::Observer;

// The on-curve points of every element but the close.
QList<QPointF> onCurvePoints(const pf::BezierPath& path)
{
    QList<QPointF> points;
    for (const auto& element : path.elements()) {
        if (element.type == pf::BezierPath::ElementType::ClosePath)
            continue;
        points.append(element.points[element.pointCount() - 1]);
    }
    return points;
}

int countOf(const pf::BezierPath& path, pf::BezierPath::ElementType type)
{
    int n = 0;
    for (const auto& element : path.elements())
        n += element.type == type;
    return n;
}

void expectPointNear(const QPointF& actual, const QPointF& expected, double tolerance = 1e-6)
{
    EXPECT_NEAR(actual.x(), expected.x(), tolerance);
    EXPECT_NEAR(actual.y(), expected.y(), tolerance);
}

template <class T>
pf::Ref<T> roundTrip(const pf::Ref<T>& object)
{
    pf::Error error;
    const QByteArray data = pf::KeyedArchiver::archivedData(object, pf::PropertyListFormat::Binary, &error);
    EXPECT_FALSE(data.isEmpty()) << error.description().toStdString();
    auto read = pf::KeyedUnarchiver::unarchiveObjectOfClass<T>(data, &error);
    EXPECT_TRUE(read) << error.description().toStdString();
    return read;
}

// Polygons and stars -------------------------------------------------------------------------

TEST(ShapesPolygon, CornersLieOnTheirCircles)
{
    struct Case {
        int sides;
        bool star;
    };
    for (const Case c : {Case{3, false}, Case{5, false}, Case{6, false}, Case{5, true}, Case{8, true}}) {
        SCOPED_TRACE(testing::Message() << c.sides << (c.star ? " star" : " polygon"));
        auto polygon = PWRegularPolygonPath::polygonWithCentre(QPointF(50, 40), 20, c.sides);
        polygon->setStar(c.star);
        polygon->setInnerRadius(0.4);
        const pf::Ref<pf::BezierPath> path = polygon->path();
        const QList<QPointF> corners = onCurvePoints(*path);
        const int expected = c.star ? 2 * c.sides : c.sides;
        ASSERT_EQ(corners.size(), expected);
        EXPECT_EQ(countOf(*path, pf::BezierPath::ElementType::CurveTo), 0);
        EXPECT_EQ(countOf(*path, pf::BezierPath::ElementType::ClosePath), 1);
        for (int k = 0; k < expected; ++k) {
            const double r = (c.star && k % 2) ? 8.0 : 20.0;
            const double phi = 2 * M_PI * k / expected;
            expectPointNear(corners.at(k), QPointF(50 + r * std::cos(phi), 40 + r * std::sin(phi)));
        }
    }
}

TEST(ShapesPolygon, DefaultSymbolStarPointsUp)
{
    PWDrawableObject::disableNameProvider();
    auto star = std::make_shared<PWRegularPolygonPath>();
    PWDrawableObject::enableNameProvider();
    star->setNumberOfSides(5);
    star->setStar(true);
    star->setRadius(16.0);
    star->setInnerRadius(0.38);
    star->setPathCreationMode(0);
    star->setAngle(4.71238898038469);
    const QList<QPointF> corners = onCurvePoints(*star->path());
    ASSERT_EQ(corners.size(), 10);
    expectPointNear(corners.at(0), QPointF(0, -16));
    EXPECT_NEAR(QLineF(QPointF(), corners.at(1)).length(), 16 * 0.38, 1e-9);
    EXPECT_EQ(star->location(), QPointF(0, 0));
}

TEST(ShapesPolygon, SpreadRoundsTipsButKeepsThemOnTheCircle)
{
    auto polygon = PWRegularPolygonPath::polygonWithCentre(QPointF(), 10, 4);
    polygon->setTipSpread(0.5);
    const pf::Ref<pf::BezierPath> path = polygon->path();
    EXPECT_EQ(countOf(*path, pf::BezierPath::ElementType::CurveTo), 4);
    const auto& first = path->elementAt(1);
    // The handle leaves the tip at (10, 0) along the tangent (straight down, y-down).
    expectPointNear(first.points[0], QPointF(10, 0.5 * std::hypot(10, 10) / 2));
    expectPointNear(first.points[2], QPointF(0, 10));
}

TEST(ShapesPolygon, SidesAndRatiosAreClampedAndResizeKeepsItRegular)
{
    auto polygon = PWRegularPolygonPath::polygonWithCentre(QPointF(), 10, 2);
    EXPECT_EQ(polygon->numberOfSides(), 3);
    polygon->setNumberOfSides(1'000'000);
    EXPECT_EQ(polygon->numberOfSides(), PWRegularPolygonPath::kMaximumSides);
    polygon->setNumberOfSides(4);
    polygon->setInnerRadius(3.0);
    EXPECT_EQ(polygon->innerRadius(), 1.0);
    polygon->setRadius(-1);
    polygon->setRadius(std::nan(""));
    EXPECT_EQ(polygon->radius(), 10.0);

    // A square of corners on the axes is 20 x 20; stretching keeps it regular at the smaller factor.
    polygon->setSize(QSizeF(40, 30));
    EXPECT_DOUBLE_EQ(polygon->radius(), 15.0);
    EXPECT_EQ(polygon->location(), QPointF(0, 0));
    polygon->moveBy(5, 5);
    expectPointNear(onCurvePoints(*polygon->path()).first(), QPointF(20, 5));
}

// Key-value behaviour shared by the parametric shapes ------------------------------------------

TEST(ShapesSpecial, ParameterEditsAnnounceThePathRecordUndoAndRespectTheLock)
{
    struct Case {
        const char* name;
        std::function<pf::Ref<PWDrawableObject>()> make;
        QString key;
        QVariant value;
    };
    const Case cases[] = {
        {"polygon sides", [] { return PWRegularPolygonPath::polygonWithCentre(QPointF(), 10, 5); }, "numberOfSides", 7},
        {"polygon star", [] { return PWRegularPolygonPath::polygonWithCentre(QPointF(), 10, 5); }, "isStar", true},
        {"arc radius", [] { return PWArcPath::arcPathWithCentre(QPointF(), 10, 0, 90); }, "radius", 25.0},
        {"arc type", [] { return PWArcPath::arcPathWithCentre(QPointF(), 10, 0, 90); }, "arcType", 2},
        {"round rect radius", [] { return PWRoundRectShape::roundRectShapeWithRect(QRectF(0, 0, 50, 40), 5); },
         "cornerRadius", 12.0},
        {"round rect corners", [] { return PWRoundRectShape::roundRectShapeWithRect(QRectF(0, 0, 50, 40), 5); },
         "cornerFlags", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto container = std::make_shared<Container>();
        auto object = c.make();
        object->setContainer(container.get());
        const QVariant before = object->valueForKey(c.key);
        const QVariant pathBefore = object->valueForKey("path");
        Observer observer;
        object->addObserver(&observer, c.key);
        object->addObserver(&observer, "path");

        container->step([&] { object->setValueForKey(c.value, c.key); });
        EXPECT_TRUE(pf::isEqual(object->valueForKey(c.key), c.value));
        EXPECT_TRUE(observer.keys.contains(c.key));
        EXPECT_TRUE(observer.keys.contains("path"));
        EXPECT_FALSE(pf::isEqual(object->valueForKey("path"), pathBefore));

        observer.keys.clear();
        object->setValueForKey(c.value, c.key); // equal: nothing
        EXPECT_TRUE(observer.keys.isEmpty());

        container->undo->undo();
        EXPECT_TRUE(pf::isEqual(object->valueForKey(c.key), before));
        EXPECT_TRUE(pf::isEqual(object->valueForKey("path"), pathBefore));

        container->step([&] { object->setLocked(true); });
        object->setValueForKey(c.value, c.key);
        EXPECT_TRUE(pf::isEqual(object->valueForKey(c.key), before));
        object->removeObserver(&observer);
    }
}

// Arcs ---------------------------------------------------------------------------------------

TEST(ShapesArc, ArcTypesShapeThePath)
{
    auto arc = PWArcPath::arcPathWithCentre(QPointF(100, 100), 10, 0, 90);
    pf::Ref<pf::BezierPath> path = arc->path();
    expectPointNear(path->firstPoint(), QPointF(110, 100));
    expectPointNear(path->currentPoint(), QPointF(100, 110)); // clockwise on screen
    EXPECT_EQ(countOf(*path, pf::BezierPath::ElementType::ClosePath), 0);
    EXPECT_EQ(arc->location(), QPointF(100, 100));

    arc->setArcType(PWArcPath::kChord);
    EXPECT_EQ(countOf(*arc->path(), pf::BezierPath::ElementType::ClosePath), 1);
    arc->setArcType(PWArcPath::kPieWedge);
    path = arc->path();
    expectPointNear(path->firstPoint(), QPointF(100, 100));
    EXPECT_EQ(countOf(*path, pf::BezierPath::ElementType::ClosePath), 1);
    arc->setArcType(7);
    EXPECT_EQ(arc->arcType(), PWArcPath::kPieWedge);
}

TEST(ShapesArc, SubtendedAngleRotationAndFullCircle)
{
    auto arc = PWArcPath::arcPathWithCentre(QPointF(), 10, 350, 10);
    EXPECT_DOUBLE_EQ(arc->subtendedAngle(), 20.0);
    arc->setSubtendedAngle(90);
    EXPECT_DOUBLE_EQ(arc->endAngle(), 440.0);
    EXPECT_DOUBLE_EQ(arc->subtendedAngle(), 90.0);
    arc->setSubtendedAngle(0);
    arc->setSubtendedAngle(400);
    EXPECT_DOUBLE_EQ(arc->subtendedAngle(), 90.0);

    arc->rotateByAngle(M_PI / 2);
    EXPECT_NEAR(arc->startAngle(), 440.0, 1e-9);
    EXPECT_NEAR(arc->subtendedAngle(), 90.0, 1e-9);
    expectPointNear(arc->path()->firstPoint(), QPointF(10 * std::cos(80 * M_PI / 180), 10 * std::sin(80 * M_PI / 180)), 1e-9);

    arc->setEndAngle(arc->startAngle());
    EXPECT_DOUBLE_EQ(arc->subtendedAngle(), 360.0);
    const QRectF circle = arc->path()->bounds();
    // Cubic segments stand for the circle, a few thousandths off at most.
    EXPECT_NEAR(circle.width(), 20.0, 0.01);
    EXPECT_NEAR(circle.height(), 20.0, 0.01);

    arc->setSize(QSizeF(40, 60));
    EXPECT_NEAR(arc->radius(), 20.0, 0.01);
}

// Round rectangles ---------------------------------------------------------------------------

TEST(ShapesRoundRect, EachFlagRoundsItsOwnCorner)
{
    const QRectF rect(0, 0, 100, 60);
    struct Case {
        int flag;
        QPointF corner;
    };
    const Case corners[] = {{PWRoundRectShape::kTopLeftCorner, rect.topLeft()},
                            {PWRoundRectShape::kTopRightCorner, rect.topRight()},
                            {PWRoundRectShape::kBottomLeftCorner, rect.bottomLeft()},
                            {PWRoundRectShape::kBottomRightCorner, rect.bottomRight()}};
    auto inside = [&](const QPointF& corner) {
        // One unit in from the corner, towards the centre.
        return corner + QPointF(corner.x() < 50 ? 1 : -1, corner.y() < 30 ? 1 : -1);
    };
    for (const Case& rounded : corners) {
        SCOPED_TRACE(rounded.flag);
        auto shape = PWRoundRectShape::roundRectShapeWithRect(rect, 10);
        shape->setCornerFlags(rounded.flag);
        const pf::Ref<pf::BezierPath> outline = shape->transformedPath();
        for (const Case& other : corners)
            EXPECT_EQ(outline->containsPoint(inside(other.corner)), other.flag != rounded.flag);
    }
    auto shape = PWRoundRectShape::roundRectShapeWithRect(rect, 10);
    shape->setCornerFlags(0xFF);
    EXPECT_EQ(shape->cornerFlags(), PWRoundRectShape::kAllCorners);
}

TEST(ShapesRoundRect, ResizingKeepsTheCornerRadius)
{
    auto shape = PWRoundRectShape::roundRectShapeWithRect(QRectF(0, 0, 100, 60), 10);
    shape->resizeWidthBy(3, 0.5); // 300 x 30, the same centre
    const QRectF box(-100, 15, 300, 30);
    const pf::Ref<pf::BezierPath> outline = shape->transformedPath();
    EXPECT_NEAR(outline->bounds().width(), 300, 1e-6);
    // The top edge still leaves the top-left corner 10 units along.
    bool found = false;
    for (const QPointF& p : onCurvePoints(*outline))
        found |= std::abs(p.x() - (box.left() + 10)) < 1e-6 && std::abs(p.y() - box.top()) < 1e-6;
    EXPECT_TRUE(found);
    EXPECT_FALSE(outline->containsPoint(box.topLeft() + QPointF(1, 1)));
}

// Conversion and archiving -------------------------------------------------------------------

TEST(ShapesSpecial, ConversionKeepsGeometryAndStyle)
{
    auto style = PWStyle::styleWithFillColour(pf::Color(QColor(Qt::green)), pf::Color(QColor(Qt::black)));
    auto rect = PWRoundRectShape::roundRectShapeWithRect(QRectF(10, 10, 80, 40), 8, style);
    rect->rotateByAngle(0.4);
    auto plainShape = rect->makePlainShape();
    EXPECT_TRUE(plainShape->isMemberOf(PWDrawableShape::staticClass()));
    EXPECT_TRUE(plainShape->transformedPath()->isEqual(rect->transformedPath().get()));
    EXPECT_EQ(plainShape->style(), style);

    auto star = PWRegularPolygonPath::polygonWithCentre(QPointF(5, 5), 30, 6, style);
    star->setStar(true);
    auto plainPath = star->makePlainPath();
    EXPECT_TRUE(plainPath->isMemberOf(PWDrawablePath::staticClass()));
    EXPECT_TRUE(plainPath->path()->isEqual(star->path().get()));
    EXPECT_EQ(plainPath->style(), style);

    auto arc = PWArcPath::arcPathWithCentre(QPointF(), 10, 0, 120, PWArcPath::kPieWedge, style);
    EXPECT_TRUE(arc->makePlainPath()->path()->isEqual(arc->path().get()));
}

TEST(ShapesSpecial, ArchivesKeepTheParameters)
{
    auto star = PWRegularPolygonPath::polygonWithCentre(QPointF(3, 4), 30, 7);
    star->setStar(true);
    star->setInnerRadius(0.3);
    star->setTipSpread(0.2);
    star->setValleySpread(0.1);
    star->setShowsSpreadControls(true);
    star->setAngle(1.0);
    auto readStar = roundTrip(star);
    ASSERT_TRUE(readStar);
    EXPECT_EQ(readStar->numberOfSides(), 7);
    EXPECT_TRUE(readStar->isStar());
    EXPECT_DOUBLE_EQ(readStar->innerRadius(), 0.3);
    EXPECT_DOUBLE_EQ(readStar->valleySpread(), 0.1);
    EXPECT_TRUE(readStar->showsSpreadControls());
    EXPECT_TRUE(readStar->path()->isEqual(star->path().get()));

    auto arc = PWArcPath::arcPathWithCentre(QPointF(1, 2), 15, 30, 200, PWArcPath::kChord);
    auto readArc = roundTrip(arc);
    ASSERT_TRUE(readArc);
    EXPECT_EQ(readArc->location(), QPointF(1, 2));
    EXPECT_DOUBLE_EQ(readArc->endAngle(), 200.0);
    EXPECT_EQ(readArc->arcType(), PWArcPath::kChord);
    EXPECT_TRUE(readArc->path()->isEqual(arc->path().get()));

    auto rect = PWRoundRectShape::roundRectShapeWithRect(QRectF(0, 0, 40, 20), 6);
    rect->setCornerFlags(PWRoundRectShape::kTopLeftCorner | PWRoundRectShape::kBottomRightCorner);
    auto readRect = roundTrip(rect);
    ASSERT_TRUE(readRect);
    EXPECT_EQ(readRect->cornerFlags(), 9);
    EXPECT_DOUBLE_EQ(readRect->cornerRadius(), 6.0);
    EXPECT_TRUE(readRect->transformedPath()->isEqual(rect->transformedPath().get()));
}

} // namespace
