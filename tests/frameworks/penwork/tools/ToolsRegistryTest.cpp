#include "ToolsTestSupport.h"

#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/tools/PWFreehandTool.h"
#include "frameworks/penwork/tools/PWObjectCreationTool.h"
#include "frameworks/penwork/tools/PWSelectAndEditTool.h"
#include "frameworks/penwork/tools/PWZoomTool.h"
#include "frameworks/penwork/view/PWViewController.h"
#include "platform/foundation/UserDefaults.h"

#include <gtest/gtest.h>

using namespace tools_test;

namespace {

// A tool that keeps a string as its persistent data, and counts its hook calls.
class RecordingTool : public PWDrawingTool {
public:
    std::optional<QByteArray> persistentData() const override
    {
        return memo.isEmpty() ? std::nullopt : std::optional<QByteArray>(memo);
    }
    bool shouldLoadPersistentData(const QByteArray& data) override
    {
        memo = data;
        return true;
    }
    void toolControllerDidSetTool(PWToolController&) override { ++didSet; }
    void toolControllerWillUnsetTool(PWToolController&) override { ++willUnset; }
    int mouseDownAtPoint(const QPointF&, PWDrawableObject* target, PWLayer*, const PWToolEvent& event,
                         PWToolUndoDelegate*) override
    {
        lastTarget = target;
        lastModifiers = event.modifiers;
        return 7;
    }
    void mouseDraggedToPoint(const QPointF&, int part, PWLayer*, const PWToolEvent&, PWToolUndoDelegate*) override
    {
        draggedPart = part;
    }
    bool mouseUpAtPoint(const QPointF&, int, PWLayer*, const PWToolEvent&, PWToolUndoDelegate*) override
    {
        return answer;
    }

    QByteArray memo;
    int didSet = 0;
    int willUnset = 0;
    int draggedPart = 0;
    PWDrawableObject* lastTarget = nullptr;
    Qt::KeyboardModifiers lastModifiers;
    bool answer = true;
};

// A layer that does its own mouse handling.
class OwnToolsLayer : public PWObjectDrawingLayer {
public:
    bool implementsOwnTools() const override { return true; }
    void mouseDown(const QPointF& p, Qt::KeyboardModifiers, QWidget*) override { events.append("down"); }
    void mouseDragged(const QPointF& p, Qt::KeyboardModifiers, QWidget*) override { events.append("drag"); }
    void mouseUp(const QPointF& p, Qt::KeyboardModifiers, QWidget*) override { events.append("up"); }
    QStringList events;
};

} // namespace

TEST(ToolsRegistry, HoldsTheStandardToolsUnderTheirNames)
{
    struct Case {
        QString name;
        const pf::Class& cls;
    };
    const Case cases[] = {
        {kPWSelectToolName, PWSelectAndEditTool::staticClass()},
        {kPWRectangleToolName, PWObjectCreationTool::staticClass()},
        {kPWRoundRectangleToolName, PWObjectCreationTool::staticClass()},
        {kPWOvalToolName, PWObjectCreationTool::staticClass()},
        {kPWLineToolName, PWObjectCreationTool::staticClass()},
        {kPWPathToolName, PWObjectCreationTool::staticClass()},
        {kPWFreehandToolName, PWFreehandTool::staticClass()},
        {kPWStandardRegularPolygonPathToolName, PWObjectCreationTool::staticClass()},
        {kPWArcToolName, PWObjectCreationTool::staticClass()},
        {kPWTextToolName, PWObjectCreationTool::staticClass()},
        {kPWImageToolName, PWObjectCreationTool::staticClass()},
        {kPWZoomToolName, PWZoomTool::staticClass()},
    };
    for (const Case& c : cases) {
        pf::Ref<PWDrawingTool> tool = PWDrawingTool::drawingToolWithName(c.name);
        ASSERT_TRUE(tool) << c.name.toStdString();
        EXPECT_TRUE(tool->isKindOf(c.cls)) << c.name.toStdString();
        EXPECT_EQ(tool->registeredName(), c.name);
        EXPECT_TRUE(PWToolRegistry::shared().containsTool(tool.get()));
    }
    EXPECT_EQ(PWDrawingTool::selectionTool(), PWDrawingTool::drawingToolWithName("Select"));
    EXPECT_FALSE(PWDrawingTool::drawingToolWithName("No Such Tool"));
    EXPECT_TRUE(PWDrawingTool::selectionTool()->isSelectionTool());
}

