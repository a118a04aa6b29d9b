#include "widgets/Color+VNQLApplicationColors.h"
#include "widgets/Font+VNQLApplicationFonts.h"
#include "widgets/Gradient+VNQLApplicationColors.h"

#include <gtest/gtest.h>

namespace {

using pf::Color;

void expectColour(const Color& colour, double red, double green, double blue)
{
    EXPECT_NEAR(colour.redComponent(), red, 1e-4);
    EXPECT_NEAR(colour.greenComponent(), green, 1e-4);
    EXPECT_NEAR(colour.blueComponent(), blue, 1e-4);
    EXPECT_DOUBLE_EQ(colour.alphaComponent(), 1.0);
}

TEST(ApplicationColoursTest, PaletteValues)
{
    expectColour(VNQLWindowBackgroundColour(), 0.9298, 0.934, 0.9298);
    expectColour(VNQLDarkBackgroundColour(), 0.8, 0.8, 0.8);
    expectColour(VNQLLightBackgroundColour(), 0.87, 0.87, 0.87);
    expectColour(VNQLMediumBackgroundColour(), 0.83, 0.84, 0.83);
    expectColour(VNQLControlFrameColour(), 0.35, 0.35, 0.35);
    expectColour(VNQLLightControlFrameColour(), 0.5, 0.5, 0.5);
    expectColour(VNQLTitleTextColour(), 0.1, 0.1, 0.1);
    expectColour(VNQLUnselectedTitleTextColour(), 0.2, 0.2, 0.2);
    EXPECT_TRUE(VNQLUnderpageBackgroundColour().isValid());
    EXPECT_EQ(VNQLWindowBackgroundColour(), VNQLWindowBackgroundColour());
}

TEST(ApplicationGradientsTest, SharedAndTwoStop)
{
    EXPECT_EQ(VNQLSelectedControlGradient(), VNQLSelectedControlGradient());
    EXPECT_EQ(VNQLTitleBarGradient(), VNQLUnselectedControlGradient());

    struct Case {
        pf::Ref<pf::Gradient> gradient;
        Color start;
        Color end;
    };
    const Color medium = VNQLMediumBackgroundColour();
    const Case cases[] = {
        {VNQLSelectedControlGradient(), VNQLWindowBackgroundColour(), VNQLLightBackgroundColour()},
        {VNQLUnselectedControlGradient(), Color::withWhite(0.75), VNQLDarkBackgroundColour()},
        {VNQLHighlightedControlGradient(), Color::withWhite(0.5), Color::withWhite(0.4)},
        {VNQLSelectedButtonGradient(), VNQLLightBackgroundColour(), Color::withWhite(0.75)},
        {VNQLSelectedTableRowGradient(), medium.shadowWithLevel(0.05), medium},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.gradient->numberOfColorStops(), 2);
        EXPECT_EQ(c.gradient->colorStopAt(0).color, c.start);
        EXPECT_EQ(c.gradient->colorStopAt(1).color, c.end);
    }
    // The shaded row colour is darker than the plain one.
    EXPECT_LT(VNQLSelectedTableRowGradient()->colorStopAt(0).color.redComponent(), medium.redComponent());
}

TEST(ApplicationFontsTest, SmallTitleFontIsBoldSystemEleven)
{
    const pf::Font font = VNQLSmallTitleFont();
    EXPECT_EQ(font, pf::Font::boldSystemFont(11.0));
    EXPECT_DOUBLE_EQ(font.pointSize(), 11.0);
    EXPECT_TRUE(font.isBold());
}

} // namespace
