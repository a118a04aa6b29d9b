#pragma once

#include "frameworks/penwork/tools/PWDrawingTool.h"

#include <QLineF>
#include <QList>

// Selects by drawing a line: every object of the active layer the line passes over is
// selected when the mouse goes up (Shift adds them to the selection). Handy for picking
// thin or overlapping objects a marquee would gather too many of.
class PWLinearSelectTool : public PWDrawingTool {
    PF_CLASS(PWLinearSelectTool)
public:
    // How far apart (screen units) the line is tested along its length.
    static constexpr double kSampleSpacing = 1.0;

    // The objects of `objects` that the segment passes over, in their order; `spacing` in
    // drawing units.
    static QList<pf::Ref<PWDrawableObject>> objectsCrossedBy(const QLineF& line,
                                                              const QList<pf::Ref<PWDrawableObject>>& objects,
                                                              double spacing);

    // The line being drawn, or a null line.
    QLineF selectionLine() const { return m_line; }

    QString defaultActionName() const override { return QStringLiteral("Select"); }
    QCursor cursor() const override { return QCursor(Qt::CrossCursor); }
    int mouseDownAtPoint(const QPointF& point, PWDrawableObject* target, PWLayer* layer, const PWToolEvent& event,
                         PWToolUndoDelegate* delegate) override;
    void mouseDraggedToPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                             PWToolUndoDelegate* delegate) override;
    bool mouseUpAtPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                        PWToolUndoDelegate* delegate) override;
    void drawToolFeedback(QPainter& painter, const QRectF& drawingRect, double scale) const override;

private:
    QLineF m_line;
};
