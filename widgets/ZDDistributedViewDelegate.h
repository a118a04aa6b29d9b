#pragma once

#include "platform/foundation/IndexSet.h"

#include <QString>

#include <optional>

namespace pf {
class MenuItem;
}

class ZDDistributedView;

// What a distributed icon view tells its delegate and asks of it. Every message is optional.
class ZDDistributedViewDelegate {
public:
    virtual ~ZDDistributedViewDelegate() = default;

    // Before a selection change: the indexes to select instead. No answer (the default) keeps
    // the proposal; an empty answer cancels the change.
    virtual std::optional<pf::IndexSet> proposedSelectionAtIndexes(ZDDistributedView& view,
                                                                   const pf::IndexSet& proposed)
    {
        return std::nullopt;
    }
    // After a change, with the whole selection. Answer false (the default) to be told with
    // didSelectItemIndex instead.
    virtual bool didSelectItemsAtIndexes(ZDDistributedView& view, const pf::IndexSet& selection) { return false; }
    // The first newly selected index, or -1 after a deselection; also once per item the
    // rubber band adds.
    virtual void didSelectItemIndex(ZDDistributedView& view, int itemIndex) {}
    // Asked by the rubber band per item; false leaves the item out.
    virtual bool shouldSelectItemIndex(ZDDistributedView& view, int itemIndex) { return true; }

    virtual void cellClickedAtItemIndex(ZDDistributedView& view, int itemIndex) {}
    // A double click that does not start editing the title.
    virtual void cellDoubleClickedAtItemIndex(ZDDistributedView& view, int itemIndex) {}
    virtual bool shouldEditItemAtIndex(ZDDistributedView& view, int itemIndex) { return true; }

    // Type-ahead: the item whose title `string` names, -1 for none. The default looks the
    // titles up one by one (ZDDistributedView::defaultItemIndexForString).
    virtual int itemIndexForString(ZDDistributedView& view, const QString& string, unsigned options);

    // Around filling the view's cache of visible items.
    virtual void distributedViewDidStartCachingItems(ZDDistributedView& view) {}
    virtual void distributedViewWillEndCachingItems(ZDDistributedView& view) {}

    // Menu validation for actions the delegate implements itself.
    virtual bool implementsAction(const QString& action) const { return false; }
    virtual bool validateMenuItem(pf::MenuItem& item) { return true; }
};
