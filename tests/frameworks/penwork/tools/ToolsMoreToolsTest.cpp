#include "ToolsTestSupport.h"

#include "frameworks/penwork/drawables/PWArcPath.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWRoundRectShape.h"
#include "frameworks/penwork/drawables/PWTextPath.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/tools/PWObjectCreationTool.h"
#include "frameworks/penwork/tools/PWPanTool.h"
#include "frameworks/penwork/tools/PWPathPointTool.h"
#include "frameworks/penwork/tools/PWPolygonTool.h"
#include "frameworks/penwork/tools/PWRoundEndRectangleTool.h"
#include "frameworks/penwork/tools/PWTextPathTool.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tools_test;
using Type = pf::BezierPath::ElementType;

namespace {

pf::Ref<PWDrawableObject> onlyObject(const ToolFixture& f)
{
    return f.layer->countOfObjects() == 1 ? f.layer->objectInObjectsAtIndex(0) : nullptr;
}

// An open path through the points.
pf::Ref<PWDrawablePath> polyline(std::initializer_list<QPointF> points)
{
    pf::BezierPath path;
    bool first = true;
    for (const QPointF& p : points) {
        if (first)
            path.moveTo(p);
        else
            path.lineTo(p);
        first = false;
    }
    return PWDrawablePath::drawablePathWithPath(path);
}

QList<QPointF> endPoints(const PWDrawablePath& path)
{
    QList<QPointF> points;
    // path() answers a copy: it has to outlive the loop over its elements.
    const auto copy = path.path();
    for (const auto& e : copy->elements()) {
        if (e.type == Type::ClosePath)
            continue;
        points.append(e.type == Type::CurveTo ? e.points[2] : e.points[0]);
    }
    return points;
}

} // namespace

TEST(ToolsMore, PaletteToolsAreRegisteredUnderTheirNames)
{
    struct Case {
        const char* name;
        const pf::Class& cls;
    };
    const Case cases[] = {
        {"Insert Path Point", PWPathPointTool::staticClass()},
        {"Delete Path Point", PWPathPointTool::staticClass()},
        {"Pan", PWPanTool::staticClass()},
        {"Text Path", PWTextPathTool::staticClass()},
        {"Polygon", PWPolygonTool::staticClass()},
        {"Round End Rectangle", PWRoundEndRectangleTool::staticClass()},
        {"Wedge", PWObjectCreationTool::staticClass()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto tool = PWDrawingTool::drawingToolWithName(c.name);
        ASSERT_TRUE(tool);
        EXPECT_TRUE(tool->isKindOf(c.cls));
        EXPECT_EQ(tool->registeredName(), c.name);
    }
    auto insert = std::dynamic_pointer_cast<PWPathPointTool>(PWDrawingTool::drawingToolWithName("Insert Path Point"));
    auto remove = std::dynamic_pointer_cast<PWPathPointTool>(PWDrawingTool::drawingToolWithName("Delete Path Point"));
    EXPECT_EQ(insert->mode(), PWPathPointTool::Mode::kInsertPoint);
    EXPECT_EQ(remove->mode(), PWPathPointTool::Mode::kDeletePoint);
}

TEST(ToolsMore, InsertPathPointSplitsTheClickedSegmentAsOneUndoStep)
{
    ToolFixture f;
    auto path = f.add(polyline({{0, 0}, {100, 0}, {100, 100}}));
    f.use("Insert Path Point");
    f.click({50, 1});
    EXPECT_EQ(endPoints(*path), (QList<QPointF>{{0, 0}, {50, 0}, {100, 0}, {100, 100}}));
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 1);
    EXPECT_EQ(f.undo()->undoActionName(), "Insert Point");

    // Away from the outline, or off any path: nothing.
    f.click({30, 60});
    f.click({300, 250});
    EXPECT_EQ(endPoints(*path).size(), 4);
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 1);

    f.undo()->undo();
    EXPECT_EQ(endPoints(*path), (QList<QPointF>{{0, 0}, {100, 0}, {100, 100}}));
}

TEST(ToolsMore, DeletePathPointRemovesTheClickedPointButKeepsTwo)
{
    ToolFixture f;
    auto path = f.add(polyline({{0, 0}, {100, 0}, {100, 100}}));
    f.use("Delete Path Point");
    f.click({50, 1}); // on the outline, but no point there
    EXPECT_EQ(endPoints(*path).size(), 3);
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 0);

    f.click({99, 1});
    EXPECT_EQ(endPoints(*path), (QList<QPointF>{{0, 0}, {100, 100}}));
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 1);
    EXPECT_EQ(f.undo()->undoActionName(), "Delete Point");

    f.click({0, 0}); // the last two points stay
    EXPECT_EQ(endPoints(*path).size(), 2);
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 1);

    f.undo()->undo();
    EXPECT_EQ(endPoints(*path), (QList<QPointF>{{0, 0}, {100, 0}, {100, 100}}));
}

