#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Shadow.h"

#include <QRectF>
#include <QVariant>

namespace pf {
class BezierPath;
class GraphicsContext;
}

// Pieces the framework's renderers share.
namespace pw::renderers {

// A colour as key-value coding carries it: a Ref<pf::Color>, or no value for an invalid one.
QVariant colourToVariant(const pf::Color& colour);
// Raises NSInvalidArgumentException for a value that is neither a colour nor empty.
pf::Color colourFromVariant(const QVariant& value, const QString& where);

// Whether a renderer's shadow is drawn (and counted in its bounds) right now.
bool shadowShows(const pf::Shadow* shadow);
// Makes the shadow (when it shows) the context's current one.
void setShadow(pf::GraphicsContext& context, const pf::Shadow* shadow);
// `bounds` grown by the shadow when it shows.
QRectF boundsWithShadow(const QRectF& bounds, const pf::Shadow* shadow);

// Intersects the context's clip with one side of `path`: 1 keeps what lies outside it, 2 what
// lies inside; 0 leaves the clip. `reach` is how far beyond the path's bounds drawing may go.
void clipToSide(pf::GraphicsContext& context, const pf::BezierPath& path, int clipping, double reach);

} // namespace pw::renderers
