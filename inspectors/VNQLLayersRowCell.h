#pragma once

#include <QVariant>

namespace pf {
class Menu;
}

// What the layers panel asks of the cell in a row's main column, whatever it shows.
class VNQLLayersRowCell {
public:
    virtual ~VNQLLayersRowCell() = default;
    // Adds this row's own items at the top of the panel's menu.
    virtual void updateRowContextualMenu(pf::Menu& menu) = 0;
    // Opens the name for typing (nothing for locked things).
    virtual void selectNameForEditingAction(const QVariant& sender) = 0;
    virtual void layoutViewsForSmallRowHeight(bool small, bool animated) {}
};
