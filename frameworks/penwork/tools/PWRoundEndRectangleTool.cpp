#include "frameworks/penwork/tools/PWRoundEndRectangleTool.h"

#include "frameworks/penwork/drawables/PWRoundRectShape.h"
#include "platform/foundation/ClassBuilder.h"

#include <algorithm>

PF_DEFINE_CLASS(PWRoundEndRectangleTool, PWObjectCreationTool) {}

PWRoundEndRectangleTool::PWRoundEndRectangleTool()
{
    PWObjectCreationTool::setPrototype(PWRoundRectShape::roundRectShapeWithRect(QRectF(-0.5, -0.5, 1.0, 1.0), 0.5));
    setCreationMode(CreationMode::kBoxCreation);
}

void PWRoundEndRectangleTool::setPrototype(pf::Ref<PWDrawableObject> prototype)
{
    if (std::dynamic_pointer_cast<PWRoundRectShape>(prototype))
        PWObjectCreationTool::setPrototype(std::move(prototype));
}

void PWRoundEndRectangleTool::shapeObject(PWDrawableObject& object, const QPointF& anchor, const QPointF& point,
                                          const PWToolEvent& event) const
{
    PWObjectCreationTool::shapeObject(object, anchor, point, event);
    auto* shape = dynamic_cast<PWRoundRectShape*>(&object);
    if (!shape)
        return;
    const QSizeF size = shape->size();
    shape->setCornerRadius(std::min(size.width(), size.height()) / 2.0);
    shape->setCornerFlags(PWRoundRectShape::kAllCorners);
}
