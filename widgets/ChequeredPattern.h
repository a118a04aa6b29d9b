#pragma once

#include "platform/graphics/Color.h"

// The chequered pattern shown under colours that are not opaque: the application's image
// "chequered" when it has one, else grey and white squares. Made once.
pf::Color chequeredPatternColour();
