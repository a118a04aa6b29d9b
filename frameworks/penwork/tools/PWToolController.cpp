#include "frameworks/penwork/tools/PWToolController.h"

#include "frameworks/penwork/drawables/PWKnob.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWGuideLayer.h"
#include "frameworks/penwork/layers/PWObjectOwnerLayer.h"
#include "frameworks/penwork/support/RVLog.h"
#include "frameworks/penwork/tools/PWDimensionGuide.h"
#include "frameworks/penwork/tools/PWDrawingViewToolAdapter.h"
#include "frameworks/penwork/tools/PWToolRegistry.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "frameworks/penwork/view/PWViewController.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const QString kAutoActivateDefault = PWToolController::kAutoActivateValidLayerDefaultsKey;

std::vector<PWToolController*>& liveControllers()
{
    static std::vector<PWToolController*> controllers;
    return controllers;
}

} // namespace

PF_DEFINE_CLASS(PWToolController, pf::Object)
{
    b.property("drawingTool", &PWToolController::drawingTool);
    b.property("currentTool", &PWToolController::currentTool, &PWToolController::setCurrentTool);
    b.property("automaticallyReverts", &PWToolController::automaticallyReverts,
               &PWToolController::setAutomaticallyReverts);
    b.method("toggleAutoRevertAction:", [](PWToolController& self, const QVariantList&) {
        self.toggleAutoRevertAction();
        return QVariant();
    });
    b.method("toggleSnapToGrid:", [](PWToolController& self, const QVariantList&) {
        self.toggleSnapToGrid();
        return QVariant();
    });
    b.method("toggleSnapToGuides:", [](PWToolController& self, const QVariantList&) {
        self.toggleSnapToGuides();
        return QVariant();
    });
}

PWToolController::PWToolController(PWDrawingView& view)
    : m_ownedView(std::make_unique<PWDrawingViewToolAdapter>(view)), m_view(m_ownedView.get())
{
    m_tool = PWDrawingTool::sharedCurrentTool();
    if (!m_tool)
        m_tool = PWDrawingTool::selectionTool();
    liveControllers().push_back(this);
}

PWToolController::PWToolController(PWToolView& view) : m_view(&view)
{
    m_tool = PWDrawingTool::sharedCurrentTool();
    if (!m_tool)
        m_tool = PWDrawingTool::selectionTool();
    liveControllers().push_back(this);
}

PWToolController::~PWToolController()
{
    auto& all = liveControllers();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
    // A gesture cut short (the view went away mid-drag) must not leave an undo group open.
    endGestureUndo();
}

bool PWToolController::toolsAutoActivateValidLayer()
{
    // On unless switched off: a click on another layer's object reaches it at once.
    const pf::UserDefaults& defaults = pf::UserDefaults::standard();
    return !defaults.objectForKey(kAutoActivateDefault).isValid() || defaults.boolForKey(kAutoActivateDefault);
}

void PWToolController::setToolsAutoActivateValidLayer(bool autoActivate)
{
    pf::UserDefaults::standard().setBool(autoActivate, kAutoActivateDefault);
}

PWToolController* PWToolController::firstResponderAbleToSetTool()
{
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        for (PWToolController* controller : liveControllers()) {
            if (controller->m_view->widget() == w)
                return controller;
        }
    }
    return nullptr;
}

bool PWToolController::setToolInAllControllers(const pf::Ref<PWDrawingTool>& tool)
{
    // A controller's tool change may make or destroy views: work on a copy of the list.
    const std::vector<PWToolController*> controllers = liveControllers();
    for (PWToolController* controller : controllers) {
        const auto& all = liveControllers();
        if (std::find(all.begin(), all.end(), controller) != all.end())
            controller->setCurrentTool(tool);
    }
    return !controllers.empty();
}

pf::Ref<PWDrawingTool> PWToolController::currentTool() const
{
    return m_tool ? m_tool : PWDrawingTool::selectionTool();
}

