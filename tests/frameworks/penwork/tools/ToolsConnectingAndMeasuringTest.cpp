#include "ToolsTestSupport.h"

#include "frameworks/penwork/archiving/PWDrawingArchiving.h"
#include "frameworks/penwork/drawables/PWConnectableLine.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/editing/PWLayerEditing.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/tools/PWBezierPathTool.h"
#include "frameworks/penwork/tools/PWConnectableLineTool.h"
#include "frameworks/penwork/tools/PWLinearSelectTool.h"
#include "frameworks/penwork/tools/PWPolygonTool.h"
#include "frameworks/penwork/tools/PWRulerTool.h"
#include "frameworks/penwork/tools/PWSmartSelectTool.h"
#include "platform/graphics/BezierPath.h"
#include "platform/ui/Pasteboard.h"

#include <gtest/gtest.h>

using namespace tools_test;

namespace {

QList<PWDrawableObject*> raw(const QList<pf::Ref<PWDrawableObject>>& objects)
{
    QList<PWDrawableObject*> list;
    for (const auto& object : objects)
        list.append(object.get());
    return list;
}

pf::Ref<PWConnectableLine> onlyLine(ToolFixture& f)
{
    for (const auto& object : f.layer->objectList()) {
        if (auto line = std::dynamic_pointer_cast<PWConnectableLine>(object))
            return line;
    }
    return nullptr;
}

QList<QPointF> pathPoints(const PWDrawablePath& path)
{
    QList<QPointF> points;
    const pf::Ref<pf::BezierPath> bezier = path.path();
    for (const auto& element : bezier->elements()) {
        if (element.pointCount() > 0)
            points.append(element.points[element.pointCount() - 1]);
    }
    return points;
}

// Moves an object as the user does: one undo step, closed at the end of the event.
void moveBy(ToolFixture& f, PWDrawableObject& object, QPointF offset)
{
    object.setLocation(object.location() + offset);
    QCoreApplication::processEvents();
}

} // namespace

TEST(ToolsLinearSelect, SelectsWhatTheLineCrosses)
{
    ToolFixture f;
    auto a = f.addRect({10, 10, 20, 20});
    auto b = f.addRect({50, 10, 20, 20});
    auto c = f.addRect({10, 100, 20, 20});
    f.settle();
    f.use(kPWLinearSelectToolName);

    f.drag({0, 20}, {100, 20});
    EXPECT_EQ(raw(f.layer->selection()), (QList<PWDrawableObject*>{a.get(), b.get()}));
    // Shift adds what the next line crosses; a plain line elsewhere replaces the selection.
    f.drag({20, 90}, {20, 130}, Qt::ShiftModifier);
    EXPECT_EQ(f.layer->countOfSelection(), 3);
    f.drag({60, 0}, {60, 40});
    EXPECT_EQ(raw(f.layer->selection()), QList<PWDrawableObject*>{b.get()});
    // A line between the objects crosses nothing: nothing stays selected.
    f.drag({40, 0}, {40, 200});
    EXPECT_EQ(f.layer->countOfSelection(), 0);
    EXPECT_EQ(f.layer->countOfObjects(), 3);
}

TEST(ToolsRuler, MeasuresLengthInDrawingUnitsAndScreenAngle)
{
    ToolFixture f;
    f.settle();
    f.use(kPWRulerToolName);
    auto ruler = std::dynamic_pointer_cast<PWRulerTool>(PWDrawingTool::drawingToolWithName(kPWRulerToolName));
    ASSERT_TRUE(ruler);

    struct Case {
        QPointF from, to;
        Qt::KeyboardModifiers modifiers;
        double length;
        double angle;
    };
    const Case cases[] = {
        {{0, 0}, {30, 40}, Qt::NoModifier, 50.0, 360.0 - 53.130},
        {{10, 10}, {20, 0}, Qt::NoModifier, std::sqrt(200.0), 45.0}, // up and right on screen
        {{0, 0}, {-10, 0}, Qt::NoModifier, 10.0, 180.0},
        // Shift keeps the angle to 15 degree steps: 40 degrees becomes 45.
        {{0, 0}, {100 * std::cos(40 * M_PI / 180), -100 * std::sin(40 * M_PI / 180)}, Qt::ShiftModifier, 100.0, 45.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.to.x() << "," << c.to.y());
        f.drag(c.from, c.to, c.modifiers);
        EXPECT_NEAR(ruler->lengthInPoints(), c.length, 1e-6);
        EXPECT_NEAR(ruler->angleInDegrees(), c.angle, 1e-3);
        EXPECT_NEAR(ruler->lengthInDrawingUnits(f.drawing.get()), f.drawing->convertLength(c.length), 1e-9);
        EXPECT_TRUE(ruler->measurementText(f.drawing.get()).contains(f.drawing->abbreviatedDrawingUnits()));
    }
    // Measuring edits nothing and the tool stays current.
    EXPECT_EQ(f.layer->countOfObjects(), 0);
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 0);
    EXPECT_EQ(f.controller.currentTool(), ruler);
}

