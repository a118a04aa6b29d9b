#pragma once

#include "frameworks/penwork/tools/PWDrawingTool.h"

// Zooms the view: a click zooms in by a factor of two about the point (out with zoomsOut;
// Option reverses the direction), a drag zooms in on the dragged rectangle. Works on any layer.
class PWZoomTool : public PWDrawingTool {
    PF_CLASS(PWZoomTool)
public:
    static constexpr double kZoomFactor = 2.0;
    // A drag shorter than this (screen units) is a click.
    static constexpr double kMinimumDrag = 4.0;

    PWZoomTool();

    bool zoomsOut() const { return m_zoomsOut; }
    void setZoomsOut(bool zoomsOut) { m_zoomsOut = zoomsOut; }
    // The rectangle being dragged, or a null rectangle.
    QRectF zoomRect() const { return m_rect; }

    QString defaultActionName() const override { return QStringLiteral("Zoom"); }
    QCursor cursor() const override;
    bool isValidTargetLayer(const PWLayer*) const override { return true; }
    int mouseDownAtPoint(const QPointF& point, PWDrawableObject* target, PWLayer* layer, const PWToolEvent& event,
                         PWToolUndoDelegate* delegate) override;
    void mouseDraggedToPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                             PWToolUndoDelegate* delegate) override;
    bool mouseUpAtPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                        PWToolUndoDelegate* delegate) override;
    void drawToolFeedback(QPainter& painter, const QRectF& drawingRect, double scale) const override;

private:
    bool m_zoomsOut = false;
    QPointF m_start;
    QRectF m_rect;
};