void PWToolController::setCurrentTool(const pf::Ref<PWDrawingTool>& tool)
{
    pf::Ref<PWDrawingTool> next = tool ? tool : PWDrawingTool::selectionTool();
    if (next == m_tool)
        return;
    // A gesture of the old tool ends before the new one takes over.
    if (m_tracking)
        finishGesture(m_lastPoint, Qt::NoModifier, true);
    if (m_tool)
        m_tool->toolControllerWillUnsetTool(*this);
    m_tool = next;
    m_tool->toolControllerDidSetTool(*this);
    updateCursor();
    pf::NotificationCenter::defaultCenter().post(kPWDidChangeToolNotification, this);
}

void PWToolController::setAutomaticallyReverts(bool reverts)
{
    if (reverts == m_autoRevert)
        return;
    m_autoRevert = reverts;
    pf::NotificationCenter::defaultCenter().post(kPWDidChangeToolAutoRevertStateNotification, this);
}

void PWToolController::toggleAutoRevertAction(QObject*)
{
    setAutomaticallyReverts(!m_autoRevert);
}

void PWToolController::toggleSnapToGrid(QObject*)
{
    if (PWDrawing* drawing = m_view->drawing())
        drawing->setSnapsToGrid(!drawing->snapsToGrid());
}

void PWToolController::toggleSnapToGuides(QObject*)
{
    if (PWDrawing* drawing = m_view->drawing())
        drawing->setSnapsToGuides(!drawing->snapsToGuides());
}

// Events ------------------------------------------------------------------------------------------

PWToolView& PWToolController::adapt(PWDrawingView& view)
{
    if (auto* own = dynamic_cast<PWDrawingViewToolAdapter*>(m_view); own && &own->drawingView() == &view)
        return *own;
    // Another view than ours: keep an adapter for it (views hand their own controller events,
    // so this is the rare case of a shared controller).
    m_ownedView = std::make_unique<PWDrawingViewToolAdapter>(view);
    m_view = m_ownedView.get();
    return *m_view;
}

int PWToolController::mouseDown(PWDrawingView& view, QPointF point, Qt::KeyboardModifiers modifiers, int clickCount)
{
    return mouseDown(adapt(view), point, modifiers, clickCount);
}

void PWToolController::mouseDragged(PWDrawingView& view, QPointF point, Qt::KeyboardModifiers modifiers)
{
    mouseDragged(adapt(view), point, modifiers);
}

void PWToolController::mouseUp(PWDrawingView& view, QPointF point, Qt::KeyboardModifiers modifiers)
{
    mouseUp(adapt(view), point, modifiers);
}

void PWToolController::flagsChanged(PWDrawingView& view, Qt::KeyboardModifiers modifiers)
{
    flagsChanged(adapt(view), modifiers);
}

bool PWToolController::keyDown(PWDrawingView& view, int qtKey, Qt::KeyboardModifiers modifiers)
{
    return keyDown(adapt(view), qtKey, modifiers);
}

PWToolEvent PWToolController::makeEvent(PWToolView& view, QPointF point, Qt::KeyboardModifiers modifiers,
                                        int clickCount) const
{
    PWToolEvent event;
    event.point = point;
    event.modifiers = modifiers;
    event.clickCount = std::max(1, clickCount);
    event.view = &view;
    return event;
}

PWLayer* PWToolController::targetLayer(PWToolView& view, const QPointF& point, Qt::KeyboardModifiers modifiers)
{
    PWLayer* active = view.activeLayer();
    PWDrawing* drawing = view.drawing();
    // A tool in the middle of a multi-click gesture keeps its layer.
    // The preference "auto-activate layers" can turn it off for the views.
    if (!drawing || !toolsAutoActivateValidLayer() || !PWViewController::layerAutoActivationDefault()
        || currentTool()->isGestureInProgress())
        return active;
    if (active && (active->implementsOwnTools() || active->shouldAutoActivateWithEvent(point, modifiers)))
        return active;
    const QList<pf::Ref<PWLayer>> layers = drawing->flattenedLayers();
    const pf::Ref<PWDrawingTool> tool = currentTool();
    for (auto it = layers.crbegin(); it != layers.crend(); ++it) {
        PWLayer* layer = it->get();
        if (layer == active || !layer->visible() || !tool->isValidTargetLayer(layer))
            continue;
        if (layer->shouldAutoActivateWithEvent(point, modifiers) && layer->attemptToMakeActive())
            return layer;
    }
    return active;
}

