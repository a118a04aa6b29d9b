#include "frameworks/penwork/view/RVZoomView.h"

#include "platform/foundation/UserDefaults.h"

#include <QNativeGestureEvent>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace {
const QString kTrackpadGesturesKey = QStringLiteral("RVZoomViewTrackpadGesturesEnabled");
}

PF_DEFINE_CLASS(RVZoomView, pf::View)
{
    b.method("zoomIn:", &RVZoomView::zoomIn);
    b.method("zoomOut:", &RVZoomView::zoomOut);
    b.method("zoomToActualSize:", &RVZoomView::zoomToActualSize);
}

RVZoomView::RVZoomView(QWidget* parent) : pf::View(parent) {}

RVZoomView::RVZoomView(const QRectF& frame, QWidget* parent) : pf::View(frame, parent)
{
    if (frame.width() > 0 && frame.height() > 0)
        m_contentSize = frame.size();
    setBoundsSize(m_contentSize);
}

RVZoomView::~RVZoomView() = default;

bool RVZoomView::trackpadGesturesEnabled()
{
    const pf::UserDefaults& defaults = pf::UserDefaults::standard();
    // On unless switched off.
    return !defaults.objectForKey(kTrackpadGesturesKey).isValid() || defaults.boolForKey(kTrackpadGesturesKey);
}

void RVZoomView::setTrackpadGesturesEnabled(bool enabled)
{
    pf::UserDefaults::standard().setBool(enabled, kTrackpadGesturesKey);
}

const QList<double>& RVZoomView::zoomSteps()
{
    static const QList<double> steps{0.01, 0.02, 0.05, 0.0625, 0.1, 0.125, 0.25, 0.333, 0.5, 0.667, 0.75,
                                     1.0,  1.25, 1.5,  2.0,    3.0, 4.0,   6.0,  8.0,   12.0, 16.0, 24.0,
                                     32.0, 48.0, 64.0, 128.0,  256.0};
    return steps;
}

void RVZoomView::setScale(double scale)
{
    applyScale(scale, std::nullopt);
}

void RVZoomView::setScaleAroundPoint(double scale, QPointF contentPoint)
{
    applyScale(scale, contentPoint);
}

void RVZoomView::setContentSize(const QSizeF& size)
{
    if (!(size.width() > 0 && size.height() > 0) || !std::isfinite(size.width()) || !std::isfinite(size.height()))
        return;
    if (size == m_contentSize && bounds().size() == size)
        return;
    m_contentSize = size;
    setBoundsSize(size);
    applyFrameSize();
    update();
}

void RVZoomView::applyFrameSize()
{
    const QSizeF target(m_contentSize.width() * m_scale, m_contentSize.height() * m_scale);
    // The frame is in the parent's coordinates: keep the widget's top-left where it is (a
    // scroll area places it), whatever the parent's flipping.
    QRectF frame(QPointF(0, 0), target);
    if (View* super = superview()) {
        const QPointF topLeft = super->boundsToWidgetTransform().inverted().map(QPointF(geometry().topLeft()));
        frame.moveTopLeft(super->isFlipped() ? topLeft : QPointF(topLeft.x(), topLeft.y() - target.height()));
    } else if (QWidget* parent = parentWidget()) {
        frame.moveTopLeft(QPointF(geometry().x(), parent->height() - geometry().y() - target.height()));
    } else {
        frame.moveTopLeft(QPointF(pos()));
    }
    setFrame(frame);
    setBoundsSize(m_contentSize);
}

void RVZoomView::applyScale(double scale, std::optional<QPointF> anchor)
{
    if (!std::isfinite(scale) || scale <= 0)
        return;
    scale = std::clamp(scale, kMinimumScale, kMaximumScale);
    if (scale == m_scale)
        return;
    QScrollArea* area = enclosingScrollArea();
    QPointF viewportPoint;
    QPointF contentPoint;
    if (area) {
        const QRectF visible = visibleContentRect();
        contentPoint = anchor ? *anchor : visible.center();
        viewportPoint = QPointF(mapTo(area->viewport(), boundsToWidgetTransform().map(contentPoint).toPoint()));
        if (!anchor)
            viewportPoint = QRectF(area->viewport()->rect()).center();
    }
    const double old = m_scale;
    m_scale = scale;
    applyFrameSize();
    if (area)
        scrollContentPointToViewportPoint(contentPoint, viewportPoint);
    update();
    scaleDidChange(old);
}

