#pragma once

#include "frameworks/penwork/tools/PWDimensionGuide.h"
#include "frameworks/penwork/tools/PWDrawingTool.h"

#include <QList>
#include <QRectF>
#include <QTransform>

#include <memory>
#include <vector>

class PWDrawing;
class PWObjectOwnerLayer;
class PWShapeGroup;

// The standard selection tool. A click selects the object under the mouse (Shift adds or
// removes it); a drag from an object moves the selection, snapped to the other objects, the
// guides and the grid (Control suspends snapping), and with Option moves copies instead;
// a drag from a selected object's handle resizes, rotates (Shift in 15 degree steps) or moves
// a path point; a drag from empty space draws a marquee that selects what it meets (Shift
// adds to the selection); a drag from a guide moves the guide. A double click on a text
// object starts editing its text; on a group it enters the group: clicks then pick, move and
// reshape its members in place (a group inside it is entered the same way) until a click
// outside its members, Escape or another tool leaves it, the group selected again. Each
// gesture is one undo step ("Move", "Duplicate", "Resize", "Rotate", "Edit Path", "Move
// Guide"), or the tool's actionName when one is set.
class PWSelectAndEditTool : public PWDrawingTool {
    PF_CLASS(PWSelectAndEditTool)
public:
    // How near (screen units) a click must come to a guide to take it.
    static constexpr double kGuideHitTolerance = 4.0;

    PWSelectAndEditTool();
    ~PWSelectAndEditTool() override;

    // Moving the selection moves the selected objects of every object layer, not only the
    // active one's. Kept in the user defaults.
    static bool moveOperatesOnAllLayers();
    static void setMoveOperatesOnAllLayers(bool allLayers);

    // The marquee being dragged (drawing coordinates), or a null rectangle.
    QRectF marqueeRect() const { return m_marquee; }
    // The group entered by a double click, and the member chosen in it (null when none).
    pf::Ref<PWShapeGroup> enteredGroup() const { return m_enteredGroup; }
    pf::Ref<PWDrawableObject> chosenMember() const { return m_member; }
    // Leaves the entered group, selecting it again in its layer.
    void exitGroup();

    bool isSelectionTool() const override { return true; }
    QString defaultActionName() const override { return QStringLiteral("Edit"); }
    int mouseDownAtPoint(const QPointF& point, PWDrawableObject* target, PWLayer* layer, const PWToolEvent& event,
                         PWToolUndoDelegate* delegate) override;
    void mouseDraggedToPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                             PWToolUndoDelegate* delegate) override;
    bool mouseUpAtPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                        PWToolUndoDelegate* delegate) override;
    bool keyDown(int qtKey, const PWToolEvent& event, PWLayer* layer) override;
    void toolControllerWillUnsetTool(PWToolController& controller) override;
    void drawToolFeedback(QPainter& painter, const QRectF& drawingRect, double scale) const override;

private:
    enum class Drag { None, Move, Handle, Marquee, Guide };
    struct Moving {
        pf::Ref<PWDrawableObject> object;
        QPointF startLocation;
    };
    class RectSource;

    void beginMove(PWObjectOwnerLayer& layer, const PWToolEvent& event);
    void dragMove(PWObjectOwnerLayer& layer, const QPointF& point, const PWToolEvent& event);
    void makeCopies(PWObjectOwnerLayer& layer);
    void dragHandle(const QPointF& point, const PWToolEvent& event);
    void dragMarquee(PWObjectOwnerLayer& layer, const QPointF& point, const PWToolEvent& event);
    bool beginGuideDrag(PWObjectOwnerLayer& layer, const QPointF& point, const PWToolEvent& event);
    void dragGuide(PWObjectOwnerLayer& layer, const QPointF& point, const PWToolEvent& event);
    QString nameForGesture() const;
    void showReadout(const PWToolEvent& event, const QPointF& point, const QString& text) const;
    void startGuides(PWDrawing* drawing, const QRectF& rect, const pf::Class* cls, int modes);
    void endGuides();
    void reset();
    // Entering groups.
    void enterGroup(PWObjectOwnerLayer& layer, const pf::Ref<PWShapeGroup>& group, const QPointF& point);
    int mouseDownInGroup(PWObjectOwnerLayer& layer, const QPointF& point, const PWToolEvent& event);
    void chooseMember(const pf::Ref<PWDrawableObject>& member);
    // What the entered group's feedback covers: the group, the chosen member and its handles.
    QRectF groupFeedbackRect() const;
    void redisplayGroupFeedback();

    Drag m_drag = Drag::None;
    QPointF m_start;
    bool m_changed = false;
    // Moving.
    std::vector<Moving> m_moving;
    QRectF m_startBounds;
    bool m_copyOnMove = false;
    bool m_copied = false;
    // Handles.
    pf::Ref<PWDrawableObject> m_handleObject;
    int m_handlePart = 0;
    // Marquee.
    QRectF m_marquee;
    QList<pf::Ref<PWDrawableObject>> m_marqueeBase;
    // Guides.
    bool m_guideIsHorizontal = false;
    double m_guidePosition = 0.0;
    // The entered group and its chosen member; drags inside it work in the group's own
    // coordinates, which m_toLocal maps drawing points into.
    pf::Ref<PWShapeGroup> m_enteredGroup;
    pf::Ref<PWShapeGroup> m_outerGroup; // the layer's object the entering began from
    pf::Ref<PWDrawableObject> m_member;
    QRectF m_shownGroupFeedback;
    QTransform m_toLocal;
    bool m_draggingMember = false;
    // Dimension guides of the drag.
    std::unique_ptr<RectSource> m_dimensionSource;
    PWDimensionGuide::GuideSet m_dimensionGuides;
};
