#include "styleeditor/PWXGradientParameterView.h"

#include "styleeditor/PWXGradientControl.h"

#include "frameworks/penwork/renderers/PWGradientFill.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/foundation/UndoManager.h"
#include "platform/ui/Event.h"
#include "widgets/RVMiniControlCluster.h"
#include "widgets/RVMiniRadialControl2.h"
#include "widgets/RVMiniSlider.h"

#include <QPainter>

#include <cmath>

PF_DEFINE_CLASS(PWXGradientParameterView, pf::View) {}

PWXGradientParameterView::PWXGradientParameterView(QWidget* parent) : pf::View(parent)
{
    mCluster = std::make_shared<RVMiniControlCluster>(QRectF());
    mCluster->setDelegate(this);
    mCluster->setView(this);
    mStartRing = RVMiniControl::create<RVMiniRadialControl2>(QRectF(), mCluster.get());
    mEndRing = RVMiniControl::create<RVMiniRadialControl2>(QRectF(), mCluster.get());
    mEndRing->setRingRadiusScale(0.8f);
    mLinearCluster = std::make_shared<RVMiniControlCluster>(QRectF());
    mLinearCluster->setDelegate(this);
    mLinearCluster->setView(this);
    mAngleRing = RVMiniControl::create<RVMiniCircularSlider>(QRectF(), mLinearCluster.get());
    setFrame(QRectF(0, 0, 200, 120));
}

PWXGradientParameterView::~PWXGradientParameterView()
{
    endDragUndoGroup();
    mCluster->setDelegate(nullptr);
    mLinearCluster->setDelegate(nullptr);
}

pf::Color PWXGradientParameterView::chequerColour()
{
    static const pf::Color colour = pf::Color::patternWithImage(PWXGradientControl::chequerImage());
    return colour;
}

PWGradientFill* PWXGradientParameterView::fill() const
{
    return mController ? mController->gradientFill() : nullptr;
}

RVMiniControlCluster* PWXGradientParameterView::currentCluster() const
{
    PWGradientFill* gradientFill = fill();
    if (!gradientFill)
        return nullptr;
    switch (gradientFill->gradientType()) {
    case PWGradientFill::Linear:
        return mLinearCluster.get();
    case PWGradientFill::Radial:
        return mCluster.get();
    default:
        return nullptr;
    }
}

void PWXGradientParameterView::setEnabled(bool enabled)
{
    mEnabled = enabled;
    setNeedsDisplay(true);
}

void PWXGradientParameterView::setFrame(const QRectF& frame)
{
    pf::View::setFrame(frame);
    layOutControls();
}

void PWXGradientParameterView::resizeEvent(QResizeEvent* event)
{
    pf::View::resizeEvent(event);
    layOutControls();
}

void PWXGradientParameterView::layOutControls()
{
    if (!mStartRing)
        return;
    mStartRing->setBounds(bounds());
    mEndRing->setBounds(bounds());
    mAngleRing->setBounds(bounds().adjusted(8, 8, -8, -8));
    updateFromController();
}

// The dial is drawn in this flipped view, where its angles turn clockwise as seen; gradient
// angles turn counter-clockwise. The one is the other mirrored, kept within the dial's range.
double PWXGradientParameterView::dialValueForGradientAngle(double angle)
{
    if (!std::isfinite(angle))
        return 0.0;
    return std::remainder(-angle, 2 * M_PI);
}

double PWXGradientParameterView::gradientAngleForDialValue(double value)
{
    return -value;
}

void PWXGradientParameterView::updateFromController()
{
    PWGradientFill* gradientFill = fill();
    if (!gradientFill || !mStartRing)
        return;
    m_disableUpdates = true;
    const QRectF b = bounds();
    const double m = std::max(b.width(), b.height());
    const QPointF start = gradientFill->startingLocation();
    const QPointF end = gradientFill->endingLocation();
    mStartRing->setCentre(QPointF((start.x() + 0.5) * b.width(), (start.y() + 0.5) * b.height()));
    mStartRing->setRadius(float(gradientFill->startingRadius() * m));
    mEndRing->setCentre(QPointF((end.x() + 0.5) * b.width(), (end.y() + 0.5) * b.height()));
    mEndRing->setRadius(float(gradientFill->endingRadius() * m));
    // A fill without colours leaves the tabs in their own colours.
    const int colours = gradientFill->numberOfColours();
    if (colours > 0) {
        mStartRing->setTabColor(gradientFill->colourAtStopIndex(0));
        mEndRing->setTabColor(gradientFill->colourAtStopIndex(colours - 1));
    }
    mAngleRing->setValue(dialValueForGradientAngle(gradientFill->gradientAngle()));
    m_disableUpdates = false;
    setNeedsDisplay(true);
}

void PWXGradientParameterView::miniControlDidChangeValue(RVMiniControl* control, const QVariant&)
{
    if (m_disableUpdates || control != mAngleRing.get())
        return;
    if (PWGradientFill* gradientFill = fill())
        gradientFill->setGradientAngle(gradientAngleForDialValue(mAngleRing->value()));
    setNeedsDisplay(true);
}