void PWToolController::beginGestureUndo(PWToolView& view)
{
    endGestureUndo();
    PWDrawing* drawing = view.drawing();
    RVUndoManager* manager = drawing ? drawing->undoManager() : nullptr;
    if (!manager)
        return;
    manager->beginUndoGrouping();
    m_gestureUndoManager = std::static_pointer_cast<pf::UndoManager>(manager->shared_from_this());
    m_gestureGroupOpen = true;
}

void PWToolController::endGestureUndo()
{
    if (!m_gestureGroupOpen)
        return;
    m_gestureGroupOpen = false;
    if (pf::Ref<pf::UndoManager> manager = m_gestureUndoManager.lock(); manager && manager->groupingLevel() > 0)
        manager->endUndoGrouping();
    m_gestureUndoManager.reset();
}

int PWToolController::mouseDown(PWToolView& view, QPointF point, Qt::KeyboardModifiers modifiers, int clickCount)
{
    // A mouse up that never came ends the previous gesture first.
    if (m_tracking)
        finishGesture(m_lastPoint, modifiers, true);
    if (!view.drawing())
        return 0;
    PWKnob::defaultKnobs()->setViewScale(view.scale());

    PWLayer* layer = targetLayer(view, point, modifiers);
    m_gestureView = &view;
    m_lastPoint = point;
    m_clickCount = std::max(1, clickCount);
    m_partCode = 0;
    m_gestureLayer = layer ? std::static_pointer_cast<PWLayer>(layer->shared_from_this()) : nullptr;

    if (layer && layer->implementsOwnTools()) {
        m_layerOwnsGesture = true;
        m_tracking = true;
        layer->mouseDown(point, modifiers, view.widget());
        return 0;
    }
    m_layerOwnsGesture = false;
    const pf::Ref<PWDrawingTool> tool = currentTool();
    if (!tool->isValidTargetLayer(layer)) {
        QApplication::beep();
        return 0;
    }
    auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer);
    pf::Ref<PWDrawableObject> target = owner ? owner->hitObject(point) : nullptr;

    beginGestureUndo(view);
    m_tracking = true;
    try {
        m_partCode = tool->mouseDownAtPoint(point, target.get(), layer, makeEvent(view, point, modifiers, clickCount),
                                            this);
    } catch (const pf::Exception& exception) {
        RVLog(kStateEvent, QStringLiteral("tool '%1' failed on mouse down: %2").arg(tool->registeredName(),
                                                                                  exception.reason()));
        m_tracking = false;
        endGestureUndo();
        return 0;
    }
    return m_partCode;
}

bool PWToolController::beginGuideDragFromRuler(PWDrawingView& view, bool horizontal, QPointF drawingPoint)
{
    return beginGuideDragFromRuler(adapt(view), horizontal, drawingPoint);
}

bool PWToolController::beginGuideDragFromRuler(PWToolView& view, bool horizontal, QPointF point)
{
    if (m_tracking)
        finishGesture(m_lastPoint, Qt::NoModifier, true);
    PWDrawing* drawing = view.drawing();
    pf::Ref<PWGuideLayer> guides = drawing ? drawing->guideLayer() : nullptr;
    if (!guides || guides->locked() || !std::isfinite(point.x()) || !std::isfinite(point.y()))
        return false;
    beginGestureUndo(view);
    const QPointF p = drawing->snapToGrid(point, false);
    m_rulerGuideHorizontal = horizontal;
    m_rulerGuidePosition = horizontal ? p.y() : p.x();
    if (horizontal)
        guides->addHorizontalGuide(m_rulerGuidePosition);
    else
        guides->addVerticalGuide(m_rulerGuidePosition);
    m_gestureView = &view;
    m_gestureLayer = guides;
    m_lastPoint = point;
    m_rulerGuide = true;
    m_layerOwnsGesture = false;
    m_tracking = true;
    return true;
}