TEST(ToolsSmartSelect, SelectsAlikeObjectsByTheChosenMatch)
{
    ToolFixture f;
    const pf::Ref<PWStyle> blue = PWStyle::defaultStyle();
    const pf::Ref<PWStyle> other = std::static_pointer_cast<PWStyle>(blue->copy());
    other->setName(QStringLiteral("Other"));
    auto rectA = f.addRect({10, 10, 20, 20});
    auto rectB = f.addRect({50, 10, 20, 20});
    auto oval = f.add(PWDrawableShape::drawableShapeWithOvalInRect({10, 50, 20, 20}));
    auto rectOther = f.addRect({50, 50, 20, 20});
    auto path = f.add(PWDrawablePath::drawablePathWithPath(*pf::BezierPath::pathWithRect({90, 90, 10, 10})));
    for (const auto& object : {rectA, rectB, oval})
        object->setStyle(blue);
    rectOther->setStyle(std::make_shared<PWStyle>());
    path->setStyle(blue);
    f.settle();
    f.use(kPWSmartSelectToolName);
    auto tool = std::dynamic_pointer_cast<PWSmartSelectTool>(PWDrawingTool::drawingToolWithName(kPWSmartSelectToolName));
    ASSERT_TRUE(tool);

    struct Case {
        PWSmartSelectTool::MatchMode mode;
        QList<PWDrawableObject*> selected;
    };
    const Case cases[] = {
        {PWSmartSelectTool::kMatchStyle, {rectA.get(), rectB.get(), oval.get(), path.get()}},
        {PWSmartSelectTool::kMatchKind, {rectA.get(), rectB.get(), oval.get(), rectOther.get()}},
        {PWSmartSelectTool::kMatchStyleAndKind, {rectA.get(), rectB.get(), oval.get()}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.mode));
        tool->setMatchMode(c.mode);
        f.click({20, 20});
        EXPECT_EQ(raw(f.layer->selection()), c.selected);
    }
    // The match mode is kept with the tool's settings; a mode out of range is ignored.
    tool->setMatchMode(PWSmartSelectTool::kMatchKind);
    const QVariantMap settings = tool->toolSettings();
    tool->setMatchMode(PWSmartSelectTool::kMatchStyle);
    tool->applyToolSettings(settings);
    EXPECT_EQ(tool->matchMode(), PWSmartSelectTool::kMatchKind);
    tool->setMatchMode(7);
    EXPECT_EQ(tool->matchMode(), PWSmartSelectTool::kMatchKind);
    tool->setMatchMode(PWSmartSelectTool::kMatchStyle);
}

TEST(ToolsConnectableLine, EndsAttachAndFollowTheirObjectsThroughUndo)
{
    ToolFixture f;
    auto from = f.addRect({0, 0, 40, 40});
    auto to = f.addRect({200, 100, 40, 40});
    f.settle();
    f.use(kPWConnectableLineToolName);
    f.drag({30, 20}, {210, 120});
    QCoreApplication::processEvents();
    auto line = onlyLine(f);
    ASSERT_TRUE(line);
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 1);
    EXPECT_EQ(line->attachedObject(PWConnectableLine::kStart), from);
    EXPECT_EQ(line->attachedObject(PWConnectableLine::kEnd), to);
    EXPECT_EQ(pathPoints(*line), (QList<QPointF>{{30, 20}, {210, 120}}));

    // Moving either object drags its end along, at the same place on the object.
    moveBy(f, *from, {10, 5});
    moveBy(f, *to, {-100, 50});
    EXPECT_EQ(pathPoints(*line), (QList<QPointF>{{40, 25}, {110, 170}}));
    // Following is no step of its own: undoing each move brings its end back.
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 3);
    f.undo()->undo();
    EXPECT_EQ(pathPoints(*line), (QList<QPointF>{{40, 25}, {210, 120}}));
    f.undo()->undo();
    EXPECT_EQ(pathPoints(*line), (QList<QPointF>{{30, 20}, {210, 120}}));
    f.undo()->undo();
    EXPECT_FALSE(onlyLine(f));
    f.undo()->redo();
    EXPECT_TRUE(onlyLine(f));
}

