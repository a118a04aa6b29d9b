#pragma once

#include "platform/ui/View.h"

#include <QTimer>

namespace pf {

enum class ProgressIndicatorStyle { Bar = 0, Spinning = 1 };

// Shows progress: a bar filled from minValue to maxValue (determinate), or a moving bar or
// spinning wheel while animating (indeterminate). Unless displayedWhenStopped, a stopped
// indeterminate indicator draws nothing. The value may be set from any thread; it is applied
// on the main thread.
class ProgressIndicator : public View {
    Q_OBJECT
    PF_CLASS(ProgressIndicator)
public:
    explicit ProgressIndicator(QWidget* parent = nullptr);

    ProgressIndicatorStyle style() const { return m_style; }
    void setStyle(ProgressIndicatorStyle style);
    bool isIndeterminate() const { return m_indeterminate; }
    void setIndeterminate(bool indeterminate);
    double minValue() const { return m_min; }
    void setMinValue(double value);
    double maxValue() const { return m_max; }
    void setMaxValue(double value);
    double doubleValue() const { return m_value; }
    // Clamped to the range.
    void setDoubleValue(double value);
    void incrementBy(double delta);
    // The filled part of the range, 0 to 1.
    double fraction() const;

    bool isDisplayedWhenStopped() const { return m_displayedWhenStopped; }
    void setDisplayedWhenStopped(bool displayed);
    bool usesThreadedAnimation() const { return m_threaded; }
    void setUsesThreadedAnimation(bool threaded) { m_threaded = threaded; }
    void startAnimation(const QVariant& sender = {});
    void stopAnimation(const QVariant& sender = {});
    bool isAnimating() const { return m_timer.isActive(); }

    void drawRect(const QRectF& dirtyRect) override;

private:
    ProgressIndicatorStyle m_style = ProgressIndicatorStyle::Bar;
    bool m_indeterminate = true;
    double m_min = 0;
    double m_max = 100;
    double m_value = 0;
    bool m_displayedWhenStopped = true;
    bool m_threaded = false;
    int m_phase = 0;
    QTimer m_timer;
};

} // namespace pf
