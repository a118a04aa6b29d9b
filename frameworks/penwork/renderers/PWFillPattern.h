#pragma once

#include "frameworks/penwork/renderers/PWPathDecorator.h"

// Fills the object's path with copies of an image set out on a grid, clipped to the path.
//
// Key-value coding (each observable, with undo), besides the decorator's "image", "interval"
// (between grid places, both ways), "scale", "scaleRandomness" and "wobblyness" (copies stray
// by up to this many points): "angleInDegrees" (of the grid), "motifAngleInDegrees" (of each
// copy on it), "motifAngleRandomness" (copies turn at random by up to this share of half a
// turn), "angleIsRelativeToObject" (the grid turns with the object),
// "drawingOfClippedElementsSupressed" (copies the path's edge would cut are left out),
// "patternAlternateYOffset" (every other column moves along by this share of the interval),
// "autoTile" (the grid follows the image's size, so copies touch edge to edge).
class PWFillPattern : public PWPathDecorator {
    PF_CLASS(PWFillPattern)
public:
    static inline const QString kAngleInDegreesKey = QStringLiteral("angleInDegrees");
    static inline const QString kMotifAngleInDegreesKey = QStringLiteral("motifAngleInDegrees");
    static inline const QString kMotifAngleRandomnessKey = QStringLiteral("motifAngleRandomness");
    static inline const QString kAngleIsRelativeToObjectKey = QStringLiteral("angleIsRelativeToObject");
    static inline const QString kDrawingOfClippedElementsSupressedKey =
        QStringLiteral("drawingOfClippedElementsSupressed");
    static inline const QString kPatternAlternateYOffsetKey = QStringLiteral("patternAlternateYOffset");
    static inline const QString kAutoTileKey = QStringLiteral("autoTile");

    // However small the interval, at most this many copies fill a path: the grid widens.
    static constexpr int kMaxMotifs = 100000;

    PWFillPattern();
    explicit PWFillPattern(const QImage& image);
    PWFillPattern(const PWFillPattern& other) = default;

    // Not finite values are refused.
    double angleInDegrees() const { return m_angle; }
    void setAngleInDegrees(double degrees);
    double motifAngleInDegrees() const { return m_motifAngle; }
    void setMotifAngleInDegrees(double degrees);
    // Clamped to 0...1.
    double motifAngleRandomness() const { return m_motifAngleRandomness; }
    void setMotifAngleRandomness(double randomness);
    bool angleIsRelativeToObject() const { return m_angleIsRelative; }
    void setAngleIsRelativeToObject(bool relative);
    bool drawingOfClippedElementsSupressed() const { return m_suppressClipped; }
    void setDrawingOfClippedElementsSupressed(bool suppressed);
    // Clamped to 0...1.
    double patternAlternateYOffset() const { return m_alternateOffset; }
    void setPatternAlternateYOffset(double offset);
    bool autoTile() const { return m_autoTile; }
    void setAutoTile(bool autoTile);

    // The centre of each copy for `path` in drawing order, the grid turned by angleInDegrees
    // plus `extraDegrees`; at most kMaxMotifs of them.
    QList<QPointF> gridPlacesForPath(const pf::BezierPath& path, double extraDegrees) const;

    void render(const PWRenderable& object) override;
    void renderPath(const pf::BezierPath& path) override;
    // The path's area: copies are clipped to it.
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
    void renderPattern(const pf::BezierPath& path, double extraDegrees);

    double m_angle = 0.0;
    double m_motifAngle = 0.0;
    double m_motifAngleRandomness = 0.0;
    bool m_angleIsRelative = false;
    bool m_suppressClipped = false;
    double m_alternateOffset = 0.0;
    bool m_autoTile = false;
};
