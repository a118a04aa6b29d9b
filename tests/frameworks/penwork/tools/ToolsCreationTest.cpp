#include "ToolsTestSupport.h"

#include "frameworks/penwork/drawables/PWArcPath.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/drawables/PWRegularPolygonPath.h"
#include "frameworks/penwork/drawables/PWRoundRectShape.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/layers/PWGridLayer.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/tools/PWBezierPathTool.h"
#include "frameworks/penwork/tools/PWFreehandTool.h"
#include "frameworks/penwork/tools/PWObjectCreationTool.h"
#include "frameworks/penwork/tools/PWZoomTool.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>

using namespace tools_test;

namespace {

void expectRectNear(const QRectF& actual, const QRectF& expected, double tolerance = 1e-6)
{
    EXPECT_NEAR(actual.left(), expected.left(), tolerance);
    EXPECT_NEAR(actual.top(), expected.top(), tolerance);
    EXPECT_NEAR(actual.width(), expected.width(), tolerance);
    EXPECT_NEAR(actual.height(), expected.height(), tolerance);
}

pf::Ref<PWDrawableObject> onlyObject(const ToolFixture& f)
{
    return f.layer->countOfObjects() == 1 ? f.layer->objectInObjectsAtIndex(0) : nullptr;
}

} // namespace

TEST(ToolsCreation, BoxToolsMakeTheirObjectFromTheDrag)
{
    struct Case {
        QString tool;
        const pf::Class& cls;
    };
    const Case cases[] = {
        {kPWRectangleToolName, PWDrawableShape::staticClass()},
        {kPWRoundRectangleToolName, PWRoundRectShape::staticClass()},
        {kPWOvalToolName, PWDrawableShape::staticClass()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tool.toStdString());
        ToolFixture f;
        f.use(c.tool);
        f.drag({60, 40}, {10, 10}); // dragged up and left: the box is normalised
        auto object = onlyObject(f);
        ASSERT_TRUE(object);
        EXPECT_TRUE(object->isKindOf(c.cls));
        expectRectNear(object->logicalBounds(), {10, 10, 50, 30});
        EXPECT_FALSE(object->isPendingCreation());
        EXPECT_FALSE(f.layer->pendingObject());
        EXPECT_TRUE(f.layer->isSelectedObject(object.get()));
        EXPECT_EQ(f.undo()->numberOfUndoActions(), 1);
        EXPECT_TRUE(f.undo()->undoActionName().startsWith("New ")) << f.undo()->undoActionName().toStdString();
        f.undo()->undo();
        EXPECT_EQ(f.layer->countOfObjects(), 0);
        f.undo()->redo();
        EXPECT_EQ(f.layer->countOfObjects(), 1);
    }
}

TEST(ToolsCreation, ModifiersConstrainAndCentreTheBox)
{
    ToolFixture f;
    f.use(kPWRectangleToolName);
    f.drag({10, 10}, {60, 30}, Qt::ShiftModifier);
    expectRectNear(f.layer->objectInObjectsAtIndex(0)->logicalBounds(), {10, 10, 50, 50});
    f.drag({100, 100}, {120, 110}, Qt::AltModifier);
    expectRectNear(f.layer->objectInObjectsAtIndex(1)->logicalBounds(), {80, 90, 40, 20});
}

TEST(ToolsCreation, PointsSnapToTheGridUnlessControlIsHeld)
{
    ToolFixture f;
    f.drawing->setSnapsToGrid(true);
    auto grid = f.drawing->gridLayer();
    ASSERT_TRUE(grid);
    const QPointF a(11.3, 12.7), b(93.1, 47.9);
    f.use(kPWRectangleToolName);
    f.drag(a, b);
    expectRectNear(f.layer->objectInObjectsAtIndex(0)->logicalBounds(),
                   QRectF(grid->snapPointToGrid(a), grid->snapPointToGrid(b)).normalized());
    ASSERT_NE(grid->snapPointToGrid(a), a);
    f.drag(a, b, Qt::MetaModifier);
    expectRectNear(f.layer->objectInObjectsAtIndex(1)->logicalBounds(), QRectF(a, b));
}

