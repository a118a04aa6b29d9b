#pragma once

#include "frameworks/penwork/styles/PWRasterizer.h"
#include "frameworks/penwork/styles/PWStrokeDash.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"

// Fills the object's path with parallel lines, clipped to the path.
//
// Key-value coding (each observable, with undo): "colour", "width" (of the lines), "spacing"
// (between them), "leadInProportion" (where the first line falls, as a share of the spacing),
// "angleInDegrees" (of the lines: 0 runs along +x, positive turns towards +y),
// "angleIsRelativeToObject" (the lines turn with the object), "roughness" (lines stray from
// their places by up to this share of half the spacing), "wobblyness" (lines wander by up to
// this many points along their length), "lineCapStyle", "lineJoinStyle", "dash".
class PWHatching : public PWRasterizer {
    PF_CLASS(PWHatching)
public:
    static inline const QString kColourKey = QStringLiteral("colour");
    static inline const QString kWidthKey = QStringLiteral("width");
    static inline const QString kSpacingKey = QStringLiteral("spacing");
    static inline const QString kLeadInProportionKey = QStringLiteral("leadInProportion");
    static inline const QString kAngleInDegreesKey = QStringLiteral("angleInDegrees");
    static inline const QString kAngleIsRelativeToObjectKey = QStringLiteral("angleIsRelativeToObject");
    static inline const QString kRoughnessKey = QStringLiteral("roughness");
    static inline const QString kWobblynessKey = QStringLiteral("wobblyness");
    static inline const QString kLineCapStyleKey = QStringLiteral("lineCapStyle");
    static inline const QString kLineJoinStyleKey = QStringLiteral("lineJoinStyle");
    static inline const QString kDashKey = QStringLiteral("dash");

    // Accepted ranges (values beyond are clamped, NaN is refused). However small the spacing,
    // at most kMaxLines lines are drawn: the spacing widens to fit.
    static constexpr double kMaxWidth = 1000.0;
    static constexpr double kMinSpacing = 0.1;
    static constexpr double kMaxSpacing = 10000.0;
    static constexpr double kMaxWobblyness = 1000.0;
    static constexpr int kMaxLines = 20000;

    // Black lines 0.5 wide, 8 apart, at 45 degrees, butt caps, miter joins, solid.
    PWHatching();
    PWHatching(const PWHatching& other);

    const pf::Color& colour() const { return m_colour; }
    void setColour(const pf::Color& colour);
    double width() const { return m_width; }
    void setWidth(double width);
    double spacing() const { return m_spacing; }
    void setSpacing(double spacing);
    double leadInProportion() const { return m_leadIn; }
    // Clamped to 0...1.
    void setLeadInProportion(double proportion);
    double angleInDegrees() const { return m_angle; }
    // Not finite values are refused.
    void setAngleInDegrees(double degrees);
    bool angleIsRelativeToObject() const { return m_angleIsRelative; }
    void setAngleIsRelativeToObject(bool relative);
    double roughness() const { return m_roughness; }
    // Clamped to 0...1.
    void setRoughness(double roughness);
    double wobblyness() const { return m_wobblyness; }
    void setWobblyness(double wobblyness);
    pf::BezierPath::LineCap lineCapStyle() const { return m_lineCap; }
    // Values outside the enumerations are refused.
    void setLineCapStyle(pf::BezierPath::LineCap cap);
    pf::BezierPath::LineJoin lineJoinStyle() const { return m_lineJoin; }
    void setLineJoinStyle(pf::BezierPath::LineJoin join);
    // Null (or invalid) draws solid lines.
    pf::Ref<PWStrokeDash> dash() const { return m_dash; }
    void setDash(const pf::Ref<PWStrokeDash>& dash);

    // The hatch lines for `path`, before clipping, at `angleInDegrees` plus `extraDegrees`,
    // their wandering seeded by `seed`.
    pf::Ref<pf::BezierPath> hatchLinesForPath(const pf::BezierPath& path, double extraDegrees, quint64 seed) const;

    void render(const PWRenderable& object) override;
    void renderPath(const pf::BezierPath& path) override;
    // The path's area: the lines never leave it.
    QRectF boundsNeededForObject(const PWRenderable& object) const override;
    QString displayName() const override;
    QStringList observableKeyPaths() const override;

    pf::Ref<pf::Object> copy() const override;
    bool isEqual(const pf::Reflective* other) const override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    void registerActionNames() const override;

private:
    void renderHatching(const pf::BezierPath& path, double extraDegrees, quint64 seed);

    pf::Color m_colour = pf::Color::black();
    double m_width = 0.5;
    double m_spacing = 8.0;
    double m_leadIn = 0.0;
    double m_angle = 45.0;
    bool m_angleIsRelative = false;
    double m_roughness = 0.0;
    double m_wobblyness = 0.0;
    pf::BezierPath::LineCap m_lineCap = pf::BezierPath::LineCap::Butt;
    pf::BezierPath::LineJoin m_lineJoin = pf::BezierPath::LineJoin::Miter;
    pf::Ref<PWStrokeDash> m_dash;
};
