#include "frameworks/penwork/tools/PWTextTool.h"

#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/tools/PWToolView.h"
#include "platform/foundation/ClassBuilder.h"

PF_DEFINE_CLASS(PWTextTool, PWObjectCreationTool) {}

PWTextTool::PWTextTool()
{
    setPrototype(PWTextShape::textShapeWithRect(QRectF(-0.5, -0.5, 1.0, 1.0), QString()));
    setCreationMode(CreationMode::kBoxCreation);
}

pf::Ref<PWStyle> PWTextTool::style() const
{
    if (pf::Ref<PWStyle> own = ownStyle())
        return own;
    // Each new text gets its own copy of the shared default to change.
    const pf::Ref<PWStyle> shared = PWStyle::defaultTextStyle();
    return shared ? std::dynamic_pointer_cast<PWStyle>(shared->mutableCopy()) : nullptr;
}

bool PWTextTool::finishObject(PWDrawableObject& object, bool dragged, const PWToolEvent& event)
{
    if (!dragged) {
        const QRectF box(anchor(), kDefaultBoxSize);
        shapeObject(object, box.topLeft(), box.bottomRight(), PWToolEvent{box.bottomRight(), Qt::NoModifier, 1, event.view});
    }
    return true;
}

void PWTextTool::didCreateObject(PWDrawableObject& object, const PWToolEvent& event)
{
    if (PWTextShape::startEditingOnObjectCreation() && event.view)
        event.view->beginTextEditing(&object);
}
