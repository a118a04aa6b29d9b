#pragma once

#include "drawing/PWXObjectPathCache.h"

#include "frameworks/penwork/renderers/PWPathDecorator.h"

#include "platform/graphics/Color.h"

// The map symbol of a road in a cutting or on an embankment: small wedge-shaped hachures
// repeated across the path, growing in from the ends along an easing ramp. The motif is one of
// two built-in shapes in the renderer's colour; the decorator's image holds it as a picture,
// and the motif itself is drawn as a shape, so it stays sharp at every size.
//
// Key-value coding (each observable through the renderer change protocol, with undo), besides
// the decorator's: "colour", "kind" (0 cutting, 1 embankment, anything else draws nothing),
// "spacingProportion" (the interval relative to the motif's scaled size, read back as at least
// 0.05), "taperFunction" (an index into kRampFunctionTable).
class PWXCuttingAndEmbankmentRasterizer : public PWPathDecorator {
    PF_CLASS(PWXCuttingAndEmbankmentRasterizer)
public:
    static inline const QString kColourKey = QStringLiteral("colour");
    static inline const QString kKindKey = QStringLiteral("kind");
    static inline const QString kSpacingProportionKey = QStringLiteral("spacingProportion");
    static inline const QString kTaperFunctionKey = QStringLiteral("taperFunction");

    enum Kind : int { Cutting = 0, Embankment = 1 };
    static constexpr double kMinSpacingProportion = 0.05;
    // The interval is the scale times this times the spacing proportion.
    static constexpr double kIntervalPerScale = 1.125;
    // Pixels per motif unit in the decorator's image.
    static constexpr int kImageResolution = 16;

    // A black cutting, scale 4, interval 4.5, lead-in and lead-out 0.15, ramping with
    // EaseInOutCosine.
    PWXCuttingAndEmbankmentRasterizer();
    PWXCuttingAndEmbankmentRasterizer(const PWXCuttingAndEmbankmentRasterizer& other) = default;

    // The wedge: one unit wide at y = 2, narrowing to a point at the origin.
    static pf::Ref<pf::BezierPath> standardCuttingEmbankmentPath();
    // Two wedges meeting point to point at the origin.
    static pf::Ref<pf::BezierPath> cuttingMotifPath();
    // Two wedges whose wide ends face each other, spanning y -6..0.
    static pf::Ref<pf::BezierPath> embankmentMotifPath();
    // The motif of `kind`, null for any other kind.
    static pf::Ref<pf::BezierPath> motifPathForKind(int kind);
    static QImage standardCuttingImageElementWithFillColour(const pf::Color& colour);
    static QImage standardEmbankmentImageElementWithFillColour(const pf::Color& colour);
    // A null image for a kind other than cutting and embankment.
    static QImage imageForKind(int kind, const pf::Color& colour);

    const pf::Color& colour() const { return m_colour; }
    void setColour(const pf::Color& colour);
    int kind() const { return m_kind; }
    void setKind(int kind);
    double spacingProportion() const { return std::max(m_spacingProportion, kMinSpacingProportion); }
    void setSpacingProportion(double proportion);
    int taperFunction() const { return m_taperFunction; }
    void setTaperFunction(int index);

    void setScale(double scale) override;
    double rampFunction(double t) const override;

    // All the motifs along `path`, placed and sized, as one shape to fill.
    pf::Ref<pf::BezierPath> motifsPathForPath(const pf::BezierPath& path) const;

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
    void drawMotifs(const pf::BezierPath& path, const pf::BezierPath& motifs);

    pf::Color m_colour = pf::Color::black();
    int m_kind = Cutting;
    double m_spacingProportion = 1.0;
    int m_taperFunction = 2;

    PWXObjectPathCache<pf::Ref<pf::BezierPath>> m_motifs;
};
