#include "frameworks/penwork/svg/PWSVGValueParsing.h"

#include <gtest/gtest.h>

#include <QString>

#include <cmath>
#include <cstring>
#include <random>

namespace {

// Numbers are read as QString::toDouble reads them: the same bits for every value it accepts,
// and nothing where it refuses (overflow, underflow of non-zero digits, other scripts' digits).
TEST(SVGValueParsing, NumbersReadAsToDoubleReadsThem)
{
    struct Case {
        const char16_t* text;
        bool valid;
    };
    const Case cases[] = {
        {u"0", true},          {u"-0", true},        {u"+3", true},          {u"5.", true},
        {u".5", true},         {u"-.5", true},       {u"007", true},         {u"1e5", true},
        {u"1E-5", true},       {u"2.5e+3", true},    {u"0e999", true},       {u"4.9e-324", true},
        {u"2.5e-324", true},   {u"1e-320", true},    {u"1.7976931348623157e308", true},
        {u"1e309", false},     {u"-1e309", false},   {u"1e-400", false},     {u"-7e-999", false},
        {u"\u0663", false},    {u"1\u0663", false},  {u"", false},           {u".", false},
        {u"-", false},         {u"1e5x", false},
        // Longer than any number a writer makes, but still a number.
        {u"0.1000000000000000055511151231257827021181583404541015625000000000000000001", true},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        const std::optional<double> value = pwsvg::parseNumber(text);
        ASSERT_EQ(value.has_value(), c.valid) << text.toStdString();
        if (!value)
            continue;
        bool ok = false;
        const double expected = text.toDouble(&ok);
        ASSERT_TRUE(ok) << text.toStdString();
        EXPECT_EQ(std::memcmp(&*value, &expected, sizeof expected), 0) << text.toStdString();
    }

    // Random values at every precision, in fixed and exponent form.
    std::mt19937_64 random(24);
    for (int i = 0; i < 20000; ++i) {
        double x = std::ldexp(double(random() % 100000000) / 1e4, int(random() % 60) - 30);
        if (random() % 2)
            x = -x;
        const int precision = int(random() % 17) + 1;
        const QString text = QString::number(x, random() % 3 ? 'f' : 'e', precision);
        const std::optional<double> value = pwsvg::parseNumber(text);
        ASSERT_TRUE(value) << text.toStdString();
        const double expected = text.toDouble();
        ASSERT_EQ(std::memcmp(&*value, &expected, sizeof expected), 0) << text.toStdString();
    }
}

TEST(SVGValueParsing, LengthsTakeTheirNumberAndUnit)
{
    const auto inches = pwsvg::parseLength(u" +1.5in ");
    ASSERT_TRUE(inches);
    EXPECT_DOUBLE_EQ(inches->value, 108.0);
    const auto percent = pwsvg::parseLength(u"-.5e1%");
    ASSERT_TRUE(percent);
    EXPECT_EQ(percent->unit, pwsvg::Length::Percent);
    EXPECT_DOUBLE_EQ(percent->value, -5.0);
    EXPECT_FALSE(pwsvg::parseLength(u"1e400px"));
    EXPECT_FALSE(pwsvg::parseLength(u"12furlongs"));
}

} // namespace
