#include "ToolsTestSupport.h"

#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/layers/PWGridLayer.h"
#include "frameworks/penwork/layers/PWGuideLayer.h"
#include "frameworks/penwork/tools/PWDimensionGuide.h"
#include "frameworks/penwork/tools/PWSelectAndEditTool.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tools_test;

namespace {

void expectPointNear(const QPointF& actual, const QPointF& expected, double tolerance = 1e-6)
{
    EXPECT_NEAR(actual.x(), expected.x(), tolerance);
    EXPECT_NEAR(actual.y(), expected.y(), tolerance);
}

} // namespace

TEST(ToolsSelect, ClicksSelectAndShiftClicksToggle)
{
    ToolFixture f;
    auto a = f.addRect({10, 10, 30, 30});
    auto b = f.addRect({100, 10, 30, 30});
    f.click({20, 20});
    EXPECT_EQ(f.layer->selection(), (PWObjectOwnerLayer::ObjectList{a}));
    f.click({110, 20}, Qt::ShiftModifier);
    EXPECT_EQ(f.layer->countOfSelection(), 2);
    f.click({20, 20}, Qt::ShiftModifier);
    EXPECT_EQ(f.layer->selection(), (PWObjectOwnerLayer::ObjectList{b}));
    f.click({300, 300});
    EXPECT_EQ(f.layer->countOfSelection(), 0);
    // Selecting records no undo.
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 0);
}

TEST(ToolsSelect, MarqueeSelectsWhatItMeets)
{
    ToolFixture f;
    auto a = f.addRect({10, 10, 20, 20});
    auto b = f.addRect({50, 10, 20, 20});
    auto c = f.addRect({200, 200, 20, 20});
    auto locked = f.addRect({60, 60, 10, 10});
    locked->setLocked(true);
    f.drag({0, 0}, {55, 80});
    const auto selection = f.layer->selection();
    EXPECT_EQ(selection, (PWObjectOwnerLayer::ObjectList{a, b}));
    auto* tool = dynamic_cast<PWSelectAndEditTool*>(PWDrawingTool::selectionTool().get());
    EXPECT_TRUE(tool->marqueeRect().isNull());
    EXPECT_FALSE(f.view.redisplayed.isEmpty());

    f.drag({190, 190}, {230, 230}, Qt::ShiftModifier);
    EXPECT_EQ(f.layer->countOfSelection(), 3);
    f.drag({300, 300}, {320, 320});
    EXPECT_EQ(f.layer->countOfSelection(), 0);
}

TEST(ToolsSelect, DraggingMovesTheSelectionAsOneUndoStep)
{
    ToolFixture f;
    auto a = f.addRect({10, 10, 20, 20});
    auto b = f.addRect({50, 10, 20, 20});
    f.layer->exchangeSelectionWithObjectsFromArray({a, b});
    f.drag({20, 20}, {45, 35}, Qt::NoModifier, 6);
    EXPECT_EQ(a->location(), QPointF(45, 35));
    EXPECT_EQ(b->location(), QPointF(85, 35));
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 1);
    EXPECT_EQ(f.undo()->undoActionName(), "Move");
    f.undo()->undo();
    EXPECT_EQ(a->location(), QPointF(20, 20));
    EXPECT_EQ(b->location(), QPointF(60, 20));

    // Locked objects stay, and a click without movement records nothing.
    b->setLocked(true);
    f.click({20, 20});
    f.drag({60, 20}, {90, 20});
    EXPECT_EQ(b->location(), QPointF(60, 20));
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 0);
}

