#pragma once

#include "frameworks/penwork/tools/PWObjectCreationTool.h"
#include "frameworks/penwork/tools/PWRubberBand.h"

#include <QList>
#include <QPointF>

class PWConnectableLine;
class PWObjectOwnerLayer;

// Draws a connectable line (PWConnectableLine) whose ends attach to the objects they start
// and end on. Four shapes: a straight line and a track (a right-angled route) are dragged, a
// freehand line follows the drag, a polygonal line is clicked corner by corner (a double click,
// Return or Enter ends it, Escape abandons it). One undo step per line.
class PWConnectableLineTool : public PWObjectCreationTool {
    PF_CLASS(PWConnectableLineTool)
public:
    enum class Shape { kLine = 0, kTrack = 1, kPolygon = 2, kFreehand = 3 };
    // Freehand points closer than this (screen units) to the one before are dropped.
    static constexpr double kFreehandSpacing = 3.0;

    explicit PWConnectableLineTool(Shape shape = Shape::kLine);

    Shape shape() const { return m_shape; }
    // The points of a track from `start` to `end`: across at half way, then on.
    static QList<QPointF> trackPoints(const QPointF& start, const QPointF& end);
    // The topmost object of `layer` under `point`, other than `except`, or null.
    static pf::Ref<PWDrawableObject> objectAtPoint(PWObjectOwnerLayer& layer, const QPointF& point,
                                                   const PWDrawableObject* except);
    // The corners placed so far (polygonal lines).
    int pointCount() const { return int(m_points.size()); }
    // Ends the polygonal line under construction; answers whether a line was added.
    bool finishLine();
    void cancelLine();
    const PWRubberBand& rubberBand() const { return m_rubberBand; }

    QString defaultActionName() const override { return QStringLiteral("New Connector"); }
    int mouseDownAtPoint(const QPointF& point, PWDrawableObject* target, PWLayer* layer, const PWToolEvent& event,
                         PWToolUndoDelegate* delegate) override;
    void mouseDraggedToPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                             PWToolUndoDelegate* delegate) override;
    bool mouseUpAtPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                        PWToolUndoDelegate* delegate) override;
    void mouseMovedToPoint(const QPointF& point, PWLayer* layer, const PWToolEvent& event) override;
    bool keyDown(int qtKey, const PWToolEvent& event, PWLayer* layer) override;
    bool isGestureInProgress() const override { return m_shape == Shape::kPolygon && !m_points.empty(); }
    void toolControllerWillUnsetTool(PWToolController& controller) override;
    void drawToolFeedback(QPainter& painter, const QRectF& drawingRect, double scale) const override;

private:
    pf::Ref<PWConnectableLine> pendingLine() const;
    void updatePendingLine();
    bool commitLine(PWObjectOwnerLayer& layer, PWToolUndoDelegate* delegate);

    Shape m_shape;
    QList<QPointF> m_points;
    pf::Weak<PWDrawableObject> m_startObject;
    pf::Weak<PWObjectOwnerLayer> m_layer;
    PWToolUndoDelegate* m_delegate = nullptr;
    bool m_endOnMouseUp = false;
    bool m_pickingUp = false;
    PWRubberBand m_rubberBand;
};
