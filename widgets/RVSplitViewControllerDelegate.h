#pragma once

class RVSplitViewController;
class RVSplitViewItem;

// What a split-view controller tells its delegate; every message is optional.
class RVSplitViewControllerDelegate {
public:
    virtual ~RVSplitViewControllerDelegate() = default;
    virtual void splitViewControllerDidCollapseItem(RVSplitViewController& controller, RVSplitViewItem& item) {}
    virtual void splitViewControllerDidUncollapseItem(RVSplitViewController& controller, RVSplitViewItem& item) {}
    // After every resize of the panes, for each item.
    virtual void splitViewControllerDidChangeItem(RVSplitViewController& controller, RVSplitViewItem& item) {}
};
