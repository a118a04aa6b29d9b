#include "widgets/Color+VNQLApplicationColors.h"

#include "platform/graphics/SystemColor.h"

using pf::Color;

Color VNQLWindowBackgroundColour()
{
    return Color(0.9298, 0.934, 0.9298);
}

Color VNQLDarkBackgroundColour()
{
    return Color::withWhite(0.8);
}

Color VNQLLightBackgroundColour()
{
    return Color(0.87, 0.87, 0.87);
}

Color VNQLMediumBackgroundColour()
{
    return Color(0.83, 0.84, 0.83);
}

Color VNQLUnderpageBackgroundColour()
{
    return pf::SystemColor::underPageBackground();
}

Color VNQLControlFrameColour()
{
    return Color::withWhite(0.35);
}

Color VNQLLightControlFrameColour()
{
    return Color::withWhite(0.5);
}

Color VNQLTitleTextColour()
{
    return Color::withWhite(0.1);
}

Color VNQLUnselectedTitleTextColour()
{
    return Color::withWhite(0.2);
}
