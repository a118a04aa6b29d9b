#include "widgets/RVRoundRectSelectorControl.h"

#include "widgets/BezierPath+RoundRectangles.h"
#include "widgets/Color+VNQLApplicationColors.h"
#include "widgets/Gradient+VNQLApplicationColors.h"

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Shadow.h"
#include "platform/ui/EventQueue.h"

#include <QPainter>

PF_DEFINE_CLASS(RVRoundRectSelectorControl, pf::Control)
{
    b.property("corners", &RVRoundRectSelectorControl::corners, &RVRoundRectSelectorControl::setCorners);
}

namespace {

constexpr unsigned kTopLeft = 1;
constexpr unsigned kBottomLeft = 2;
constexpr unsigned kTopRight = 4;
constexpr unsigned kBottomRight = 8;

} // namespace

RVRoundRectSelectorControl::RVRoundRectSelectorControl(QWidget* parent)
    : pf::Control(parent)
{
}

RVRoundRectSelectorControl::RVRoundRectSelectorControl(const QRectF& frame, QWidget* parent)
    : pf::Control(parent)
{
    setFrame(frame);
}

void RVRoundRectSelectorControl::setCorners(unsigned corners)
{
    mCorners = corners;
    setNeedsDisplay();
}

void RVRoundRectSelectorControl::setState(long long state)
{
    mState = state;
    setNeedsDisplay();
}

QString RVRoundRectSelectorControl::description() const
{
    return QStringLiteral("%1 corners=%2").arg(pf::Control::description()).arg(mCorners);
}

QRectF RVRoundRectSelectorControl::selectorRect() const
{
    return centerScanRect(bounds().adjusted(5, 5, -5, -5)).translated(0.5, 0.5);
}

QRectF RVRoundRectSelectorControl::segmentRectForCorner(unsigned corner) const
{
    const QRectF r = selectorRect();
    const double halfWidth = r.width() / 2;
    const double halfHeight = r.height() / 2;
    const bool right = corner == kTopRight || corner == kBottomRight;
    const bool bottom = corner == kBottomLeft || corner == kBottomRight;
    return QRectF(r.x() + (right ? halfWidth : 0), r.y() + (bottom ? halfHeight : 0), halfWidth, halfHeight);
}

unsigned RVRoundRectSelectorControl::cornerAtPoint(QPointF point) const
{
    const QPointF middle = selectorRect().center();
    const bool right = point.x() > middle.x();
    const bool bottom = point.y() > middle.y();
    if (bottom)
        return right ? kBottomRight : kBottomLeft;
    return right ? kTopRight : kTopLeft;
}

void RVRoundRectSelectorControl::drawRect(const QRectF&)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    const QRectF r = selectorRect();
    const auto path = bezierPathWithRoundedRect(r, r.width() / 6.0, int(mCorners));
    const QPainterPath shape = path->toQPainterPath();

    context->saveGraphicsState();
    if (isEnabled()) {
        pf::Shadow shadow;
        shadow.setShadowBlurRadius(4);
        shadow.setShadowOffset(QSizeF(2, -2));
        shadow.setShadowColor(pf::Color::grey().colorWithAlphaComponent(0.66));
        context->setShadow(shadow);
        context->setFillColour(pf::Color::lightGrey());
        context->fillPath(*path);
        context->setShadow(nullptr);
        VNQLSelectedButtonGradient()->drawInPath(painter, shape, 90.0);
    } else {
        painter.fillPath(shape, pf::Color::withWhite(0.8).qColor());
    }
    painter.setClipPath(shape, Qt::IntersectClip);
    for (const unsigned corner : {kTopLeft, kTopRight, kBottomRight, kBottomLeft})
        drawSegmentInRect(segmentRectForCorner(corner), corner, mMouseInSegment && mMouseTrackingCorner == corner);
    context->restoreGraphicsState();

    QPen outline((isEnabled() ? VNQLControlFrameColour() : VNQLLightControlFrameColour()).qColor(), 0.5);
    if (mState == kMixedState) {
        // Qt counts dashes in pen widths.
        outline.setDashPattern({3.0 / 0.5, 3.0 / 0.5});
        outline.setDashOffset(0);
    }
    painter.save();
    painter.strokePath(shape, outline);
    painter.restore();
}

void RVRoundRectSelectorControl::drawSegmentInRect(const QRectF& rect, unsigned, bool highlighted)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    if (highlighted)
        VNQLHighlightedControlGradient()->drawInRect(painter, centerScanRect(rect).translated(0.5, -0.5), 90.0);
    painter.save();
    painter.setPen(QPen((isEnabled() ? pf::Color::black() : pf::Color::grey()).qColor(), 0.25));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect);
    painter.restore();
}

void RVRoundRectSelectorControl::mouseDown(const pf::Event& event)
{
    const auto pointOf = [this](const pf::Event& e) { return convertPointFromView(e.locationInWindow, nullptr); };
    mMouseTrackingCorner = cornerAtPoint(pointOf(event));
    const QRectF segment = segmentRectForCorner(mMouseTrackingCorner);
    mMouseInSegment = true;
    setNeedsDisplay();
    const pf::EventMask mask = pf::eventMaskFromType(pf::LeftMouseDragged) | pf::eventMaskFromType(pf::LeftMouseUp);
    for (;;) {
        const auto next = pf::EventQueue::shared().nextEvent(mask, pf::EventQueue::kDistantFuture,
                                                             pf::kEventTrackingRunLoopMode, true);
        if (!next)
            break;
        const bool inside = segment.contains(pointOf(*next));
        if (next->type == pf::LeftMouseUp) {
            mMouseInSegment = false;
            setNeedsDisplay();
            if (inside) {
                setCorners(mCorners ^ mMouseTrackingCorner);
                if (!action().isEmpty())
                    sendAction();
            }
            break;
        }
        if (inside != mMouseInSegment) {
            mMouseInSegment = inside;
            setNeedsDisplay();
        }
    }
    mMouseTrackingCorner = 0;
    mMouseInSegment = false;
}
