#pragma once

#include "platform/ui/ToolbarItem.h"

// A toolbar item whose control is enabled by asking the control's target to validate it.
class RVToolbarItem : public pf::ToolbarItem {
    PF_CLASS(RVToolbarItem)
public:
    using pf::ToolbarItem::ToolbarItem;

    void validate() override;
};
