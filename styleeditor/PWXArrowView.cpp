#include "styleeditor/PWXArrowView.h"

#include "frameworks/penwork/renderers/PWArrowStroke.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Event.h"

#include <QPainter>

PF_DEFINE_CLASS(PWXArrowView, pf::View) {}

PWXArrowView::PWXArrowView(QWidget* parent) : pf::View(parent)
{
    setFrame(QRectF(0, 0, 200, 60));
}

void PWXArrowView::setRasterizer(PWArrowStroke* rasterizer)
{
    mArrowRasterizerRef = rasterizer;
    mRasterizerLiveness = rasterizer ? rasterizer->livenessToken() : std::weak_ptr<void>();
    update();
}

void PWXArrowView::update()
{
    if (mRasterizerLiveness.expired())
        mArrowRasterizerRef = nullptr;
    mShowHeadDragOnRight = mArrowRasterizerRef && mArrowRasterizerRef->arrowHeadAtStart() == 0
                           && mArrowRasterizerRef->arrowHeadAtEnd() != 0;
    setNeedsDisplay(true);
    mHeadAdjustmentTarget = calcTargetRect();
}

void PWXArrowView::setEnabled(bool enabled)
{
    if (mEnabled == enabled)
        return;
    mEnabled = enabled;
    setNeedsDisplay(true);
}

void PWXArrowView::resizeEvent(QResizeEvent* event)
{
    pf::View::resizeEvent(event);
    // The handle sits at the line's end, which moves with the view's width.
    update();
}

QRectF PWXArrowView::calcTargetRect() const
{
    if (!mArrowRasterizerRef)
        return {};
    const QRectF b = bounds();
    const int kind = mShowHeadDragOnRight ? mArrowRasterizerRef->arrowHeadAtEnd() : mArrowRasterizerRef->arrowHeadAtStart();
    const double trim = mArrowRasterizerRef->trimLengthForKind(kind);
    const double x = mShowHeadDragOnRight ? b.right() - kInset - trim : b.left() + kInset + trim;
    const double y = midY() - mArrowRasterizerRef->arrowHeadWidth() / 2;
    return QRectF(x - kHandleSize / 2, y - kHandleSize / 2, kHandleSize, kHandleSize);
}

pf::Ref<pf::BezierPath> PWXArrowView::renderingPath() const
{
    pf::Ref<pf::BezierPath> path = pf::BezierPath::path();
    path->moveTo(QPointF(bounds().left() + kInset, midY()));
    path->lineTo(QPointF(bounds().right() - kInset, midY()));
    return path;
}

QSizeF PWXArrowView::headSizeForPoint(QPointF point) const
{
    const QRectF b = bounds();
    const double length = mShowHeadDragOnRight ? (b.right() - kInset) - point.x() : point.x() - (b.left() + kInset);
    const double strokeWidth = mArrowRasterizerRef ? mArrowRasterizerRef->width() : 0.0;
    const double halfWidth = std::max(midY() - point.y(), strokeWidth / 2);
    return QSizeF(length, 2 * halfWidth);
}

void PWXArrowView::drawRect(const QRectF& dirtyRect)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    if (mRasterizerLiveness.expired())
        mArrowRasterizerRef = nullptr;
    QPainter& painter = context->painter();
    painter.save();
    painter.fillRect(dirtyRect, Qt::white);
    painter.setPen(QPen(QColor(170, 170, 170), 1));
    painter.drawRect(bounds().adjusted(0.5, 0.5, -0.5, -0.5));
    painter.restore();
    if (!mArrowRasterizerRef)
        return;
    mArrowRasterizerRef->render(*this);
    if (mEnabled) {
        const QRectF handle = calcTargetRect();
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(mDraggingHead ? QColor(0, 128, 0) : QColor(0, 255, 0));
        painter.setPen(QPen(Qt::black, 0.5));
        painter.drawEllipse(handle);
        painter.restore();
    }
}

void PWXArrowView::mouseDown(const pf::Event& event)
{
    if (!mEnabled)
        return;
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    mHeadAdjustmentTarget = calcTargetRect();
    mDraggingHead = mHeadAdjustmentTarget.contains(point);
    setNeedsDisplayInRect(mHeadAdjustmentTarget);
}

void PWXArrowView::mouseDragged(const pf::Event& event)
{
    if (!mEnabled || !mDraggingHead)
        return;
    const QSizeF size = headSizeForPoint(convertPointFromView(event.locationInWindow, nullptr));
    if (mDelegateRef)
        mDelegateRef->arrowViewSetArrowHeadSize(*this, size);
}

void PWXArrowView::mouseUp(const pf::Event&)
{
    if (!mEnabled)
        return;
    mDraggingHead = false;
    setNeedsDisplayInRect(mHeadAdjustmentTarget);
}