TEST(ToolsRegistry, RegistersReplacesAndRefuses)
{
    auto& registry = PWToolRegistry::shared();
    auto first = std::make_shared<RecordingTool>();
    first->setKeyboardEquivalent("u");
    EXPECT_TRUE(PWDrawingTool::registerDrawingTool(first, "Registry Test Tool"));
    EXPECT_EQ(PWDrawingTool::drawingToolWithName("Registry Test Tool"), first);
    EXPECT_EQ(first->keyboardEquivalent(), "u");
    EXPECT_TRUE(registry.toolNames().contains("Registry Test Tool"));

    EXPECT_FALSE(PWDrawingTool::registerDrawingTool(nullptr, "Null Tool"));
    EXPECT_FALSE(PWDrawingTool::registerDrawingTool(std::make_shared<RecordingTool>(), QString()));
    // One tool has one name.
    EXPECT_FALSE(PWDrawingTool::registerDrawingTool(first, "Another Name"));
    EXPECT_FALSE(registry.containsToolNamed("Another Name"));

    auto second = std::make_shared<RecordingTool>();
    EXPECT_TRUE(PWDrawingTool::registerDrawingTool(second, "Registry Test Tool"));
    EXPECT_EQ(PWDrawingTool::drawingToolWithName("Registry Test Tool"), second);
    EXPECT_TRUE(first->registeredName().isEmpty());
    EXPECT_FALSE(registry.containsTool(first.get()));
    EXPECT_EQ(registry.toolNames().count("Registry Test Tool"), 1);
}

TEST(ToolsRegistry, ActionNameFallsBackToTheDefault)
{
    auto tool = std::make_shared<RecordingTool>();
    EXPECT_EQ(tool->actionName(), "Edit");
    PWDrawingTool::registerDrawingTool(tool, "Action Name Tool");
    EXPECT_EQ(tool->actionName(), "Action Name Tool");
    tool->setActionName("Cut Path");
    EXPECT_EQ(tool->actionName(), "Cut Path");
    auto rectangle = std::dynamic_pointer_cast<PWObjectCreationTool>(PWDrawingTool::drawingToolWithName("Rectangle"));
    EXPECT_TRUE(rectangle->actionName().startsWith("New "));
}

TEST(ToolsRegistry, SettingsAndPersistentDataSurviveARelaunch)
{
    auto freehand = std::dynamic_pointer_cast<PWFreehandTool>(PWDrawingTool::drawingToolWithName(kPWFreehandToolName));
    auto oval = std::dynamic_pointer_cast<PWObjectCreationTool>(PWDrawingTool::drawingToolWithName(kPWOvalToolName));
    auto recording = std::make_shared<RecordingTool>();
    recording->memo = "master-key-42";
    PWDrawingTool::registerDrawingTool(recording, "Persistent Tool");
    freehand->setEpsilon(3.5);
    auto style = PWStyle::styleWithFillColour(pf::Color(QColor(Qt::red)), pf::Color(QColor(Qt::black)));
    oval->setStyle(style);

    PWDrawingTool::saveDefaults();

    // Fresh tools registered under the same names (as at the next launch) take the settings.
    auto freshOval = std::make_shared<PWObjectCreationTool>();
    auto freshRecording = std::make_shared<RecordingTool>();
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    QVariantMap all = defaults.dictionaryForKey(kPWDrawingToolSettingsDefaultsKey);
    ASSERT_TRUE(all.contains(kPWFreehandToolName));
    ASSERT_TRUE(all.contains(kPWOvalToolName));
    all.insert("Persistent Freehand", all.value(kPWFreehandToolName));
    all.insert("Persistent Oval", all.value(kPWOvalToolName));
    defaults.setObject(all, kPWDrawingToolSettingsDefaultsKey);
    ASSERT_TRUE(PWDrawingTool::registerDrawingTool(freshRecording, "Persistent Tool"));
    auto laterFreehand = std::make_shared<PWFreehandTool>();
    ASSERT_TRUE(PWDrawingTool::registerDrawingTool(laterFreehand, "Persistent Freehand"));
    ASSERT_TRUE(PWDrawingTool::registerDrawingTool(freshOval, "Persistent Oval"));

    EXPECT_EQ(freshRecording->memo, "master-key-42");
    EXPECT_DOUBLE_EQ(laterFreehand->epsilon(), 3.5);
    ASSERT_TRUE(freshOval->ownStyle());
    EXPECT_TRUE(freshOval->ownStyle()->isEqualToStyle(style.get()));

    freehand->setEpsilon(0.0);
    oval->setStyle(nullptr);
}

