#pragma once

#include "platform/foundation/SortDescriptor.h"
#include "platform/ui/DraggingInfo.h"

#include <QList>
#include <QVariant>
#include <QVariantList>

namespace pf {

class OutlineView;
class Pasteboard;
class TableColumn;

// What an outline asks of its items. The item of the root is an invalid QVariant. The
// three tree messages are required; the rest are optional.
class OutlineViewDataSource {
public:
    virtual ~OutlineViewDataSource() = default;
    virtual int numberOfChildrenOfItem(OutlineView& outline, const QVariant& item) = 0;
    virtual QVariant child(OutlineView& outline, int index, const QVariant& item) = 0;
    virtual bool isItemExpandable(OutlineView& outline, const QVariant& item) = 0;

    virtual QVariant objectValueForTableColumn(OutlineView& outline, TableColumn* column, const QVariant& item) { return {}; }
    virtual void setObjectValue(OutlineView& outline, const QVariant& value, TableColumn* column, const QVariant& item) {}
    virtual void sortDescriptorsDidChange(OutlineView& outline, const QList<SortDescriptor>& oldDescriptors) {}

    // Dragging items: false refuses the drag.
    virtual bool writeItems(OutlineView& outline, const QVariantList& items, Pasteboard& pasteboard) { return false; }
    // A drop onto `item` (child index -1) or between its children (at `childIndex`). May
    // retarget with setDropItem; DragOperationNone refuses the drop.
    virtual unsigned validateDrop(OutlineView& outline, const DraggingInfo& info, const QVariant& item, int childIndex)
    {
        return DragOperationNone;
    }
    virtual bool acceptDrop(OutlineView& outline, const DraggingInfo& info, const QVariant& item, int childIndex)
    {
        return false;
    }

    // Autosaved expansion: a value that stands for the item in the user defaults (a property
    // list), and the item it stands for. Invalid when there is none.
    virtual QVariant persistentObjectForItem(OutlineView& outline, const QVariant& item) { return {}; }
    virtual QVariant itemForPersistentObject(OutlineView& outline, const QVariant& object) { return {}; }
};

} // namespace pf
