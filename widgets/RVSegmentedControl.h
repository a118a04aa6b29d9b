#pragma once

#include "platform/ui/SegmentedControl.h"

// A segmented control that shares its width evenly among its segments whenever it is resized.
class RVSegmentedControl : public pf::SegmentedControl {
    Q_OBJECT
    PF_CLASS(RVSegmentedControl)
public:
    using pf::SegmentedControl::SegmentedControl;

    void setFrameSize(QSizeF size) override;
};