TEST(ToolsRegistry, DamagedSettingsLeaveTheToolWithItsDefaults)
{
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    QVariantMap all = defaults.dictionaryForKey(kPWDrawingToolSettingsDefaultsKey);
    all.insert("Damaged Freehand", QVariantMap{{"epsilon", "lots"}, {"style", QByteArray("not an archive")}});
    all.insert("Damaged Oval", QVariantMap{{"style", QByteArray("bplist00garbage")}});
    all.insert("Damaged Plain", QStringLiteral("not a dictionary"));
    defaults.setObject(all, kPWDrawingToolSettingsDefaultsKey);

    auto freehand = std::make_shared<PWFreehandTool>();
    auto oval = std::make_shared<PWObjectCreationTool>();
    auto plain = std::make_shared<RecordingTool>();
    EXPECT_TRUE(PWDrawingTool::registerDrawingTool(freehand, "Damaged Freehand"));
    EXPECT_TRUE(PWDrawingTool::registerDrawingTool(oval, "Damaged Oval"));
    EXPECT_TRUE(PWDrawingTool::registerDrawingTool(plain, "Damaged Plain"));
    EXPECT_DOUBLE_EQ(freehand->epsilon(), 0.0);
    EXPECT_FALSE(freehand->ownStyle());
    EXPECT_FALSE(oval->ownStyle());
    EXPECT_TRUE(plain->memo.isEmpty());
}

TEST(ToolsRegistry, CursorsForModifiersAndTheCurrentTool)
{
    auto tool = std::make_shared<RecordingTool>();
    const QCursor dropper(Qt::PointingHandCursor);
    tool->setCursor(dropper, Qt::ControlModifier);
    EXPECT_EQ(tool->cursorForModifiers(Qt::ControlModifier).shape(), Qt::PointingHandCursor);
    EXPECT_EQ(tool->cursorForModifiers(Qt::ControlModifier | Qt::KeypadModifier).shape(), Qt::PointingHandCursor);
    EXPECT_EQ(tool->cursorForModifiers(Qt::ShiftModifier).shape(), Qt::ArrowCursor);
    EXPECT_EQ(tool->cursorForModifiers(Qt::NoModifier).shape(), Qt::ArrowCursor);

    ToolFixture f;
    f.use(kPWRectangleToolName);
    EXPECT_EQ(f.view.cursorShape, Qt::CrossCursor);
    EXPECT_EQ(f.controller.cursorForModifiers(Qt::NoModifier).shape(), Qt::CrossCursor);
    // A tool that cannot work on the active layer, and may not turn to another, shows that it
    // cannot.
    const bool saved = PWToolController::toolsAutoActivateValidLayer();
    PWToolController::setToolsAutoActivateValidLayer(false);
    f.layer->setLocked(true);
    EXPECT_EQ(f.controller.cursorForModifiers(Qt::NoModifier).shape(), Qt::ForbiddenCursor);
    PWToolController::setToolsAutoActivateValidLayer(saved);
}

TEST(ToolsController, ChangingToolsTellsTheToolsAndObservers)
{
    ToolFixture f;
    auto tool = std::make_shared<RecordingTool>();
    NotificationCounter changes(kPWDidChangeToolNotification);
    f.controller.setCurrentTool(tool);
    EXPECT_EQ(tool->didSet, 1);
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.objects[0], &f.controller);
    EXPECT_EQ(f.controller.valueForKey("drawingTool"), pf::toVariant(tool));

    f.controller.setCurrentTool(tool); // no change
    EXPECT_EQ(changes.count(), 1);

    f.controller.setCurrentTool(nullptr);
    EXPECT_EQ(tool->willUnset, 1);
    EXPECT_EQ(f.controller.currentTool(), PWDrawingTool::selectionTool());
    EXPECT_EQ(changes.count(), 2);
}