TEST(ToolsMore, PointToolsLeaveParametricPathsAlone)
{
    ToolFixture f;
    auto arc = f.add(PWArcPath::arcPathWithCentre({100, 100}, 50, 0, 180));
    const auto before = arc->path()->elements();
    for (const char* name : {"Insert Path Point", "Delete Path Point"}) {
        f.use(name);
        f.click({150, 100});
        f.click({100, 150});
    }
    EXPECT_EQ(arc->path()->elements(), before);
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 0);
}

TEST(ToolsMore, PanScrollsTheViewByTheDragAndEditsNothing)
{
    ToolFixture f;
    f.addRect({10, 10, 40, 40});
    f.view.m_scale = 2.0;
    f.view.visible = QRectF(0, 0, 200, 150);
    f.use("Pan");
    // A real view reports the mouse in drawing coordinates, which shift as it scrolls: map
    // each screen position through the view as it is at that moment.
    auto at = [&](QPointF screen) { return f.view.visible.topLeft() + screen / f.view.m_scale; };
    f.controller.mouseDown(f.view, at({100, 100}), Qt::NoModifier, 1);
    for (int i = 1; i <= 4; ++i)
        f.controller.mouseDragged(f.view, at(QPointF(100, 100) + QPointF(25, 15) * i), Qt::NoModifier);
    f.controller.mouseUp(f.view, at({200, 160}), Qt::NoModifier);
    // 100 by 60 screen units at a scale of 2: the drawing moved 50 by 30 with the mouse.
    EXPECT_NEAR(f.view.visible.left(), -50, 1e-9);
    EXPECT_NEAR(f.view.visible.top(), -30, 1e-9);
    EXPECT_EQ(f.view.visible.size(), QSizeF(200, 150));
    EXPECT_EQ(f.layer->countOfObjects(), 1);
    EXPECT_EQ(f.layer->countOfSelection(), 0);
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 0);
}

TEST(ToolsMore, TextPathFollowsTheDragWithTheTextStyleAndStartsEditing)
{
    const bool saved = PWTextShape::startEditingOnObjectCreation();
    PWTextShape::setStartEditingOnObjectCreation(true);
    // A graphic creation style would hide the text: the text path keeps the text style.
    PWObjectCreationTool::setStyleForCreatedObjects(PWStyle::defaultStyle());
    ToolFixture f;
    f.use("Text Path");
    f.drag({10, 20}, {110, 20});
    PWObjectCreationTool::setStyleForCreatedObjects(nullptr);
    PWTextShape::setStartEditingOnObjectCreation(saved);

    auto textPath = std::dynamic_pointer_cast<PWTextPath>(onlyObject(f));
    ASSERT_TRUE(textPath);
    EXPECT_EQ(endPoints(*textPath), (QList<QPointF>{{10, 20}, {110, 20}}));
    EXPECT_TRUE(textPath->textAdornment());
    ASSERT_EQ(f.view.editedText.size(), 1);
    EXPECT_EQ(f.view.editedText[0], textPath.get());
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 1);
    f.undo()->undo();
    EXPECT_EQ(f.layer->countOfObjects(), 0);
}

