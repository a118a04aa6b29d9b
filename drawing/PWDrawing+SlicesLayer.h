#pragma once

#include "platform/foundation/Object.h"

class PWDrawing;
class VNQLSlicesLayer;

// Finds a drawing's slices layer: the first VNQLSlicesLayer, searching nested layer groups
// too; null when the drawing has none.
pf::Ref<VNQLSlicesLayer> slicesLayer(const PWDrawing& drawing);
