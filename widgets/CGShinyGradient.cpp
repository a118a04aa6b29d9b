#include "widgets/CGShinyGradient.h"

#include "widgets/RVShinyGradientShading.h"

#include "platform/foundation/Exception.h"

#include <QLinearGradient>
#include <QPainter>

void CGContextDrawShinyGradient(QPainter* context, const QRectF& rect, const pf::Color& colour, bool fromMinY)
{
    PF_ASSERT(colour.isValid(), "no colour supplied");
    PF_ASSERT(context != nullptr, "invalid context supplied");

    const QPointF top(rect.left(), rect.top());
    const QPointF bottom(rect.left(), rect.bottom());
    QLinearGradient gradient(fromMinY ? top : bottom, fromMinY ? bottom : top);
    gradient.setSpread(QGradient::PadSpread);
    gradient.setStops(RVShinyGradientShading(colour).gradientStops());

    context->save();
    context->setCompositionMode(QPainter::CompositionMode_SourceOver);
    context->setOpacity(1.0);
    context->setClipRect(rect, Qt::IntersectClip);
    context->fillRect(rect, gradient);
    context->restore();
}
