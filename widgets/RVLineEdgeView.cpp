#include "widgets/RVLineEdgeView.h"

#include "platform/graphics/GraphicsContext.h"

#include <QPainter>

PF_DEFINE_CLASS(RVLineEdgeView, pf::View) {}

void RVLineEdgeView::setLineColour(const pf::Color& colour)
{
    mLineColour = colour;
    setNeedsDisplay();
}

void RVLineEdgeView::setLineWidth(double width)
{
    mLineWidth = width;
    setNeedsDisplay();
}

QLineF RVLineEdgeView::edgeLine() const
{
    const QRectF b = centerScanRect(bounds());
    if (b.height() > b.width())
        return QLineF(b.left() + 0.5, b.top(), b.left() + 0.5, b.bottom());
    // The bottom edge: minimum y, unless the view is flipped.
    const double y = isFlipped() ? b.bottom() - 0.5 : b.top() + 0.5;
    return QLineF(b.left(), y, b.right(), y);
}

void RVLineEdgeView::drawRect(const QRectF&)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    painter.save();
    painter.setPen(QPen(mLineColour.qColor(), mLineWidth));
    painter.drawLine(edgeLine());
    painter.restore();
}