TEST(ToolsCreation, DegenerateGesturesCreateNothing)
{
    for (const QString& name : {kPWRectangleToolName, kPWOvalToolName, kPWLineToolName,
                                kPWStandardRegularPolygonPathToolName, kPWArcToolName, kPWFreehandToolName}) {
        SCOPED_TRACE(name.toStdString());
        ToolFixture f;
        f.use(name);
        f.click({40, 40});
        f.drag({40, 40}, {40.5, 40.5});
        EXPECT_EQ(f.layer->countOfObjects(), 0);
        EXPECT_FALSE(f.layer->pendingObject());
        EXPECT_EQ(f.undo()->numberOfUndoActions(), 0);
    }
}

TEST(ToolsCreation, CentredToolsTakeCentreRadiusAndAngleFromTheDrag)
{
    ToolFixture f;
    auto polygonTool =
        std::dynamic_pointer_cast<PWObjectCreationTool>(PWDrawingTool::drawingToolWithName(kPWStandardRegularPolygonPathToolName));
    // As the application configures it: a five-pointed star.
    auto prototype = std::dynamic_pointer_cast<PWRegularPolygonPath>(polygonTool->prototype());
    ASSERT_TRUE(prototype);
    const int sides = prototype->numberOfSides();
    const bool star = prototype->isStar();
    const double inner = prototype->innerRadius();
    prototype->setNumberOfSides(5);
    prototype->setStar(true);
    prototype->setInnerRadius(0.38);

    f.use(kPWStandardRegularPolygonPathToolName);
    f.drag({100, 100}, {100, 140});
    auto polygon = std::dynamic_pointer_cast<PWRegularPolygonPath>(onlyObject(f));
    ASSERT_TRUE(polygon);
    EXPECT_EQ(polygon->location(), QPointF(100, 100));
    EXPECT_DOUBLE_EQ(polygon->radius(), 40.0);
    EXPECT_NEAR(polygon->angle(), M_PI / 2, 1e-9);
    EXPECT_EQ(polygon->numberOfSides(), 5);
    EXPECT_TRUE(polygon->isStar());
    EXPECT_DOUBLE_EQ(polygon->innerRadius(), 0.38);
    // The prototype itself stays out of the drawing.
    EXPECT_FALSE(prototype->container());
    prototype->setNumberOfSides(sides);
    prototype->setStar(star);
    prototype->setInnerRadius(inner);

    ToolFixture g;
    g.use(kPWArcToolName);
    // Shift keeps the angle to 15 degree steps: 40 degrees becomes 45.
    const double a = 40.0 * M_PI / 180.0;
    g.drag({50, 50}, QPointF(50, 50) + 30.0 * QPointF(std::cos(a), std::sin(a)), Qt::ShiftModifier);
    auto arc = std::dynamic_pointer_cast<PWArcPath>(onlyObject(g));
    ASSERT_TRUE(arc);
    EXPECT_EQ(arc->location(), QPointF(50, 50));
    EXPECT_NEAR(arc->radius(), 30.0, 1e-9);
    EXPECT_NEAR(std::fmod(arc->startAngle() + 360.0, 360.0), 45.0, 1e-6);
}

TEST(ToolsCreation, LineToolDrawsAndConstrainsLines)
{
    ToolFixture f;
    f.use(kPWLineToolName);
    f.drag({10, 10}, {70, 30});
    auto line = std::dynamic_pointer_cast<PWDrawablePath>(onlyObject(f));
    ASSERT_TRUE(line);
    auto path = line->path();
    ASSERT_EQ(path->elementCount(), 2);
    EXPECT_EQ(path->firstPoint(), QPointF(10, 10));
    EXPECT_EQ(path->currentPoint(), QPointF(70, 30));
    EXPECT_EQ(f.undo()->undoActionName(), "New Line");

    f.drag({10, 100}, {70, 104}, Qt::ShiftModifier);
    auto flat = std::dynamic_pointer_cast<PWDrawablePath>(f.layer->objectInObjectsAtIndex(1));
    EXPECT_NEAR(flat->path()->currentPoint().y(), 100.0, 1e-9);
}

