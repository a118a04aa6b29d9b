#pragma once

#include "platform/foundation/Coding.h"
#include "platform/foundation/Object.h"
#include "platform/graphics/Color.h"

#include <QRectF>
#include <QSizeF>

#include <functional>

class QImage;
class QPainter;

namespace pf {

// The shadow a shape casts: an offset, a blur radius and a colour.
//
// The offset follows the platform's y-up convention: a positive height moves the shadow up on
// screen, whatever the flipping of the drawing. Offset and blur radius grow with the drawing's
// scale, up to shadowScaleLimit().
//
// Key-value coding: "shadowOffset" (QSizeF), "shadowBlurRadius" (double), "shadowColor" (a
// Ref<Color>, nil for no colour). Setters announce a change only when the value differs.
class Shadow : public Object, public Coding {
    PF_CLASS(Shadow)
public:
    static inline const QString kShadowOffsetKey = QStringLiteral("shadowOffset");
    static inline const QString kShadowBlurRadiusKey = QStringLiteral("shadowBlurRadius");
    static inline const QString kShadowColorKey = QStringLiteral("shadowColor");

    // No offset, no blur, black at a third opacity.
    Shadow();
    Shadow(const Shadow& other) = default;
    Shadow& operator=(const Shadow& other) = default;

    QSizeF shadowOffset() const { return m_offset; }
    // Components that are not finite become 0.
    void setShadowOffset(const QSizeF& offset);
    double shadowBlurRadius() const { return m_blurRadius; }
    // Negative radii and NaN become 0.
    void setShadowBlurRadius(double radius);
    // An invalid colour casts no shadow.
    const Color& shadowColor() const { return m_color; }
    void setShadowColor(const Color& colour);

    // `bounds` together with its shadow, in the model's y-down coordinates: the bounds united
    // with them moved by the offset (its height negated), grown by the blur radius.
    QRectF shadowBoundsForBounds(const QRectF& bounds) const;

    // The drawing scale beyond which shadows stop growing; 0 (the default) sets no limit.
    // Negative values and NaN become 0. Kept in the user defaults ("PWShadowScaleLimit").
    static double shadowScaleLimit();
    static void setShadowScaleLimit(double limit);

    // Draws the shape with this shadow under it: `drawShape` paints once into an off-screen
    // image whose alpha is blurred (three box passes of radius blur / 2, approximating a
    // Gaussian), tinted with the shadow colour and composited at the offset, and then once more
    // into `painter` itself. The painter's transform scales offset and blur (times `scale`, for
    // a zoom the transform does not carry), up to the scale limit. `scale` must be positive.
    void drawWithShadow(QPainter& painter, const std::function<void(QPainter&)>& drawShape, double scale = 1.0) const;

    bool operator==(const Shadow& other) const;

    Ref<Object> copy() const override;
    bool isEqual(const Reflective* other) const override;
    QString description() const override;

    void encodeWithCoder(KeyedArchiver& coder) const override;
    void initWithCoder(KeyedUnarchiver& coder) override;

private:
    void castShadow(QPainter& painter, const std::function<void(QPainter&)>& drawShape, double scale) const;

    QSizeF m_offset{0.0, 0.0};
    double m_blurRadius = 0.0;
    Color m_color;
};

} // namespace pf
