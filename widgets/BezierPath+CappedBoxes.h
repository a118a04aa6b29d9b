#pragma once

#include "platform/graphics/BezierPath.h"

#include <QRectF>

// A pill: a box whose short sides are half circles of half its height, as title boxes of
// icon cells are drawn.
pf::Ref<pf::BezierPath> bezierPathWithCappedBoxInRect(const QRectF& rect);
