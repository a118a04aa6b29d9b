#pragma once

#include "frameworks/penwork/tools/PWObjectCreationTool.h"
#include "frameworks/penwork/tools/PWRubberBand.h"
#include "platform/graphics/BezierPath.h"

#include <vector>

// Draws a path point by point: a click adds a corner, a drag from a new point pulls out its
// curve handles (the one behind mirrors the one ahead). A double click, Return, Enter or
// Escape ends the path; a click on its first point closes and ends it. The path shows as the
// layer's pending object while it grows and is added (one undo step) when it ends; a path of
// fewer than two distinct points creates nothing.
class PWBezierPathTool : public PWObjectCreationTool {
    PF_CLASS(PWBezierPathTool)
public:
    // How near (screen units) a click must come to the first point to close the path, and how
    // far a drag must go to make a curve.
    static constexpr double kCloseTolerance = 5.0;
    static constexpr double kCurveThreshold = 2.0;

    PWBezierPathTool();

    // Only path objects are taken as prototypes.
    void setPrototype(pf::Ref<PWDrawableObject> prototype) override;
    QString defaultActionName() const override { return QStringLiteral("New Path"); }

    // The number of points placed so far in the path under construction.
    int pointCount() const { return int(m_nodes.size()); }
    // Ends the path under construction: adds it when it is worth keeping. Answers whether a
    // path was added.
    bool finishPath(bool close = false);

    int mouseDownAtPoint(const QPointF& point, PWDrawableObject* target, PWLayer* layer, const PWToolEvent& event,
                         PWToolUndoDelegate* delegate) override;
    void mouseDraggedToPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                             PWToolUndoDelegate* delegate) override;
    bool mouseUpAtPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                        PWToolUndoDelegate* delegate) override;
    bool keyDown(int qtKey, const PWToolEvent& event, PWLayer* layer) override;
    bool isGestureInProgress() const override { return !m_nodes.empty(); }
    void toolControllerWillUnsetTool(PWToolController& controller) override;
    // Between clicks the next edge follows the pointer.
    void mouseMovedToPoint(const QPointF& point, PWLayer* layer, const PWToolEvent& event) override;
    void drawToolFeedback(QPainter& painter, const QRectF& drawingRect, double scale) const override;
    // The edge to the pointer while the shape is under construction.
    const PWRubberBand& rubberBand() const { return m_rubberBand; }

private:
    struct Node {
        QPointF point;
        QPointF handle; // the control point ahead of the point, when curved
        bool curved = false;
    };
    pf::Ref<pf::BezierPath> buildPath(bool close) const;
    void updatePendingPath();

    std::vector<Node> m_nodes;
    bool m_endOnMouseUp = false;
    bool m_closeOnEnd = false;
    bool m_pickingUp = false;
    PWToolUndoDelegate* m_delegate = nullptr;
    PWRubberBand m_rubberBand;
};
