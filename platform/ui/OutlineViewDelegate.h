#pragma once

#include "platform/foundation/IndexSet.h"

#include <QVariant>

class QStyleOptionViewItem;

namespace pf {

class OutlineView;
class TableColumn;
class TableRowView;
class View;

// What an outline asks of and tells its delegate, by item. Every message is optional.
class OutlineViewDelegate {
public:
    virtual ~OutlineViewDelegate() = default;

    virtual void willDisplayCell(OutlineView& outline, QStyleOptionViewItem& cell, TableColumn* column, const QVariant& item) {}
    virtual View* viewForTableColumn(OutlineView& outline, TableColumn* column, const QVariant& item) { return nullptr; }
    virtual TableRowView* rowViewForItem(OutlineView& outline, const QVariant& item) { return nullptr; }

    // Selection by the user. A group item is never selected.
    virtual bool shouldSelectItem(OutlineView& outline, const QVariant& item) { return true; }
    virtual IndexSet selectionIndexesForProposedSelection(OutlineView& outline, const IndexSet& proposed) { return proposed; }
    virtual void selectionDidChange(OutlineView& outline) {}

    virtual bool shouldEditTableColumn(OutlineView& outline, TableColumn* column, const QVariant& item) { return true; }
    virtual bool isGroupItem(OutlineView& outline, const QVariant& item) { return false; }
    // Zero or less: the outline's row height.
    virtual double heightOfRowByItem(OutlineView& outline, const QVariant& item) { return 0; }

    virtual bool shouldExpandItem(OutlineView& outline, const QVariant& item) { return true; }
    virtual bool shouldCollapseItem(OutlineView& outline, const QVariant& item) { return true; }
    virtual void itemDidExpand(OutlineView& outline, const QVariant& item) {}
    virtual void itemDidCollapse(OutlineView& outline, const QVariant& item) {}
};

} // namespace pf
