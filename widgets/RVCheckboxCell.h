#pragma once

#include "platform/ui/ButtonCell.h"

// A checkbox cell that tracks the mouse itself: the highlight follows the pointer in and out
// of the cell, and releasing inside toggles the value (mixed counts as on).
class RVCheckboxCell : public pf::ButtonCell {
    PF_CLASS(RVCheckboxCell)
public:
    using pf::ButtonCell::ButtonCell;

    pf::Ref<pf::Cell> copyCell() const override;

    // Takes the drag and mouse-up events from the window's queue until the mouse goes up;
    // answers whether it went up inside `rect` (the view's bounds coordinates).
    bool trackMouse(const pf::Event& event, const QRectF& rect, pf::View* view, bool untilMouseUp);
    signed char charValue() const { return static_cast<signed char>(intValue()); }
};
