#include "widgets/ToolbarItem+PWTitle.h"

#include "platform/ui/ToolbarItem.h"

QString title(const pf::ToolbarItem& item)
{
    return item.label();
}
