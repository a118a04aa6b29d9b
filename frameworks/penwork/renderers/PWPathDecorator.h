#pragma once

#include "frameworks/penwork/renderers/PWRendererGeometry.h"
#include "frameworks/penwork/styles/PWRasterizer.h"

#include <QByteArray>
#include <QImage>

// Repeats an image along the object's path at an interval.
//
// Key-value coding (each observable, with undo): "image", "scale" (points per image pixel),
// "interval" (between copies along the path), "leadInAndOutLengthProportion" (the share of the
// path's length at either end over which copies grow from nothing, by rampFunction),
// "scaleRandomness" (copies vary in size by up to this share), "lateralOffset" (copies stand
// this far to the left of the path), "lateralOffsetAlternates" (every other copy stands on the
// other side), "normalToPath" (copies turn with the path; otherwise they stay upright),
// "usesChainMethod" (copies touch end to end, the interval following the image's width),
// "wobblyness" (copies stray sideways by up to this many points), "clipping" (0 none, 1 only
// outside the path, 2 only inside).
class PWPathDecorator : public PWRasterizer {
    PF_CLASS(PWPathDecorator)
public:
    static inline const QString kImageKey = QStringLiteral("image");
    static inline const QString kScaleKey = QStringLiteral("scale");
    static inline const QString kIntervalKey = QStringLiteral("interval");
    static inline const QString kLeadInAndOutLengthProportionKey = QStringLiteral("leadInAndOutLengthProportion");
    static inline const QString kScaleRandomnessKey = QStringLiteral("scaleRandomness");
    static inline const QString kLateralOffsetKey = QStringLiteral("lateralOffset");
    static inline const QString kLateralOffsetAlternatesKey = QStringLiteral("lateralOffsetAlternates");
    static inline const QString kNormalToPathKey = QStringLiteral("normalToPath");
    static inline const QString kUsesChainMethodKey = QStringLiteral("usesChainMethod");
    static inline const QString kWobblynessKey = QStringLiteral("wobblyness");
    static inline const QString kClippingKey = QStringLiteral("clipping");

    // Accepted ranges; values beyond them are clamped, NaN is refused. However short the
    // interval, at most kMaxCopies copies are drawn along a path.
    static constexpr double kMinScale = 0.01;
    static constexpr double kMaxScale = 100.0;
    static constexpr double kMinInterval = 1.0;
    static constexpr double kMaxInterval = 100000.0;
    static constexpr double kMaxOffset = 10000.0;
    static constexpr double kMaxWobblyness = 1000.0;
    static constexpr int kMaxCopies = 10000;

    // No image, scale 1, interval 20, turning with the path, no lead-in, offset or clipping.
    PWPathDecorator();
    explicit PWPathDecorator(const QImage& image);
    PWPathDecorator(const PWPathDecorator& other) = default;
    // A new decorator of exactly `cls` (a PWPathDecorator or a subclass) holding the image;
    // null for any other class. The class operation "pathDecoratorWithImage:" does the same
    // for the class it is sent to.
    static pf::Ref<PWPathDecorator> pathDecoratorWithImage(const QImage& image,
                                                           const pf::Class& cls = staticClass());

    QImage image() const { return m_image; }
    void setImage(const QImage& image);
    double scale() const { return m_scale; }
    virtual void setScale(double scale);
    double interval() const { return m_interval; }
    void setInterval(double interval);
    double leadInAndOutLengthProportion() const { return m_leadInOut; }
    // Clamped to 0...0.5 (half the path at each end).
    void setLeadInAndOutLengthProportion(double proportion);
    double scaleRandomness() const { return m_scaleRandomness; }
    // Clamped to 0...1.
    void setScaleRandomness(double randomness);
    double lateralOffset() const { return m_lateralOffset; }
    void setLateralOffset(double offset);
    bool lateralOffsetAlternates() const { return m_offsetAlternates; }
    void setLateralOffsetAlternates(bool alternates);
    bool normalToPath() const { return m_normalToPath; }
    void setNormalToPath(bool normal);
    bool usesChainMethod() const { return m_chain; }
    void setUsesChainMethod(bool chain);
    double wobblyness() const { return m_wobblyness; }
    void setWobblyness(double wobblyness);
    int clipping() const { return m_clipping; }
    // Values other than 0, 1 and 2 are refused.
    void setClipping(int clipping);

    // The size factor of a copy within the lead-in or lead-out: t runs from 0 at the path's end
    // to 1 where the ramp is over. Linear here; subclasses shape it.
    virtual double rampFunction(double t) const;
    // The distance between copies this decorator uses (the chain method follows the image).
    double effectiveInterval() const;

    // Where the copies go along `path`, in drawing order.
    QList<pw::renderers::MotifPlacement> placementsForPath(const pf::BezierPath& path) const;

    // Draws the copies placed for the object, reusing the placements of the last drawing of
    // the same geometry.
    void render(const PWRenderable& object) override;
    void renderPath(const pf::BezierPath& path) override;
    QRectF boundsNeededForObject(const PWRenderable& object) const override;
    QString displayName() const override;
    QStringList observableKeyPaths() const override;

    pf::Ref<pf::Object> copy() const override;
    bool isEqual(const pf::Reflective* other) const override;

    // The image is archived as PNG.
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    void registerActionNames() const override;
    // Where copies `interval` apart go along `path`: each sized by the scale, the ramp and the
    // random variation, moved by the lateral offset and the wobble.
    QList<pw::renderers::MotifPlacement> placementsForPath(const pf::BezierPath& path, double interval) const;
    // How far a copy may reach from its place: half the image's diagonal at the largest scale.
    double motifReach() const;
    // Any change of a setting drops the placements kept for redraws.
    void sendDidChange(const QString& keyPath) override;

private:
    void drawPlacements(const pf::BezierPath& path, const QList<pw::renderers::MotifPlacement>& placements);

    QImage m_image;
    double m_scale = 1.0;
    double m_interval = 20.0;
    double m_leadInOut = 0.0;
    double m_scaleRandomness = 0.0;
    double m_lateralOffset = 0.0;
    bool m_offsetAlternates = false;
    bool m_normalToPath = true;
    bool m_chain = false;
    double m_wobblyness = 0.0;
    int m_clipping = 0;
    pw::renderers::GeometryCache<QList<pw::renderers::MotifPlacement>> m_placementCache;
    // The cache key of the object render is drawing, while it hands its path to renderPath.
    std::optional<quint64> m_renderingKey;
};
