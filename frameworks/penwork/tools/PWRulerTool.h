#pragma once

#include "frameworks/penwork/tools/PWDrawingTool.h"

#include <QLineF>

class PWDrawing;

// Measures: a drag shows the distance between its ends in the drawing's units and its angle
// (degrees anticlockwise from the positive x axis, as the user sees it on screen). The last
// measurement stays on the drawing until the next drag or another tool. Shift keeps the
// angle to 15 degree steps. Changes nothing in the drawing.
class PWRulerTool : public PWDrawingTool {
    PF_CLASS(PWRulerTool)
public:
    // The measured line, or a null line before the first drag.
    QLineF measuredLine() const { return m_line; }
    // The measured length in points, and in the drawing's own units.
    double lengthInPoints() const { return m_line.length(); }
    double lengthInDrawingUnits(const PWDrawing* drawing) const;
    // The angle in degrees, 0 to 360, anticlockwise on screen (the drawing is y-down).
    double angleInDegrees() const;
    // "<length> <units>, <angle>°" (without a drawing, the length in points).
    QString measurementText(const PWDrawing* drawing) const;

    QString defaultActionName() const override { return QStringLiteral("Measure"); }
    QCursor cursor() const override { return QCursor(Qt::CrossCursor); }
    int mouseDownAtPoint(const QPointF& point, PWDrawableObject* target, PWLayer* layer, const PWToolEvent& event,
                         PWToolUndoDelegate* delegate) override;
    void mouseDraggedToPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                             PWToolUndoDelegate* delegate) override;
    bool mouseUpAtPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                        PWToolUndoDelegate* delegate) override;
    // Measuring needs no editable layer: it works over any layer.
    bool isValidTargetLayer(const PWLayer* layer) const override { return true; }
    void toolControllerWillUnsetTool(PWToolController& controller) override;
    void drawToolFeedback(QPainter& painter, const QRectF& drawingRect, double scale) const override;

private:
    void invalidate(const PWToolEvent& event) const;

    QLineF m_line;
    const PWDrawing* m_drawing = nullptr;
    PWToolView* m_view = nullptr;
};
