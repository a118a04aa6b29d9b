#pragma once

#include "platform/graphics/Color.h"

// The application's palette of greys for its own panels, tabs, containers and controls. Each
// call answers a new colour, opaque.
pf::Color VNQLWindowBackgroundColour();
pf::Color VNQLDarkBackgroundColour();
pf::Color VNQLLightBackgroundColour();
pf::Color VNQLMediumBackgroundColour();
// The platform's under-page background.
pf::Color VNQLUnderpageBackgroundColour();
pf::Color VNQLControlFrameColour();
pf::Color VNQLLightControlFrameColour();
pf::Color VNQLTitleTextColour();
pf::Color VNQLUnselectedTitleTextColour();
