#pragma once

#include "platform/ui/Control.h"

// Chooses which corners of a rounded rectangle are rounded: a rounded square split into four
// quadrants, each of which toggles its corner when clicked. Corner bits (y down): 1 top left,
// 4 top right, 2 bottom left, 8 bottom right.
class RVRoundRectSelectorControl : public pf::Control {
    Q_OBJECT
    PF_CLASS(RVRoundRectSelectorControl)
public:
    static constexpr unsigned kAllCorners = 15;
    static constexpr long long kMixedState = -1;

    explicit RVRoundRectSelectorControl(QWidget* parent = nullptr);
    explicit RVRoundRectSelectorControl(const QRectF& frame, QWidget* parent = nullptr);

    bool isFlipped() const override { return true; }

    unsigned corners() const { return mCorners; }
    void setCorners(unsigned corners);
    long long state() const { return mState; }
    void setState(long long state);

    QString description() const override;

    // The rounded square, inset from the bounds and aligned to device pixels.
    QRectF selectorRect() const;
    // The quadrant of the selector rectangle that holds the corner.
    QRectF segmentRectForCorner(unsigned corner) const;
    // The corner whose quadrant holds `point` (bounds coordinates).
    unsigned cornerAtPoint(QPointF point) const;
    // While the mouse is down: the corner tracked and whether the pointer is on its segment.
    unsigned trackedCorner() const { return mMouseTrackingCorner; }
    bool isMouseInSegment() const { return mMouseInSegment; }

    void drawRect(const QRectF& dirtyRect) override;
    void drawSegmentInRect(const QRectF& rect, unsigned corner, bool highlighted);
    // Takes the drag and mouse-up events from the window's queue until the mouse goes up.
    void mouseDown(const pf::Event& event) override;

private:
    unsigned mCorners = kAllCorners;
    unsigned mMouseTrackingCorner = 0;
    bool mMouseInSegment = false;
    long long mState = 0;
};
