#pragma once

#include "platform/graphics/BezierPath.h"

#include <QRectF>
#include <QSizeF>

// Shapes the widget kit's controls draw again and again. Rectangles are in the view's own
// coordinates (x = min x, y = min y); angles follow BezierPath's convention. Every call answers
// a new path.

// An oval inset by a quarter of the size on each axis, crossed by a horizontal and a vertical
// line through the middle of `rect`, each line its own sub-path.
pf::Ref<pf::BezierPath> bezierPathWithTargetInRect(const QRectF& rect);
// A capsule: half circles on the two short sides; the oval of `rect` when it is square.
pf::Ref<pf::BezierPath> bezierPathWithRoundEndedRectInRect(const QRectF& rect);
// A rectangle with round corners of `radius`, limited to half the width and half the height;
// a radius of 0 or less gives the plain rectangle.
pf::Ref<pf::BezierPath> roundRectInRect(const QRectF& rect, float radius);
// Offset 0 gives the target. Otherwise a capsule three quarters as wide and half as high as
// `rect`, flush left for offset -1 and flush right for any other, with the target's two lines.
pf::Ref<pf::BezierPath> bezierPathWithOffsetTargetInRect(const QRectF& rect, int offset);

// A ring about (0, 0) of mid radius `radius` and `width`, with a round-ended tab of `tabSize`
// sticking out along +x (or along `tabAngle` radians). Filled by the even-odd rule, so the
// inner circle is a hole.
pf::Ref<pf::BezierPath> bezierPathWithIrisRingWithRadius(float radius, float width, const QSizeF& tabSize);
pf::Ref<pf::BezierPath> bezierPathWithIrisRingWithRadius(float radius, float width, float tabAngle,
                                                         const QSizeF& tabSize);
// The tab alone: a rectangle of `tabSize` from the ring's outer edge, centred on +x (or rotated
// by `tabAngle` radians about (0, 0)).
pf::Ref<pf::BezierPath> bezierPathWithIrisTabWithRadius(float radius, float width, const QSizeF& tabSize);
pf::Ref<pf::BezierPath> bezierPathWithIrisTabWithRadius(float radius, float width, float tabAngle,
                                                        const QSizeF& tabSize);
