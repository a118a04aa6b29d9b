#include "frameworks/penwork/view/RVZoomView.h"

#include "platform/foundation/UserDefaults.h"
#include "platform/ui/ClipView.h"

#include <QNativeGestureEvent>

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
    if (size == m_contentSize && (m_contentMargin > 0.0 || bounds().size() == size))
        return;
    m_contentSize = size;
    applyFrameSize();
    update();
}

void RVZoomView::setContentMargin(double margin)
{
    if (!std::isfinite(margin) || margin < 0.0 || margin == m_contentMargin)
        return;
    // The content keeps its place in the visible area.
    const QRectF visible = visibleContentRect();
    m_contentMargin = margin;
    applyFrameSize();
    if (enclosingClipView() && !visible.isEmpty())
        scrollToContentRect(visible);
    update();
}

void RVZoomView::applyFrameSize()
{
    QSizeF shown(m_contentSize.width() + 2.0 * m_contentMargin, m_contentSize.height() + 2.0 * m_contentMargin);
    QSizeF target(shown.width() * m_scale, shown.height() * m_scale);
    if (m_contentMargin > 0.0) {
        // Filling a larger clip view, the content in the middle: no bare area is left round it.
        if (pf::ClipView* clip = enclosingClipView()) {
            const QSizeF available = clip->frame().size();
            target = target.expandedTo(available);
            shown = QSizeF(target.width() / m_scale, target.height() / m_scale);
        }
    }
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
    setBoundsSize(shown);
    setBoundsOrigin(QPointF(-(shown.width() - m_contentSize.width()) / 2.0, -(shown.height() - m_contentSize.height()) / 2.0));
}

void RVZoomView::applyScale(double scale, std::optional<QPointF> anchor)
{
    if (!std::isfinite(scale) || scale <= 0)
        return;
    scale = std::clamp(scale, kMinimumScale, kMaximumScale);
    if (scale == m_scale)
        return;
    // The anchor keeps its place in the visible area; without one, the visible centre does.
    pf::ClipView* clip = enclosingClipView();
    QPointF contentPoint;
    QPointF visiblePoint;
    if (clip) {
        const QRectF visible = clip->bounds();
        contentPoint = anchor ? *anchor : visibleContentRect().center();
        const QPointF inClip = convertPointToView(contentPoint, clip);
        visiblePoint = anchor ? QPointF(inClip.x() - visible.left(),
                                        clip->isFlipped() ? inClip.y() - visible.top() : visible.bottom() - inClip.y())
                              : QPointF(visible.width() / 2, visible.height() / 2);
    }
    const double old = m_scale;
    m_scale = scale;
    applyFrameSize();
    if (clip)
        scrollContentPointToVisiblePoint(contentPoint, visiblePoint);
    update();
    scaleDidChange(old);
}

pf::ClipView* RVZoomView::enclosingClipView() const
{
    auto* clip = qobject_cast<pf::ClipView*>(superview());
    return (clip && clip->documentView() == this) ? clip : nullptr;
}

QRectF RVZoomView::visibleContentRect() const
{
    if (pf::ClipView* clip = enclosingClipView())
        return clip->documentVisibleRect();
    return bounds();
}

QSizeF RVZoomView::availableViewSize() const
{
    if (pf::ClipView* clip = enclosingClipView())
        return clip->frame().size();
    if (QWidget* parent = parentWidget())
        return parent->size();
    return size();
}

void RVZoomView::scrollToContentRect(const QRectF& rect)
{
    pf::ClipView* clip = enclosingClipView();
    if (!clip || rect.isEmpty())
        return;
    const QRectF target = convertRectToView(rect, clip);
    const QSizeF visible = clip->bounds().size();
    // Centre what fits; otherwise show its top-left corner.
    const double x = target.width() <= visible.width() ? target.center().x() - visible.width() / 2 : target.left();
    double y;
    if (target.height() <= visible.height())
        y = target.center().y() - visible.height() / 2;
    else
        y = clip->isFlipped() ? target.top() : target.bottom() - visible.height();
    clip->scrollToPoint(clip->constrainScrollPoint(QPointF(std::round(x), std::round(y))));
}

void RVZoomView::scrollContentPointToVisiblePoint(QPointF contentPoint, QPointF visiblePoint)
{
    pf::ClipView* clip = enclosingClipView();
    if (!clip)
        return;
    const QPointF inClip = convertPointToView(contentPoint, clip);
    const double height = clip->bounds().height();
    const double x = inClip.x() - visiblePoint.x();
    const double y = clip->isFlipped() ? inClip.y() - visiblePoint.y() : inClip.y() + visiblePoint.y() - height;
    clip->scrollToPoint(clip->constrainScrollPoint(QPointF(std::round(x), std::round(y))));
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

bool RVZoomView::eventFilter(QObject* watched, QEvent* event)
{
    // The clip view changed size: the view follows it.
    if (watched == m_watchedParent && event->type() == QEvent::Resize && m_contentMargin > 0.0)
        applyFrameSize();
    return pf::View::eventFilter(watched, event);
}

bool RVZoomView::event(QEvent* event)
{
    if (event->type() == QEvent::ParentChange) {
        if (m_watchedParent)
            m_watchedParent->removeEventFilter(this);
        m_watchedParent = parentWidget();
        if (m_watchedParent)
            m_watchedParent->installEventFilter(this);
    }
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
