#pragma once

#include "platform/graphics/BezierPath.h"

#include <QRectF>

// Which corners bezierPathWithRoundedRect rounds; min and max are of the view's coordinates.
enum RVRoundedCorner : int {
    kRoundMinXMinYCorner = 1,
    kRoundMinXMaxYCorner = 2,
    kRoundMaxXMinYCorner = 4,
    kRoundMaxXMaxYCorner = 8,
    kRoundAllCorners = 15,
};

// A rectangle with only the corners in `cornerOptions` rounded by `cornerRadius`. The radius is
// limited to half the width and half the height, as roundRectInRect limits it; a radius of 0
// or less, or no corner, gives the plain rectangle.
pf::Ref<pf::BezierPath> bezierPathWithRoundedRect(const QRectF& rect, double cornerRadius, int cornerOptions);
