#include "drawing/PWStyle+CuttingsAndEmbankments.h"

#include "drawing/PWXCuttingAndEmbankmentRasterizer.h"

namespace {

using Rasterizer = PWXCuttingAndEmbankmentRasterizer;

pf::Ref<PWStyle> decoratedStyle(int kind, const pf::Color& colour, double scale, double interval, double lead,
                                const QString& name)
{
    auto decorator = std::static_pointer_cast<Rasterizer>(
        PWPathDecorator::pathDecoratorWithImage(Rasterizer::imageForKind(kind, colour), Rasterizer::staticClass()));
    // The motif is drawn from the kind and colour, so they must say what the image shows.
    decorator->setKind(kind);
    decorator->setColour(colour);
    decorator->setScale(scale);
    // After the scale, which sets an interval of its own.
    decorator->setInterval(interval);
    decorator->setLeadInAndOutLengthProportion(lead);
    auto style = std::make_shared<PWStyle>();
    style->addRenderer(decorator);
    style->setName(name);
    return style;
}

} // namespace

pf::Ref<PWStyle> PWStyleCuttingsAndEmbankments::cuttingStyleForRoadWidth(double roadWidth, const pf::Color& colour)
{
    return decoratedStyle(Rasterizer::Cutting, colour, 0.8 * roadWidth, 0.9 * roadWidth, 0.15,
                          QStringLiteral("Cutting"));
}

pf::Ref<PWStyle> PWStyleCuttingsAndEmbankments::embankmentStyleForRoadWidth(double roadWidth, const pf::Color& colour)
{
    return decoratedStyle(Rasterizer::Embankment, colour, 0.8 * roadWidth, roadWidth, 0.2,
                          QStringLiteral("Embankment"));
}