TEST(ToolsSelect, MovingSnapsToGridGuidesAndObjects)
{
    ToolFixture f;
    auto grid = f.drawing->gridLayer();
    ASSERT_TRUE(grid);
    auto moving = f.addRect({10, 10, 20, 20});

    // Grid: the moved box's top-left lands on a grid point; Control moves it freely.
    f.drawing->setSnapsToGrid(true);
    f.settle();
    f.drag({20, 20}, {33.3, 27.1});
    const QPointF topLeft = moving->logicalBounds().topLeft();
    expectPointNear(topLeft, grid->snapPointToGrid(QPointF(23.3, 17.1)));
    f.undo()->undo();
    f.drag({20, 20}, {33.3, 27.1}, Qt::MetaModifier);
    expectPointNear(moving->logicalBounds().topLeft(), {23.3, 17.1});
    f.undo()->undo();
    f.drawing->setSnapsToGrid(false);

    // Guides.
    f.drawing->setSnapsToGuides(true);
    f.drawing->guideLayer()->addVerticalGuide(100);
    f.settle();
    f.drag({20, 20}, {87, 20}); // right edge at 97: three units from the guide
    EXPECT_NEAR(moving->logicalBounds().right(), 100.0, 1e-9);
    f.undo()->undo();
    f.drawing->setSnapsToGuides(false);

    // Other objects' edges and centres, when the layer allows it.
    auto other = f.addRect({200, 200, 40, 40});
    f.layer->setAllowsSnapToObjects(true);
    f.layer->replaceSelectionWithObject(moving);
    f.settle();
    f.drag({20, 20}, {208, 40}); // box left at 198, centre y 40: snaps left to 200
    EXPECT_NEAR(moving->logicalBounds().left(), 200.0, 1e-9);
    EXPECT_NEAR(moving->logicalBounds().top(), 30.0, 1e-9);
    f.undo()->undo();
    // Control suspends object snapping (and, as everywhere, reverses grid snapping).
    f.drag({20, 20}, {208, 40}, Qt::MetaModifier);
    expectPointNear(moving->logicalBounds().topLeft(), grid->snapPointToGrid(QPointF(198, 30)));
    EXPECT_GT(std::abs(moving->logicalBounds().left() - 200.0), 1e-6);
    f.layer->setAllowsSnapToObjects(false);
}

TEST(ToolsSelect, OptionDragMovesCopies)
{
    ToolFixture f;
    auto original = f.addRect({10, 10, 20, 20});
    f.drag({20, 20}, {120, 20}, Qt::AltModifier);
    ASSERT_EQ(f.layer->countOfObjects(), 2);
    EXPECT_EQ(original->location(), QPointF(20, 20));
    auto copy = f.layer->objectInObjectsAtIndex(1);
    EXPECT_EQ(copy->location(), QPointF(120, 20));
    EXPECT_EQ(f.layer->selection(), (PWObjectOwnerLayer::ObjectList{copy}));
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 1);
    EXPECT_EQ(f.undo()->undoActionName(), "Duplicate");
    f.undo()->undo();
    EXPECT_EQ(f.layer->countOfObjects(), 1);
    EXPECT_EQ(original->location(), QPointF(20, 20));
}

TEST(ToolsSelect, HandlesResizeAndRotate)
{
    ToolFixture f;
    auto shape = f.addRect({100, 100, 40, 20});
    f.layer->replaceSelectionWithObject(shape);
    const QPointF corner = shape->knobPoint(PWDrawableShape::kBottomRightHandle);
    f.drag(corner, corner + QPointF(20, 10));
    EXPECT_NEAR(shape->width(), 60.0, 1e-6);
    EXPECT_NEAR(shape->height(), 30.0, 1e-6);
    EXPECT_NEAR(shape->logicalBounds().left(), 100.0, 1e-6);
    EXPECT_EQ(f.undo()->undoActionName(), "Resize");
    f.undo()->undo();
    EXPECT_NEAR(shape->width(), 40.0, 1e-6);

    // Rotation; Shift keeps it to 15 degree steps.
    const QPointF centre = shape->location();
    const auto handleAt = [&](double degrees) {
        const double a = (degrees - 90.0) * M_PI / 180.0;
        return centre + 50.0 * QPointF(std::cos(a), std::sin(a));
    };
    const QPointF handle = shape->knobPoint(PWDrawableShape::kRotationHandle);
    f.drag(handle, handleAt(50.0));
    EXPECT_NEAR(shape->angleInDegrees(), 50.0, 1e-6);
    EXPECT_EQ(f.undo()->undoActionName(), "Rotate");
    f.undo()->undo();
    EXPECT_NEAR(shape->angle(), 0.0, 1e-9);
    f.drag(handle, handleAt(50.0), Qt::ShiftModifier);
    EXPECT_NEAR(shape->angleInDegrees(), 45.0, 1e-6);
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 1);
}

TEST(ToolsSelect, DraggingAPathPointEditsThePath)
{
    ToolFixture f;
    pf::BezierPath line;
    line.moveTo({10, 10});
    line.lineTo({100, 10});
    line.lineTo({100, 80});
    auto path = f.add(PWDrawablePath::drawablePathWithPath(line));
    f.layer->replaceSelectionWithObject(path);
    const int part = PWDrawablePath::partCode(1, 0);
    ASSERT_EQ(path->hitPart(path->knobPoint(part)), part);
    f.drag({100, 10}, {120, 30});
    EXPECT_EQ(path->path()->elementAt(1).points[0], QPointF(120, 30));
    EXPECT_EQ(path->path()->elementAt(0).points[0], QPointF(10, 10));
    EXPECT_EQ(f.undo()->undoActionName(), "Edit Path");
    f.undo()->undo();
    EXPECT_EQ(path->path()->elementAt(1).points[0], QPointF(100, 10));
}

