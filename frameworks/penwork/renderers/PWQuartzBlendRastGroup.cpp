#include "frameworks/penwork/renderers/PWQuartzBlendRastGroup.h"

#include "frameworks/penwork/renderers/PWCompositing.h"
#include "frameworks/penwork/renderers/PWOffscreenLayer.h"

#include "platform/graphics/GraphicsContext.h"

PF_DEFINE_CLASS(PWQuartzBlendRastGroup, PWBlendGroup)
{
    b.protocol(pf::kCodingProtocol);
}

PWQuartzBlendRastGroup::PWQuartzBlendRastGroup() = default;

void PWQuartzBlendRastGroup::render(const PWRenderable& object)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    PWOffscreenLayer layer(*context, boundsNeededForObject(object));
    if (layer.isNull())
        return;
    layer.paint([&] { renderChildren(object); });
    layer.composite(pw::renderers::compositionModeForValue(blendMode()));
}

QString PWQuartzBlendRastGroup::displayName() const
{
    return QStringLiteral("Blend Mode Group");
}

pf::Ref<pf::Object> PWQuartzBlendRastGroup::copy() const
{
    return std::make_shared<PWQuartzBlendRastGroup>(*this);
}
