#pragma once

#include "frameworks/penwork/tools/PWObjectCreationTool.h"

#include <QList>

// Draws a path following the mouse. On mouse up the trace is simplified (points nearer than
// the epsilon to the line through their neighbours go) and smoothed into curves through the
// points that remain. A trace of fewer than two distinct points creates nothing.
class PWFreehandTool : public PWObjectCreationTool {
    PF_CLASS(PWFreehandTool)
public:
    PWFreehandTool();

    // The simplification tolerance in drawing units; 0 (the default) uses the paths' class
    // default (PWDrawablePath::defaultFreehandEpsilon). Negative or non-finite values are
    // ignored.
    double epsilon() const { return m_epsilon; }
    void setEpsilon(double epsilon);
    double effectiveEpsilon() const;

    // The trace simplified within `epsilon` (Ramer-Douglas-Peucker); ends are always kept.
    static QList<QPointF> simplifiedPoints(const QList<QPointF>& points, double epsilon);

    // Only path objects are taken as prototypes.
    void setPrototype(pf::Ref<PWDrawableObject> prototype) override;
    QString defaultActionName() const override { return QStringLiteral("New Freehand Path"); }
    int mouseDownAtPoint(const QPointF& point, PWDrawableObject* target, PWLayer* layer, const PWToolEvent& event,
                         PWToolUndoDelegate* delegate) override;
    void mouseDraggedToPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                             PWToolUndoDelegate* delegate) override;
    bool mouseUpAtPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                        PWToolUndoDelegate* delegate) override;
    QVariantMap toolSettings() const override;
    void applyToolSettings(const QVariantMap& settings) override;

private:
    void addPoint(const QPointF& point, const PWToolEvent& event);

    double m_epsilon = 0.0;
    QList<QPointF> m_points;
    bool m_pickingUp = false;
};
