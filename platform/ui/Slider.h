#pragma once

#include "platform/ui/Control.h"

namespace pf {

enum class SliderType { Linear = 0, Circular = 1 };
enum class TickMarkPosition { Below = 0, Above = 1, Leading = 2, Trailing = 3 };

// A value between a minimum and a maximum picked by dragging a knob along a bar (linear) or
// around a ring (circular, where the value wraps: the maximum is the minimum again, and zero
// sits at the top, growing clockwise). Tick marks divide the range evenly; with
// allowsTickMarkValuesOnly the value snaps to the nearest one. Vertical when taller than wide.
class Slider : public Control {
    Q_OBJECT
    PF_CLASS(Slider)
public:
    explicit Slider(QWidget* parent = nullptr);

    double minValue() const { return m_min; }
    void setMinValue(double value);
    double maxValue() const { return m_max; }
    void setMaxValue(double value);
    SliderType sliderType() const { return m_type; }
    void setSliderType(SliderType type);
    bool isVertical() const;

    int numberOfTickMarks() const { return m_ticks; }
    void setNumberOfTickMarks(int count);
    bool allowsTickMarkValuesOnly() const { return m_tickValuesOnly; }
    void setAllowsTickMarkValuesOnly(bool only);
    TickMarkPosition tickMarkPosition() const { return m_tickPosition; }
    void setTickMarkPosition(TickMarkPosition position) { m_tickPosition = position; setNeedsDisplay(true); }
    double tickMarkValueAtIndex(int index) const;
    double closestTickMarkValueToValue(double value) const;

    // Clamped to the range (wrapped for circular sliders) and snapped when asked.
    void setObjectValue(const QVariant& value) override;

    // The rules, for any range: a value kept inside [min, max], or wrapped into [min, max) for
    // a circular slider; and the nearest of `ticks` evenly spaced values (none when < 1).
    static double constrainedValue(double value, double min, double max, bool wraps);
    static double snappedValue(double value, double min, double max, int ticks);

    // The value a point (bounds coordinates) stands for.
    double valueForPoint(QPointF point) const;

    void drawRect(const QRectF& dirtyRect) override;

protected:
    void trackPoint(QPointF point, bool initial) override;
    void trackingEnded(bool inside) override;

private:
    double m_min = 0;
    double m_max = 1;
    SliderType m_type = SliderType::Linear;
    int m_ticks = 0;
    bool m_tickValuesOnly = false;
    TickMarkPosition m_tickPosition = TickMarkPosition::Below;
};

} // namespace pf
