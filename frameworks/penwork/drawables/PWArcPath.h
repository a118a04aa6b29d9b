#pragma once

#include "frameworks/penwork/drawables/PWDrawablePath.h"

// A circular arc, drawn open, closed by its chord, or as a pie wedge. Its path is rebuilt from
// the parameters whenever one changes (observers of "path" hear of it); the location is the
// circle's centre. Angles are in degrees, increasing clockwise on screen (the drawing is
// y-down) from the +x axis. Rotating the arc turns both angles; resizing scales the radius by
// the smaller of the two factors, so the arc stays circular. Its points are not edited one by
// one: converting it to a plain path (makePlainPath) gives that freedom.
class PWArcPath : public PWDrawablePath {
    PF_CLASS(PWArcPath)
public:
    enum ArcType : int { kOpenArc = 0, kChord = 1, kPieWedge = 2 };

    PWArcPath();
    PWArcPath(const PWArcPath& other);

    // A null style means the default style.
    static pf::Ref<PWArcPath> arcPathWithCentre(const QPointF& centre, double radius, double startAngle,
                                                double endAngle, int arcType = kOpenArc,
                                                pf::Ref<PWStyle> style = nullptr);

    // Positive and finite.
    double radius() const { return m_radius; }
    void setRadius(double radius);
    double startAngle() const { return m_startAngle; }
    void setStartAngle(double degrees);
    double endAngle() const { return m_endAngle; }
    void setEndAngle(double degrees);
    // The angle the arc spans from its start to its end, in (0, 360]; equal start and end
    // angles make a full circle. Setting it moves the end angle.
    double subtendedAngle() const;
    void setSubtendedAngle(double degrees);
    // One of ArcType; other values are refused.
    int arcType() const { return m_arcType; }
    void setArcType(int type);

    QPointF location() const override;
    void setLocation(const QPointF& location) override;
    void setSize(const QSizeF& size) override;
    void setAngle(double angle) override;

    // A plain path with this outline, style, name and metadata.
    pf::Ref<PWDrawablePath> makePlainPath() const;

    QList<int> knobParts() const override { return {}; }
    void mouseDraggedAtPoint(const QPointF& point, int part, bool controlFlag) override;
    void group(PWShapeGroup* group, const QTransform& transform) override;
    QString displayName() const override;

    pf::Ref<pf::Object> copy() const override;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

private:
    void rebuildPath();
    // Records the undo, announces `key` around the change and rebuilds the path.
    void changeParameter(const QString& key, const QString& setter, const QVariant& oldValue,
                         const std::function<void()>& change);

    QPointF m_centre;
    double m_radius = 50.0;
    double m_startAngle = 0.0;
    double m_endAngle = 90.0;
    int m_arcType = kOpenArc;
};
