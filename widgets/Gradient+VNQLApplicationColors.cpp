#include "widgets/Gradient+VNQLApplicationColors.h"

#include "widgets/Color+VNQLApplicationColors.h"

using pf::Color;
using pf::Gradient;
using pf::Ref;

namespace {

Ref<Gradient> twoStop(const Color& start, const Color& end)
{
    return std::make_shared<Gradient>(start, end);
}

} // namespace

Ref<Gradient> VNQLSelectedControlGradient()
{
    static const Ref<Gradient> gradient = twoStop(VNQLWindowBackgroundColour(), VNQLLightBackgroundColour());
    return gradient;
}

Ref<Gradient> VNQLUnselectedControlGradient()
{
    static const Ref<Gradient> gradient = twoStop(Color::withWhite(0.75), VNQLDarkBackgroundColour());
    return gradient;
}

Ref<Gradient> VNQLHighlightedControlGradient()
{
    static const Ref<Gradient> gradient = twoStop(Color::withWhite(0.5), Color::withWhite(0.4));
    return gradient;
}

Ref<Gradient> VNQLTitleBarGradient()
{
    return VNQLUnselectedControlGradient();
}

Ref<Gradient> VNQLSelectedButtonGradient()
{
    static const Ref<Gradient> gradient = twoStop(VNQLLightBackgroundColour(), Color::withWhite(0.75));
    return gradient;
}

Ref<Gradient> VNQLSelectedTableRowGradient()
{
    static const Ref<Gradient> gradient =
        twoStop(VNQLMediumBackgroundColour().shadowWithLevel(0.05), VNQLMediumBackgroundColour());
    return gradient;
}
