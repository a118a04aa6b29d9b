#pragma once

#include "platform/ui/TableView.h"

// A table view that never draws translucently over what lies behind its window.
class RVNoVibrancyTableView : public pf::TableView {
    Q_OBJECT
    PF_CLASS(RVNoVibrancyTableView)
public:
    using pf::TableView::TableView;

    bool allowsVibrancy() const { return false; }
};
