#include "platform/ui/Slider.h"

#include <QPainter>
#include <QStyleOptionSlider>

#include <cmath>
#include <numbers>

PF_DEFINE_CLASS_NAMED(pf::Slider, pf::Control, "pf::Slider")
{
    b.property("minValue", &pf::Slider::minValue, &pf::Slider::setMinValue);
    b.property("maxValue", &pf::Slider::maxValue, &pf::Slider::setMaxValue);
    b.property("numberOfTickMarks", &pf::Slider::numberOfTickMarks, &pf::Slider::setNumberOfTickMarks);
}

namespace pf {

namespace {

// Qt's style draws integer sliders; this many steps stand for the range.
constexpr int kStyleSteps = 10000;

} // namespace

Slider::Slider(QWidget* parent)
    : Control(parent)
{
    setContinuous(true);
    Control::setObjectValue(0.0);
}

void Slider::setMinValue(double value)
{
    m_min = value;
    setObjectValue(doubleValue());
}

void Slider::setMaxValue(double value)
{
    m_max = value;
    setObjectValue(doubleValue());
}

void Slider::setSliderType(SliderType type)
{
    m_type = type;
    setObjectValue(doubleValue());
}

bool Slider::isVertical() const
{
    return m_type == SliderType::Linear && bounds().height() > bounds().width();
}

void Slider::setNumberOfTickMarks(int count)
{
    m_ticks = std::max(0, count);
    setObjectValue(doubleValue());
}

void Slider::setAllowsTickMarkValuesOnly(bool only)
{
    m_tickValuesOnly = only;
    setObjectValue(doubleValue());
}

double Slider::tickMarkValueAtIndex(int index) const
{
    if (m_ticks < 1)
        return m_min;
    if (m_ticks == 1)
        return (m_min + m_max) / 2;
    return m_min + (m_max - m_min) * index / (m_ticks - 1);
}

double Slider::closestTickMarkValueToValue(double value) const
{
    return snappedValue(value, m_min, m_max, m_ticks);
}

double Slider::constrainedValue(double value, double min, double max, bool wraps)
{
    if (!std::isfinite(value))
        return min;
    if (max <= min)
        return min;
    if (!wraps)
        return std::clamp(value, min, max);
    const double span = max - min;
    double wrapped = std::fmod(value - min, span);
    if (wrapped < 0)
        wrapped += span;
    return min + wrapped;
}

double Slider::snappedValue(double value, double min, double max, int ticks)
{
    if (ticks < 1)
        return value;
    if (ticks == 1)
        return (min + max) / 2;
    const double step = (max - min) / (ticks - 1);
    if (step == 0)
        return min;
    const double index = std::clamp(std::round((value - min) / step), 0.0, double(ticks - 1));
    return min + index * step;
}

void Slider::setObjectValue(const QVariant& value)
{
    const bool wraps = m_type == SliderType::Circular;
    double v = constrainedValue(value.toDouble(), m_min, m_max, wraps);
    if (m_tickValuesOnly) {
        v = snappedValue(v, m_min, m_max, m_ticks);
        // The last tick of a ring is its first.
        if (wraps && v >= m_max)
            v = m_min;
    }
    Control::setObjectValue(v);
}

double Slider::valueForPoint(QPointF point) const
{
    const QRectF b = bounds();
    if (m_type == SliderType::Circular) {
        // Zero at the top, clockwise, in the view's own orientation.
        const QPointF d = point - b.center();
        const double up = isFlipped() ? -d.y() : d.y();
        double turn = std::atan2(d.x(), up) / (2 * std::numbers::pi);
        if (turn < 0)
            turn += 1;
        return m_min + turn * (m_max - m_min);
    }
    const double knob = 10;
    if (isVertical()) {
        const double length = std::max(1.0, b.height() - knob);
        double fraction = (point.y() - b.y() - knob / 2) / length;
        if (isFlipped())
            fraction = 1 - fraction;
        return m_min + std::clamp(fraction, 0.0, 1.0) * (m_max - m_min);
    }
    const double length = std::max(1.0, b.width() - knob);
    const double fraction = std::clamp((point.x() - b.x() - knob / 2) / length, 0.0, 1.0);
    return m_min + fraction * (m_max - m_min);
}

void Slider::trackPoint(QPointF point, bool)
{
    setObjectValue(valueForPoint(point));
}

void Slider::trackingEnded(bool)
{
    // The knob was wherever the pointer went: the last value counts even outside.
    if (!isContinuous())
        sendAction();
}

void Slider::drawRect(const QRectF&)
{
    const double span = m_max - m_min;
    const int position = span > 0 ? int(std::lround((doubleValue() - m_min) / span * kStyleSteps)) : 0;
    const bool circular = m_type == SliderType::Circular;
    const bool vertical = isVertical();
    const bool enabled = isEnabled();
    Cell::drawUpright(bounds(), [&](QPainter& painter, const QRectF& rect) {
        QStyleOptionSlider option;
        option.initFrom(this);
        option.rect = rect.toAlignedRect();
        option.minimum = 0;
        option.maximum = kStyleSteps;
        option.orientation = vertical ? Qt::Vertical : Qt::Horizontal;
        // Upright painting runs y-down: a vertical slider's minimum is at the bottom.
        option.upsideDown = vertical;
        option.sliderPosition = position;
        option.sliderValue = position;
        if (!enabled)
            option.state &= ~QStyle::State_Enabled;
        if (m_ticks > 0) {
            option.tickInterval = m_ticks > 1 ? kStyleSteps / (m_ticks - 1) : kStyleSteps;
            option.tickPosition = m_tickPosition == TickMarkPosition::Above || m_tickPosition == TickMarkPosition::Leading
                ? QSlider::TicksAbove
                : QSlider::TicksBelow;
        }
        if (circular) {
            option.dialWrapping = true;
            // The dial's zero is at the bottom; ours at the top.
            option.sliderPosition = option.sliderValue = (position + kStyleSteps / 2) % kStyleSteps;
            option.subControls = QStyle::SC_All;
            option.notchTarget = m_ticks > 1 ? 3.7 : 0;
            style()->drawComplexControl(QStyle::CC_Dial, &option, &painter, this);
            return;
        }
        option.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderHandle
            | (m_ticks > 0 ? QStyle::SC_SliderTickmarks : QStyle::SC_None);
        style()->drawComplexControl(QStyle::CC_Slider, &option, &painter, this);
    });
}

} // namespace pf