QScrollArea* RVZoomView::enclosingScrollArea() const
{
    QWidget* viewport = parentWidget();
    auto* area = viewport ? qobject_cast<QScrollArea*>(viewport->parentWidget()) : nullptr;
    return (area && area->widget() == this) ? area : nullptr;
}

QRectF RVZoomView::visibleContentRect() const
{
    const QTransform toContent = boundsToWidgetTransform().inverted();
    QRect visible = rect();
    if (QScrollArea* area = enclosingScrollArea()) {
        const QRect viewportInWidget(mapFrom(area->viewport(), QPoint(0, 0)), area->viewport()->size());
        visible = visible.intersected(viewportInWidget);
    }
    return toContent.mapRect(QRectF(visible)).intersected(bounds());
}

QSizeF RVZoomView::availableViewSize() const
{
    if (QScrollArea* area = enclosingScrollArea())
        return area->viewport()->size();
    if (QWidget* parent = parentWidget())
        return parent->size();
    return size();
}

void RVZoomView::scrollToContentRect(const QRectF& rect)
{
    QScrollArea* area = enclosingScrollArea();
    if (!area || rect.isEmpty())
        return;
    const QRectF target = boundsToWidgetTransform().mapRect(rect);
    const QSizeF viewport = area->viewport()->size();
    // Centre what fits; otherwise show its top-left corner.
    const double x = target.width() <= viewport.width() ? target.center().x() - viewport.width() / 2 : target.left();
    const double y = target.height() <= viewport.height() ? target.center().y() - viewport.height() / 2 : target.top();
    area->horizontalScrollBar()->setValue(int(std::lround(x)));
    area->verticalScrollBar()->setValue(int(std::lround(y)));
}

void RVZoomView::scrollContentPointToViewportPoint(QPointF contentPoint, QPointF viewportPoint)
{
    QScrollArea* area = enclosingScrollArea();
    if (!area)
        return;
    const QPointF inWidget = boundsToWidgetTransform().map(contentPoint);
    area->horizontalScrollBar()->setValue(int(std::lround(inWidget.x() - viewportPoint.x())));
    area->verticalScrollBar()->setValue(int(std::lround(inWidget.y() - viewportPoint.y())));
}

void RVZoomView::zoomIn(const QVariant&)
{
    for (double step : zoomSteps())
        if (step > m_scale * 1.0001) {
            setScale(step);
            return;
        }
}

void RVZoomView::zoomOut(const QVariant&)
{
    const QList<double>& steps = zoomSteps();
    for (auto it = steps.rbegin(); it != steps.rend(); ++it)
        if (*it < m_scale / 1.0001) {
            setScale(*it);
            return;
        }
}

void RVZoomView::zoomToActualSize(const QVariant&)
{
    setScale(1.0);
}

bool RVZoomView::event(QEvent* event)
{
    if (event->type() == QEvent::NativeGesture && trackpadGesturesEnabled()) {
        auto* gesture = static_cast<QNativeGestureEvent*>(event);
        if (gesture->gestureType() == Qt::ZoomNativeGesture) {
            const QPointF at = boundsToWidgetTransform().inverted().map(gesture->position());
            setScaleAroundPoint(m_scale * (1.0 + gesture->value()), at);
            event->accept();
            return true;
        }
        if (gesture->gestureType() == Qt::SmartZoomNativeGesture) {
            setScale(m_scale == 1.0 ? 2.0 : 1.0);
            event->accept();
            return true;
        }
    }
    return pf::View::event(event);
}