TEST(ToolsCreation, CreationStyleComesFromTheToolThenTheSharedStyle)
{
    ToolFixture f;
    auto rectangle = std::dynamic_pointer_cast<PWObjectCreationTool>(PWDrawingTool::drawingToolWithName(kPWRectangleToolName));
    auto shared = PWStyle::styleWithFillColour(pf::Color(QColor(Qt::green)), pf::Color(QColor(Qt::black)));
    auto own = PWStyle::styleWithFillColour(pf::Color(QColor(Qt::blue)), pf::Color(QColor(Qt::black)));
    NotificationCounter changes(kPWDrawingToolCreatedObjectsStyleDidChange);

    PWObjectCreationTool::setStyleForCreatedObjects(shared);
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(pf::objectCast<PWStyle>(changes.infos[0].value("style")), shared);
    f.use(kPWRectangleToolName);
    f.drag({0, 0}, {20, 20});
    EXPECT_EQ(f.layer->objectInObjectsAtIndex(0)->style(), shared);

    rectangle->setStyle(own);
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(changes.objects[1], rectangle.get());
    f.drag({30, 0}, {50, 20});
    EXPECT_EQ(f.layer->objectInObjectsAtIndex(1)->style(), own);

    rectangle->setStyle(nullptr);
    PWObjectCreationTool::setStyleForCreatedObjects(nullptr);
}

TEST(ToolsCreation, CommandClickPicksUpAStyleWhenEnabled)
{
    ToolFixture f;
    auto picked = PWStyle::styleWithFillColour(pf::Color(QColor(Qt::yellow)), pf::Color(QColor(Qt::black)));
    auto source = f.addRect({10, 10, 40, 40});
    source->setStyle(picked);
    auto oval = std::dynamic_pointer_cast<PWObjectCreationTool>(PWDrawingTool::drawingToolWithName(kPWOvalToolName));
    f.use(kPWOvalToolName);

    oval->setStylePickupEnabled(false);
    f.drag({30, 30}, {80, 80}, Qt::ControlModifier);
    EXPECT_EQ(f.layer->countOfObjects(), 2); // created, no pick-up
    EXPECT_NE(PWObjectCreationTool::styleForCreatedObjects(), picked);

    oval->setStylePickupEnabled(true);
    f.drag({30, 30}, {80, 80}, Qt::ControlModifier);
    EXPECT_EQ(f.layer->countOfObjects(), 2); // picked up, nothing created
    EXPECT_EQ(PWObjectCreationTool::styleForCreatedObjects(), picked);
    PWObjectCreationTool::setStyleForCreatedObjects(nullptr);
}

