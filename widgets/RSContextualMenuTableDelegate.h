#pragma once

#include "platform/foundation/Object.h"

namespace pf {
class Menu;
class TableColumn;
class TableView;
} // namespace pf

// A table delegate that offers a contextual menu per row. Cells of the table find it by
// checking the table's delegate for this interface.
class RSContextualMenuTableDelegate {
public:
    virtual ~RSContextualMenuTableDelegate() = default;
    // `column` is null when the point is outside every column.
    virtual pf::Ref<pf::Menu> contextualMenuForTableView(pf::TableView& table, pf::TableColumn* column, int row) = 0;
};
