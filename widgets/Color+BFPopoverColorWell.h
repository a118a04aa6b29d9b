#pragma once

#include "platform/graphics/Color.h"

// 0.299 R + 0.587 G + 0.114 B of the colour's RGB components.
double luminance(const pf::Color& colour);
// An opaque colour whose components are each a pseudo-random 31-bit integer times 2^-31.
pf::Color randomColor();
