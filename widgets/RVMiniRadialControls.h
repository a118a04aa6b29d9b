#pragma once

#include "widgets/RVMiniControl.h"

#include <QPointF>

// A simple pair of handles for a centre and a radius: a target mark dragged to move the
// centre, and a dashed circle dragged to set the radius.
class RVMiniRadialControls : public RVMiniControl {
    PF_CLASS(RVMiniRadialControls)
public:
    static constexpr qint64 kPartTarget = 24;
    static constexpr qint64 kPartRadius = 42;
    // How far from the circle a press still takes the radius handle.
    static constexpr double kRadiusHitTolerance = 4.0;

    explicit RVMiniRadialControls(const QRectF& bounds);

    QPointF centre() const { return m_centre; }
    void setCentre(QPointF centre);
    double radius() const { return m_radius; }
    void setRadius(double radius);

    QRectF targetRect() const;
    QRectF rectForRadius() const;

    qint64 hitTestPoint(QPointF point) override;
    bool mouseDraggedAt(QPointF point, qint64 part, unsigned modifierFlags) override;
    void draw() override;
    void drawRadControlInRect(const QRectF& rect, double radius, double colorValue) const;

private:
    double m_radius = 0;
    QPointF m_centre;
};
