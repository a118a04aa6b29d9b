#pragma once

#include <QVariant>

namespace pf {

// The tree a table shows: the children of an item (the root is an invalid QVariant) and
// whether an item has any to show.
class TableRowSource {
public:
    virtual ~TableRowSource() = default;
    virtual int numberOfChildren(const QVariant& item) = 0;
    virtual QVariant childOfItem(int index, const QVariant& item) = 0;
    virtual bool isExpandable(const QVariant& item) = 0;
    // True when an item is its own index among its siblings (a table's rows), so moving
    // rows renumbers them.
    virtual bool itemsAreChildIndexes() const { return false; }
};

} // namespace pf
