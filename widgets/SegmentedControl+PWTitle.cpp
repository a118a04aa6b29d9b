#include "widgets/SegmentedControl+PWTitle.h"

#include "platform/ui/SegmentedControl.h"

QString title(const pf::SegmentedControl& control)
{
    const int selected = control.selectedSegment();
    if (selected < 0 || selected >= control.segmentCount())
        return {};
    return control.labelForSegment(selected);
}
