#include <gtest/gtest.h>

#include "platform/foundation/Exception.h"
#include "platform/foundation/Markers.h"
#include "platform/foundation/NumberFormatter.h"

#include <cmath>
#include <functional>
#include <limits>

namespace {

using Style = pf::NumberFormatter::Style;
using Mode = pf::NumberFormatter::RoundingMode;
using Configure = std::function<void(pf::NumberFormatter&)>;

// Points in a millimetre, as the unit fields convert them.
constexpr double kMillimetresPerPoint = 25.4 / 72.0;

pf::NumberFormatter makeFormatter(const char* locale, Style style, const Configure& setup = {})
{
    pf::NumberFormatter formatter;
    formatter.setLocale(QLocale(QString::fromLatin1(locale)));
    formatter.setStyle(style);
    if (setup)
        setup(formatter);
    return formatter;
}

QString utf8(const char* text)
{
    return QString::fromUtf8(text);
}

const Configure kPoints = [](pf::NumberFormatter& f) { f.setPositiveSuffix(QStringLiteral(" pt")); };
const Configure kMillimetres = [](pf::NumberFormatter& f) {
    f.setMultiplier(kMillimetresPerPoint);
    f.setPositiveSuffix(QStringLiteral(" mm"));
    f.setMaximumFractionDigits(2);
};
const Configure kLenient = [](pf::NumberFormatter& f) { f.setLenient(true); };

Configure both(Configure first, Configure second)
{
    return [first, second](pf::NumberFormatter& f) {
        first(f);
        second(f);
    };
}

} // namespace

