#pragma once

#include "frameworks/penwork/styles/PWRastGroup.h"

#include "platform/graphics/Color.h"

#include <QList>
#include <QTransform>

// Draws its members once as they are and then `numberOfRepeats` more times, each repeat moved,
// scaled and turned one step further about the object's centre.
//
// Key-value coding (each observable, with undo), besides the group's: "deltaX", "deltaY" (the
// offset of one step), "scaleX", "scaleY" (the scale of one step), "deltaAngle" (the turn of
// one step, in radians), "numberOfRepeats", "angleIsRelative" (steps are taken in the object's
// own turned frame), "reversed" (the last repeat is drawn first, so the members as they are end
// on top), "blendColour" (each repeat is tinted further toward it, the last one entirely; no
// value for none).
class PWRepeatTransformGroup : public PWRastGroup {
    PF_CLASS(PWRepeatTransformGroup)
public:
    static inline const QString kDeltaXKey = QStringLiteral("deltaX");
    static inline const QString kDeltaYKey = QStringLiteral("deltaY");
    static inline const QString kScaleXKey = QStringLiteral("scaleX");
    static inline const QString kScaleYKey = QStringLiteral("scaleY");
    static inline const QString kDeltaAngleKey = QStringLiteral("deltaAngle");
    static inline const QString kNumberOfRepeatsKey = QStringLiteral("numberOfRepeats");
    static inline const QString kAngleIsRelativeKey = QStringLiteral("angleIsRelative");
    static inline const QString kReversedKey = QStringLiteral("reversed");
    static inline const QString kBlendColourKey = QStringLiteral("blendColour");

    // Accepted ranges; values beyond are clamped, NaN is refused. A repeat whose transform has
    // grown beyond any drawable size (or shrunk to nothing) ends the repeats.
    static constexpr double kMaxDelta = 10000.0;
    static constexpr double kMinScale = 0.01;
    static constexpr double kMaxScale = 100.0;
    static constexpr int kMaxRepeats = 1000;

    // Three repeats, 10 points apart along x, no scale, turn or tint.
    PWRepeatTransformGroup();
    PWRepeatTransformGroup(const PWRepeatTransformGroup& other) = default;

    double deltaX() const { return m_deltaX; }
    void setDeltaX(double delta);
    double deltaY() const { return m_deltaY; }
    void setDeltaY(double delta);
    double scaleX() const { return m_scaleX; }
    void setScaleX(double scale);
    double scaleY() const { return m_scaleY; }
    void setScaleY(double scale);
    // Not finite values are refused.
    double deltaAngle() const { return m_deltaAngle; }
    void setDeltaAngle(double radians);
    // Clamped to 0...kMaxRepeats.
    int numberOfRepeats() const { return m_repeats; }
    void setNumberOfRepeats(int repeats);
    bool angleIsRelative() const { return m_angleIsRelative; }
    void setAngleIsRelative(bool relative);
    bool reversed() const { return m_reversed; }
    void setReversed(bool reversed);
    // An invalid colour tints nothing.
    const pf::Color& blendColour() const { return m_blendColour; }
    void setBlendColour(const pf::Color& colour);

    // The transform of each drawing for the object, the members as they are first; it stops
    // early where a repeat would no longer be drawable.
    QList<QTransform> repeatTransformsForObject(const PWRenderable& object) const;

    void render(const PWRenderable& object) override;
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
    void renderRepeat(const PWRenderable& object, const QTransform& transform, double tint);

    double m_deltaX = 10.0;
    double m_deltaY = 0.0;
    double m_scaleX = 1.0;
    double m_scaleY = 1.0;
    double m_deltaAngle = 0.0;
    int m_repeats = 3;
    bool m_angleIsRelative = false;
    bool m_reversed = false;
    pf::Color m_blendColour;
};
