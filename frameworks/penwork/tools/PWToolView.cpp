#include "frameworks/penwork/tools/PWToolView.h"

#include "frameworks/penwork/layers/PWDrawing.h"

PWLayer* PWToolView::activeLayer() const
{
    PWDrawing* d = drawing();
    return d ? d->activeLayer().get() : nullptr;
}
