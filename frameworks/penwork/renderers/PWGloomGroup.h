#pragma once

#include "frameworks/penwork/styles/PWRastGroup.h"

// Draws its members with a soft halo made from their own rendering: a glow in their colours,
// or a dark shadow, spread by `radius` around them.
//
// Key-value coding (each observable, with undo), besides the group's: "radius" (points),
// "intensity" (how strongly the halo shows: 1 as blurred, more brightens it), "clipping" (the
// halo only outside the object's path, 1, or only inside it, 2; 0 anywhere), "type"
// (GloomType values), and "displayName", which follows the type.
class PWGloomGroup : public PWRastGroup {
    PF_CLASS(PWGloomGroup)
public:
    static inline const QString kRadiusKey = QStringLiteral("radius");
    static inline const QString kIntensityKey = QStringLiteral("intensity");
    static inline const QString kClippingKey = QStringLiteral("clipping");
    static inline const QString kTypeKey = QStringLiteral("type");
    static inline const QString kDisplayNameKey = QStringLiteral("displayName");

    enum GloomType : int { GloomGlow = 0, GloomShadow = 1 };
    static constexpr int kLastType = GloomShadow;

    // Accepted ranges; values beyond are clamped, NaN is refused.
    static constexpr double kMaxRadius = 500.0;
    static constexpr double kMaxIntensity = 10.0;

    // A glow of radius 8 at intensity 1, unclipped.
    PWGloomGroup();
    PWGloomGroup(const PWGloomGroup& other) = default;

    double radius() const { return m_radius; }
    void setRadius(double radius);
    double intensity() const { return m_intensity; }
    void setIntensity(double intensity);
    // 0, 1 or 2; others are refused.
    int clipping() const { return m_clipping; }
    void setClipping(int clipping);
    // GloomType values; others are refused.
    int type() const { return m_type; }
    void setType(int type);

    void render(const PWRenderable& object) override;
    // The members' bounds grown by the halo's reach.
    QRectF boundsNeededForObject(const PWRenderable& object) const override;
    // "Glow" or "Shadow".
    QString displayName() const override;
    QStringList observableKeyPaths() const override;

    pf::Ref<pf::Object> copy() const override;
    bool isEqual(const pf::Reflective* other) const override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    void registerActionNames() const override;

private:
    double m_radius = 8.0;
    double m_intensity = 1.0;
    int m_clipping = 0;
    int m_type = GloomGlow;
};