TEST(ToolsCreation, ImageToolPlacesItsPicture)
{
    ToolFixture f;
    auto imageTool = std::dynamic_pointer_cast<PWObjectCreationTool>(PWDrawingTool::drawingToolWithName(kPWImageToolName));
    f.use(kPWImageToolName);
    f.drag({0, 0}, {30, 30});
    EXPECT_EQ(f.layer->countOfObjects(), 0); // nothing to place yet

    QImage picture(8, 4, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    imageTool->setPrototype(PWImageShape::imageShapeWithImage(picture));
    f.drag({10, 20}, {50, 40});
    auto image = std::dynamic_pointer_cast<PWImageShape>(onlyObject(f));
    ASSERT_TRUE(image);
    expectRectNear(image->logicalBounds(), {10, 20, 40, 20});
    EXPECT_EQ(image->image().size(), picture.size());
    imageTool->setPrototype(nullptr);
}

TEST(ToolsCreation, TextToolMakesABoxAndStartsEditing)
{
    const bool saved = PWTextShape::startEditingOnObjectCreation();
    PWTextShape::setStartEditingOnObjectCreation(true);
    ToolFixture f;
    f.use(kPWTextToolName);
    f.click({20, 30});
    auto text = std::dynamic_pointer_cast<PWTextShape>(onlyObject(f));
    ASSERT_TRUE(text);
    expectRectNear(text->logicalBounds(), QRectF(QPointF(20, 30), QSizeF(200, 40)));
    ASSERT_EQ(f.view.editedText.size(), 1);
    EXPECT_EQ(f.view.editedText[0], text.get());

    PWTextShape::setStartEditingOnObjectCreation(false);
    f.drag({0, 100}, {80, 160});
    EXPECT_EQ(f.layer->countOfObjects(), 2);
    expectRectNear(f.layer->objectInObjectsAtIndex(1)->logicalBounds(), {0, 100, 80, 60});
    EXPECT_EQ(f.view.editedText.size(), 1);
    PWTextShape::setStartEditingOnObjectCreation(saved);
}

TEST(ToolsCreation, NewTextTakesACopyOfTheDefaultTextStyleNotTheGraphicStyle)
{
    const bool saved = PWTextShape::startEditingOnObjectCreation();
    PWTextShape::setStartEditingOnObjectCreation(false);
    const pf::Ref<PWStyle> previous = PWObjectCreationTool::styleForCreatedObjects();
    PWObjectCreationTool::setStyleForCreatedObjects(PWStyle::styleWithFillColour(pf::Color::red(), pf::Color::black()));
    ToolFixture f;
    f.use(kPWTextToolName);
    f.click({20, 30});
    f.click({20, 130});
    ASSERT_EQ(f.layer->countOfObjects(), 2);
    auto first = std::dynamic_pointer_cast<PWTextShape>(f.layer->objectInObjectsAtIndex(0));
    auto second = std::dynamic_pointer_cast<PWTextShape>(f.layer->objectInObjectsAtIndex(1));
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(first->textAdornment());
    EXPECT_NE(first->style(), second->style());
    EXPECT_NE(first->style(), PWStyle::defaultTextStyle());
    PWObjectCreationTool::setStyleForCreatedObjects(previous);
    PWTextShape::setStartEditingOnObjectCreation(saved);
}

TEST(ToolsCreation, BezierPathToolClicksCornersAndDragsCurves)
{
    ToolFixture f;
    f.use(kPWPathToolName);
    auto tool = std::dynamic_pointer_cast<PWBezierPathTool>(PWDrawingTool::drawingToolWithName(kPWPathToolName));
    f.click({10, 10});
    f.click({60, 10});
    EXPECT_TRUE(tool->isGestureInProgress());
    ASSERT_TRUE(f.layer->pendingObject());
    EXPECT_EQ(f.layer->countOfObjects(), 0);
    f.drag({60, 60}, {80, 60}); // a curve through (60, 60)
    f.click({10, 60});
    f.click({10, 60}, Qt::NoModifier, 2); // double click ends
    EXPECT_FALSE(tool->isGestureInProgress());
    auto path = std::dynamic_pointer_cast<PWDrawablePath>(onlyObject(f));
    ASSERT_TRUE(path);
    auto bezier = path->path();
    ASSERT_EQ(bezier->elementCount(), 4);
    EXPECT_EQ(bezier->elementAt(1).type, pf::BezierPath::ElementType::LineTo);
    EXPECT_EQ(bezier->elementAt(2).type, pf::BezierPath::ElementType::CurveTo);
    EXPECT_EQ(bezier->elementAt(3).type, pf::BezierPath::ElementType::CurveTo);
    // The handle behind (60, 60) mirrors the dragged one ahead of it.
    EXPECT_EQ(bezier->elementAt(2).points[1], QPointF(40, 60));
    EXPECT_EQ(bezier->elementAt(3).points[0], QPointF(80, 60));
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 1);
    EXPECT_EQ(f.undo()->undoActionName(), "New Path");
    f.undo()->undo();
    EXPECT_EQ(f.layer->countOfObjects(), 0);
}

TEST(ToolsCreation, BezierPathEndsByKeyOrByClosing)
{
    ToolFixture f;
    f.use(kPWPathToolName);
    for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
        f.click({10, 10});
        f.click({50, 10});
        EXPECT_TRUE(f.controller.keyDown(f.view, key, Qt::NoModifier));
    }
    EXPECT_EQ(f.layer->countOfObjects(), 2);
    EXPECT_FALSE(f.controller.keyDown(f.view, Qt::Key_Return, Qt::NoModifier));

    // A click on the first point closes the path.
    f.click({100, 100});
    f.click({150, 100});
    f.click({150, 150});
    f.click({101, 101});
    ASSERT_EQ(f.layer->countOfObjects(), 3);
    auto closed = std::dynamic_pointer_cast<PWDrawablePath>(f.layer->objectInObjectsAtIndex(2))->path();
    EXPECT_EQ(closed->elementAt(closed->elementCount() - 1).type, pf::BezierPath::ElementType::ClosePath);

    // One point is no path.
    f.click({200, 200});
    EXPECT_TRUE(f.controller.keyDown(f.view, Qt::Key_Return, Qt::NoModifier));
    EXPECT_EQ(f.layer->countOfObjects(), 3);
    EXPECT_FALSE(f.layer->pendingObject());
}

