#pragma once

#include "drawing/PWXObjectPathCache.h"

#include "frameworks/penwork/styles/PWStroke.h"

// The map symbol of a tunnel: the road's two casing lines, thin and dashed, and at each end a
// portal, a bracket across the road whose open ends flare outwards. The renderer's width is
// the road's; its colour draws casing and portals.
//
// Key-value coding (each observable through the renderer change protocol, with undo), besides
// the stroke's: "portalWidth" (portal depth along the road, times the width), "portalHeight"
// (portal span across the road, times the width), "portalCapStyle", "portalKind" (1 angular,
// anything else curved).
class PWXTunnelRasterizer : public PWStroke {
    PF_CLASS(PWXTunnelRasterizer)
public:
    static inline const QString kPortalWidthKey = QStringLiteral("portalWidth");
    static inline const QString kPortalHeightKey = QStringLiteral("portalHeight");
    static inline const QString kPortalCapStyleKey = QStringLiteral("portalCapStyle");
    static inline const QString kPortalKindKey = QStringLiteral("portalKind");

    static constexpr int kAngularPortal = 1;

    // Width 6, dashed 0.25 on and 0.5 off (in widths), round portal caps, curved portals.
    PWXTunnelRasterizer();
    PWXTunnelRasterizer(const PWXTunnelRasterizer& other) = default;

    double portalWidth() const { return m_portalWidthScale; }
    void setPortalWidth(double scale);
    double portalHeight() const { return m_portalHeightScale; }
    void setPortalHeight(double scale);
    pf::BezierPath::LineCap portalCapStyle() const { return m_portalCapStyle; }
    void setPortalCapStyle(pf::BezierPath::LineCap cap);
    int portalKind() const { return m_portalKind; }
    void setPortalKind(int kind);

    double portalLineWidth() const;
    // How far the casing stops short of each end, so that it meets the portal.
    double casingTrimLength() const;
    // One portal at `point`, turned by `angle` (radians): its closed side points along the angle.
    pf::Ref<pf::BezierPath> portalPathAtPoint(const QPointF& point, double angle) const;
    // The casing outline and both portals as one undashed path (for the bounds).
    pf::Ref<pf::BezierPath> tunnelPathForPath(const pf::BezierPath& path) const;
    // The casing outline: the constant-width outline of the path shortened at both ends.
    pf::Ref<pf::BezierPath> casingForPath(const pf::BezierPath& path) const;

    void render(const PWRenderable& object) override;
    void renderPath(const pf::BezierPath& path) override;
    QRectF boundsNeededForObject(const PWRenderable& object) const override;
    QString displayName() const override;
    QStringList observableKeyPaths() const override;

    pf::Ref<pf::Object> copy() const override;
    bool isEqual(const pf::Reflective* other) const override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    void registerActionNames() const override;
    void sendDidChange(const QString& keyPath) override;

private:
    pf::Ref<pf::BezierPath> cachedCasing(const PWRenderable& object, const pf::BezierPath& path) const;
    void drawTunnel(const pf::BezierPath& path, const pf::BezierPath& casing);

    double m_portalWidthScale = 0.6;
    double m_portalHeightScale = 1.7;
    pf::BezierPath::LineCap m_portalCapStyle = pf::BezierPath::LineCap::Round;
    int m_portalKind = 0;

    PWXObjectPathCache<pf::Ref<pf::BezierPath>> m_casings;
};