void PWToolController::dragRulerGuide(const QPointF& point, Qt::KeyboardModifiers modifiers)
{
    auto guides = std::dynamic_pointer_cast<PWGuideLayer>(m_gestureLayer.lock());
    PWDrawing* drawing = guides ? guides->drawing() : nullptr;
    if (!drawing)
        return;
    // Qt's Meta is the platform Control key.
    const QPointF p = drawing->snapToGrid(point, modifiers.testFlag(Qt::MetaModifier));
    const double to = m_rulerGuideHorizontal ? p.y() : p.x();
    if (to == m_rulerGuidePosition)
        return;
    const QList<double> before = m_rulerGuideHorizontal ? guides->horizontalGuides() : guides->verticalGuides();
    if (!before.contains(m_rulerGuidePosition))
        return; // already dropped outside the deletion rectangle
    if (m_rulerGuideHorizontal)
        guides->moveHorizontalGuide(m_rulerGuidePosition, to);
    else
        guides->moveVerticalGuide(m_rulerGuidePosition, to);
    m_rulerGuidePosition = to;
}

void PWToolController::mouseDragged(PWToolView& view, QPointF point, Qt::KeyboardModifiers modifiers)
{
    if (!m_tracking)
        return;
    m_lastPoint = point;
    if (m_rulerGuide) {
        dragRulerGuide(point, modifiers);
        return;
    }
    pf::Ref<PWLayer> layer = m_gestureLayer.lock();
    if (m_layerOwnsGesture) {
        if (layer)
            layer->mouseDragged(point, modifiers, view.widget());
        return;
    }
    const pf::Ref<PWDrawingTool> tool = currentTool();
    try {
        tool->mouseDraggedToPoint(point, m_partCode, layer.get(), makeEvent(view, point, modifiers, m_clickCount), this);
    } catch (const pf::Exception& exception) {
        RVLog(kStateEvent, QStringLiteral("tool '%1' failed on mouse drag: %2").arg(tool->registeredName(),
                                                                                  exception.reason()));
    }
}

void PWToolController::mouseUp(PWToolView& view, QPointF point, Qt::KeyboardModifiers modifiers)
{
    if (!m_tracking)
        return;
    m_gestureView = &view;
    finishGesture(point, modifiers, true);
}

void PWToolController::finishGesture(const QPointF& point, Qt::KeyboardModifiers modifiers, bool)
{
    m_tracking = false;
    PWToolView& view = m_gestureView ? *m_gestureView : *m_view;
    if (m_rulerGuide) {
        dragRulerGuide(point, modifiers);
        m_rulerGuide = false;
        m_gestureLayer.reset();
        PWDrawing* drawing = view.drawing();
        if (RVUndoManager* manager = drawing ? drawing->undoManager() : nullptr)
            manager->setActionName(QStringLiteral("Add Guide"));
        endGestureUndo();
        return;
    }
    pf::Ref<PWLayer> layer = m_gestureLayer.lock();
    m_gestureLayer.reset();
    if (m_layerOwnsGesture) {
        m_layerOwnsGesture = false;
        if (layer)
            layer->mouseUp(point, modifiers, view.widget());
        return;
    }
    const pf::Ref<PWDrawingTool> tool = currentTool();
    bool didItsJob = false;
    try {
        didItsJob = tool->mouseUpAtPoint(point, m_partCode, layer.get(), makeEvent(view, point, modifiers, m_clickCount),
                                         this);
    } catch (const pf::Exception& exception) {
        RVLog(kStateEvent, QStringLiteral("tool '%1' failed on mouse up: %2").arg(tool->registeredName(),
                                                                                exception.reason()));
    }
    m_partCode = 0;
    endGestureUndo();
    revertIfNeeded(didItsJob);
}

void PWToolController::revertIfNeeded(bool didItsJob)
{
    const pf::Ref<PWDrawingTool> tool = currentTool();
    if (m_autoRevert && didItsJob && !tool->isSelectionTool() && !tool->isGestureInProgress())
        setCurrentTool(PWDrawingTool::selectionTool());
}