TEST(ToolsMore, PolygonClicksCornersOfAClosedStraightPath)
{
    ToolFixture f;
    f.use("Polygon");
    auto tool = std::dynamic_pointer_cast<PWPolygonTool>(PWDrawingTool::drawingToolWithName("Polygon"));
    f.click({10, 10});
    f.drag({60, 0}, {60, 10}); // a drag places the corner where it ends
    f.click({60, 60});
    f.click({10, 60});
    EXPECT_TRUE(tool->isGestureInProgress());
    EXPECT_EQ(f.layer->countOfObjects(), 0);
    ASSERT_TRUE(f.layer->pendingObject());
    f.click({10, 60}, Qt::NoModifier, 2);
    EXPECT_FALSE(tool->isGestureInProgress());

    auto polygon = std::dynamic_pointer_cast<PWDrawablePath>(onlyObject(f));
    ASSERT_TRUE(polygon);
    EXPECT_EQ(endPoints(*polygon), (QList<QPointF>{{10, 10}, {60, 10}, {60, 60}, {10, 60}}));
    EXPECT_TRUE(polygon->isPathClosed());
    const auto polygonPath = polygon->path();
    for (const auto& e : polygonPath->elements())
        EXPECT_NE(e.type, Type::CurveTo);
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 1);
    EXPECT_EQ(f.undo()->undoActionName(), "New Polygon");

    // Return ends a polygon too; Escape abandons one.
    f.click({100, 100});
    f.click({150, 100});
    f.click({150, 150});
    EXPECT_TRUE(f.controller.keyDown(f.view, Qt::Key_Return, Qt::NoModifier));
    EXPECT_EQ(f.layer->countOfObjects(), 2);
    f.click({200, 100});
    f.click({250, 100});
    f.click({250, 150});
    EXPECT_TRUE(f.controller.keyDown(f.view, Qt::Key_Escape, Qt::NoModifier));
    EXPECT_EQ(f.layer->countOfObjects(), 2);
    EXPECT_FALSE(f.layer->pendingObject());
    EXPECT_FALSE(f.controller.keyDown(f.view, Qt::Key_Escape, Qt::NoModifier));

    f.undo()->undo();
    f.undo()->undo();
    EXPECT_EQ(f.layer->countOfObjects(), 0);
}

TEST(ToolsMore, DraggedShapesTakeTheirGeometryFromTheDrag)
{
    ToolFixture f;
    f.use("Round End Rectangle");
    f.drag({10, 10}, {110, 40});
    auto capsule = std::dynamic_pointer_cast<PWRoundRectShape>(onlyObject(f));
    ASSERT_TRUE(capsule);
    EXPECT_EQ(capsule->logicalBounds(), QRectF(10, 10, 100, 30));
    EXPECT_DOUBLE_EQ(capsule->cornerRadius(), 15.0);
    EXPECT_EQ(capsule->cornerFlags(), PWRoundRectShape::kAllCorners);
    f.drag({200, 10}, {220, 90}); // taller than wide
    auto tall = std::dynamic_pointer_cast<PWRoundRectShape>(f.layer->objectInObjectsAtIndex(1));
    ASSERT_TRUE(tall);
    EXPECT_DOUBLE_EQ(tall->cornerRadius(), 10.0);

    f.use("Wedge");
    f.drag({100, 200}, {100, 240});
    ASSERT_EQ(f.layer->countOfObjects(), 3);
    auto wedge = std::dynamic_pointer_cast<PWArcPath>(f.layer->objectInObjectsAtIndex(2));
    ASSERT_TRUE(wedge);
    EXPECT_EQ(wedge->arcType(), PWArcPath::kPieWedge);
    EXPECT_EQ(wedge->location(), QPointF(100, 200));
    EXPECT_DOUBLE_EQ(wedge->radius(), 40.0);
    EXPECT_TRUE(wedge->isPathClosed());

    EXPECT_EQ(f.undo()->numberOfUndoActions(), 3);
    for (int i = 0; i < 3; ++i)
        f.undo()->undo();
    EXPECT_EQ(f.layer->countOfObjects(), 0);
}

TEST(ToolsMore, DegenerateGesturesCreateNothing)
{
    for (const char* name : {"Round End Rectangle", "Wedge", "Text Path", "Polygon", "Insert Path Point",
                             "Delete Path Point"}) {
        SCOPED_TRACE(name);
        ToolFixture f;
        f.use(name);
        f.click({40, 40});
        f.drag({40, 40}, {40.5, 40.5});
        f.click({40.5, 40.5}, Qt::NoModifier, 2);
        EXPECT_EQ(f.layer->countOfObjects(), 0);
        EXPECT_FALSE(f.layer->pendingObject());
        EXPECT_EQ(f.undo()->numberOfUndoActions(), 0);
        EXPECT_TRUE(f.view.editedText.isEmpty());
    }
    // Polygons of two corners, or of corners on one line.
    ToolFixture f;
    f.use("Polygon");
    f.click({10, 10});
    f.click({50, 10});
    f.click({50, 10}, Qt::NoModifier, 2);
    f.click({10, 50});
    f.click({30, 50});
    f.click({60, 50});
    f.controller.keyDown(f.view, Qt::Key_Return, Qt::NoModifier);
    EXPECT_EQ(f.layer->countOfObjects(), 0);
    EXPECT_FALSE(f.layer->pendingObject());
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 0);
}
