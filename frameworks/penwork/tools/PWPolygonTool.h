#pragma once

#include "frameworks/penwork/tools/PWObjectCreationTool.h"
#include "frameworks/penwork/tools/PWRubberBand.h"
#include "platform/graphics/BezierPath.h"

#include <vector>

// Draws a closed polygon of straight edges: each click adds a corner (a drag places it), a
// double click, Return or Enter ends the polygon, Escape abandons it. The polygon shows as the
// layer's pending object while it grows and is added (one undo step) when it ends; fewer than
// three distinct corners, or corners all on one line, create nothing.
class PWPolygonTool : public PWObjectCreationTool {
    PF_CLASS(PWPolygonTool)
public:
    PWPolygonTool();

    // Only path objects are taken as prototypes.
    void setPrototype(pf::Ref<PWDrawableObject> prototype) override;
    QString defaultActionName() const override { return QStringLiteral("New Polygon"); }

    // The corners placed so far in the polygon under construction.
    int pointCount() const { return int(m_points.size()); }
    // Ends the polygon under construction, adding it when it is worth keeping; answers whether
    // it was added.
    bool finishPolygon();
    // Abandons the polygon under construction.
    void cancelPolygon();

    int mouseDownAtPoint(const QPointF& point, PWDrawableObject* target, PWLayer* layer, const PWToolEvent& event,
                         PWToolUndoDelegate* delegate) override;
    void mouseDraggedToPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                             PWToolUndoDelegate* delegate) override;
    bool mouseUpAtPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                        PWToolUndoDelegate* delegate) override;
    bool keyDown(int qtKey, const PWToolEvent& event, PWLayer* layer) override;
    bool isGestureInProgress() const override { return !m_points.empty(); }
    void toolControllerWillUnsetTool(PWToolController& controller) override;
    // Between clicks the next edge follows the pointer.
    void mouseMovedToPoint(const QPointF& point, PWLayer* layer, const PWToolEvent& event) override;
    void drawToolFeedback(QPainter& painter, const QRectF& drawingRect, double scale) const override;
    // The edge to the pointer while the shape is under construction.
    const PWRubberBand& rubberBand() const { return m_rubberBand; }

private:
    pf::Ref<pf::BezierPath> buildPath() const;
    void updatePendingPath();
    // Moves the corner just placed to follow the mouse.
    void moveLastPoint(const QPointF& point, PWLayer* layer, const PWToolEvent& event);
    bool enclosesArea() const;

    std::vector<QPointF> m_points;
    bool m_endOnMouseUp = false;
    bool m_pickingUp = false;
    PWToolUndoDelegate* m_delegate = nullptr;
    PWRubberBand m_rubberBand;
};
