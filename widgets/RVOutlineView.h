#pragma once

#include "platform/ui/OutlineView.h"

// An outline view whose check boxes, buttons and colour cells are clicked directly, without
// first selecting the row: the click toggles that row's cell and writes the new value through
// the data source. It takes the keyboard focus only when told to.
class RVOutlineView : public pf::OutlineView {
    Q_OBJECT
    PF_CLASS(RVOutlineView)
public:
    using pf::OutlineView::OutlineView;

    bool acceptsFirstResponder() const override { return mFirstR; }
    void setAcceptsFirstResponder(bool accepts) { mFirstR = accepts; }
    bool acceptsFirstMouse(const pf::Event* event) const override;
    QColor gridColor() const override;

protected:
    // Enabled button cells and colour cells track the mouse themselves.
    bool cellTracksClicks(const pf::Cell& cell) const override;

private:
    bool mFirstR = false;
};
