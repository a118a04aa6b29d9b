#pragma once

#include "widgets/RVMiniControl.h"

#include <QPointF>

namespace pf {
class BezierPath;
}

// An "iris ring" mini control: the ring is dragged to move its centre, and a tab outside the
// ring swings between -45 and +45 degrees to set the radius. Radius and tab angle are two
// views of one value, tied by the maximum value M: angle = radius / (M pi) - pi/4 and
// radius = M (angle + pi/4) pi.
class RVMiniRadialControl2 : public RVMiniControl {
    PF_CLASS(RVMiniRadialControl2)
public:
    static constexpr qint64 kPartIris = 17;
    static constexpr qint64 kPartTab = 18;
    static constexpr float kDefaultRingRadius = 48.0f;

    explicit RVMiniRadialControl2(const QRectF& bounds);
    ~RVMiniRadialControl2() override;

    // Also sets the ring radius to a sixth of the smaller side.
    void setBounds(const QRectF& bounds) override;

    QPointF centre() const { return m_centre; }
    void setCentre(QPointF centre);
    float radius() const { return m_radius; }
    void setRadius(float radius);
    float tabAngle() const { return m_tabAngle; }
    void setTabAngle(float angle);
    // The drawn ring's radius: the stored one times the scale.
    float ringRadius() const { return m_ringRadius * m_ringScale; }
    void setRingRadius(float radius);
    float ringRadiusScale() const { return m_ringScale; }
    void setRingRadiusScale(float scale);
    // At the cluster's alpha.
    pf::Color tabColor() const;
    void setTabColor(const pf::Color& colour);
    bool isHighlighted() const { return m_hilite; }

    // New paths placed at the centre and turned by the tab angle.
    pf::Ref<pf::BezierPath> irisPath();
    pf::Ref<pf::BezierPath> tabPath();
    pf::Ref<pf::BezierPath> hitTabPath();
    void invalidatePathCache();
    // The point on the ring at `degrees`.
    QPointF trackPointForAngle(float degrees) const;

    qint64 hitTestPoint(QPointF point) override;
    bool mouseDownAt(QPointF point, qint64 part, unsigned modifierFlags) override;
    bool mouseDraggedAt(QPointF point, qint64 part, unsigned modifierFlags) override;
    void mouseUpAt(QPointF point, qint64 part, unsigned modifierFlags) override;
    void draw() override;

private:
    // The ring's width: a share of the ring radius, at least 8.
    float ringWidth() const;
    pf::Ref<pf::BezierPath> placed(const pf::BezierPath& path) const;
    float tabAngleForRadius(float radius) const;

    pf::Color m_tabColour = pf::Color::black();
    pf::Ref<pf::BezierPath> m_tab;
    pf::Ref<pf::BezierPath> m_hitTab;
    pf::Ref<pf::BezierPath> m_iris;
    QPointF m_centre;
    QSizeF m_offset;
    float m_radius = 0;
    float m_ringRadius = kDefaultRingRadius;
    float m_tabAngle;
    float m_ringScale = 1.0f;
    bool m_irisDilating = false;
    bool m_hilite = false;
};
