#include "frameworks/penwork/styles/PWRendererSupport.h"

#include "frameworks/penwork/styles/PWStyle.h"

#include "platform/foundation/Exception.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"

#include <QPainterPath>

namespace pw::renderers {

QVariant colourToVariant(const pf::Color& colour)
{
    return colour.isValid() ? pf::toVariant(std::make_shared<pf::Color>(colour)) : QVariant();
}

pf::Color colourFromVariant(const QVariant& value, const QString& where)
{
    if (pf::isNilOrNull(value))
        return pf::Color();
    const pf::Ref<pf::Color> colour = pf::objectCast<pf::Color>(value);
    if (!colour)
        throw pf::InvalidArgumentException(QStringLiteral("%1: %2 is not a colour").arg(where, pf::describe(value)));
    return *colour;
}

bool shadowShows(const pf::Shadow* shadow)
{
    return shadow && PWStyle::willDrawShadows();
}

void setShadow(pf::GraphicsContext& context, const pf::Shadow* shadow)
{
    context.setShadow(shadowShows(shadow) ? shadow : nullptr);
}

QRectF boundsWithShadow(const QRectF& bounds, const pf::Shadow* shadow)
{
    if (bounds.isNull() || !shadowShows(shadow))
        return bounds;
    return shadow->shadowBoundsForBounds(bounds);
}

void clipToSide(pf::GraphicsContext& context, const pf::BezierPath& path, int clipping, double reach)
{
    if (clipping != 1 && clipping != 2)
        return;
    const QPainterPath area = path.toQPainterPath();
    QPainterPath clip;
    if (clipping == 2) {
        clip = area;
    } else {
        QPainterPath everything;
        everything.addRect(path.controlPointBounds().adjusted(-reach, -reach, reach, reach));
        clip = everything.subtracted(area);
    }
    QPainter& painter = context.painter();
    painter.setClipPath(clip, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
}

} // namespace pw::renderers
