#pragma once

#include "platform/graphics/Color.h"

// The colour of latched ("sticky") tool buttons.
pf::Color stickyButtonColour();
