#include "frameworks/penwork/view/PWRulerView.h"

#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/tools/PWToolController.h"
#include "frameworks/penwork/view/PWDrawingScrollArea.h"
#include "frameworks/penwork/view/PWDrawingView.h"

#include "platform/graphics/GraphicsContext.h"

#include <QPainter>

#include <cmath>

PF_DEFINE_CLASS(PWRulerView, pf::RulerView) {}

PWRulerView::PWRulerView(Qt::Orientation orientation, QWidget* parent) : pf::RulerView(orientation, parent)
{
    setRuleThickness(PWDrawingScrollArea::kRulerThickness);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

PWDrawingView* PWRulerView::drawingView() const
{
    return qobject_cast<PWDrawingView*>(m_view.data());
}

void PWRulerView::setDrawingView(PWDrawingView* view)
{
    m_view = view;
    setNeedsDisplay(true);
}

double PWRulerView::labelStep(double pointsPerUnit, double scale)
{
    const double pixelsPerUnit = pointsPerUnit * scale;
    if (!(pixelsPerUnit > 0) || !std::isfinite(pixelsPerUnit))
        return 1.0;
    double power = std::pow(10.0, std::floor(std::log10(kMinimumLabelSpacing / pixelsPerUnit)));
    for (int guard = 0; guard < 4; ++guard, power *= 10) {
        for (double factor : {1.0, 2.0, 5.0})
            if (factor * power * pixelsPerUnit >= kMinimumLabelSpacing)
                return factor * power;
    }
    return power;
}

double PWRulerView::rulerPosition(double drawingCoordinate) const
{
    // The view's bounds are drawing coordinates.
    const QPointF here = convertPointFromView(QPointF(drawingCoordinate, drawingCoordinate), drawingView());
    return orientation() == Qt::Horizontal ? here.x() : here.y();
}

void PWRulerView::drawRect(const QRectF&)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    const QRectF area = bounds();
    painter.fillRect(area, palette().window());
    PWDrawingView* view = drawingView();
    pf::Ref<PWDrawing> drawing = view ? view->drawing() : nullptr;
    const bool horizontal = orientation() == Qt::Horizontal;
    const double length = horizontal ? area.width() : area.height();
    const double thickness = horizontal ? area.height() : area.width();
    painter.setPen(palette().mid().color());
    if (horizontal)
        painter.drawLine(QPointF(0, thickness - 0.5), QPointF(length, thickness - 0.5));
    else
        painter.drawLine(QPointF(thickness - 0.5, 0), QPointF(thickness - 0.5, length));
    if (!drawing)
        return;

    const double pointsPerUnit = drawing->unitToPointsConversionFactor();
    const double step = labelStep(pointsPerUnit, view->scale());
    const double stepPoints = step * pointsPerUnit;
    // The drawing range the ruler covers.
    const double start = horizontal ? drawingPoint(QPointF(0, 0)).x() : drawingPoint(QPointF(0, 0)).y();
    const double end = start + length / view->scale();

    // Ruler markers first, under the ticks.
    const QRectF markers = view->rulerMarkerRect();
    if (!markers.isNull()) {
        const double a = rulerPosition(horizontal ? markers.left() : markers.top());
        const double b = rulerPosition(horizontal ? markers.right() : markers.bottom());
        const QRectF band = horizontal ? QRectF(a, 0, b - a, thickness) : QRectF(0, a, thickness, b - a);
        painter.fillRect(band, palette().highlight().color().lighter(160));
    }

    QFont font = painter.font();
    font.setPointSizeF(7.5);
    painter.setFont(font);
    painter.setPen(palette().windowText().color());
    const int first = int(std::floor(start / stepPoints));
    const int last = int(std::ceil(end / stepPoints));
    const int minorCount = 10;
    for (int i = first; i <= last && i - first < 10000; ++i) {
        const double major = i * stepPoints;
        for (int m = 0; m < minorCount; ++m) {
            const double at = rulerPosition(major + m * stepPoints / minorCount);
            const double tick = m == 0 ? thickness : (m == minorCount / 2 ? thickness * 0.4 : thickness * 0.2);
            if (horizontal)
                painter.drawLine(QPointF(at, thickness - tick), QPointF(at, thickness));
            else
                painter.drawLine(QPointF(thickness - tick, at), QPointF(thickness, at));
        }
        const QString label = QString::number(i * step, 'g', 6);
        const double at = rulerPosition(major);
        if (horizontal) {
            painter.drawText(QPointF(at + 2, 9), label);
        } else {
            painter.save();
            painter.translate(9, at + 2);
            painter.rotate(90);
            painter.drawText(QPointF(0, 0), label);
            painter.restore();
        }
    }

    if (std::optional<QPointF> mouse = view->lastMouseLocation()) {
        const double at = rulerPosition(horizontal ? mouse->x() : mouse->y());
        painter.setPen(palette().highlight().color());
        if (horizontal)
            painter.drawLine(QPointF(at, 0), QPointF(at, thickness));
        else
            painter.drawLine(QPointF(0, at), QPointF(thickness, at));
    }
}

QPointF PWRulerView::drawingPoint(const QPointF& rulerPoint) const
{
    return drawingView()->convertPointFromView(rulerPoint, this);
}

void PWRulerView::mouseDown(const pf::Event& event)
{
    PWDrawingView* view = drawingView();
    if (!view || !view->drawing() || !view->toolController())
        return pf::RulerView::mouseDown(event);
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    m_draggingGuide = view->toolController()->beginGuideDragFromRuler(*view, orientation() == Qt::Horizontal,
                                                                       drawingPoint(point));
}

void PWRulerView::mouseDragged(const pf::Event& event)
{
    PWDrawingView* view = drawingView();
    if (!m_draggingGuide || !view)
        return pf::RulerView::mouseDragged(event);
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    view->toolController()->mouseDragged(*view, drawingPoint(point), pf::qtModifiersFromFlags(event.modifierFlags));
}

void PWRulerView::mouseUp(const pf::Event& event)
{
    PWDrawingView* view = drawingView();
    if (!m_draggingGuide || !view)
        return pf::RulerView::mouseUp(event);
    m_draggingGuide = false;
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    view->toolController()->mouseUp(*view, drawingPoint(point), pf::qtModifiersFromFlags(event.modifierFlags));
}
