#include "frameworks/penwork/svg/PWSVGValueParsing.h"

#include <gtest/gtest.h>

namespace {

TEST(SVGValueParsing, ColourForms)
{
    struct Case {
        const char* text;
        QColor expected; // invalid: not a colour
    };
    const Case cases[] = {
        {"green", QColor(0, 128, 0)},
        {"#0a0", QColor(0, 0xaa, 0)},
        {"#00800080", QColor(0, 128, 0, 128)},
        {"#0808", QColor(0, 0x88, 0, 0x88)},
        {"rgb(0 128 0)", QColor(0, 128, 0)},
        {"rgb(0%, 50%, 0%)", QColor(0, 128, 0)},
        {"hsl(120, 100%, 25%)", QColor(0, 128, 0)},
        {"hsl(120, 200%, 25%)", QColor(0, 128, 0)},     // saturation clamped
        {"hsl(480, 100%, 25%)", QColor(0, 128, 0)},     // a hue past a turn wraps
        {"hsla(120, 100%, 25%, 0.5)", QColor(0, 128, 0, 128)},
        {"#12345", QColor()},
        {"hsl(1, 2)", QColor()},
        {"#gg0000", QColor()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto colour = pwsvg::parseColour(QString::fromLatin1(c.text));
        ASSERT_EQ(colour.has_value(), c.expected.isValid());
        if (!colour)
            continue;
        EXPECT_NEAR(colour->red(), c.expected.red(), 1);
        EXPECT_NEAR(colour->green(), c.expected.green(), 1);
        EXPECT_NEAR(colour->blue(), c.expected.blue(), 1);
        EXPECT_NEAR(colour->alpha(), c.expected.alpha(), 1);
    }
}

TEST(SVGValueParsing, LengthUnits)
{
    struct Case {
        const char* text;
        double expected; // in a 200 x 100 viewport, font size 10
    };
    const Case cases[] = {
        {"5", 5}, {"1in", 72}, {"2.54cm", 72}, {"4q", 72 / 25.4}, {"2em", 20},
        {"10vw", 20}, {"10vh", 10}, {"10vmin", 10}, {"10vmax", 20}, {"50%", 100},
    };
    for (const Case& c : cases) {
        const auto length = pwsvg::parseLength(QString::fromLatin1(c.text));
        ASSERT_TRUE(length) << c.text;
        EXPECT_NEAR(pwsvg::resolveLength(*length, pwsvg::LengthAxis::Horizontal, QSizeF(200, 100), 10.0), c.expected,
                    1e-9)
            << c.text;
    }
    EXPECT_FALSE(pwsvg::parseLength(u"10furlongs"));
}

} // namespace