TEST(ToolsController, SetMakesTheToolCurrentEverywhere)
{
    ToolFixture a;
    ToolFixture b;
    auto zoom = PWDrawingTool::drawingToolWithName(kPWZoomToolName);
    NotificationCounter changes(kPWDidChangeToolNotification);
    zoom->set();
    EXPECT_EQ(a.controller.currentTool(), zoom);
    EXPECT_EQ(b.controller.currentTool(), zoom);
    EXPECT_EQ(PWDrawingTool::sharedCurrentTool(), zoom);
    EXPECT_GE(changes.count(), 2);
    for (pf::Reflective* object : changes.objects)
        EXPECT_EQ(pf::objectCast<PWDrawingTool>(object->valueForKey("drawingTool")), zoom);
    PWDrawingTool::selectionTool()->set();
}

TEST(ToolsController, RoutesTheGestureToTheToolWithTheTargetAndPart)
{
    ToolFixture f;
    auto shape = f.addRect({10, 10, 40, 40});
    auto tool = std::make_shared<RecordingTool>();
    f.controller.setCurrentTool(tool);
    EXPECT_EQ(f.controller.mouseDown(f.view, {30, 30}, Qt::ShiftModifier, 1), 7);
    EXPECT_EQ(tool->lastTarget, shape.get());
    EXPECT_EQ(tool->lastModifiers, Qt::ShiftModifier);
    f.controller.mouseDragged(f.view, {35, 35}, Qt::NoModifier);
    EXPECT_EQ(tool->draggedPart, 7);
    f.controller.mouseUp(f.view, {35, 35}, Qt::NoModifier);
    EXPECT_FALSE(f.controller.isTracking());

    // A drag without a mouse down reaches no tool.
    tool->draggedPart = 0;
    f.controller.mouseDragged(f.view, {40, 40}, Qt::NoModifier);
    EXPECT_EQ(tool->draggedPart, 0);
}

TEST(ToolsController, AutomaticRevertAfterOneUse)
{
    ToolFixture f;
    NotificationCounter reverts(kPWDidChangeToolAutoRevertStateNotification);
    f.controller.toggleAutoRevertAction();
    EXPECT_TRUE(f.controller.automaticallyReverts());
    ASSERT_EQ(reverts.count(), 1);
    EXPECT_EQ(reverts.objects[0], &f.controller);

    auto tool = std::make_shared<RecordingTool>();
    f.controller.setCurrentTool(tool);
    tool->answer = false; // a gesture that did nothing keeps the tool
    f.click({20, 20});
    EXPECT_EQ(f.controller.currentTool(), tool);
    tool->answer = true;
    f.click({20, 20});
    EXPECT_EQ(f.controller.currentTool(), PWDrawingTool::selectionTool());

    f.controller.toggleAutoRevertAction();
    f.controller.setCurrentTool(tool);
    f.click({20, 20});
    EXPECT_EQ(f.controller.currentTool(), tool);
    EXPECT_EQ(reverts.count(), 2);
}

TEST(ToolsController, LayersWithTheirOwnToolsTakeTheGesture)
{
    ToolFixture f;
    auto own = std::make_shared<OwnToolsLayer>();
    f.drawing->addLayer(own);
    f.drawing->setActiveLayer(own);
    auto tool = std::make_shared<RecordingTool>();
    f.controller.setCurrentTool(tool);
    f.drag({5, 5}, {50, 50}, Qt::NoModifier, 2);
    EXPECT_EQ(own->events, (QStringList{"down", "drag", "drag", "up"}));
    EXPECT_EQ(tool->draggedPart, 0);
    EXPECT_FALSE(tool->lastTarget);
}