TEST(ToolsSelect, DoubleClickOnTextStartsEditing)
{
    ToolFixture f;
    auto text = f.add(PWTextShape::textShapeWithRect({10, 10, 100, 30}, "Hello"));
    auto box = f.addRect({200, 10, 30, 30});
    f.click({50, 25});
    f.click({50, 25}, Qt::NoModifier, 2);
    ASSERT_EQ(f.view.editedText.size(), 1);
    EXPECT_EQ(f.view.editedText[0], text.get());
    f.click({210, 20}, Qt::NoModifier, 2);
    EXPECT_EQ(f.view.editedText.size(), 1);
}

// A double click enters a group: its members are picked, moved and resized in place (in the
// group's own coordinates, however the group was moved), each gesture one undo step, until
// Escape or a click outside the members leaves it with the group selected again.
TEST(ToolsSelect, DoubleClickEntersAGroupToEditItsMembers)
{
    ToolFixture f;
    auto a = PWDrawableShape::drawableShapeWithRect(QRectF(10, 10, 20, 20));
    auto b = PWDrawableShape::drawableShapeWithRect(QRectF(50, 10, 20, 20));
    auto group = f.add(PWShapeGroup::groupWithObjects({a, b}));
    f.undo()->disableUndoRegistration();
    group->moveBy(100, 50); // members now show at (110, 60) and (150, 60)
    f.undo()->enableUndoRegistration();
    f.settle();
    auto* tool = dynamic_cast<PWSelectAndEditTool*>(PWDrawingTool::selectionTool().get());
    ASSERT_TRUE(tool);
    expectPointNear(a->bounds().center(), QPointF(120, 70), 1.0);

    f.click({120, 70});
    EXPECT_EQ(f.layer->selection(), QList<pf::Ref<PWDrawableObject>>{group});
    f.click({120, 70}, Qt::NoModifier, 2);
    ASSERT_EQ(tool->enteredGroup(), group);
    EXPECT_EQ(tool->chosenMember(), a);
    EXPECT_TRUE(f.layer->selection().isEmpty()) << "the member's handles show, not the group's";
    f.settle();

    // Moving a member moves it alone, by what the pointer moved.
    f.drag({120, 70}, {150, 80}, Qt::NoModifier, 5);
    expectPointNear(a->bounds().center(), QPointF(150, 80), 1.0);
    expectPointNear(b->bounds().center(), QPointF(160, 70), 1.0);
    EXPECT_EQ(f.layer->objects().size(), 1u);
    EXPECT_EQ(f.undo()->undoActionName(), "Move");
    EXPECT_EQ(tool->enteredGroup(), group) << "still inside";

    // Its handles resize it: the bottom-right corner goes 10 right and 10 down.
    const QRectF before = a->logicalBounds();
    f.drag(before.bottomRight(), before.bottomRight() + QPointF(10, 10));
    EXPECT_NEAR(a->logicalBounds().width(), before.width() + 10, 0.5);
    EXPECT_NEAR(a->logicalBounds().height(), before.height() + 10, 0.5);
    EXPECT_EQ(f.undo()->undoActionName(), "Resize");
    f.undo()->undo();
    EXPECT_NEAR(a->logicalBounds().width(), before.width(), 0.5);
    f.undo()->undo();
    expectPointNear(a->bounds().center(), QPointF(120, 70), 1.0);

    // Escape leaves, the group selected again.
    EXPECT_TRUE(f.controller.keyDown(f.view, Qt::Key_Escape, Qt::NoModifier));
    EXPECT_FALSE(tool->enteredGroup());
    EXPECT_EQ(f.layer->selection(), QList<pf::Ref<PWDrawableObject>>{group});

    // So does a click outside the members, which then acts as any click there.
    f.click({120, 70}, Qt::NoModifier, 2);
    ASSERT_EQ(tool->enteredGroup(), group);
    f.click({300, 250});
    EXPECT_FALSE(tool->enteredGroup());
    EXPECT_TRUE(f.layer->selection().isEmpty());
}

TEST(ToolsSelect, MoveOnAllLayersMovesEverySelection)
{
    const bool saved = PWSelectAndEditTool::moveOperatesOnAllLayers();
    ToolFixture f;
    auto other = std::make_shared<PWObjectDrawingLayer>();
    f.drawing->addLayer(other);
    f.settle();
    auto mine = f.addRect({10, 10, 20, 20});
    auto theirs = f.addRect({100, 100, 20, 20}, other.get());
    other->replaceSelectionWithObject(theirs);

    PWSelectAndEditTool::setMoveOperatesOnAllLayers(false);
    f.drag({20, 20}, {30, 20});
    EXPECT_EQ(theirs->location(), QPointF(110, 110));
    PWSelectAndEditTool::setMoveOperatesOnAllLayers(true);
    f.drag({30, 20}, {40, 20});
    EXPECT_EQ(mine->location(), QPointF(40, 20));
    EXPECT_EQ(theirs->location(), QPointF(120, 110));
    f.undo()->undo();
    EXPECT_EQ(theirs->location(), QPointF(110, 110));
    PWSelectAndEditTool::setMoveOperatesOnAllLayers(saved);
}

