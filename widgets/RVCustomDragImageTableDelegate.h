#pragma once

#include "platform/foundation/IndexSet.h"

#include <QPixmap>

namespace pf {
class TableView;
}

// A table delegate that draws the picture dragged for the table's rows itself.
class RVCustomDragImageTableDelegate {
public:
    virtual ~RVCustomDragImageTableDelegate() = default;
    virtual QPixmap customDragImageInTableView(pf::TableView& table, const pf::IndexSet& rows) = 0;
};