TEST(ToolsConnectableLine, ShapesOfTheFourTools)
{
    {
        SCOPED_TRACE("track keeps right angles when an end moves");
        ToolFixture f;
        auto from = f.addRect({0, 0, 20, 20});
        f.settle();
        f.use(kPWConnectableTrackToolName);
        f.drag({10, 10}, {110, 60});
        auto line = onlyLine(f);
        ASSERT_TRUE(line);
        EXPECT_TRUE(line->isTrack());
        EXPECT_EQ(pathPoints(*line), PWConnectableLineTool::trackPoints({10, 10}, {110, 60}));
        EXPECT_FALSE(line->attachedObject(PWConnectableLine::kEnd)) << "ended on empty paper";
        moveBy(f, *from, {0, 30});
        EXPECT_EQ(pathPoints(*line), PWConnectableLineTool::trackPoints({10, 40}, {110, 60}));
    }
    {
        SCOPED_TRACE("polygonal line: clicks, then a double click");
        ToolFixture f;
        auto to = f.addRect({200, 0, 40, 40});
        f.settle();
        f.use(kPWConnectablePolygonToolName);
        f.click({10, 10});
        f.click({100, 10});
        f.click({100, 80});
        f.click({210, 20});
        f.click({210, 20}, Qt::NoModifier, 2);
        auto line = onlyLine(f);
        ASSERT_TRUE(line);
        EXPECT_EQ(pathPoints(*line), (QList<QPointF>{{10, 10}, {100, 10}, {100, 80}, {210, 20}}));
        EXPECT_EQ(line->attachedObject(PWConnectableLine::kEnd), to);
        EXPECT_EQ(f.undo()->numberOfUndoActions(), 1);
    }
    {
        SCOPED_TRACE("freehand follows the drag; a click draws nothing");
        ToolFixture f;
        f.settle();
        f.use(kPWConnectableFreehandToolName);
        f.click({5, 5});
        EXPECT_EQ(f.layer->countOfObjects(), 0);
        EXPECT_FALSE(f.layer->pendingObject());
        f.drag({0, 0}, {80, 40}, Qt::NoModifier, 8);
        auto line = onlyLine(f);
        ASSERT_TRUE(line);
        EXPECT_GE(pathPoints(*line).size(), 8);
        EXPECT_EQ(pathPoints(*line).last(), QPointF(80, 40));
    }
}

TEST(ToolsConnectableLine, AttachmentsSurviveArchivingTheDrawing)
{
    ToolFixture f;
    auto from = f.addRect({0, 0, 40, 40});
    auto to = f.addRect({200, 100, 40, 40});
    f.settle();
    f.use(kPWConnectableLineToolName);
    f.drag({20, 20}, {220, 120});
    ASSERT_TRUE(onlyLine(f));

    pf::Error error;
    const QByteArray data = PWDrawingArchiving::dataWithDrawing(f.drawing, pf::PropertyListFormat::Binary, &error);
    ASSERT_FALSE(data.isEmpty()) << qPrintable(error.description());
    const pf::Ref<PWDrawing> copy = PWDrawingArchiving::drawingWithData(data, &error);
    ASSERT_TRUE(copy) << qPrintable(error.description());
    auto layer = std::dynamic_pointer_cast<PWObjectOwnerLayer>(copy->activeLayer());
    ASSERT_TRUE(layer);
    const auto objects = layer->objectList();
    ASSERT_EQ(objects.size(), 3);
    auto line = std::dynamic_pointer_cast<PWConnectableLine>(objects[2]);
    ASSERT_TRUE(line);
    // The ends refer to the reopened drawing's own objects, not to copies.
    EXPECT_EQ(line->attachedObject(PWConnectableLine::kStart), objects[0]);
    EXPECT_EQ(line->attachedObject(PWConnectableLine::kEnd), objects[1]);
    EXPECT_EQ(line->anchor(PWConnectableLine::kStart), QPointF(0.5, 0.5));
    objects[1]->setLocation(objects[1]->location() + QPointF(0, 100));
    EXPECT_EQ(pathPoints(*line).last(), QPointF(220, 220));
}

