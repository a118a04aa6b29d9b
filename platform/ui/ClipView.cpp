#include "platform/ui/ClipView.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/ScrollView.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS_NAMED(pf::ClipView, pf::View, "pf::ClipView") {}

namespace pf {

ClipView::ClipView(QWidget* parent) : View(parent) {}

ClipView::ClipView(const QRectF& frame, QWidget* parent) : View(frame, parent) {}

ClipView::~ClipView()
{
    NotificationCenter::defaultCenter().removeObserver(this);
}

void ClipView::setDocumentView(View* view)
{
    if (view == m_documentView)
        return;
    if (View* old = m_documentView) {
        observeDocumentView(false);
        m_documentView = nullptr;
        if (old->superview() == this)
            old->removeFromSuperview();
    }
    m_documentView = view;
    if (view) {
        addSubview(view);
        view->setPostsFrameChangedNotifications(true);
        view->setPostsBoundsChangedNotifications(true);
        observeDocumentView(true);
    }
    // The flipping follows the document view: place it again, then find an acceptable point.
    setBoundsOrigin(bounds().topLeft());
    reconstrain();
    update();
}

void ClipView::observeDocumentView(bool observe)
{
    NotificationCenter& centre = NotificationCenter::defaultCenter();
    View* document = m_documentView;
    if (!document)
        return;
    if (!observe) {
        centre.removeObserver(this, NSViewFrameDidChangeNotification, document);
        centre.removeObserver(this, NSViewBoundsDidChangeNotification, document);
        return;
    }
    centre.addObserver(this, [this](const Notification& note) { viewFrameChanged(note); },
                       NSViewFrameDidChangeNotification, document);
    centre.addObserver(this, [this](const Notification& note) { viewBoundsChanged(note); },
                       NSViewBoundsDidChangeNotification, document);
}

QRectF ClipView::documentRect() const
{
    return m_documentView ? m_documentView->frame() : QRectF();
}

QRectF ClipView::documentVisibleRect() const
{
    if (!m_documentView)
        return {};
    return m_documentView->convertRectFromView(bounds(), this).intersected(m_documentView->bounds());
}

namespace {
double constrainAxis(double proposed, double start, double length, double visible)
{
    if (length <= visible || !std::isfinite(proposed))
        return start;
    return std::clamp(proposed, start, start + length - visible);
}
} // namespace

QPointF ClipView::constrainScrollPoint(QPointF proposed) const
{
    if (!m_documentView)
        return proposed;
    const QRectF document = documentRect();
    const QSizeF visible = bounds().size();
    return {constrainAxis(proposed.x(), document.x(), document.width(), visible.width()),
            constrainAxis(proposed.y(), document.y(), document.height(), visible.height())};
}

void ClipView::scrollToPoint(QPointF point)
{
    if (!std::isfinite(point.x()) || !std::isfinite(point.y()) || point == bounds().topLeft())
        return;
    setBoundsOrigin(point);
    if (!copiesOnScroll()) {
        setNeedsDisplay(true);
        if (m_documentView)
            m_documentView->setNeedsDisplay(true);
    }
    tellScrollView();
}

bool ClipView::autoscroll(const Event& event)
{
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    const QRectF visible = bounds();
    const double dx = point.x() < visible.left() ? point.x() - visible.left()
        : point.x() > visible.right()            ? point.x() - visible.right()
                                                 : 0.0;
    const double dy = point.y() < visible.top() ? point.y() - visible.top()
        : point.y() > visible.bottom()          ? point.y() - visible.bottom()
                                                : 0.0;
    if (dx == 0 && dy == 0)
        return false;
    const QPointF origin = constrainScrollPoint(visible.topLeft() + QPointF(dx, dy));
    if (origin == visible.topLeft())
        return false;
    scrollToPoint(origin);
    return true;
}

void ClipView::viewFrameChanged(const Notification&)
{
    reconstrain();
}

void ClipView::viewBoundsChanged(const Notification&)
{
    reconstrain();
}

void ClipView::reconstrain()
{
    const QPointF origin = constrainScrollPoint(bounds().topLeft());
    if (origin != bounds().topLeft())
        scrollToPoint(origin);
    else
        tellScrollView(); // the scrollers' ranges may have changed all the same
}

void ClipView::tellScrollView()
{
    if (auto* scrollView = qobject_cast<ScrollView*>(superview()))
        scrollView->reflectScrolledClipView(this);
}

void ClipView::setBackgroundColor(const Color& color)
{
    m_backgroundColor = color;
    setNeedsDisplay(true);
}

void ClipView::setDrawsBackground(bool draws)
{
    m_drawsBackground = draws;
    setNeedsDisplay(true);
}

bool ClipView::isFlipped() const
{
    return m_documentView && m_documentView->isFlipped();
}

void ClipView::setFrameSize(QSizeF size)
{
    const QSizeF old = frame().size();
    View::setFrameSize(size);
    if (frame().size() != old)
        reconstrain();
}

void ClipView::drawRect(const QRectF& dirtyRect)
{
    GraphicsContext* context = GraphicsContext::current();
    if (!m_drawsBackground || !context)
        return;
    const QColor colour = m_backgroundColor.isValid() ? m_backgroundColor.qColor() : palette().color(QPalette::Base);
    context->painter().fillRect(dirtyRect, colour);
}

} // namespace pf
