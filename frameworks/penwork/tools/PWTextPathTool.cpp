#include "frameworks/penwork/tools/PWTextPathTool.h"

#include "frameworks/penwork/drawables/PWTextPath.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/tools/PWToolView.h"
#include "platform/foundation/ClassBuilder.h"

namespace {

// The default text style is shared: each text path gets its own copy to change.
pf::Ref<PWStyle> copyOfDefaultTextStyle()
{
    const pf::Ref<PWStyle> shared = PWStyle::defaultTextStyle();
    return shared ? std::dynamic_pointer_cast<PWStyle>(shared->mutableCopy()) : nullptr;
}

} // namespace

PF_DEFINE_CLASS(PWTextPathTool, PWLineTool) {}

PWTextPathTool::PWTextPathTool()
{
    pf::BezierPath line;
    line.moveTo({0, 0});
    line.lineTo({1, 0});
    PWLineTool::setPrototype(PWTextPath::textPathWithPath(line, QString(), copyOfDefaultTextStyle()));
}

void PWTextPathTool::setPrototype(pf::Ref<PWDrawableObject> prototype)
{
    if (std::dynamic_pointer_cast<PWTextPath>(prototype))
        PWLineTool::setPrototype(std::move(prototype));
}

pf::Ref<PWStyle> PWTextPathTool::style() const
{
    if (pf::Ref<PWStyle> own = ownStyle())
        return own;
    return copyOfDefaultTextStyle();
}

void PWTextPathTool::didCreateObject(PWDrawableObject& object, const PWToolEvent& event)
{
    if (PWTextShape::startEditingOnObjectCreation() && event.view)
        event.view->beginTextEditing(&object);
}
