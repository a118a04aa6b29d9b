#pragma once

#include <QSizeF>

namespace pf {

class SplitView;
class View;

// What a split view asks and tells its delegate; every message is optional. Coordinates are
// along the split axis (x for a vertical split view, y for a horizontal one).
class SplitViewDelegate {
public:
    virtual ~SplitViewDelegate() = default;
    // Limits for dragging divider `dividerIndex`; the proposals are the split view's possible
    // minimum and maximum positions.
    virtual double constrainMinCoordinate(SplitView& splitView, double proposedMinimum, int dividerIndex)
    {
        return proposedMinimum;
    }
    virtual double constrainMaxCoordinate(SplitView& splitView, double proposedMaximum, int dividerIndex)
    {
        return proposedMaximum;
    }
    // The position a drag of the divider may take, before the limits apply.
    virtual double constrainSplitPosition(SplitView& splitView, double proposedPosition, int dividerIndex)
    {
        return proposedPosition;
    }
    // Whether dragging a divider past the pane's limit collapses (hides) the pane.
    virtual bool canCollapseSubview(SplitView& splitView, View* subview) { return false; }
    // Whether a divider next to a collapsed pane disappears (takes no room).
    virtual bool shouldHideDividerAtIndex(SplitView& splitView, int dividerIndex) { return false; }
    // Lays the panes out itself after the split view changed size from `oldSize`; answering
    // false leaves it to the split view's adjustSubviews.
    virtual bool resizeSubviewsWithOldSize(SplitView& splitView, QSizeF oldSize) { return false; }
    // After every layout and divider move; the split view also posts
    // NSSplitViewDidResizeSubviewsNotification.
    virtual void splitViewDidResizeSubviews(SplitView& splitView) {}
};

} // namespace pf
