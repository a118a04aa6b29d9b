#pragma once

#include "frameworks/penwork/drawables/PWCentredPath.h"

// A circular arc, drawn open, closed by its chord, or as a pie wedge. Its path is rebuilt from
// the parameters whenever one changes (observers of "path" hear of it); the location is the
// circle's centre. Angles are in degrees, increasing clockwise on screen (the drawing is
// y-down) from the +x axis. Rotating the arc turns both angles; resizing scales the radius by
// the smaller of the two factors, so the arc stays circular. Its points are not edited one by
// one: converting it to a plain path (makePlainPath) gives that freedom.
class PWArcPath : public PWCentredPath {
    PF_CLASS(PWArcPath)
public:
    enum ArcType : int { kOpenArc = 0, kChord = 1, kPieWedge = 2 };

    PWArcPath();
    PWArcPath(const PWArcPath& other);

    // A null style means the default style.
    static pf::Ref<PWArcPath> arcPathWithCentre(const QPointF& centre, double radius, double startAngle,
                                                double endAngle, int arcType = kOpenArc,
                                                pf::Ref<PWStyle> style = nullptr);

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

    void setAngle(double angle) override;

    pf::Ref<pf::Object> copy() const override;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

private:
    void rebuildPath() override;

    double m_startAngle = 0.0;
    double m_endAngle = 90.0;
    int m_arcType = kOpenArc;
};