TEST(NumberFormatter, FormatsStylesLocalesAffixesAndMultipliers)
{
    const double infinity = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        const char* locale;
        Style style;
        Configure setup;
        double value;
        const char* expected;
    } cases[] = {
        {"decimal groups and rounds to 3 digits", "en_US", Style::Decimal, {}, 1234.5678, "1,234.568"},
        {"decimal negative", "en_US", Style::Decimal, {}, -1234.5, "-1,234.5"},
        {"decimal small", "en_US", Style::Decimal, {}, 0.5, "0.5"},
        {"decimal huge keeps its digits", "en_US", Style::Decimal, {}, 1e20, "100,000,000,000,000,000,000"},
        {"decimal 2^53 exactly", "en_US", Style::Decimal, {}, 9007199254740992.0, "9,007,199,254,740,992"},
        {"grouping off", "en_US", Style::Decimal,
         [](pf::NumberFormatter& f) { f.setUsesGroupingSeparator(false); }, 1234567.0, "1234567"},
        {"German separators", "de_DE", Style::Decimal, {}, 1234.5678, "1.234,568"},
        {"German negative", "de_DE", Style::Decimal, {}, -0.25, "-0,25"},
        {"Indian grouping", "hi_IN", Style::Decimal, {}, 1234567.0, "12,34,567"},
        {"French narrow space", "fr_FR", Style::Decimal, {}, 1234.5, "1\u202F234,5"},
        {"Swedish minus sign", "sv_SE", Style::Decimal, {}, -2.5, "\u22122,5"},
        {"carry into a new digit", "en_US", Style::Decimal, {}, 999.9996, "1,000"},
        {"none style has no grouping or fraction", "en_US", Style::None, {}, 1234.5, "1234"},
        {"none style rounds half to even", "en_US", Style::None, {}, 1235.5, "1236"},
        {"none style zero still shows a digit", "en_US", Style::None, {}, 0.4, "0"},
        {"none style has no integer digit by default", "en_US", Style::None,
         [](pf::NumberFormatter& f) { f.setMaximumFractionDigits(1); }, 0.5, ".5"},
        {"minimum integer digits", "en_US", Style::Decimal,
         [](pf::NumberFormatter& f) { f.setMinimumIntegerDigits(3); }, 5.0, "005"},
        {"minimum fraction digits pad", "en_US", Style::Decimal,
         [](pf::NumberFormatter& f) { f.setMinimumFractionDigits(2); f.setMaximumFractionDigits(2); }, 1.5, "1.50"},
        {"trailing zeros drop to the minimum", "en_US", Style::Decimal,
         [](pf::NumberFormatter& f) { f.setMinimumFractionDigits(1); }, 2.0, "2.0"},
        {"a minimum above the maximum wins", "en_US", Style::Decimal,
         [](pf::NumberFormatter& f) { f.setMinimumFractionDigits(3); f.setMaximumFractionDigits(1); }, 1.23456, "1.235"},
        {"negative zero", "en_US", Style::Decimal, {}, -0.0, "0"},
        {"negative rounding to zero", "en_US", Style::Decimal, {}, -0.0001, "0"},
        {"floor keeps a tiny negative", "en_US", Style::Decimal,
         [](pf::NumberFormatter& f) { f.setRoundingMode(Mode::Floor); }, -0.0001, "-0.001"},
        {"point suffix", "en_US", Style::Decimal, kPoints, 12.5, "12.5 pt"},
        {"point suffix on negatives", "en_US", Style::Decimal, kPoints, -3.0, "-3 pt"},
        {"own negative affixes", "en_US", Style::Decimal,
         [](pf::NumberFormatter& f) { f.setNegativePrefix(QStringLiteral("(")); f.setNegativeSuffix(QStringLiteral(")")); },
         -3.0, "(3)"},
        {"degrees", "en_US", Style::Decimal,
         [](pf::NumberFormatter& f) { f.setPositiveSuffix(utf8("°")); f.setMaximumFractionDigits(1); }, 45.25, "45.2°"},
        {"multiplier to millimetres", "en_US", Style::Decimal, kMillimetres, 72.0, "25.4 mm"},
        {"percent", "en_US", Style::Percent, {}, 0.5, "50%"},
        {"percent tie to even down", "en_US", Style::Percent, {}, 0.125, "12%"},
        {"percent tie to even up", "en_US", Style::Percent, {}, 0.135, "14%"},
        {"percent sees 28.5 not the product's noise", "en_US", Style::Percent,
         [](pf::NumberFormatter& f) { f.setRoundingMode(Mode::HalfUp); }, 0.285, "29%"},
        {"percent groups", "en_US", Style::Percent, {}, 12.34, "1,234%"},
        {"percent negative", "de_DE", Style::Percent, {}, -0.5, "-50%"},
        {"percent with a fraction digit", "de_DE", Style::Percent,
         [](pf::NumberFormatter& f) { f.setMaximumFractionDigits(1); }, 0.1234, "12,3%"},
        {"percent without its suffix", "en_US", Style::Percent,
         [](pf::NumberFormatter& f) { f.setPositiveSuffix(QString()); }, 0.5, "50"},
        {"NaN", "en_US", Style::Decimal, kPoints, std::nan(""), "NaN"},
        {"infinity", "en_US", Style::Decimal, {}, infinity, "∞"},
        {"negative infinity", "en_US", Style::Decimal, {}, -infinity, "-∞"},
        {"product beyond doubles", "en_US", Style::Percent, {}, 1e308, "∞"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(makeFormatter(c.locale, c.style, c.setup).stringFromNumber(c.value), utf8(c.expected));
    }
}

