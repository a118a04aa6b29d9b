#include "drawing/VNQLDrawingExtensions.h"

#include "drawing/PWDrawableObject+CartavelExtensions.h"
#include "drawing/PWDrawableObject+DisplayName.h"
#include "drawing/PWDrawableObject+KVOExtensions.h"
#include "drawing/PWDrawableObject+QuilloryExtensions.h"
#include "drawing/PWDrawableObject+VNQLDrawableIcons.h"
#include "drawing/PWDrawableObject+VNQLObjectNaming.h"
#include "drawing/PWDrawingTool+LibraryItemKind.h"
#include "drawing/PWObjectDrawingLayer+SVGSupport.h"
#include "drawing/PWRasterizer+CartavelExtensions.h"
#include "drawing/PWShapeGroup+SymbolsSupport.h"
#include "drawing/PWStyle+CartavelExtensions.h"
#include "drawing/VNQLPWDrawableNameProvider.h"
#include "frameworks/penwork/drawables/PWDrawableObject.h"

void VNQLDrawingExtensions::install()
{
    PWDrawableObjectQuilloryExtensions::install();
    PWDrawableObjectKVOExtensions::install();
    PWDrawableObjectVNQLDrawableIcons::install();
    PWDrawableObjectVNQLObjectNaming::install();
    PWDrawableObjectDisplayName::install();
    PWDrawableObjectCartavelExtensions::install();
    PWShapeGroupSymbolsSupport::install();
    PWRasterizerCartavelExtensions::install();
    PWStyleCartavelExtensions::install();
    PWDrawingToolLibraryItemKind::install();
    PWObjectDrawingLayerSVGSupport::install();
    PWDrawableObject::setNameProvider(VNQLPWDrawableNameProvider::sharedNameProvider());
}
