#pragma once

#include "platform/foundation/IndexSet.h"
#include "platform/ui/DraggingInfo.h"

#include <QPointF>
#include <QString>
#include <QVariant>

namespace pf {
class Cell;
class Pasteboard;
} // namespace pf

class ZDDistributedView;

// What a distributed icon view asks of the owner of its items. The count and the positions
// are required; everything else is optional. Where the view behaves differently when an
// operation is missing altogether (the layout commands, tool tips, dragging out), the
// matching implements...() query tells it whether the operation is there.
class ZDDistributedViewDataSource {
public:
    virtual ~ZDDistributedViewDataSource() = default;

    virtual int numberOfItemsInDistributedView(ZDDistributedView& view) = 0;
    // The item's position (top-left, view coordinates). When `cell` is not null it is filled
    // for the item (title, image, state) before the view draws or measures it.
    virtual QPointF positionForCell(ZDDistributedView& view, pf::Cell* cell, int itemIndex) = 0;

    // Storing positions; without it the layout commands do nothing and are disabled.
    virtual bool implementsSetPosition() const { return false; }
    virtual void setPosition(ZDDistributedView& view, QPointF position, int itemIndex) {}

    // Tool tips per item; without them the view keeps no tool-tip rectangles.
    virtual bool implementsToolTips() const { return false; }
    virtual QString toolTipForItemAtIndex(ZDDistributedView& view, int itemIndex) { return {}; }

    // The title typed into an item in place.
    virtual void setObjectValue(ZDDistributedView& view, const QVariant& value, int itemIndex) {}

    // Writing items for a drag or a copy; answers whether it wrote.
    virtual bool implementsWriteItemsAtIndexes() const { return false; }
    virtual bool writeItemsAtIndexes(ZDDistributedView& view, const pf::IndexSet& indexes, pf::Pasteboard& pasteboard)
    {
        return false;
    }
    // The older form of writing, by item numbers: only whether it is there counts.
    virtual bool implementsWriteItems() const { return false; }

    // Drops. `proposedItem` is the item under the drag (-1 for none) and may be changed.
    virtual unsigned validateDrop(ZDDistributedView& view, const pf::DraggingInfo& info, int* proposedItem)
    {
        return pf::DragOperationNone;
    }
    virtual bool acceptDrop(ZDDistributedView& view, const pf::DraggingInfo& info, int item) { return false; }

    // Dragging out.
    virtual void dragEndedWithOperation(ZDDistributedView& view, unsigned operation) {}
    // `screenPoint` in screen coordinates.
    virtual void draggedImageMovedTo(ZDDistributedView& view, QPointF screenPoint) {}
    virtual unsigned draggingSourceOperationMaskForLocal(ZDDistributedView& view, bool local)
    {
        return pf::DragOperationNone;
    }
};
