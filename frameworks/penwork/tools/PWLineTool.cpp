#include "frameworks/penwork/tools/PWLineTool.h"

#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "platform/foundation/ClassBuilder.h"

#include <cmath>

PF_DEFINE_CLASS(PWLineTool, PWObjectCreationTool) {}

PWLineTool::PWLineTool()
{
    pf::BezierPath line;
    line.moveTo({0, 0});
    line.lineTo({1, 0});
    PWObjectCreationTool::setPrototype(PWDrawablePath::drawablePathWithPath(line));
}

void PWLineTool::setPrototype(pf::Ref<PWDrawableObject> prototype)
{
    if (std::dynamic_pointer_cast<PWDrawablePath>(prototype))
        PWObjectCreationTool::setPrototype(std::move(prototype));
}

void PWLineTool::shapeObject(PWDrawableObject& object, const QPointF& anchor, const QPointF& point,
                             const PWToolEvent& event) const
{
    auto* path = dynamic_cast<PWDrawablePath*>(&object);
    if (!path)
        return;
    QPointF end = point;
    if (event.shiftKey()) {
        const QPointF d = point - anchor;
        const double length = std::hypot(d.x(), d.y());
        const double step = M_PI / 4.0;
        const double angle = std::round(std::atan2(d.y(), d.x()) / step) * step;
        end = anchor + QPointF(length * std::cos(angle), length * std::sin(angle));
    }
    auto line = pf::BezierPath::path();
    line->moveTo(anchor);
    line->lineTo(end);
    path->setPath(line);
}