void PWXGradientParameterView::radialControlDidChangeCentre(RVMiniControl* control, QPointF centre)
{
    if (m_disableUpdates)
        return;
    const QRectF b = bounds();
    PWGradientFill* gradientFill = fill();
    // An empty view has no place to map to: nothing is written.
    if (!gradientFill || !(b.width() > 0) || !(b.height() > 0))
        return;
    const QPointF location((centre.x() - b.x()) / b.width() - 0.5, (centre.y() - b.y()) / b.height() - 0.5);
    if (!std::isfinite(location.x()) || !std::isfinite(location.y()))
        return;
    if (control == mStartRing.get())
        gradientFill->setStartingLocation(location);
    else if (control == mEndRing.get())
        gradientFill->setEndingLocation(location);
    setNeedsDisplay(true);
}

void PWXGradientParameterView::radialControlDidChangeRadius(RVMiniControl* control, float radius)
{
    if (m_disableUpdates)
        return;
    const double m = std::max(bounds().width(), bounds().height());
    PWGradientFill* gradientFill = fill();
    if (!gradientFill || !(m > 0) || !std::isfinite(radius))
        return;
    if (control == mStartRing.get())
        gradientFill->setStartingRadius(radius / m);
    else if (control == mEndRing.get())
        gradientFill->setEndingRadius(radius / m);
    setNeedsDisplay(true);
}

void PWXGradientParameterView::drawRect(const QRectF& dirtyRect)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    painter.save();
    painter.fillRect(dirtyRect, QBrush(PWXGradientControl::chequerImage()));
    painter.restore();
    PWGradientFill* gradientFill = fill();
    if (gradientFill) {
        painter.save();
        gradientFill->drawInRect(bounds(), 0);
        painter.restore();
    }
    if (mEnabled && gradientFill) {
        if (RVMiniControlCluster* cluster = currentCluster()) {
            painter.save();
            cluster->draw();
            painter.restore();
        }
        painter.save();
        painter.setPen(QPen(Qt::cyan, 0.5));
        const QPointF c = bounds().center();
        painter.drawLine(c - QPointF(5, 0), c + QPointF(5, 0));
        painter.drawLine(c - QPointF(0, 5), c + QPointF(0, 5));
        painter.restore();
    }
    painter.save();
    painter.setPen(QPen(Qt::gray, 1));
    painter.drawRect(bounds().adjusted(0.5, 0.5, -0.5, -0.5));
    painter.restore();
}

void PWXGradientParameterView::mouseDown(const pf::Event& event)
{
    RVMiniControlCluster* cluster = currentCluster();
    if (!mEnabled || !cluster)
        return;
    m_tracking = true;
    beginDragUndoGroup();
    cluster->mouseDownAt(convertPointFromView(event.locationInWindow, nullptr), RVMiniControl::kPartWhole,
                         event.modifierFlags);
    setNeedsDisplay(true);
}

void PWXGradientParameterView::mouseDragged(const pf::Event& event)
{
    RVMiniControlCluster* cluster = currentCluster();
    if (!mEnabled || !cluster || !m_tracking)
        return;
    cluster->mouseDraggedAt(convertPointFromView(event.locationInWindow, nullptr), RVMiniControl::kPartWhole,
                            event.modifierFlags);
    setNeedsDisplay(true);
}

void PWXGradientParameterView::mouseUp(const pf::Event& event)
{
    RVMiniControlCluster* cluster = currentCluster();
    const bool wasTracking = m_tracking;
    m_tracking = false;
    if (mEnabled && cluster && wasTracking)
        cluster->mouseUpAt(convertPointFromView(event.locationInWindow, nullptr), RVMiniControl::kPartWhole,
                           event.modifierFlags);
    endDragUndoGroup();
    setNeedsDisplay(true);
}

void PWXGradientParameterView::flagsChanged(const pf::Event& event)
{
    mCluster->flagsChanged(event.modifierFlags);
    mLinearCluster->flagsChanged(event.modifierFlags);
    setNeedsDisplay(true);
}

void PWXGradientParameterView::beginDragUndoGroup()
{
    endDragUndoGroup();
    pf::UndoManager* undo = m_undoSource ? m_undoSource() : nullptr;
    if (!undo)
        undo = undoManager();
    if (undo) {
        undo->beginUndoGrouping();
        m_dragUndoManager = undo->shared_from_this();
    }
}

void PWXGradientParameterView::endDragUndoGroup()
{
    if (auto undo = std::static_pointer_cast<pf::UndoManager>(m_dragUndoManager.lock()); undo && undo->groupingLevel() > 0)
        undo->endUndoGrouping();
    m_dragUndoManager.reset();
}

void PWXGradientParameterView::hideEvent(QHideEvent* event)
{
    endDragUndoGroup();
    pf::View::hideEvent(event);
}
