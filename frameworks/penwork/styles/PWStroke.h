#pragma once

#include "frameworks/penwork/styles/PWRasterizer.h"
#include "frameworks/penwork/styles/PWStrokeDash.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Shadow.h"

// Draws the object's path as a line of some width, colour, caps, joins and dash, optionally
// moved sideways, casting a shadow and clipped to one side of the path.
//
// Key-value coding (each observable, with undo): "width", "colour", "lineCapStyle",
// "lineJoinStyle", "dash", "lateralOffset", "shadow", "clipping"; "hasShadow" reads only.
class PWStroke : public PWRasterizer {
    PF_CLASS(PWStroke)
public:
    static inline const QString kWidthKey = QStringLiteral("width");
    static inline const QString kColourKey = QStringLiteral("colour");
    static inline const QString kLineCapStyleKey = QStringLiteral("lineCapStyle");
    static inline const QString kLineJoinStyleKey = QStringLiteral("lineJoinStyle");
    static inline const QString kDashKey = QStringLiteral("dash");
    static inline const QString kLateralOffsetKey = QStringLiteral("lateralOffset");
    static inline const QString kShadowKey = QStringLiteral("shadow");
    static inline const QString kClippingKey = QStringLiteral("clipping");

    // Which part of the stroke shows: all of it, only what lies outside the object's path, or
    // only what lies inside it.
    enum Clipping : int { ClipNone = 0, ClipOutside = 1, ClipInside = 2 };

    // One point wide, black, butt caps, miter joins, solid.
    PWStroke();
    PWStroke(double width, const pf::Color& colour);
    PWStroke(const PWStroke& other);
    static pf::Ref<PWStroke> strokeWithWidth(double width, const pf::Color& colour);

    virtual double width() const { return m_width; }
    // Negative widths become 0 (a hairline); NaN and infinities are refused.
    void setWidth(double width);
    const pf::Color& colour() const { return m_colour; }
    // An invalid or clear colour draws nothing, not even a shadow.
    void setColour(const pf::Color& colour);
    pf::BezierPath::LineCap lineCapStyle() const { return m_lineCap; }
    // Values outside the enumeration are refused.
    void setLineCapStyle(pf::BezierPath::LineCap cap);
    pf::BezierPath::LineJoin lineJoinStyle() const { return m_lineJoin; }
    void setLineJoinStyle(pf::BezierPath::LineJoin join);
    // Null (or an invalid dash) draws solid. The stroke keeps the dash given.
    pf::Ref<PWStrokeDash> dash() const { return m_dash; }
    void setDash(const pf::Ref<PWStrokeDash>& dash);
    // The distance the line lies to the left of the path's direction (negative: right).
    // Not finite values are refused.
    double lateralOffset() const { return m_lateralOffset; }
    void setLateralOffset(double offset);
    // Null for none. The stroke keeps the shadow given; edits made to it in place are
    // announced with the key path "shadow".
    pf::Ref<pf::Shadow> shadow() const { return m_shadow; }
    void setShadow(const pf::Ref<pf::Shadow>& shadow);
    bool hasShadow() const { return m_shadow != nullptr; }
    int clipping() const { return m_clipping; }
    // Values other than the Clipping ones are refused.
    void setClipping(int clipping);

    // Gives the path this stroke's width, caps, joins and dash, and makes its colour the
    // current one of the current context.
    virtual void applyAttributesToPath(pf::BezierPath& path) const;
    // The path moved by the lateral offset (a copy when there is none).
    pf::Ref<pf::BezierPath> offsetPath(const pf::BezierPath& path) const;
    // The closed outline of the line this stroke draws for the object (lateral offset, width,
    // caps and joins; dashes are not cut out).
    virtual pf::Ref<pf::BezierPath> outlinedStrokeForObject(const PWRenderable& object) const;

    // The plain line in the stroke's colour, with the lateral offset, shadow and clipping.
    void renderPath(const pf::BezierPath& path) override;
    // The line's area (miters included) and its shadow's.
    QRectF boundsNeededForObject(const PWRenderable& object) const override;
    QString displayName() const override;
    QStringList observableKeyPaths() const override;

    pf::Ref<pf::Object> copy() const override;
    bool isEqual(const pf::Reflective* other) const override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    void registerActionNames() const override;
    // The area of a line of this stroke along `path` (before any lateral offset is applied).
    QRectF strokeBoundsForPath(const pf::BezierPath& path) const;

private:
    double m_width = 1.0;
    pf::Color m_colour = pf::Color::black();
    pf::BezierPath::LineCap m_lineCap = pf::BezierPath::LineCap::Butt;
    pf::BezierPath::LineJoin m_lineJoin = pf::BezierPath::LineJoin::Miter;
    pf::Ref<PWStrokeDash> m_dash;
    double m_lateralOffset = 0.0;
    pf::Ref<pf::Shadow> m_shadow;
    int m_clipping = ClipNone;
};
