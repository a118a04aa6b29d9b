#include "styleeditor/RVDashEditView.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Event.h"

#include <QPainter>

PF_DEFINE_CLASS(RVDashEditView, pf::View) {}

RVDashEditView::RVDashEditView(QWidget* parent) : pf::View(parent), mPath(pf::BezierPath::path()), mLineColour(pf::Color::grey())
{
    mPath->setLineWidth(5.0);
    setFrame(QRectF(0, 0, 300, 80));
}

void RVDashEditView::setDash(const pf::Ref<PWStrokeDash>& dash)
{
    mDash = dash;
    setNeedsDisplay(true);
}

void RVDashEditView::setLineColour(const pf::Color& colour)
{
    mLineColour = colour;
    setNeedsDisplay(true);
}

void RVDashEditView::setLineWidth(double width)
{
    mPath->setLineWidth(std::max(width, 1.0));
    setNeedsDisplay(true);
}

void RVDashEditView::setLineCapStyle(pf::BezierPath::LineCap cap)
{
    mPath->setLineCapStyle(cap);
    setNeedsDisplay(true);
}

void RVDashEditView::setLineJoinStyle(pf::BezierPath::LineJoin join)
{
    mPath->setLineJoinStyle(join);
    setNeedsDisplay(true);
}

double RVDashEditView::baseline() const
{
    const QRectF b = bounds();
    return (2 * b.top() + b.height()) / 4;
}

double RVDashEditView::scale() const
{
    return mDash && mDash->scalesToLineWidth() ? mPath->lineWidth() : 1.0;
}

void RVDashEditView::resetPath()
{
    const QRectF b = bounds();
    mPath->removeAllPoints();
    mPath->moveTo(QPointF(b.left() + kInset, baseline()));
    mPath->lineTo(QPointF(b.right() - kInset, baseline()));
}

void RVDashEditView::calcHandles()
{
    mHandles.clear();
    if (!mDash)
        return;
    const double s = scale();
    const double p = mDash->phase() * s;
    const double maxY = bounds().bottom();
    double x = kInset - kInset / 2 + p;
    const QList<double> pattern = mDash->pattern().mid(0, PWStrokeDash::kMaxCount);
    for (double element : pattern) {
        x += element * s;
        QRectF handle(x, baseline() + 15, kHandleSize, kHandleSize);
        // Short elements put handles on top of each other: each one met moves this one
        // further from the line, never past the bottom edge.
        for (const QRectF& placed : std::as_const(mHandles)) {
            if (handle.intersects(placed)) {
                handle.moveTop(handle.top() + placed.height() + 1.0);
                if (handle.bottom() > maxY)
                    handle.moveTop(maxY - kHandleSize);
            }
        }
        mHandles.append(handle);
    }
    mPhaseHandle = QRectF(p + kInset, baseline() + std::max(s, 2.0), 5, 10);
}

qint64 RVDashEditView::mouseInHandle(QPointF point) const
{
    for (qsizetype i = 0; i < mHandles.size(); ++i)
        if (mHandles[i].contains(point))
            return i;
    if (mPhaseHandle.contains(point))
        return kPhaseHandle;
    return kNoHandle;
}

void RVDashEditView::calcDashForPoint(QPointF point)
{
    if (!mDash)
        return;
    const double s = scale();
    const double sp = s > 0 ? s : 1.0;
    const int count = mDash->count();
    if (mSelected == kPhaseHandle) {
        mDash->setPhase(std::max(0.0, (point.x() - kInset) / sp));
    } else if (mSelected >= 0 && mSelected < count) {
        QList<double> pattern = mDash->pattern();
        double start = s * mDash->phase() + kInset;
        for (qint64 i = 0; i < mSelected; ++i)
            start += pattern[i] * sp;
        pattern[mSelected] = std::max(0.0, (point.x() - start) / sp);
        mDash->setDashPattern(pattern, count);
    } else {
        return;
    }
    if (mDelegateRef)
        mDelegateRef->dashViewDidChangeDash(*this);
}

void RVDashEditView::drawHandles(QPainter& painter)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (mSelected >= 0 && mSelected != kPhaseHandle && mSelected < mHandles.size()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::green);
        painter.drawEllipse(mHandles[mSelected]);
    }
    QPen pen(pf::Color::darkGrey().qColor(), 0);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    for (const QRectF& handle : std::as_const(mHandles)) {
        painter.drawLine(QPointF(handle.center().x(), baseline() + 3), QPointF(handle.center().x(), handle.top()));
        painter.drawEllipse(handle);
    }
    painter.restore();
}

void RVDashEditView::drawRect(const QRectF& dirtyRect)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    painter.save();
    painter.fillRect(dirtyRect, Qt::white);
    painter.setPen(QPen(pf::Color::lightGrey().qColor(), 1));
    painter.drawRect(bounds().adjusted(0.5, 0.5, -0.5, -0.5));

    resetPath();
    const double width = mPath->lineWidth();
    if (mDelegateRef)
        mDelegateRef->drawBackgroundForDashStroke(*mPath);
    mPath->setLineWidth(width);
    pf::Ref<pf::BezierPath> sample = std::static_pointer_cast<pf::BezierPath>(mPath->copy());
    const bool valid = mDash && mDash->isValid();
    if (mDash)
        mDash->applyToPath(*sample);
    mLastStrokeColour = valid || !mDash ? mLineColour : pf::Color(QColor(Qt::red));
    painter.setRenderHint(QPainter::Antialiasing);
    sample->stroke(painter, mLastStrokeColour.qColor());

    calcHandles();
    drawHandles(painter);
    painter.setPen(Qt::NoPen);
    painter.setBrush(pf::Color::darkGrey().qColor());
    const QRectF& r = mPhaseHandle;
    painter.drawPolygon(QPolygonF({r.topLeft(), QPointF(r.left(), r.bottom()), QPointF(r.right(), r.center().y())}));
    painter.restore();
}

void RVDashEditView::mouseDown(const pf::Event& event)
{
    mSelected = mouseInHandle(convertPointFromView(event.locationInWindow, nullptr));
    setNeedsDisplay(true);
}

void RVDashEditView::mouseDragged(const pf::Event& event)
{
    if (mSelected == kNoHandle)
        return;
    calcDashForPoint(convertPointFromView(event.locationInWindow, nullptr));
    setNeedsDisplay(true);
}

void RVDashEditView::mouseUp(const pf::Event&)
{
    mSelected = kNoHandle;
    setNeedsDisplay(true);
}
