#pragma once

#include "platform/graphics/BezierPath.h"

// The outline of a stroke.
namespace pw {

// The closed outline of the path stroked at `width` with its own cap style, join style and
// miter limit (no dash; a miter beyond the limit becomes a bevel, as a stroke draws it). It is
// built from the path's two parallels at width / 2 (BezierPath+Offset.h, curves followed to
// within 1/2000 of the width) and its caps; the overlaps that corners, tight bends and the
// path's own crossings make are then merged away, so the outline has no inner lines or loops
// and can be stroked as well as filled. Every sub-path of the answer runs with the stroked area
// on its left (see BezierPath+Offset.h), so it fills the same by either winding rule.
// A width that is not positive and finite, or an empty path, gives an empty path; a sub-path of
// no length (a lone point) gives a dot with round or square caps, as a stroke draws one, and
// nothing with butt caps. The result keeps the input's settings.
pf::Ref<pf::BezierPath> strokedPathWithStrokeWidth(const pf::BezierPath& path, double width);

} // namespace pw