TEST(ToolsController, AutoActivatesAValidLayerUnderThePoint)
{
    const bool saved = PWToolController::toolsAutoActivateValidLayer();
    ToolFixture f;
    auto lower = f.layer;
    auto upper = std::make_shared<PWObjectDrawingLayer>();
    f.drawing->addLayer(upper);
    f.drawing->setActiveLayer(upper);
    auto shape = f.addRect({10, 10, 40, 40}, lower.get());

    PWToolController::setToolsAutoActivateValidLayer(false);
    f.click({30, 30});
    EXPECT_EQ(f.drawing->activeLayer(), upper);
    EXPECT_EQ(lower->countOfSelection(), 0);

    PWToolController::setToolsAutoActivateValidLayer(true);
    f.click({30, 30});
    EXPECT_EQ(f.drawing->activeLayer(), lower);
    EXPECT_TRUE(lower->isSelectedObject(shape.get()));
    // A locked layer is not valid for the tool and is not activated.
    f.drawing->setActiveLayer(upper);
    lower->setLocked(true);
    f.click({30, 30});
    EXPECT_EQ(f.drawing->activeLayer(), upper);
    lower->setLocked(false);

    // Out of the box a click reaches another layer's object (a reopened drawing whose active
    // layer is another one is selectable at once); the "auto-activate layers" preference of
    // the views turns it off.
    pf::UserDefaults::standard().removeObjectForKey(QStringLiteral("PWToolControllerAutoActivateValidLayer"));
    EXPECT_TRUE(PWToolController::toolsAutoActivateValidLayer());
    const bool viewsSaved = PWViewController::layerAutoActivationDefault();
    PWViewController::setLayerAutoActivationDefault(false);
    f.click({30, 30});
    EXPECT_EQ(f.drawing->activeLayer(), upper);
    PWViewController::setLayerAutoActivationDefault(true);
    f.click({30, 30});
    EXPECT_EQ(f.drawing->activeLayer(), lower);
    PWViewController::setLayerAutoActivationDefault(viewsSaved);
    PWToolController::setToolsAutoActivateValidLayer(saved);
}

TEST(ToolsController, ArrowKeysNudgeTheSelectionAsOneStepEach)
{
    ToolFixture f;
    auto shape = f.addRect({10, 10, 20, 20});
    auto fixed = f.addRect({60, 60, 20, 20});
    fixed->setLocationLocked(true);
    f.layer->exchangeSelectionWithObjectsFromArray({shape, fixed});
    f.settle();
    EXPECT_TRUE(f.controller.keyDown(f.view, Qt::Key_Right, Qt::NoModifier));
    EXPECT_TRUE(f.controller.keyDown(f.view, Qt::Key_Down, Qt::ShiftModifier));
    EXPECT_EQ(shape->location(), QPointF(21, 30));
    EXPECT_EQ(fixed->location(), QPointF(70, 70));
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 2);
    EXPECT_EQ(f.undo()->undoActionName(), "Nudge");
    f.undo()->undo();
    EXPECT_EQ(shape->location(), QPointF(21, 20));
    EXPECT_FALSE(f.controller.keyDown(f.view, Qt::Key_A, Qt::NoModifier));
    f.layer->deselectAll();
    EXPECT_FALSE(f.controller.keyDown(f.view, Qt::Key_Left, Qt::NoModifier));
}

TEST(ToolsController, TogglesSnapping)
{
    ToolFixture f;
    const bool grid = f.drawing->snapsToGrid();
    const bool guides = f.drawing->snapsToGuides();
    f.controller.toggleSnapToGrid();
    f.controller.toggleSnapToGuides();
    EXPECT_EQ(f.drawing->snapsToGrid(), !grid);
    EXPECT_EQ(f.drawing->snapsToGuides(), !guides);
    EXPECT_TRUE(f.controller.respondsTo("toggleSnapToGrid:"));
}

TEST(ToolsController, AMissedMouseUpClosesTheGestureUndoGroup)
{
    ToolFixture f;
    auto shape = f.addRect({10, 10, 20, 20});
    f.controller.mouseDown(f.view, {20, 20}, Qt::NoModifier, 1);
    f.controller.mouseDragged(f.view, {30, 20}, Qt::NoModifier);
    // The next mouse down arrives without a mouse up in between.
    f.controller.mouseDown(f.view, {200, 200}, Qt::NoModifier, 1);
    f.controller.mouseUp(f.view, {200, 200}, Qt::NoModifier);
    EXPECT_EQ(f.undo()->groupingLevel(), 0);
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 1);
    f.undo()->undo();
    EXPECT_EQ(shape->location(), QPointF(20, 20));
}
