#pragma once

#include "frameworks/penwork/tools/PWDrawingTool.h"

// Scrolls the view with a drag: the drawing follows the mouse. It edits nothing and works on
// any layer.
class PWPanTool : public PWDrawingTool {
    PF_CLASS(PWPanTool)
public:
    PWPanTool();

    QString defaultActionName() const override { return QStringLiteral("Pan"); }
    QCursor cursor() const override;
    bool isValidTargetLayer(const PWLayer*) const override { return true; }
    int mouseDownAtPoint(const QPointF& point, PWDrawableObject* target, PWLayer* layer, const PWToolEvent& event,
                         PWToolUndoDelegate* delegate) override;
    void mouseDraggedToPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                             PWToolUndoDelegate* delegate) override;
    bool mouseUpAtPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                        PWToolUndoDelegate* delegate) override;

private:
    // Scrolls so that the drawing has moved by the mouse's travel since the mouse down.
    void scrollFor(const QPointF& point, const PWToolEvent& event);

    bool m_tracking = false;
    bool m_scrolled = false;
    PWToolView* m_view = nullptr;
    QRectF m_startVisible;
    // Where the mouse went down, measured from the visible area's corner (drawing units).
    QPointF m_startOffset;
};
