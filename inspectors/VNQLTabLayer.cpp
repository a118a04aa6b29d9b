#include "inspectors/VNQLTabLayer.h"

#include "inspectors/VNQLTabContentView.h"

void VNQLTabLayer::setFrame(const QRectF& frame)
{
    const bool resized = frame.size() != m_frame.size();
    m_frame = frame;
    if (resized)
        layoutSublayers();
}

void VNQLTabLayer::layoutSublayers()
{
    if (m_view)
        m_view->layoutSublayersOfLayer(*this);
}

void VNQLTabLayer::draw(QPainter& painter) const
{
    if (m_view)
        m_view->drawLayer(*this, painter);
}
