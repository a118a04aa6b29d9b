#pragma once

#include "platform/graphics/Font.h"

// The title font of the application's panels and containers: the bold system font of size 11.
pf::Font VNQLSmallTitleFont();
