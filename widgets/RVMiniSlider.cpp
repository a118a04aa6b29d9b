#include "widgets/RVMiniSlider.h"

#include "widgets/BezierPath+RVAdditions.h"
#include "widgets/RVMiniControlCluster.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Event.h"

#include <QtMath>

#include <cmath>

PF_DEFINE_CLASS(RVMiniSlider, RVMiniControl) {}
PF_DEFINE_CLASS(RVMiniCircularSlider, RVMiniSlider) {}

namespace {

bool shiftHeld(unsigned modifierFlags)
{
    return (modifierFlags & pf::ShiftKeyMask) != 0;
}

} // namespace

RVMiniSlider::RVMiniSlider(const QRectF& bounds)
    : RVMiniControl(bounds), m_knobImage(pf::Image::imageNamed(QStringLiteral("smallBlueKnob")))
{
}

RVMiniSlider::~RVMiniSlider() = default;

void RVMiniSlider::setShowTickMarks(bool show)
{
    if (show == m_ticks)
        return;
    m_ticks = show;
    setNeedsDisplay();
}

QSizeF RVMiniSlider::knobSize(QSizeF fallback) const
{
    const QSizeF size = m_knobImage ? m_knobImage->size() : QSizeF();
    return size.isEmpty() ? fallback : size;
}

QRectF RVMiniSlider::knobRect() const
{
    const QRectF area = bounds();
    const QRectF track = area.adjusted(kTrackInset, 1, -kTrackInset, -1);
    const float length = float(area.width() - 2 * kTrackInset);
    const QSizeF size = knobSize(QSizeF(8, 8));
    return QRectF(track.left() + length * value() - 0.5 * size.width(), area.center().y() - 0.5 * size.height(),
                  size.width(), size.height());
}

qint64 RVMiniSlider::hitTestPoint(QPointF point)
{
    if (!bounds().contains(point))
        return kPartNone;
    return knobRect().contains(point) ? kPartKnob : kPartWhole;
}

bool RVMiniSlider::mouseDownAt(QPointF point, qint64 part, unsigned modifierFlags)
{
    Q_UNUSED(modifierFlags)
    if (part != kPartKnob)
        return false;
    setupInfoWindowAtPoint(point, value());
    return true;
}

bool RVMiniSlider::mouseDraggedAt(QPointF point, qint64 part, unsigned modifierFlags)
{
    RVMiniControl::mouseDraggedAt(point, part, modifierFlags);
    const QRectF area = bounds();
    const double length = area.width() - 2 * kTrackInset;
    // A slider no longer than its insets has no track to map the pointer onto.
    if (!(length > 0))
        return true;
    const float newValue = float((point.x() - (area.left() + kTrackInset)) / length);
    setNeedsDisplayInRect(knobRect());
    setValue(newValue);
    setNeedsDisplayInRect(knobRect());
    return true;
}

void RVMiniSlider::draw()
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    const QRectF area = bounds();
    {
        pf::GraphicsStateSaver saved(context);
        applyShadow();
        context->setFillColour(themeColour(0));
        context->fillPath(*bezierPathWithRoundEndedRectInRect(area));
    }
    const double y = area.center().y();
    auto groove = pf::BezierPath::path();
    groove->setLineWidth(0.5);
    groove->moveTo(QPointF(area.left() + kTrackInset, y));
    groove->lineTo(QPointF(area.right() - kTrackInset, y));
    context->setStrokeColour(themeColour(1));
    context->strokePath(*groove);
    groove->transform(QTransform::fromTranslate(0, 1));
    context->setStrokeColour(themeColour(5));
    context->strokePath(*groove);
    if (m_knobImage)
        m_knobImage->draw(*context, knobRect(), {}, pf::CompositingOperation::SourceAtop, clusterAlpha(), true);
}

// --- Circular slider

RVMiniCircularSlider::RVMiniCircularSlider(const QRectF& bounds) : RVMiniSlider(bounds)
{
    setMinValue(-M_PI);
    setMaxValue(M_PI);
    setValue(0);
    setInfoWindowMode(kInfoWindowNearPoint);
}

