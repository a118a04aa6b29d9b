#pragma once

#include "platform/graphics/Gradient.h"

// Two-stop gradients of the application's palette. Each is made on first use and shared for the
// life of the process, so every call answers the same object. Main thread only.
pf::Ref<pf::Gradient> VNQLSelectedControlGradient();
pf::Ref<pf::Gradient> VNQLUnselectedControlGradient();
pf::Ref<pf::Gradient> VNQLHighlightedControlGradient();
// The unselected control gradient itself.
pf::Ref<pf::Gradient> VNQLTitleBarGradient();
pf::Ref<pf::Gradient> VNQLSelectedButtonGradient();
pf::Ref<pf::Gradient> VNQLSelectedTableRowGradient();
