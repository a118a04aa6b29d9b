#pragma once

#include <QString>

// The shared colour panel's colour as "r: %d, g: %d, b: %d, a: %d", each component times 255
// rounded.
QString colorPanelColorDescription();
