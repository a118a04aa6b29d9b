#include "drawing/PWStyle+Bridges.h"

#include "drawing/PWXBridgeRasterizer.h"

namespace {

pf::Ref<PWXBridgeRasterizer> blackBridge()
{
    auto bridge = std::make_shared<PWXBridgeRasterizer>();
    bridge->setWidth(2.0);
    bridge->setColour(pf::Color::black());
    bridge->setLineCapStyle(pf::BezierPath::LineCap::Round);
    return bridge;
}

} // namespace

pf::Ref<PWStyle> PWStyleBridges::bridgeStyle()
{
    return bridgeStyleWithWidth(12.0, 24.0);
}

pf::Ref<PWStyle> PWStyleBridges::bridgeStyleWithWidth(double width, double pierSpacing)
{
    auto style = std::make_shared<PWStyle>();
    const pf::Ref<PWXBridgeRasterizer> bridge = blackBridge();
    bridge->setBridgeWidth(width);
    bridge->setPierSpacing(pierSpacing);
    bridge->setPierSize(0.25 * width);
    style->addRenderer(bridge);
    style->setName(QString::asprintf("Bridge (%.1fx%.1f)", width, pierSpacing));
    return style;
}

pf::Ref<PWStyle> PWStyleBridges::bridgeStyleWithAutoWidth()
{
    auto style = std::make_shared<PWStyle>();
    const pf::Ref<PWXBridgeRasterizer> bridge = blackBridge();
    bridge->setSizesAutomatically(true);
    style->addRenderer(bridge);
    style->setName(QStringLiteral("Bridge"));
    return style;
}
