#pragma once

#include "frameworks/penwork/tools/PWDrawingTool.h"

class PWDrawablePath;

// Edits the points of a path one click at a time: in insert mode a click on a path's outline
// adds a point there, splitting the segment; in delete mode a click on one of a path's points
// removes it (a path keeps at least two points). Each edit is one undo step. Paths whose
// points are derived from parameters (arcs, regular polygons) are left alone.
class PWPathPointTool : public PWDrawingTool {
    PF_CLASS(PWPathPointTool)
public:
    enum class Mode { kInsertPoint = 0, kDeletePoint = 1 };

    // How near (screen units) a click must come to the outline or a point.
    static constexpr double kHitTolerance = 4.0;

    explicit PWPathPointTool(Mode mode = Mode::kInsertPoint);

    Mode mode() const { return m_mode; }

    // The part code of the on-curve point of `path` nearest `point` within `tolerance`
    // (drawing units), or 0.
    static int onCurvePartNear(const PWDrawablePath& path, const QPointF& point, double tolerance);

    QString defaultActionName() const override;
    QCursor cursor() const override { return QCursor(Qt::CrossCursor); }
    int mouseDownAtPoint(const QPointF& point, PWDrawableObject* target, PWLayer* layer, const PWToolEvent& event,
                         PWToolUndoDelegate* delegate) override;
    bool mouseUpAtPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                        PWToolUndoDelegate* delegate) override;

private:
    Mode m_mode;
    bool m_edited = false;
};
