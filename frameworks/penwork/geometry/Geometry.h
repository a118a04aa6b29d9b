#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QTransform>

namespace pw {

// How ScaledRectForSize treats a size against its rectangle; the values are stored and passed
// as plain integers, so they are fixed.
inline constexpr int kImageScaleProportionallyDown = 0;     // shrink to fit, never enlarge
inline constexpr int kImageScaleAxesIndependently = 1;      // fill the rectangle exactly
inline constexpr int kImageScaleNone = 2;                   // keep the size
inline constexpr int kImageScaleProportionallyUpOrDown = 3; // shrink or enlarge to fit

// A rotation by `radians` about `centre`. Drawing coordinates are y-down, so a positive angle
// turns from +x towards +y, which is clockwise on screen.
QTransform RotationTransform(double radians, const QPointF& centre);

// The rectangle an item of `size` takes inside `rect`, centred in it, scaled as `imageScaling`
// says (an unknown value scales proportionally up or down). A size without area (zero,
// negative or not a number) answers an empty rectangle at the rectangle's centre. The
// rectangle is taken normalised, so a negative width or height does not mirror the answer.
QRectF ScaledRectForSize(const QSizeF& size, const QRectF& rect,
                         int imageScaling = kImageScaleProportionallyUpOrDown);

// `inner`'s size centred on `outer`'s centre; `inner`'s position does not matter.
QRectF CentreRectInRect(const QRectF& inner, const QRectF& outer);

// The smallest rectangle holding both. A rectangle without area (zero or negative width or
// height) does not contribute; when neither has area the answer is the null rectangle.
QRectF UnionOfTwoRects(const QRectF& a, const QRectF& b);

// The rectangle spanned by two points with a non-negative width and height, whichever point is
// the anchor: dragging past the anchor flips the rectangle rather than making it negative.
QRectF NSRectFromTwoPoints(const QPointF& a, const QPointF& b);

} // namespace pw
