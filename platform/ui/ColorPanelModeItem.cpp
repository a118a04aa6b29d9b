#include "platform/ui/ColorPanelModeItem.h"

PF_DEFINE_CLASS_NAMED(pf::ColorPanelModeItem, pf::Object, "pf::ColorPanelModeItem")
{
    b.property("itemIdentifier", &pf::ColorPanelModeItem::itemIdentifier);
    b.property("toolTip", &pf::ColorPanelModeItem::toolTip);
    b.property("action", &pf::ColorPanelModeItem::action);
}
