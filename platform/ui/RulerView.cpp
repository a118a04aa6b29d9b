#include "platform/ui/RulerView.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/ScrollView.h"

#include <QPainter>

#include <cmath>

PF_DEFINE_CLASS_NAMED(pf::RulerView, pf::View, "pf::RulerView") {}

namespace pf {

RulerView::RulerView(Qt::Orientation orientation, QWidget* parent) : View(parent), m_orientation(orientation) {}

void RulerView::setRuleThickness(double thickness)
{
    if (!std::isfinite(thickness) || thickness < 0 || thickness == m_ruleThickness)
        return;
    m_ruleThickness = thickness;
    if (ScrollView* owner = scrollView())
        owner->tile();
}

ScrollView* RulerView::scrollView() const
{
    return qobject_cast<ScrollView*>(superview());
}

void RulerView::drawRect(const QRectF& dirtyRect)
{
    GraphicsContext* context = GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    painter.fillRect(dirtyRect, palette().window());
    painter.setPen(palette().mid().color());
    const QRectF area = bounds();
    // The edge that meets the clip view.
    if (m_orientation == Qt::Horizontal)
        painter.drawLine(QPointF(area.left(), area.bottom() - 0.5), QPointF(area.right(), area.bottom() - 0.5));
    else
        painter.drawLine(QPointF(area.right() - 0.5, area.top()), QPointF(area.right() - 0.5, area.bottom()));
}

} // namespace pf
