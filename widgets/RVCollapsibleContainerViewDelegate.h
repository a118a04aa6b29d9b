#pragma once

#include <QRectF>

class RVCollapsibleContainerView;

namespace pf {
class View;
}

// What a collapsible container tells and asks its delegate. Every message is optional; the
// defaults do nothing and accept every drop. Indices of moves and drops count from the first
// view after the container's ignored leading views.
class RVCollapsibleContainerViewDelegate {
public:
    virtual ~RVCollapsibleContainerViewDelegate() = default;
    virtual void containerViewWillAddSubview(RVCollapsibleContainerView&, pf::View*) {}
    virtual void containerViewDidAddSubview(RVCollapsibleContainerView&, pf::View*) {}
    virtual void containerViewWillRemoveSubview(RVCollapsibleContainerView&, pf::View*) {}
    virtual void containerViewDidRemoveSubview(RVCollapsibleContainerView&, pf::View*) {}
    virtual bool containerViewWillAcceptDroppedView(RVCollapsibleContainerView&, pf::View*, int) { return true; }
    virtual void containerViewDidMoveSubview(RVCollapsibleContainerView&, pf::View*, int) {}
    virtual void containerViewDidCollapse(RVCollapsibleContainerView&) {}
    virtual void containerViewDidUncollapse(RVCollapsibleContainerView&) {}
    // Half a second after the last change of size or order.
    virtual void containerViewConfigurationDidChange(RVCollapsibleContainerView&) {}
    // `rect` is the help button's frame in the container's coordinates.
    virtual void containerViewShowHelpPopoverInRect(RVCollapsibleContainerView&, const QRectF&) {}
};
