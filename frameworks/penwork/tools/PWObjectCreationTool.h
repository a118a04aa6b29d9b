#pragma once

#include "frameworks/penwork/tools/PWDrawingTool.h"

#include <functional>

class PWObjectOwnerLayer;
class PWStyle;

// Posted when the style for created objects changes: by setStyleForCreatedObjects (object:
// null) and by a tool's setStyle (object: the tool, which answers "style"). User info
// "style": the new style (absent for none).
inline const QString kPWDrawingToolCreatedObjectsStyleDidChange =
    QStringLiteral("kPWDrawingToolCreatedObjectsStyleDidChange");

// A tool that makes a new object by copying its prototype and shaping it with the drag:
// the new object waits in the layer's pending slot while the mouse moves and is added, as one
// undo step named actionName(), on mouse up, then selected. A gesture too small to shape a
// valid object creates nothing. Shift constrains (a square box, angles in 15 degree steps),
// Option draws a box from its centre, Control suspends snapping. With style pick-up enabled,
// a Command-click on an object takes its style as the creation style instead.
class PWObjectCreationTool : public PWDrawingTool {
    PF_CLASS(PWObjectCreationTool)
public:
    // How a drag shapes the object: the box spanned by the two points, or a figure about the
    // first point reaching out to the second (radius and angle).
    enum class CreationMode { kBoxCreation = 0, kCentreCreation = 1 };

    // Gestures shorter than this (in screen units) are clicks.
    static constexpr double kMinimumDragDistance = 2.0;

    PWObjectCreationTool();
    ~PWObjectCreationTool() override;

    // The shared style of new objects (null: none, the tools use their own or the prototype's).
    static pf::Ref<PWStyle> styleForCreatedObjects();
    static void setStyleForCreatedObjects(const pf::Ref<PWStyle>& style);

    virtual pf::Ref<PWDrawableObject> prototype() const { return m_prototype; }
    virtual void setPrototype(pf::Ref<PWDrawableObject> prototype);
    // The new object: a copy of the prototype, null without one.
    virtual pf::Ref<PWDrawableObject> objectFromPrototype();

    // The style new objects get: the tool's own, else styleForCreatedObjects, else null (the
    // prototype's style stays).
    virtual pf::Ref<PWStyle> style() const;
    virtual void setStyle(const pf::Ref<PWStyle>& style);
    pf::Ref<PWStyle> ownStyle() const { return m_style; }

    bool stylePickupEnabled() const { return m_stylePickupEnabled; }
    void setStylePickupEnabled(bool enabled) { m_stylePickupEnabled = enabled; }

    CreationMode creationMode() const { return m_mode; }
    void setCreationMode(CreationMode mode) { m_mode = mode; }

    // The object being created during a gesture (in the layer's pending slot), or null.
    pf::Ref<PWDrawableObject> objectBeingCreated() const { return m_creating; }
    void setObjectBeingCreated(pf::Ref<PWDrawableObject> object) { m_creating = std::move(object); }

    // PWDrawingTool
    QString defaultActionName() const override;
    QCursor cursor() const override;
    int mouseDownAtPoint(const QPointF& point, PWDrawableObject* target, PWLayer* layer, const PWToolEvent& event,
                         PWToolUndoDelegate* delegate) override;
    void mouseDraggedToPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                             PWToolUndoDelegate* delegate) override;
    bool mouseUpAtPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                        PWToolUndoDelegate* delegate) override;
    void toolControllerWillUnsetTool(PWToolController& controller) override;
    QVariantMap toolSettings() const override;
    void applyToolSettings(const QVariantMap& settings) override;

protected:
    // Gives `object` its geometry for a drag from `anchor` to `point` (both snapped already).
    virtual void shapeObject(PWDrawableObject& object, const QPointF& anchor, const QPointF& point,
                             const PWToolEvent& event) const;
    // Called on mouse up before validation; answers false to drop the object. `dragged` tells
    // a click from a drag. The base keeps a dragged object only.
    virtual bool finishObject(PWDrawableObject& object, bool dragged, const PWToolEvent& event);
    // After the object has been added and selected.
    virtual void didCreateObject(PWDrawableObject& object, const PWToolEvent& event) {}

    QPointF snappedPoint(PWObjectOwnerLayer& layer, const QPointF& point, const PWToolEvent& event) const;
    // Whether the gesture has left the click tolerance.
    bool hasDragged() const { return m_dragged; }
    QPointF anchor() const { return m_anchor; }
    // Runs `edit` with the layer's undo registration off (shaping a pending object is not
    // an edit of its own).
    static void withoutUndo(PWLayer& layer, const std::function<void()>& edit);
    // Removes the object being created from its layer's pending slot and forgets it.
    void abandonCreation();
    // Makes the new object (objectFromPrototype with style()) and puts it in the layer's
    // pending slot as the object being created; null without a prototype.
    pf::Ref<PWDrawableObject> beginPendingObject(PWObjectOwnerLayer& layer);
    // Whether `layer` holds the object being created.
    bool isCreatingIn(const PWLayer* layer) const;
    // Adds the object being created to its layer as one undo step named actionName() and
    // selects it; false (and nothing added) without one.
    bool commitObjectBeingCreated(PWObjectOwnerLayer& layer, PWToolUndoDelegate* delegate);
    // Takes the style of `target` as the creation style (the tool's own when it has one, else
    // the shared one).
    void pickUpStyle(PWDrawableObject& target);

private:

    pf::Ref<PWDrawableObject> m_prototype;
    pf::Ref<PWStyle> m_style;
    bool m_stylePickupEnabled = true;
    CreationMode m_mode = CreationMode::kBoxCreation;

    pf::Ref<PWDrawableObject> m_creating;
    pf::Weak<PWLayer> m_creatingLayer;
    QPointF m_anchor;
    bool m_dragged = false;
    bool m_pickingUp = false;
};
