#pragma once

#include "widgets/RVMiniControl.h"

namespace pf {
class BezierPath;
class Image;
}

// A straight mini slider: a knob dragged along a horizontal track. The value maps directly
// onto the track (1 puts the knob at its right end), so the range is expected to be 0 to 1.
class RVMiniSlider : public RVMiniControl {
    PF_CLASS(RVMiniSlider)
public:
    static constexpr qint64 kPartKnob = 2;
    // The track runs this far in from each end of the bounds.
    static constexpr double kTrackInset = 10.0;

    explicit RVMiniSlider(const QRectF& bounds);
    ~RVMiniSlider() override;

    bool showTickMarks() const { return m_ticks; }
    void setShowTickMarks(bool show);

    pf::Image* knobImage() const { return m_knobImage.get(); }
    virtual QRectF knobRect() const;

    qint64 hitTestPoint(QPointF point) override;
    bool mouseDownAt(QPointF point, qint64 part, unsigned modifierFlags) override;
    bool mouseDraggedAt(QPointF point, qint64 part, unsigned modifierFlags) override;
    void draw() override;

protected:
    // The knob image's size, or `fallback` when it has none.
    QSizeF knobSize(QSizeF fallback) const;

private:
    pf::Ref<pf::Image> m_knobImage;
    bool m_ticks = false;
};

// A circular mini slider: a knob on a ring sets an angle in radians (-pi to pi). With Shift
// held the angle snaps to steps of 15 degrees and tick marks show.
class RVMiniCircularSlider : public RVMiniSlider {
    PF_CLASS(RVMiniCircularSlider)
public:
    static constexpr int kTickCount = 24;

    explicit RVMiniCircularSlider(const QRectF& bounds);

    bool isHighlighted() const { return m_hilite; }

    QRectF circleBounds() const;
    pf::Ref<pf::BezierPath> circlePath() const;
    QRectF knobRect() const override;

    // The angle with Shift's 15-degree snap applied.
    static float snappedAngle(float angle);
    // The value in degrees as the read-out shows it (the remainder of 360 keeps its sign).
    static float degreesForValue(double value);

    bool mouseDownAt(QPointF point, qint64 part, unsigned modifierFlags) override;
    bool mouseDraggedAt(QPointF point, qint64 part, unsigned modifierFlags) override;
    void mouseUpAt(QPointF point, qint64 part, unsigned modifierFlags) override;
    void flagsChanged(unsigned modifierFlags) override;
    void draw() override;

private:
    bool m_hilite = false;
};
