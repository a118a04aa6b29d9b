#pragma once

#include "frameworks/penwork/drawables/PWReshapableShape.h"

// A rectangle with rounded corners of one radius; each corner may be rounded or left square.
class PWRoundRectShape : public PWReshapableShape {
    PF_CLASS(PWRoundRectShape)
public:
    // Corner bits, with "top" the smaller y (the drawing is y-down).
    enum Corner : int {
        kTopLeftCorner = 1,
        kBottomLeftCorner = 2,
        kTopRightCorner = 4,
        kBottomRightCorner = 8,
        kAllCorners = 15,
    };

    PWRoundRectShape();
    PWRoundRectShape(const PWRoundRectShape& other);

    // A new round rectangle filling `rect` (drawing coordinates); a null style means the
    // default style.
    static pf::Ref<PWRoundRectShape> roundRectShapeWithRect(const QRectF& rect, double cornerRadius,
                                                            pf::Ref<PWStyle> style = nullptr);

    // In drawing units; never negative. The outline limits it to half the shorter side.
    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double radius);
    // A mask of Corner bits; other bits are dropped.
    int cornerFlags() const { return m_cornerFlags; }
    void setCornerFlags(int flags);

    QString displayName() const override;
    pf::Ref<pf::Object> copy() const override;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    pf::Ref<pf::BezierPath> outlineForSize(const QSizeF& size) const override;

private:
    double m_cornerRadius = 10.0;
    int m_cornerFlags = kAllCorners;
};
