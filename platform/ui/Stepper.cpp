#include "platform/ui/Stepper.h"

#include <QPainter>
#include <QStyleOptionSpinBox>

#include <cmath>

PF_DEFINE_CLASS_NAMED(pf::Stepper, pf::Control, "pf::Stepper")
{
    b.property("minValue", &pf::Stepper::minValue, &pf::Stepper::setMinValue);
    b.property("maxValue", &pf::Stepper::maxValue, &pf::Stepper::setMaxValue);
    b.property("increment", &pf::Stepper::increment, &pf::Stepper::setIncrement);
    b.property("valueWraps", &pf::Stepper::valueWraps, &pf::Stepper::setValueWraps);
}

namespace pf {

Stepper::Stepper(QWidget* parent)
    : Control(parent)
{
    Control::setObjectValue(0.0);
}

void Stepper::setMinValue(double value)
{
    m_min = value;
    setObjectValue(doubleValue());
}

void Stepper::setMaxValue(double value)
{
    m_max = value;
    setObjectValue(doubleValue());
}

void Stepper::setObjectValue(const QVariant& value)
{
    double v = value.toDouble();
    if (!std::isfinite(v))
        v = m_min;
    Control::setObjectValue(m_max >= m_min ? std::clamp(v, m_min, m_max) : m_min);
}

double Stepper::steppedValue(double value, double increment, double min, double max, bool wraps, bool up)
{
    if (max <= min)
        return min;
    const double next = value + (up ? increment : -increment);
    if (next > max)
        return wraps ? min : max;
    if (next < min)
        return wraps ? max : min;
    return next;
}

void Stepper::step(bool up)
{
    setObjectValue(steppedValue(doubleValue(), m_increment, m_min, m_max, m_wraps, up));
}

void Stepper::stepUp()
{
    if (!isEnabled())
        return;
    step(true);
    sendAction();
}

void Stepper::stepDown()
{
    if (!isEnabled())
        return;
    step(false);
    sendAction();
}

bool Stepper::isUpperHalf(QPointF point) const
{
    const double middle = bounds().center().y();
    return isFlipped() ? point.y() < middle : point.y() >= middle;
}

void Stepper::trackPoint(QPointF point, bool initial)
{
    if (!initial)
        return;
    m_pressUp = isUpperHalf(point);
    // A continuous stepper acts at the press; the base sends the action for the change.
    if (isContinuous())
        step(m_pressUp);
}

void Stepper::trackingEnded(bool inside)
{
    if (!inside || isContinuous())
        return;
    step(m_pressUp);
    sendAction();
}

void Stepper::drawRect(const QRectF&)
{
    const bool enabled = isEnabled();
    const bool pressed = isTracking() && isHighlighted();
    const bool pressUp = m_pressUp;
    Cell::drawUpright(bounds(), [&](QPainter& painter, const QRectF& rect) {
        QStyleOptionSpinBox option;
        option.initFrom(this);
        option.rect = rect.toAlignedRect();
        option.frame = false;
        option.subControls = QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown;
        option.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
        if (!enabled)
            option.state &= ~QStyle::State_Enabled;
        if (pressed) {
            option.activeSubControls = pressUp ? QStyle::SC_SpinBoxUp : QStyle::SC_SpinBoxDown;
            option.state |= QStyle::State_Sunken;
        }
        style()->drawComplexControl(QStyle::CC_SpinBox, &option, &painter, this);
    });
}

} // namespace pf