TEST(ToolsRubberBand, PathAndPolygonToolsDrawTheNextEdgeToThePointer)
{
    for (const QString& name : {kPWPathToolName, kPWPolygonToolName, kPWConnectablePolygonToolName}) {
        SCOPED_TRACE(name.toStdString());
        ToolFixture f;
        f.settle();
        f.use(name);
        auto tool = PWDrawingTool::drawingToolWithName(name);
        auto band = [&]() -> const PWRubberBand& {
            if (auto path = std::dynamic_pointer_cast<PWBezierPathTool>(tool))
                return path->rubberBand();
            if (auto polygon = std::dynamic_pointer_cast<PWPolygonTool>(tool))
                return polygon->rubberBand();
            return std::dynamic_pointer_cast<PWConnectableLineTool>(tool)->rubberBand();
        };
        // Before the first click the pointer draws nothing.
        f.controller.mouseMoved(f.view, {5, 5}, Qt::NoModifier);
        EXPECT_FALSE(band().isShown());
        f.click({10, 10});
        f.click({60, 10});
        f.view.redisplayed.clear();
        f.controller.mouseMoved(f.view, {60, 70}, Qt::NoModifier);
        ASSERT_TRUE(band().line());
        EXPECT_EQ(*band().line(), QLineF(QPointF(60, 10), QPointF(60, 70)));
        EXPECT_FALSE(f.view.redisplayed.isEmpty()) << "the band is drawn where it goes";
        // The next click places a point where the band ended; a new band waits for the pointer.
        f.click({60, 70});
        EXPECT_FALSE(band().isShown());
        f.controller.mouseMoved(f.view, {20, 90}, Qt::NoModifier);
        ASSERT_TRUE(band().line());
        EXPECT_EQ(band().line()->p1(), QPointF(60, 70));
        // Only the polygon closes back to its first corner.
        EXPECT_EQ(band().closingLine().has_value(), name == kPWPolygonToolName);
        // Ending the shape ends the band.
        EXPECT_TRUE(f.controller.keyDown(f.view, Qt::Key_Return, Qt::NoModifier));
        EXPECT_FALSE(band().isShown());
    }
}

TEST(ToolsConnectableLine, MovingOrCopyingTogetherKeepsTheConnection)
{
    ToolFixture f;
    auto from = f.addRect({0, 0, 40, 40});
    auto to = f.addRect({200, 0, 40, 40});
    f.settle();
    f.use(kPWConnectableLineToolName);
    f.drag({20, 20}, {220, 20});
    auto line = onlyLine(f);
    ASSERT_TRUE(line);
    f.settle();

    // Everything moved at once: the ends move once with their objects, not twice.
    f.use(kPWSelectToolName);
    f.layer->selectAll();
    f.drag({10, 30}, {10, 80});
    EXPECT_EQ(from->location(), QPointF(20, 70));
    EXPECT_EQ(pathPoints(*line), (QList<QPointF>{{20, 70}, {220, 70}}));
    // The line alone moved: its ends stay on their objects.
    f.layer->exchangeSelectionWithObjectsFromArray({line});
    line->moveBy(0, 30);
    EXPECT_EQ(pathPoints(*line), (QList<QPointF>{{20, 70}, {220, 70}}));

    // Duplicated with its objects it joins the duplicates; duplicated alone it is free.
    f.layer->selectAll();
    ASSERT_TRUE(PWLayerEditing::duplicate(*f.layer, {}));
    QList<pf::Ref<PWConnectableLine>> lines;
    for (const auto& object : f.layer->objectList())
        if (auto l = std::dynamic_pointer_cast<PWConnectableLine>(object))
            lines.append(l);
    ASSERT_EQ(lines.size(), 2);
    const auto copy = lines[1];
    const auto copiedFrom = copy->attachedObject(PWConnectableLine::kStart);
    ASSERT_TRUE(copiedFrom);
    EXPECT_NE(copiedFrom, from);
    EXPECT_NE(copy->attachedObject(PWConnectableLine::kEnd), to);
    copiedFrom->moveBy(0, 100);
    EXPECT_EQ(pathPoints(*copy).first(), copiedFrom->bounds().center());
    EXPECT_EQ(pathPoints(*line).first(), QPointF(20, 70)) << "the original stays with the original";

    // Copied and pasted with its objects, it joins the pasted objects.
    auto pasteboard = pf::Pasteboard::withName(QStringLiteral("connector-test"));
    f.layer->exchangeSelectionWithObjectsFromArray({from, to, line});
    ASSERT_TRUE(PWLayerEditing::copy(*f.layer, {}, pasteboard.get()));
    const auto beforePaste = f.layer->objectList();
    ASSERT_TRUE(PWLayerEditing::paste(*f.layer, {}, std::nullopt, pasteboard.get()));
    QList<pf::Ref<PWDrawableObject>> pasted;
    for (const auto& object : f.layer->objectList())
        if (!beforePaste.contains(object))
            pasted.append(object);
    ASSERT_EQ(pasted.size(), 3);
    auto pastedLine = std::dynamic_pointer_cast<PWConnectableLine>(pasted[2]);
    ASSERT_TRUE(pastedLine);
    EXPECT_EQ(pastedLine->attachedObject(PWConnectableLine::kStart), pasted[0]);
    EXPECT_EQ(pastedLine->attachedObject(PWConnectableLine::kEnd), pasted[1]);

    // Repeated by the linear duplicate, each repetition joins its own copies.
    const auto beforeRepeat = f.layer->objectList();
    f.layer->exchangeSelectionWithObjectsFromArray({from, to, line});
    ASSERT_TRUE(PWLayerEditing::linearDuplicate(*f.layer, QSizeF(0, 200), 2, {}));
    QList<pf::Ref<PWDrawableObject>> repeated;
    for (const auto& object : f.layer->objectList())
        if (!beforeRepeat.contains(object))
            repeated.append(object);
    ASSERT_EQ(repeated.size(), 6);
    for (int set = 0; set < 2; ++set) {
        auto repeatedLine = std::dynamic_pointer_cast<PWConnectableLine>(repeated[set * 3 + 2]);
        ASSERT_TRUE(repeatedLine);
        EXPECT_EQ(repeatedLine->attachedObject(PWConnectableLine::kStart), repeated[set * 3]);
        EXPECT_EQ(repeatedLine->attachedObject(PWConnectableLine::kEnd), repeated[set * 3 + 1]);
    }

    const auto beforeLone = f.layer->objectList();
    f.layer->exchangeSelectionWithObjectsFromArray({line});
    ASSERT_TRUE(PWLayerEditing::duplicate(*f.layer, {}));
    pf::Ref<PWConnectableLine> lone;
    for (const auto& object : f.layer->objectList())
        if (!beforeLone.contains(object))
            lone = std::dynamic_pointer_cast<PWConnectableLine>(object);
    ASSERT_TRUE(lone);
    EXPECT_FALSE(lone->attachedObject(PWConnectableLine::kStart));
    EXPECT_FALSE(lone->attachedObject(PWConnectableLine::kEnd));
}

