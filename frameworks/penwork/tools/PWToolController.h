#pragma once

#include "frameworks/penwork/tools/PWDrawingTool.h"
#include "frameworks/penwork/tools/PWToolView.h"

#include <QCursor>
#include <QPointF>
#include <QString>

#include <memory>

class PWDrawingView;
class PWLayer;
class QObject;
class QPainter;

namespace pf {
class UndoManager;
}

// Posted with the controller as object when its automatic revert switches.
inline const QString kPWDidChangeToolAutoRevertStateNotification =
    QStringLiteral("kPWDidChangeToolAutoRevertStateNotification");

// Routes one drawing view's mouse and key events to the current tool. A drawing view owns
// one controller and passes itself with every event; points are in drawing coordinates.
//
// On mouse down the controller picks the target layer: the drawing's active layer, or, with
// toolsAutoActivateValidLayer, a valid layer under the point that it activates first. A layer
// that implementsOwnTools gets the whole gesture itself (its mouse hooks) instead of the tool.
// The tool's edits during a gesture form one undo step named with the tool's actionName.
// With automatic revert on, a tool other than the selection tool gives way to the selection
// tool after a gesture that did its job.
class PWToolController : public pf::Object, public PWToolUndoDelegate {
    PF_CLASS(PWToolController)
public:
    // The view the controller works for; the view outlives it (it owns it).
    explicit PWToolController(PWDrawingView& view);
    // For views other than the drawing view (and tests): `view` must outlive the controller.
    explicit PWToolController(PWToolView& view);
    ~PWToolController() override;

    // Class settings: tools activate a valid layer under the mouse automatically.
    // Kept in the user defaults under this key.
    static inline const QString kAutoActivateValidLayerDefaultsKey = QStringLiteral("PWToolControllerAutoActivateValidLayer");
    static bool toolsAutoActivateValidLayer();
    static void setToolsAutoActivateValidLayer(bool autoActivate);

    // The controller of the view that has the keyboard focus (the first responder able to set
    // a tool), or null when there is none.
    static PWToolController* firstResponderAbleToSetTool();
    // Sets `tool` in every live controller (PWDrawingTool::set); false when there is none.
    static bool setToolInAllControllers(const pf::Ref<PWDrawingTool>& tool);

    PWToolView& toolView() const { return *m_view; }

    // The current tool: never null (the selection tool when nothing else was set). Setting
    // null sets the selection tool. A change tells the old tool toolControllerWillUnsetTool,
    // the new one toolControllerDidSetTool, and posts kPWDidChangeToolNotification.
    pf::Ref<PWDrawingTool> currentTool() const;
    // Same as currentTool; the key the notification's observers read.
    pf::Ref<PWDrawingTool> drawingTool() const { return currentTool(); }
    void setCurrentTool(const pf::Ref<PWDrawingTool>& tool);

    // Automatic revert to the selection tool after one use (the tool is not sticky).
    bool automaticallyReverts() const { return m_autoRevert; }
    void setAutomaticallyReverts(bool reverts);
    void toggleAutoRevertAction(QObject* sender = nullptr);

    // Switch the drawing's snapping; no drawing, no change.
    void toggleSnapToGrid(QObject* sender = nullptr);
    void toggleSnapToGuides(QObject* sender = nullptr);

    // Events from the view (points in drawing coordinates). mouseDown answers the part code
    // the tool gave, or 0.
    int mouseDown(PWDrawingView& view, QPointF drawingPoint, Qt::KeyboardModifiers modifiers, int clickCount);
    void mouseDragged(PWDrawingView& view, QPointF drawingPoint, Qt::KeyboardModifiers modifiers);
    void mouseUp(PWDrawingView& view, QPointF drawingPoint, Qt::KeyboardModifiers modifiers);
    void flagsChanged(PWDrawingView& view, Qt::KeyboardModifiers modifiers);
    // The mouse moved with no button down: the current tool follows it.
    void mouseMoved(PWDrawingView& view, QPointF drawingPoint, Qt::KeyboardModifiers modifiers);
    // Arrow keys nudge the selection (1 unit, 10 with Shift); Return, Enter and Escape reach
    // the tool first (ending a path). True when the key was used.
    bool keyDown(PWDrawingView& view, int qtKey, Qt::KeyboardModifiers modifiers);

