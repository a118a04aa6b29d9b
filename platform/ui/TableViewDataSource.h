#pragma once

#include "platform/foundation/IndexSet.h"
#include "platform/foundation/SortDescriptor.h"
#include "platform/ui/DraggingInfo.h"

#include <QList>
#include <QVariant>

namespace pf {

class Pasteboard;
class TableColumn;
class TableView;

// Where a drop lands in a table: on a row, or in the gap above it.
enum class TableDropOperation { On = 0, Above = 1 };

// What a table asks of its rows. Every message but the row count is optional.
class TableViewDataSource {
public:
    virtual ~TableViewDataSource() = default;
    virtual int numberOfRowsInTableView(TableView& table) = 0;
    virtual QVariant objectValueForTableColumn(TableView& table, TableColumn* column, int row) { return {}; }
    // An edited cell's new value.
    virtual void setObjectValue(TableView& table, const QVariant& value, TableColumn* column, int row) {}
    // The user clicked a header; the table holds the new descriptors already.
    virtual void sortDescriptorsDidChange(TableView& table, const QList<SortDescriptor>& oldDescriptors) {}

    // Dragging rows: false refuses the drag.
    virtual bool writeRowsWithIndexes(TableView& table, const IndexSet& rows, Pasteboard& pasteboard) { return false; }
    // May retarget with setDropRow; DragOperationNone refuses the drop.
    virtual unsigned validateDrop(TableView& table, const DraggingInfo& info, int row, TableDropOperation operation)
    {
        return DragOperationNone;
    }
    virtual bool acceptDrop(TableView& table, const DraggingInfo& info, int row, TableDropOperation operation)
    {
        return false;
    }
};

} // namespace pf
