#pragma once

#include "platform/graphics/Color.h"

#include <QRectF>

class QPainter;

// Fills `rect` with a glossy vertical gradient of `colour` (see RVShinyGradientShading): from
// the rect's min y to its max y when `fromMinY`, the other way otherwise. Draws clipped to the
// rect, with normal blending at full opacity, and leaves the painter's state as it found it.
// A null painter or an invalid colour is a programming error and raises.
void CGContextDrawShinyGradient(QPainter* context, const QRectF& rect, const pf::Color& colour, bool fromMinY);