TEST(ToolsSelect, GuidesMoveAndLeaveThroughTheDeletionRect)
{
    ToolFixture f;
    auto guides = f.drawing->guideLayer();
    guides->addHorizontalGuide(50);
    guides->setGuideDeletionRect({0, 0, 500, 500});
    f.settle();
    f.drag({300, 51}, {300, 120});
    EXPECT_EQ(guides->horizontalGuides(), (QList<double>{120}));
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 1);
    EXPECT_EQ(f.undo()->undoActionName(), "Move Guide");
    f.undo()->undo();
    EXPECT_EQ(guides->horizontalGuides(), (QList<double>{50}));

    f.drag({300, 50}, {300, 900});
    EXPECT_TRUE(guides->horizontalGuides().isEmpty());
    f.undo()->undo();
    EXPECT_EQ(guides->horizontalGuides(), (QList<double>{50}));
}

TEST(ToolsSelect, DimensionGuidesShowDuringADragOnly)
{
    ToolFixture f;
    auto shape = f.addRect({10, 10, 20, 20});
    const bool saved = PWDimensionGuide::dimensionGuidesEnabled();
    PWDimensionGuide::setDimensionGuidesEnabled(true);
    f.controller.mouseDown(f.view, {20, 20}, Qt::NoModifier, 1);
    f.controller.mouseDragged(f.view, {50, 60}, Qt::NoModifier);
    const auto shown = PWDimensionGuide::shownGuides();
    ASSERT_EQ(shown.size(), 2);
    for (const auto& guide : shown) {
        // Distances from the drawing's edges to the moved box (40, 50).
        EXPECT_DOUBLE_EQ(guide->length(), guide->isVertical() ? 50.0 : 40.0);
        EXPECT_FALSE(guide->label().isEmpty());
    }
    f.controller.mouseUp(f.view, {50, 60}, Qt::NoModifier);
    EXPECT_TRUE(PWDimensionGuide::shownGuides().isEmpty());

    PWDimensionGuide::setDimensionGuidesDisabled(true, PWDrawableShape::staticClass());
    f.controller.mouseDown(f.view, {50, 60}, Qt::NoModifier, 1);
    f.controller.mouseDragged(f.view, {60, 60}, Qt::NoModifier);
    EXPECT_TRUE(PWDimensionGuide::shownGuides().isEmpty());
    f.controller.mouseUp(f.view, {60, 60}, Qt::NoModifier);
    PWDimensionGuide::setDimensionGuidesDisabled(false, PWDrawableShape::staticClass());
    PWDimensionGuide::setDimensionGuidesEnabled(saved);
}

TEST(ToolsGuides, DraggingOutOfARulerAddsAGuide)
{
    ToolFixture f;
    auto guides = f.drawing->guideLayer();
    guides->setGuideDeletionRect({0, 0, 500, 500});
    f.settle();
    ASSERT_TRUE(f.controller.beginGuideDragFromRuler(f.view, true, {100, 0}));
    f.controller.mouseDragged(f.view, {100, 40}, Qt::NoModifier);
    f.controller.mouseUp(f.view, {100, 75}, Qt::NoModifier);
    EXPECT_EQ(guides->horizontalGuides(), (QList<double>{75}));
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 1);
    EXPECT_EQ(f.undo()->undoActionName(), "Add Guide");
    f.undo()->undo();
    EXPECT_FALSE(guides->hasGuides());

    // Dropped back outside the deletion rectangle, the new guide goes again.
    ASSERT_TRUE(f.controller.beginGuideDragFromRuler(f.view, false, {0, 100}));
    f.controller.mouseDragged(f.view, {-20, 100}, Qt::NoModifier);
    f.controller.mouseUp(f.view, {-30, 100}, Qt::NoModifier);
    EXPECT_FALSE(guides->hasGuides());
    EXPECT_FALSE(f.controller.isTracking());

    guides->setLocked(true);
    f.settle();
    EXPECT_FALSE(f.controller.beginGuideDragFromRuler(f.view, true, {100, 10}));
    EXPECT_EQ(f.undo()->groupingLevel(), 0);
}