void PWToolController::mouseMoved(PWDrawingView& view, QPointF drawingPoint, Qt::KeyboardModifiers modifiers)
{
    mouseMoved(adapt(view), drawingPoint, modifiers);
}

void PWToolController::mouseMoved(PWToolView& view, QPointF drawingPoint, Qt::KeyboardModifiers modifiers)
{
    if (m_tracking)
        return;
    currentTool()->mouseMovedToPoint(drawingPoint, view.activeLayer(), makeEvent(view, drawingPoint, modifiers, 1));
}

void PWToolController::flagsChanged(PWToolView& view, Qt::KeyboardModifiers modifiers)
{
    currentTool()->flagsChanged(makeEvent(view, m_lastPoint, modifiers, 1), view.activeLayer());
    view.setToolCursor(cursorForModifiers(modifiers));
}

bool PWToolController::keyDown(PWToolView& view, int qtKey, Qt::KeyboardModifiers modifiers)
{
    const pf::Ref<PWDrawingTool> tool = currentTool();
    const bool wasInProgress = tool->isGestureInProgress();
    beginGestureUndo(view);
    bool used = false;
    try {
        used = tool->keyDown(qtKey, makeEvent(view, m_lastPoint, modifiers, 1), view.activeLayer());
        if (!used)
            used = nudgeSelection(view, qtKey, modifiers);
    } catch (const pf::Exception& exception) {
        RVLog(kStateEvent, QStringLiteral("tool '%1' failed on a key: %2").arg(tool->registeredName(), exception.reason()));
    }
    endGestureUndo();
    // A key that ended a multi-click gesture counts as the tool's one use.
    if (used && wasInProgress)
        revertIfNeeded(true);
    return used;
}

bool PWToolController::nudgeSelection(PWToolView& view, int qtKey, Qt::KeyboardModifiers modifiers)
{
    QPointF step;
    switch (qtKey) {
    case Qt::Key_Left: step = {-1, 0}; break;
    case Qt::Key_Right: step = {1, 0}; break;
    case Qt::Key_Up: step = {0, -1}; break; // the drawing is y-down
    case Qt::Key_Down: step = {0, 1}; break;
    default: return false;
    }
    auto* layer = dynamic_cast<PWObjectOwnerLayer*>(view.activeLayer());
    if (!layer || layer->locked())
        return false;
    if (modifiers.testFlag(Qt::ShiftModifier))
        step *= 10.0;
    bool moved = false;
    for (const auto& object : layer->selectedAvailableObjects()) {
        if (object->locationLocked())
            continue;
        object->moveBy(step.x(), step.y());
        moved = true;
    }
    if (moved) {
        if (RVUndoManager* manager = layer->undoManager())
            manager->setActionName(QStringLiteral("Nudge"));
    }
    return moved;
}

QCursor PWToolController::cursor() const
{
    return cursorForModifiers(QGuiApplication::queryKeyboardModifiers());
}

QCursor PWToolController::cursorForModifiers(Qt::KeyboardModifiers modifiers) const
{
    PWLayer* layer = m_view->activeLayer();
    if (layer && layer->implementsOwnTools())
        return layer->cursor();
    const pf::Ref<PWDrawingTool> tool = currentTool();
    if (!tool->isValidTargetLayer(layer) && !(toolsAutoActivateValidLayer() && PWViewController::layerAutoActivationDefault()))
        return QCursor(Qt::ForbiddenCursor);
    return tool->cursorForModifiers(modifiers);
}

void PWToolController::updateCursor()
{
    m_view->setToolCursor(cursor());
}

void PWToolController::drawToolFeedback(QPainter& painter, const QRectF& drawingRect, double scale) const
{
    currentTool()->drawToolFeedback(painter, drawingRect, scale);
    PWDimensionGuide::drawShownGuides(painter, scale);
}

void PWToolController::toolWillPerformUndoableAction(PWDrawingTool&) {}

void PWToolController::toolDidPerformUndoableAction(PWDrawingTool& tool)
{
    PWDrawing* drawing = m_view->drawing();
    if (RVUndoManager* manager = drawing ? drawing->undoManager() : nullptr)
        manager->setActionName(tool.actionName());
}
