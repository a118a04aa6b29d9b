#include "drawing/PWDrawing+SlicesLayer.h"

#include "drawing/VNQLSlicesLayer.h"
#include "frameworks/penwork/layers/PWDrawing.h"

pf::Ref<VNQLSlicesLayer> slicesLayer(const PWDrawing& drawing)
{
    return std::dynamic_pointer_cast<VNQLSlicesLayer>(
        drawing.firstLayerOfClass(VNQLSlicesLayer::staticClass(), true));
}