QRectF RVMiniCircularSlider::circleBounds() const
{
    const QRectF inner = bounds().adjusted(8, 8, -8, -8);
    const double side = std::min(inner.width(), inner.height());
    QRectF square(0, 0, side, side);
    square.moveCenter(bounds().center());
    return square;
}

pf::Ref<pf::BezierPath> RVMiniCircularSlider::circlePath() const
{
    const QRectF circle = circleBounds();
    auto path = pf::BezierPath::pathWithOval(circle.adjusted(-4, -4, 4, 4));
    path->appendOval(circle.adjusted(4, 4, -4, -4));
    path->setWindingRule(pf::BezierPath::WindingRule::EvenOdd);
    return path;
}

QRectF RVMiniCircularSlider::knobRect() const
{
    const QRectF circle = circleBounds();
    const double r = 0.5 * circle.width();
    const QPointF knob = circle.center() + QPointF(r * std::cos(value()), r * std::sin(value()));
    const QSizeF size = knobSize(QSizeF(20, 20));
    return QRectF(knob - QPointF(0.5 * size.width(), 0.5 * size.height()), size);
}

float RVMiniCircularSlider::snappedAngle(float angle)
{
    const float step = float(M_PI / 12);
    const float rem = std::fmod(angle, step);
    return rem > float(M_PI / 24) ? angle - rem + step : angle - rem;
}

float RVMiniCircularSlider::degreesForValue(double value)
{
    return std::fmod(float(value * 180.0 / M_PI), 360.0f);
}

bool RVMiniCircularSlider::mouseDownAt(QPointF point, qint64 part, unsigned modifierFlags)
{
    Q_UNUSED(point)
    setShowTickMarks(shiftHeld(modifierFlags));
    if (part != kPartKnob)
        return false;
    setupInfoWindowAtPoint(knobRect().topLeft(), degreesForValue(value()), QStringLiteral("0.0°"));
    m_hilite = true;
    setNeedsDisplay();
    return true;
}

bool RVMiniCircularSlider::mouseDraggedAt(QPointF point, qint64 part, unsigned modifierFlags)
{
    Q_UNUSED(part)
    const QPointF centre = circleBounds().center();
    float angle = float(std::atan2(point.y() - centre.y(), point.x() - centre.x()));
    setShowTickMarks(shiftHeld(modifierFlags));
    if (shiftHeld(modifierFlags))
        angle = snappedAngle(angle);
    setNeedsDisplayInRect(knobRect());
    setValue(angle);
    setNeedsDisplayInRect(knobRect());
    flagsChanged(modifierFlags);
    updateInfoWindowAtPoint(knobRect().topLeft(), degreesForValue(value()));
    return true;
}

void RVMiniCircularSlider::mouseUpAt(QPointF point, qint64 part, unsigned modifierFlags)
{
    m_hilite = false;
    flagsChanged(modifierFlags);
    setNeedsDisplay();
    RVMiniSlider::mouseUpAt(point, part, modifierFlags);
}

void RVMiniCircularSlider::flagsChanged(unsigned modifierFlags)
{
    setShowTickMarks(shiftHeld(modifierFlags));
}

void RVMiniCircularSlider::draw()
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    auto ring = circlePath();
    {
        pf::GraphicsStateSaver saved(context);
        context->setFillColour(themeColour(0));
        context->fillPath(*ring);
    }
    if (showTickMarks() && m_hilite) {
        const QRectF circle = circleBounds();
        const QPointF centre = circle.center();
        const double w = circle.width();
        for (int i = 0; i < kTickCount; ++i) {
            const double angle = i * M_PI / 12;
            const QPointF direction(std::cos(angle), std::sin(angle));
            ring->moveTo(centre + direction * (0.5 * w - 4));
            ring->lineTo(centre + direction * (0.5 * w + 4));
        }
    }
    ring->setLineWidth(0.5);
    context->setStrokeColour(themeColour(1));
    context->strokePath(*ring);

    auto knob = pf::BezierPath::pathWithOval(knobRect().adjusted(4, 4, -4, -4));
    knob->setLineWidth(0.5);
    const pf::Color grey = pf::Color::lightGrey().colorWithAlphaComponent(clusterAlpha());
    context->setFillColour(m_hilite ? grey.shadowWithLevel(0.33) : grey);
    context->fillPath(*knob);
    context->strokePath(*knob);
}
