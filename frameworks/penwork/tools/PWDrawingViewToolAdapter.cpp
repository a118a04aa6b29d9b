#include "frameworks/penwork/tools/PWDrawingViewToolAdapter.h"

#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/view/PWDrawingView.h"

PWDrawing* PWDrawingViewToolAdapter::drawing() const { return m_view.drawing().get(); }
PWLayer* PWDrawingViewToolAdapter::activeLayer() const { return m_view.activeLayer().get(); }
double PWDrawingViewToolAdapter::scale() const { return m_view.scale(); }
void PWDrawingViewToolAdapter::setScale(double scale) { m_view.setScale(scale); }
QRectF PWDrawingViewToolAdapter::visibleDrawingRect() const { return m_view.visibleDrawingRect(); }
void PWDrawingViewToolAdapter::zoomViewToRect(const QRectF& rect) { m_view.zoomViewToRect(rect); }
void PWDrawingViewToolAdapter::scrollToDrawingRect(const QRectF& rect) { m_view.scrollToDrawingRect(rect); }
QPointF PWDrawingViewToolAdapter::convertFromDrawing(const QPointF& p) const { return m_view.convertFromDrawing(p); }
void PWDrawingViewToolAdapter::setNeedsDisplayInDrawingRect(const QRectF& rect)
{
    m_view.setNeedsDisplayInDrawingRect(rect);
}
void PWDrawingViewToolAdapter::beginTextEditing(PWDrawableObject* object) { m_view.beginTextEditing(object); }
void PWDrawingViewToolAdapter::setToolCursor(const QCursor& cursor) { m_view.setCursorForView(cursor); }
QWidget* PWDrawingViewToolAdapter::widget() const { return &m_view; }