    // The same events for any PWToolView.
    int mouseDown(PWToolView& view, QPointF drawingPoint, Qt::KeyboardModifiers modifiers, int clickCount);
    void mouseDragged(PWToolView& view, QPointF drawingPoint, Qt::KeyboardModifiers modifiers);
    void mouseUp(PWToolView& view, QPointF drawingPoint, Qt::KeyboardModifiers modifiers);
    void flagsChanged(PWToolView& view, Qt::KeyboardModifiers modifiers);
    void mouseMoved(PWToolView& view, QPointF drawingPoint, Qt::KeyboardModifiers modifiers);
    bool keyDown(PWToolView& view, int qtKey, Qt::KeyboardModifiers modifiers);

    // The cursor for the current tool and modifiers: a layer that implementsOwnTools shows its
    // own, a tool that cannot work on the active layer shows the forbidden cursor.
    QCursor cursor() const;
    QCursor cursorForModifiers(Qt::KeyboardModifiers modifiers) const;

    // Draws the current tool's feedback (marquee, path under construction, dimension guides)
    // over the drawing; the view calls it after drawing the layers, in drawing coordinates.
    void drawToolFeedback(QPainter& painter, const QRectF& drawingRect, double scale) const;

    // Whether a mouse gesture is under way.
    bool isTracking() const { return m_tracking; }

    // A drag out of a ruler: adds a guide (horizontal from the horizontal ruler, a line of
    // constant y; vertical from the vertical one) at `drawingPoint` and makes the following
    // mouseDragged / mouseUp move it, snapped to the grid (Control reverses). Released outside
    // the guide layer's deletion rectangle the guide goes again. One undo step "Add Guide".
    // False when the drawing has no guide layer or it is locked.
    bool beginGuideDragFromRuler(PWDrawingView& view, bool horizontal, QPointF drawingPoint);
    bool beginGuideDragFromRuler(PWToolView& view, bool horizontal, QPointF drawingPoint);

    // PWToolUndoDelegate: opens and closes the gesture's undo group.
    void toolWillPerformUndoableAction(PWDrawingTool& tool) override;
    void toolDidPerformUndoableAction(PWDrawingTool& tool) override;

private:
    PWToolView& adapt(PWDrawingView& view);
    PWLayer* targetLayer(PWToolView& view, const QPointF& point, Qt::KeyboardModifiers modifiers);
    void beginGestureUndo(PWToolView& view);
    void endGestureUndo();
    void revertIfNeeded(bool didItsJob);
    void finishGesture(const QPointF& point, Qt::KeyboardModifiers modifiers, bool viaMouseUp);
    PWToolEvent makeEvent(PWToolView& view, QPointF point, Qt::KeyboardModifiers modifiers, int clickCount) const;
    bool nudgeSelection(PWToolView& view, int qtKey, Qt::KeyboardModifiers modifiers);
    void updateCursor();

    std::unique_ptr<PWToolView> m_ownedView;
    PWToolView* m_view = nullptr;
    pf::Ref<PWDrawingTool> m_tool;
    bool m_autoRevert = false;

    // Gesture state.
    bool m_tracking = false;
    bool m_layerOwnsGesture = false;
    // A guide dragged out of a ruler.
    bool m_rulerGuide = false;
    bool m_rulerGuideHorizontal = false;
    double m_rulerGuidePosition = 0.0;
    void dragRulerGuide(const QPointF& point, Qt::KeyboardModifiers modifiers);
    int m_partCode = 0;
    pf::Weak<PWLayer> m_gestureLayer;
    PWToolView* m_gestureView = nullptr;
    int m_clickCount = 1;
    QPointF m_lastPoint;
    pf::Weak<pf::UndoManager> m_gestureUndoManager;
    bool m_gestureGroupOpen = false;
};