TEST(NumberFormatter, EveryRoundingModeAtTiesAndOffTies)
{
    // Whole numbers: three ties and three values off a tie.
    const double wholeValues[] = {2.5, -2.5, 3.5, 2.4, 2.6, -2.6};
    // Two digits: decimal ties whose doubles lie just below (1.005, 2.675) or above the tie.
    const double centValues[] = {1.005, 1.015, 2.675, -1.005};
    const struct {
        Mode mode;
        const char* name;
        const char* whole[6];
        const char* cents[4];
    } cases[] = {
        {Mode::Ceiling, "ceiling", {"3", "-2", "4", "3", "3", "-2"}, {"1.01", "1.02", "2.68", "-1.00"}},
        {Mode::Floor, "floor", {"2", "-3", "3", "2", "2", "-3"}, {"1.00", "1.01", "2.67", "-1.01"}},
        {Mode::Down, "down", {"2", "-2", "3", "2", "2", "-2"}, {"1.00", "1.01", "2.67", "-1.00"}},
        {Mode::Up, "up", {"3", "-3", "4", "3", "3", "-3"}, {"1.01", "1.02", "2.68", "-1.01"}},
        {Mode::HalfEven, "half even", {"2", "-2", "4", "2", "3", "-3"}, {"1.00", "1.02", "2.68", "-1.00"}},
        {Mode::HalfDown, "half down", {"2", "-2", "3", "2", "3", "-3"}, {"1.00", "1.01", "2.67", "-1.00"}},
        {Mode::HalfUp, "half up", {"3", "-3", "4", "2", "3", "-3"}, {"1.01", "1.02", "2.68", "-1.01"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto whole = makeFormatter("en_US", Style::Decimal, [&](pf::NumberFormatter& f) {
            f.setRoundingMode(c.mode);
            f.setMaximumFractionDigits(0);
        });
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(whole.stringFromNumber(wholeValues[i]), QString::fromLatin1(c.whole[i])) << wholeValues[i];
        const auto cents = makeFormatter("en_US", Style::Decimal, [&](pf::NumberFormatter& f) {
            f.setRoundingMode(c.mode);
            f.setMinimumFractionDigits(2);
            f.setMaximumFractionDigits(2);
        });
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(cents.stringFromNumber(centValues[i]), QString::fromLatin1(c.cents[i])) << centValues[i];
    }
}

TEST(NumberFormatter, WritesNumbersAsQLocaleDoes)
{
    // Digits, grouping (including locales whose top group must be long) and signs match QLocale.
    const char* locales[] = {"en_US", "de_DE", "fr_FR", "es_ES", "pl_PL", "hi_IN", "ar_EG", "fa_IR", "de_CH", "sv_SE"};
    const qlonglong wholes[] = {0, 7, 1234, 12345, 123456, 1234567, 12345678, -98765,
                                1'000'000'000'000'000'000, 123456789012345680};
    for (const char* name : locales) {
        SCOPED_TRACE(name);
        const QLocale locale{QString::fromLatin1(name)};
        const auto formatter = makeFormatter(name, Style::Decimal);
        for (const qlonglong whole : wholes)
            EXPECT_EQ(formatter.stringFromNumber(double(whole)), locale.toString(whole));
        const auto tenths = makeFormatter(name, Style::Decimal, [](pf::NumberFormatter& f) {
            f.setMinimumFractionDigits(1);
            f.setMaximumFractionDigits(1);
        });
        EXPECT_EQ(tenths.stringFromNumber(-1234.5), locale.toString(-1234.5, 'f', 1));
    }
    // The formatter's own grouping setting governs, not the locale's number options.
    QLocale ungrouped(QStringLiteral("de_DE"));
    ungrouped.setNumberOptions(QLocale::OmitGroupSeparator);
    pf::NumberFormatter formatter;
    formatter.setStyle(Style::Decimal);
    formatter.setLocale(ungrouped);
    EXPECT_EQ(formatter.stringFromNumber(1234.0), QStringLiteral("1.234"));
}

TEST(NumberFormatter, ObjectValuesMustBeNumbers)
{
    const auto formatter = makeFormatter("en_US", Style::Decimal);
    EXPECT_EQ(formatter.stringForObjectValue(1234), QStringLiteral("1,234"));
    EXPECT_EQ(formatter.stringForObjectValue(qlonglong(-5)), QStringLiteral("-5"));
    EXPECT_EQ(formatter.stringForObjectValue(7u), QStringLiteral("7"));
    EXPECT_EQ(formatter.stringForObjectValue(0.5f), QStringLiteral("0.5"));
    EXPECT_EQ(formatter.stringForObjectValue(2.25), QStringLiteral("2.25"));
    EXPECT_TRUE(formatter.stringForObjectValue(QStringLiteral("12")).isEmpty());
    EXPECT_TRUE(formatter.stringForObjectValue(true).isEmpty());
    EXPECT_TRUE(formatter.stringForObjectValue(QVariant()).isEmpty());
    EXPECT_TRUE(formatter.stringForObjectValue(pf::multipleValuesMarker()).isEmpty());
}

TEST(NumberFormatter, ParsesStrictAndLenientText)
{
    const QString invalid = QStringLiteral("Invalid number");
    const QString nines = QString(10000, u'9');
    const Configure upToThousand = [](pf::NumberFormatter& f) { f.setMaximum(1000.0); };
    const struct {
        const char* name;
        const char* locale;
        Style style;
        Configure setup;
        QString text;
        std::optional<double> expected;
        QString error;
    } cases[] = {
        // Strict: what formatting writes, grouping optional.
        {"grouped", "en_US", Style::Decimal, {}, QStringLiteral("1,234.5"), 1234.5, {}},
        {"ungrouped", "en_US", Style::Decimal, {}, QStringLiteral("1234.5"), 1234.5, {}},
        {"negative", "en_US", Style::Decimal, {}, QStringLiteral("-1,234.5"), -1234.5, {}},
        {"negative zero", "en_US", Style::Decimal, {}, QStringLiteral("-0"), 0.0, {}},
        {"no integer digit", "en_US", Style::Decimal, {}, QStringLiteral(".5"), 0.5, {}},
        {"more digits than shown", "en_US", Style::Decimal, {}, QStringLiteral("1.23456"), 1.23456, {}},
        {"misplaced grouping", "en_US", Style::Decimal, {}, QStringLiteral("1,2,3"), {}, invalid},
        {"short group", "en_US", Style::Decimal, {}, QStringLiteral("12,34"), {}, invalid},
        {"leading separator", "en_US", Style::Decimal, {}, QStringLiteral(",123"), {}, invalid},
        {"grouping after the point", "en_US", Style::Decimal, {}, QStringLiteral("1.234,5"), {}, invalid},
        {"two points", "en_US", Style::Decimal, {}, QStringLiteral("1.2.3"), {}, invalid},
        {"strict keeps white space", "en_US", Style::Decimal, {}, QStringLiteral(" 5"), {}, invalid},
        {"strict refuses a plus", "en_US", Style::Decimal, {}, QStringLiteral("+5"), {}, invalid},
        {"empty", "en_US", Style::Decimal, {}, QString(), {}, invalid},
        {"sign alone", "en_US", Style::Decimal, {}, QStringLiteral("-"), {}, invalid},
        {"letters", "en_US", Style::Decimal, {}, QStringLiteral("abc"), {}, invalid},
        {"trailing letters", "en_US", Style::Decimal, {}, QStringLiteral("5abc"), {}, invalid},
        {"exponent", "en_US", Style::Decimal, {}, QStringLiteral("1e5"), {}, invalid},
        {"NaN text", "en_US", Style::Decimal, {}, QStringLiteral("NaN"), {}, invalid},
        {"infinity text", "en_US", Style::Decimal, {}, utf8("∞"), {}, invalid},
        {"German grouped", "de_DE", Style::Decimal, {}, QStringLiteral("1.234,5"), 1234.5, {}},
        {"German comma", "de_DE", Style::Decimal, {}, QStringLiteral("1,5"), 1.5, {}},
        {"German strict refuses a point", "de_DE", Style::Decimal, {}, QStringLiteral("1.5"), {}, invalid},
        {"French narrow space", "fr_FR", Style::Decimal, {}, QStringLiteral("1\u202F234,5"), 1234.5, {}},
        {"French strict refuses a plain space", "fr_FR", Style::Decimal, {}, QStringLiteral("1 234,5"), {}, invalid},
        {"Spanish as QLocale writes it", "es_ES", Style::Decimal, {}, QStringLiteral("1000.000"), 1e6, {}},
        {"Spanish fully grouped", "es_ES", Style::Decimal, {}, QStringLiteral("1.000.000"), 1e6, {}},
        {"Indian grouping", "hi_IN", Style::Decimal, {}, QStringLiteral("12,34,567"), 1234567.0, {}},
        {"Western grouping in India", "hi_IN", Style::Decimal, {}, QStringLiteral("1,234,567"), {}, invalid},
        {"Arabic digits", "ar_EG", Style::Decimal, {}, utf8("١٬٢٣٤٫٥"), 1234.5, {}},
        {"Swedish minus", "sv_SE", Style::Decimal, {}, QStringLiteral("\u22122,5"), -2.5, {}},

        // Lenient.
        {"lenient trims", "en_US", Style::Decimal, kLenient, QStringLiteral("  5 \t"), 5.0, {}},
        {"lenient plus", "en_US", Style::Decimal, kLenient, QStringLiteral("+5"), 5.0, {}},
        {"lenient plus then minus", "en_US", Style::Decimal, kLenient, QStringLiteral("+-5"), {}, invalid},
        {"lenient typed minus", "sv_SE", Style::Decimal, kLenient, QStringLiteral("-2,5"), -2.5, {}},
        {"lenient minus sign and space", "en_US", Style::Decimal, kLenient, QStringLiteral("\u2212 5"), -5.0, {}},
        {"lenient comma that cannot group", "en_US", Style::Decimal, kLenient, QStringLiteral("1,5"), 1.5, {}},
        {"lenient comma that groups", "en_US", Style::Decimal, kLenient, QStringLiteral("1,500"), 1500.0, {}},
        {"lenient strips grouping", "en_US", Style::Decimal, kLenient, QStringLiteral("1,2,3"), 123.0, {}},
        {"lenient German point", "de_DE", Style::Decimal, kLenient, QStringLiteral("1.5"), 1.5, {}},
        {"lenient German grouping", "de_DE", Style::Decimal, kLenient, QStringLiteral("1.500"), 1500.0, {}},
        {"lenient German both", "de_DE", Style::Decimal, kLenient, QStringLiteral("1.500,25"), 1500.25, {}},
        {"lenient swapped separators", "de_DE", Style::Decimal, kLenient, QStringLiteral("1,500.25"), {}, invalid},
        {"lenient French plain space", "fr_FR", Style::Decimal, kLenient, QStringLiteral("1 234,5"), 1234.5, {}},
        {"lenient French point", "fr_FR", Style::Decimal, kLenient, QStringLiteral("1.5"), 1.5, {}},
        {"lenient two other points", "fr_FR", Style::Decimal, kLenient, QStringLiteral("1.5.5"), {}, invalid},
        {"lenient white space is no grouping in English", "en_US", Style::Decimal, kLenient,
         QStringLiteral("1 5"), {}, invalid},

        // Suffixes.
        {"suffix", "en_US", Style::Decimal, kPoints, QStringLiteral("12.5 pt"), 12.5, {}},
        {"suffix left out", "en_US", Style::Decimal, kPoints, QStringLiteral("12.5"), 12.5, {}},
        {"negative with suffix", "en_US", Style::Decimal, kPoints, QStringLiteral("-3 pt"), -3.0, {}},
        {"strict suffix spacing", "en_US", Style::Decimal, kPoints, QStringLiteral("12.5pt"), {}, invalid},
        {"other unit", "en_US", Style::Decimal, kPoints, QStringLiteral("12.5 mm"), {}, invalid},
        {"suffix alone", "en_US", Style::Decimal, kPoints, QStringLiteral(" pt"), {}, invalid},
        {"lenient suffix spacing", "en_US", Style::Decimal, both(kPoints, kLenient), QStringLiteral("12.5pt"), 12.5, {}},
        {"lenient suffix case and space", "en_US", Style::Decimal, both(kPoints, kLenient),
         QStringLiteral(" 12.5   PT "), 12.5, {}},
        {"lenient plus with suffix", "en_US", Style::Decimal, both(kPoints, kLenient), QStringLiteral("+3 pt"), 3.0, {}},
        {"lenient negative with suffix", "en_US", Style::Decimal, both(kPoints, kLenient), QStringLiteral("-3pt"), -3.0, {}},
        {"lenient other unit", "en_US", Style::Decimal, both(kPoints, kLenient), QStringLiteral("3 mm"), {}, invalid},
        {"own negative affixes", "en_US", Style::Decimal,
         [](pf::NumberFormatter& f) { f.setNegativePrefix(QStringLiteral("(")); f.setNegativeSuffix(QStringLiteral(")")); },
         QStringLiteral("(3)"), -3.0, {}},
        {"degrees", "en_US", Style::Decimal, [](pf::NumberFormatter& f) { f.setPositiveSuffix(utf8("°")); },
         utf8("45°"), 45.0, {}},

        // Percent and multipliers: the value is divided by the multiplier.
        {"percent", "en_US", Style::Percent, {}, QStringLiteral("50%"), 0.5, {}},
        {"percent without sign", "en_US", Style::Percent, {}, QStringLiteral("50"), 0.5, {}},
        {"percent fraction", "en_US", Style::Percent, {}, QStringLiteral("12.5%"), 0.125, {}},
        {"percent negative", "en_US", Style::Percent, {}, QStringLiteral("-5%"), -0.05, {}},
        {"percent strict spacing", "en_US", Style::Percent, {}, QStringLiteral("50 %"), {}, invalid},
        {"percent lenient spacing", "de_DE", Style::Percent, kLenient, QStringLiteral("50 %"), 0.5, {}},
        {"percent over its maximum", "en_US", Style::Percent,
         both(kLenient, [](pf::NumberFormatter& f) { f.setMaximum(1.0); }), QStringLiteral("500 %"), {},
         QStringLiteral("Maximum is 100%")},
        {"percent at its maximum", "en_US", Style::Percent, [](pf::NumberFormatter& f) { f.setMaximum(1.0); },
         QStringLiteral("100%"), 1.0, {}},
        {"percent under its minimum", "en_US", Style::Percent, [](pf::NumberFormatter& f) { f.setMinimum(0.0); },
         QStringLiteral("-5%"), {}, QStringLiteral("Minimum is 0%")},
        {"millimetres to points without noise", "en_US", Style::Decimal, kMillimetres, QStringLiteral("2.54 mm"), 7.2, {}},
        {"millimetres over a limit in points", "en_US", Style::Decimal,
         both(kMillimetres, [](pf::NumberFormatter& f) { f.setMaximum(720.0); }), QStringLiteral("300 mm"), {},
         QStringLiteral("Maximum is 254 mm")},

        // Limits and whole numbers.
        {"negated values are limited as typed", "en_US", Style::Decimal,
         [](pf::NumberFormatter& f) { f.setMultiplier(-1.0); f.setMinimum(-5.0); }, QStringLiteral("6"), {},
         QStringLiteral("Maximum is 5")},
        {"negated values within limits", "en_US", Style::Decimal,
         [](pf::NumberFormatter& f) { f.setMultiplier(-1.0); f.setMinimum(-5.0); }, QStringLiteral("-6"), 6.0, {}},
        {"over the maximum", "en_US", Style::Decimal, upToThousand, QStringLiteral("1001"), {},
         QStringLiteral("Maximum is 1,000")},
        {"at the maximum", "en_US", Style::Decimal, upToThousand, QStringLiteral("1,000"), 1000.0, {}},
        {"under the minimum", "en_US", Style::Decimal, [](pf::NumberFormatter& f) { f.setMinimum(-5.0); },
         QStringLiteral("-5.5"), {}, QStringLiteral("Minimum is -5")},
        {"whole numbers refuse a fraction", "en_US", Style::Decimal,
         [](pf::NumberFormatter& f) { f.setAllowsFloats(false); }, QStringLiteral("1.5"), {},
         QStringLiteral("Only whole numbers")},
        {"whole numbers take a zero fraction", "en_US", Style::Decimal,
         [](pf::NumberFormatter& f) { f.setAllowsFloats(false); }, QStringLiteral("2.0"), 2.0, {}},
        {"whole numbers beyond 64 bits", "en_US", Style::Decimal,
         [](pf::NumberFormatter& f) { f.setAllowsFloats(false); }, QStringLiteral("99999999999999999999"), {}, invalid},

        // Hostile input.
        {"ten thousand digits", "en_US", Style::Decimal, {}, nines, {}, invalid},
        {"ten thousand digits over a maximum", "en_US", Style::Decimal, upToThousand, nines, {},
         QStringLiteral("Maximum is 1,000")},
        {"ten thousand digits under a minimum", "en_US", Style::Decimal,
         [](pf::NumberFormatter& f) { f.setMinimum(-5.0); }, QLatin1Char('-') + nines, {},
         QStringLiteral("Minimum is -5")},
        {"ten thousand fraction digits", "en_US", Style::Decimal, {},
         QStringLiteral("-0.") + QString(10000, u'0') + QLatin1Char('1'), 0.0, {}},
        {"huge exponent", "en_US", Style::Decimal, kLenient, QStringLiteral("1e999999"), {}, invalid},
        {"huge negated input", "en_US", Style::Decimal,
         [](pf::NumberFormatter& f) { f.setMultiplier(-1.0); f.setMinimum(-5.0); }, nines, {},
         QStringLiteral("Maximum is 5")},
        {"overflow from dividing", "en_US", Style::Decimal,
         [](pf::NumberFormatter& f) { f.setMultiplier(0.001); }, QLatin1Char('1') + QString(307, u'0'), {}, invalid},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto formatter = makeFormatter(c.locale, c.style, c.setup);
        QVariant value;
        QString error;
        const bool ok = formatter.getObjectValue(c.text, &value, &error);
        ASSERT_EQ(ok, c.expected.has_value()) << qPrintable(error);
        if (ok) {
            EXPECT_EQ(value.toDouble(), *c.expected);
            if (*c.expected == 0.0)
                EXPECT_FALSE(std::signbit(value.toDouble())) << "no negative zero";
            EXPECT_EQ(formatter.numberFromString(c.text), c.expected);
        } else {
            EXPECT_EQ(error, c.error);
            EXPECT_FALSE(formatter.numberFromString(c.text).has_value());
        }
    }
}

TEST(NumberFormatter, ValueTypeFollowsAllowsFloats)
{
    auto formatter = makeFormatter("en_US", Style::Decimal);
    QVariant value;
    ASSERT_TRUE(formatter.getObjectValue(QStringLiteral("3"), &value, nullptr));
    EXPECT_EQ(value.typeId(), QMetaType::Double);
    formatter.setAllowsFloats(false);
    ASSERT_TRUE(formatter.getObjectValue(QStringLiteral("-1,000"), &value, nullptr));
    EXPECT_EQ(value.typeId(), QMetaType::LongLong);
    EXPECT_EQ(value.toLongLong(), -1000);
    // Null outputs are allowed either way.
    EXPECT_TRUE(formatter.getObjectValue(QStringLiteral("3"), nullptr, nullptr));
    EXPECT_FALSE(formatter.getObjectValue(QStringLiteral("x"), nullptr, nullptr));
}

TEST(NumberFormatter, FormattedTextParsesBackToTheValue)
{
    const struct {
        const char* name;
        const char* locale;
        Style style;
        Configure setup;
        std::vector<double> values;
    } cases[] = {
        {"English", "en_US", Style::Decimal, {}, {0.0, 0.25, -0.75, 1234.5, -1234567.125, 1e9, 0.001}},
        {"German", "de_DE", Style::Decimal, {}, {0.0, 0.25, -0.75, 1234.5, -1234567.125, 1e9, 0.001}},
        {"French", "fr_FR", Style::Decimal, {}, {0.25, -1234567.125, 1e9}},
        {"Indian", "hi_IN", Style::Decimal, {}, {-1234567.125, 1e9}},
        {"Arabic", "ar_EG", Style::Decimal, {}, {-1234567.125, 0.001}},
        {"Swedish", "sv_SE", Style::Decimal, {}, {-1234567.125, 0.25}},
        {"percent", "en_US", Style::Percent, [](pf::NumberFormatter& f) { f.setMaximumFractionDigits(1); },
         {0.5, -0.125, 12.345, 0.0}},
        {"millimetres", "de_DE", Style::Decimal, kMillimetres, {72.0, 36.0, 7.2, -144.0}},
        {"points", "en_US", Style::Decimal, kPoints, {12.5, -3.0, 1000.0}},
    };
    for (const auto& c : cases) {
        for (const bool lenient : {false, true}) {
            auto formatter = makeFormatter(c.locale, c.style, c.setup);
            formatter.setLenient(lenient);
            for (const double number : c.values) {
                const QString text = formatter.stringFromNumber(number);
                SCOPED_TRACE(std::string(c.name) + (lenient ? " lenient " : " strict ") + text.toStdString());
                const std::optional<double> parsed = formatter.numberFromString(text);
                ASSERT_TRUE(parsed.has_value());
                EXPECT_EQ(*parsed, number);
                EXPECT_EQ(formatter.stringFromNumber(*parsed), text);
            }
        }
    }
}

TEST(NumberFormatter, StyleDefaultsGiveWayToExplicitSettings)
{
    pf::NumberFormatter formatter;
    EXPECT_EQ(formatter.locale(), QLocale());
    EXPECT_EQ(formatter.roundingMode(), Mode::HalfEven);
    EXPECT_TRUE(formatter.allowsFloats());
    EXPECT_FALSE(formatter.lenient());

    formatter.setStyle(Style::Percent);
    EXPECT_EQ(formatter.multiplier(), 100.0);
    EXPECT_EQ(formatter.positiveSuffix(), QStringLiteral("%"));
    EXPECT_EQ(formatter.negativeSuffix(), QStringLiteral("%"));
    EXPECT_EQ(formatter.maximumFractionDigits(), 0);
    EXPECT_TRUE(formatter.usesGroupingSeparator());

    formatter.setStyle(Style::Decimal);
    EXPECT_EQ(formatter.multiplier(), std::nullopt);
    EXPECT_TRUE(formatter.positiveSuffix().isEmpty());
    EXPECT_EQ(formatter.maximumFractionDigits(), 3);
    EXPECT_EQ(formatter.minimumIntegerDigits(), 1);

    // Settings made before a style change survive it.
    formatter.setMaximumFractionDigits(1);
    formatter.setMultiplier(2.0);
    formatter.setStyle(Style::None);
    EXPECT_EQ(formatter.maximumFractionDigits(), 1);
    EXPECT_EQ(formatter.multiplier(), 2.0);
    EXPECT_EQ(formatter.minimumIntegerDigits(), 0);
    EXPECT_FALSE(formatter.usesGroupingSeparator());
    formatter.setMultiplier(std::nullopt);
    EXPECT_EQ(formatter.multiplier(), std::nullopt);

    formatter.setMaximumFractionDigits(1'000'000'000);
    EXPECT_EQ(formatter.maximumFractionDigits(), pf::NumberFormatter::kMaximumDigits);
}

TEST(NumberFormatter, RefusesSettingsThatWouldBreakParsing)
{
    pf::NumberFormatter formatter;
    EXPECT_THROW(formatter.setMultiplier(0.0), pf::InvalidArgumentException);
    EXPECT_THROW(formatter.setMultiplier(std::numeric_limits<double>::infinity()), pf::InvalidArgumentException);
    EXPECT_THROW(formatter.setMultiplier(std::nan("")), pf::InvalidArgumentException);
    EXPECT_THROW(formatter.setMaximumFractionDigits(-1), pf::InvalidArgumentException);
    EXPECT_THROW(formatter.setMinimumIntegerDigits(-1), pf::InvalidArgumentException);
    EXPECT_THROW(formatter.setMaximum(std::nan("")), pf::InvalidArgumentException);
    EXPECT_EQ(formatter.multiplier(), std::nullopt);
}
