#include "drawing/PWStyle+Tunnels.h"

#include "drawing/PWXTunnelRasterizer.h"

pf::Ref<PWStyle> PWStyleTunnels::tunnelStyleForRoadWidth(double roadWidth, const pf::Color& colour)
{
    auto style = std::make_shared<PWStyle>();
    auto tunnel = std::make_shared<PWXTunnelRasterizer>();
    tunnel->setWidth(1.3 * roadWidth);
    tunnel->setColour(colour);
    style->addRenderer(tunnel);
    style->addRenderer(PWStroke::strokeWithWidth(0.67 * roadWidth, pf::Color::clear()));
    style->setName(QStringLiteral("Tunnel"));
    return style;
}
