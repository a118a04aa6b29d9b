#pragma once

#include "frameworks/penwork/drawables/PWCentredPath.h"

// A regular polygon or star about a centre (its location). The first corner lies at the
// object's angle (radians, clockwise on screen from +x); a star's valleys lie halfway between
// its tips, at innerRadius times the radius. A spread above 0 rounds the tips (or the valleys)
// into curves whose handles run along the circle's tangent, spread times half the distance to
// the next corner long. The path is rebuilt from the parameters whenever one changes
// (observers of "path" hear of it); resizing scales the radius by the smaller of the two
// factors. Its points are not edited one by one: makePlainPath gives a plain path.
class PWRegularPolygonPath : public PWCentredPath {
    PF_CLASS(PWRegularPolygonPath)
public:
    static constexpr int kMinimumSides = 3;
    static constexpr int kMaximumSides = pf::BezierPath::kMaxPolygonCorners / 2;

    // How the creation tool reads a drag: from the centre to a corner, or corner to corner of
    // the polygon's box.
    enum CreationMode : int { kCreateFromCentre = 0, kCreateFromCorner = 1 };

    PWRegularPolygonPath();
    PWRegularPolygonPath(const PWRegularPolygonPath& other);

    // A null style means the default style.
    static pf::Ref<PWRegularPolygonPath> polygonWithCentre(const QPointF& centre, double radius, int sides,
                                                           pf::Ref<PWStyle> style = nullptr);

    // Clamped to kMinimumSides .. kMaximumSides.
    int numberOfSides() const { return m_sides; }
    void setNumberOfSides(int sides);
    // The valleys' radius as a fraction of the radius, 0 to 1 (clamped); stars only.
    double innerRadius() const { return m_innerRadius; }
    void setInnerRadius(double ratio);
    // 0 (sharp) to 1 (clamped).
    double tipSpread() const { return m_tipSpread; }
    void setTipSpread(double spread);
    // Stars only; 0 to 1 (clamped).
    double valleySpread() const { return m_valleySpread; }
    void setValleySpread(double spread);
    bool isStar() const { return m_star; }
    void setStar(bool star);
    // Whether the spread handles are shown while the object is selected.
    bool showsSpreadControls() const { return m_showsSpreadControls; }
    void setShowsSpreadControls(bool shows);
    // One of CreationMode; other values are refused.
    int pathCreationMode() const { return m_creationMode; }
    void setPathCreationMode(int mode);

    void setAngle(double angle) override;

    pf::Ref<pf::Object> copy() const override;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

private:
    void rebuildPath() override;

    int m_sides = 5;
    double m_innerRadius = 0.5;
    double m_tipSpread = 0.0;
    double m_valleySpread = 0.0;
    bool m_star = false;
    bool m_showsSpreadControls = false;
    int m_creationMode = kCreateFromCentre;
};
