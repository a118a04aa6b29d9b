#pragma once

class VNQLTabView;
class VNQLTabContentView;

// What a sidebar tab view tells its delegate. Every message is optional: the defaults do
// nothing, so a delegate answers only the ones it cares about.
class VNQLTabViewDelegate {
public:
    virtual ~VNQLTabViewDelegate() = default;

    // Before a tab is inserted; not sent while the tab view restores a saved state.
    virtual void tabViewWillAddTab(VNQLTabView* tabView, VNQLTabContentView* tab, int index) {}
    // After a tab was inserted, also while restoring: the delegate fills the tab (or removes
    // it again) by its identifier.
    virtual void tabViewDidAddTab(VNQLTabView* tabView, VNQLTabContentView* tab, int index) {}
    virtual void tabViewDidSelectTabAtIndex(VNQLTabView* tabView, int index) {}
    virtual void tabViewDidMoveTab(VNQLTabView* tabView, VNQLTabContentView* tab, int toIndex) {}
    virtual void tabViewWillRemoveTab(VNQLTabView* tabView, VNQLTabContentView* tab) {}
    // The last tab left the view.
    virtual void tabViewDidBecomeEmpty(VNQLTabView* tabView) {}
    // Tabs, their order, the selection, the options or the alignment changed (not while
    // restoring): the delegate saves the layout.
    virtual void tabViewDidChangeInterfaceState(VNQLTabView* tabView) {}
};