TEST(ToolsConnectableLine, AnEndAttachedFromOutsideItsObjectLandsOnItsEdge)
{
    ToolFixture f;
    auto box = f.addRect({100, 100, 40, 40});
    auto line = f.add(std::make_shared<PWConnectableLine>(*pf::BezierPath::pathWithPolygon({{0, 0}, {300, 120}}, false)));
    line->attach(PWConnectableLine::kEnd, box);
    const QPointF anchor = line->anchor(PWConnectableLine::kEnd);
    EXPECT_GE(anchor.x(), 0.0);
    EXPECT_LE(anchor.x(), 1.0);
    EXPECT_GE(anchor.y(), 0.0);
    EXPECT_LE(anchor.y(), 1.0);
    box->moveBy(10, 0);
    EXPECT_TRUE(box->bounds().adjusted(-1, -1, 1, 1).contains(pathPoints(*line).last()))
        << "the end does not fly off beside its object";
}

TEST(ToolsConnectableLine, CornersBetweenTheEndsFollowInProportion)
{
    ToolFixture f;
    auto from = f.addRect({0, 0, 20, 20});
    auto to = f.addRect({200, 0, 40, 40});
    f.settle();
    f.use(kPWConnectablePolygonToolName);
    for (const QPointF& p : {QPointF(10, 10), QPointF(70, 100), QPointF(140, 100), QPointF(210, 20)})
        f.click(p);
    f.click({210, 20}, Qt::NoModifier, 2);
    auto line = onlyLine(f);
    ASSERT_TRUE(line);
    ASSERT_EQ(line->attachedObject(PWConnectableLine::kEnd), to);
    f.settle();

    // One object moved: each corner takes the share of its place along the line.
    moveBy(f, *to, {0, 30});
    EXPECT_EQ(pathPoints(*line), (QList<QPointF>{{10, 10}, {70, 110}, {140, 120}, {210, 50}}));
    f.undo()->undo();
    EXPECT_EQ(pathPoints(*line), (QList<QPointF>{{10, 10}, {70, 100}, {140, 100}, {210, 20}}));

    // Everything moved together: the whole line moves once, corners included.
    f.use(kPWSelectToolName);
    f.layer->selectAll();
    f.drag({5, 15}, {5, 65});
    EXPECT_EQ(pathPoints(*line), (QList<QPointF>{{10, 60}, {70, 150}, {140, 150}, {210, 70}}));
    f.undo()->undo();
    EXPECT_EQ(pathPoints(*line), (QList<QPointF>{{10, 10}, {70, 100}, {140, 100}, {210, 20}}));
}
