#pragma once

#include "platform/ui/Control.h"

namespace pf {

// Two arrows that step a value by the increment between a minimum and a maximum. With
// valueWraps, stepping past one end goes to the other (the platform's default); without it
// the value stops at the ends. The upper arrow steps up.
class Stepper : public Control {
    Q_OBJECT
    PF_CLASS(Stepper)
public:
    explicit Stepper(QWidget* parent = nullptr);

    double minValue() const { return m_min; }
    void setMinValue(double value);
    double maxValue() const { return m_max; }
    void setMaxValue(double value);
    double increment() const { return m_increment; }
    void setIncrement(double increment) { m_increment = increment; }
    bool valueWraps() const { return m_wraps; }
    void setValueWraps(bool wraps) { m_wraps = wraps; }
    bool autorepeat() const { return m_autorepeat; }
    void setAutorepeat(bool autorepeat) { m_autorepeat = autorepeat; }

    // Clamped to the range.
    void setObjectValue(const QVariant& value) override;
    // One step up or down, then the action.
    void stepUp();
    void stepDown();

    // The rule: `value` moved by one increment (down when `up` is false), wrapping to the
    // other end past either end or stopping there.
    static double steppedValue(double value, double increment, double min, double max, bool wraps, bool up);

    void drawRect(const QRectF& dirtyRect) override;

protected:
    void trackPoint(QPointF point, bool initial) override;
    void trackingEnded(bool inside) override;

private:
    void step(bool up);
    bool isUpperHalf(QPointF point) const;

    double m_min = 0;
    double m_max = 59;
    double m_increment = 1;
    bool m_wraps = true;
    bool m_autorepeat = true;
    bool m_pressUp = true;
};

} // namespace pf
