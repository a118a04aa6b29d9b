#include "widgets/RVSegmentedControl.h"

#include <cmath>

PF_DEFINE_CLASS(RVSegmentedControl, pf::SegmentedControl) {}

void RVSegmentedControl::setFrameSize(QSizeF size)
{
    pf::SegmentedControl::setFrameSize(size);
    const int count = segmentCount();
    if (count <= 0)
        return;
    // One point between and around the segments.
    const double width = std::floor((size.width() - count - 1) / count);
    for (int segment = 0; segment < count; ++segment)
        setWidth(width, segment);
}
