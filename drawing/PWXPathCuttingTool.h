#pragma once

#include "frameworks/penwork/tools/PWDrawingTool.h"

class PWDrawablePath;

// Cuts a path in two where the user clicks it, or where a drag first crosses a path; one
// cut per gesture. The part after the cut becomes a new path beside the old one, and both
// are selected.
class PWXPathCuttingTool : public PWDrawingTool {
    PF_CLASS(PWXPathCuttingTool)
public:
    QString defaultActionName() const override;
    QCursor cursor() const override;

    int mouseDownAtPoint(const QPointF& point, PWDrawableObject* target, PWLayer* layer, const PWToolEvent& event,
                         PWToolUndoDelegate* delegate) override;
    void mouseDraggedToPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                             PWToolUndoDelegate* delegate) override;
    // Whether the gesture cut a path.
    bool mouseUpAtPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                        PWToolUndoDelegate* delegate) override;

    // Cuts `path` where it passes nearest `point`. Nothing happens at the path's very start or
    // end, off the path, or for a locked path; only a cut that made a new path counts.
    void cutPath(PWDrawablePath* path, const QPointF& point, PWLayer* layer, PWToolUndoDelegate* delegate);

    bool hasCut() const { return m_hasCut; }

private:
    void cutOrDeselect(PWDrawableObject* target, const QPointF& point, PWLayer* layer, PWToolUndoDelegate* delegate);

    bool m_hasCut = false;
};
