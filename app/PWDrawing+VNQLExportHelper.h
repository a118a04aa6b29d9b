#pragma once

#include <QString>

class PWDrawing;

// The drawing's size for the export sheet's layer rows: "%.0f x %.0f px" with each side
// rounded up.
QString exportSizeString(const PWDrawing& drawing);
