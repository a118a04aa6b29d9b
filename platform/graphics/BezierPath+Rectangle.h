#pragma once

#include "platform/graphics/BezierPath.h"

#include <QRectF>

#include <optional>

namespace pf {

// The rectangle `elements` outline when they are one closed, axis-aligned rectangle of some size
// (a move, three lines and a close, or four lines with the last back at the start); nothing
// otherwise.
std::optional<QRectF> axisAlignedRectangle(const QList<BezierPath::Element>& elements);

} // namespace pf
