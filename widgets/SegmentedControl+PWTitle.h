#pragma once

#include <QString>

namespace pf {
class SegmentedControl;
}

// A segmented control's title is the label of its selected segment; empty when none is.
QString title(const pf::SegmentedControl& control);
