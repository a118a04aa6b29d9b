#include "widgets/RVBlankingView.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/SystemColor.h"

#include <QPainter>

PF_DEFINE_CLASS(RVBlankingView, pf::View) {}

void RVBlankingView::drawRect(const QRectF& dirtyRect)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(dirtyRect, pf::SystemColor::windowBackground().qColor());
    painter.restore();
}
