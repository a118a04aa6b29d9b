#include "frameworks/penwork/view/PWRulerView.h"

#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/tools/PWToolController.h"
#include "frameworks/penwork/view/PWDrawingView.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

PWRulerView::PWRulerView(Qt::Orientation orientation, QWidget* parent) : QWidget(parent), m_orientation(orientation)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

PWDrawingView* PWRulerView::drawingView() const
{
    return qobject_cast<PWDrawingView*>(m_view.data());
}

void PWRulerView::setDrawingView(PWDrawingView* view)
{
    m_view = view;
    update();
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
    PWDrawingView* view = drawingView();
    const QPointF inView = m_orientation == Qt::Horizontal ? view->convertFromDrawing(QPointF(drawingCoordinate, 0))
                                                            : view->convertFromDrawing(QPointF(0, drawingCoordinate));
    const QPointF here = mapFromGlobal(view->mapToGlobal(inView));
    return m_orientation == Qt::Horizontal ? here.x() : here.y();
}

void PWRulerView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    PWDrawingView* view = drawingView();
    pf::Ref<PWDrawing> drawing = view ? view->drawing() : nullptr;
    const bool horizontal = m_orientation == Qt::Horizontal;
    const double length = horizontal ? width() : height();
    const double thickness = horizontal ? height() : width();
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
    const double start = horizontal ? view->convertToDrawing(view->mapFromGlobal(mapToGlobal(QPointF(0, 0)))).x()
                                    : view->convertToDrawing(view->mapFromGlobal(mapToGlobal(QPointF(0, 0)))).y();
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
    PWDrawingView* view = drawingView();
    return view->convertToDrawing(view->mapFromGlobal(mapToGlobal(rulerPoint)));
}

void PWRulerView::mousePressEvent(QMouseEvent* event)
{
    PWDrawingView* view = drawingView();
    if (!view || !view->drawing() || event->button() != Qt::LeftButton || !view->toolController())
        return QWidget::mousePressEvent(event);
    m_draggingGuide = view->toolController()->beginGuideDragFromRuler(*view, m_orientation == Qt::Horizontal,
                                                                       drawingPoint(event->position()));
    event->accept();
}

void PWRulerView::mouseMoveEvent(QMouseEvent* event)
{
    PWDrawingView* view = drawingView();
    if (!m_draggingGuide || !view)
        return QWidget::mouseMoveEvent(event);
    view->toolController()->mouseDragged(*view, drawingPoint(event->position()), event->modifiers());
    event->accept();
}

void PWRulerView::mouseReleaseEvent(QMouseEvent* event)
{
    PWDrawingView* view = drawingView();
    if (!m_draggingGuide || !view)
        return QWidget::mouseReleaseEvent(event);
    m_draggingGuide = false;
    view->toolController()->mouseUp(*view, drawingPoint(event->position()), event->modifiers());
    event->accept();
}