TEST(ToolsCreation, SwitchingToolsEndsAPathUnderConstruction)
{
    ToolFixture f;
    f.controller.toggleAutoRevertAction();
    f.use(kPWPathToolName);
    f.click({10, 10});
    f.click({50, 10});
    // Still under way: no revert yet.
    EXPECT_EQ(f.controller.currentTool()->registeredName(), kPWPathToolName);
    f.controller.setCurrentTool(PWDrawingTool::selectionTool());
    EXPECT_EQ(f.layer->countOfObjects(), 1);
    EXPECT_FALSE(f.layer->pendingObject());

    f.use(kPWPathToolName);
    f.click({10, 50});
    f.click({50, 50});
    f.controller.keyDown(f.view, Qt::Key_Enter, Qt::NoModifier);
    EXPECT_EQ(f.controller.currentTool(), PWDrawingTool::selectionTool());
}

TEST(ToolsCreation, FreehandSimplifiesTheTrace)
{
    // A straight trace with a little wobble comes down to its ends.
    QList<QPointF> trace;
    for (int i = 0; i <= 100; ++i)
        trace.append({double(i), (i % 2) * 0.2});
    EXPECT_EQ(PWFreehandTool::simplifiedPoints(trace, 1.0), (QList<QPointF>{trace.front(), trace.back()}));
    // A corner survives.
    const QList<QPointF> corner{{0, 0}, {5, 0}, {10, 0}, {10, 5}, {10, 10}};
    EXPECT_EQ(PWFreehandTool::simplifiedPoints(corner, 0.5), (QList<QPointF>{{0, 0}, {10, 0}, {10, 10}}));

    ToolFixture f;
    f.use(kPWFreehandToolName);
    f.controller.mouseDown(f.view, {0, 0}, Qt::NoModifier, 1);
    for (int i = 1; i <= 60; ++i) {
        const double t = i / 60.0 * M_PI;
        f.controller.mouseDragged(f.view, {100 * t, 40 * std::sin(t)}, Qt::NoModifier);
    }
    f.controller.mouseUp(f.view, {100 * M_PI, 0}, Qt::NoModifier);
    auto path = std::dynamic_pointer_cast<PWDrawablePath>(onlyObject(f));
    ASSERT_TRUE(path);
    EXPECT_LT(path->path()->elementCount(), 30);
    EXPECT_GE(path->path()->elementCount(), 3);
    EXPECT_EQ(path->path()->elementAt(1).type, pf::BezierPath::ElementType::CurveTo);
    EXPECT_NEAR(path->logicalBounds().height(), 40.0, 3.0);
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 1);
}

TEST(ToolsZoom, ClicksAndDragsZoomTheView)
{
    ToolFixture f;
    auto zoom = std::dynamic_pointer_cast<PWZoomTool>(PWDrawingTool::drawingToolWithName(kPWZoomToolName));
    f.use(kPWZoomToolName);
    f.layer->setLocked(true); // the zoom tool works on any layer
    f.click({100, 100});
    ASSERT_EQ(f.view.zoomedTo.size(), 1);
    expectRectNear(f.view.zoomedTo.back(), {0, 25, 200, 150});

    f.click({100, 100}, Qt::AltModifier); // Option zooms out
    expectRectNear(f.view.zoomedTo.back(), {-100, -50, 400, 300});

    zoom->setZoomsOut(true);
    f.click({100, 100});
    expectRectNear(f.view.zoomedTo.back(), {-300, -200, 800, 600});
    zoom->setZoomsOut(false);

    f.drag({10, 10}, {50, 30});
    expectRectNear(f.view.zoomedTo.back(), {10, 10, 40, 20});
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 0);
}
