#pragma once

#include <QLocale>
#include <QString>
#include <QVariant>

#include <optional>
#include <string>

namespace pf {

// Turns numbers into the text a field shows and reads typed text back: lengths with a unit
// suffix, percentages, angles. Locale symbols (digits, decimal point, grouping, minus sign) come
// from QLocale; rounding is done on the decimal digits, not on the binary double.
//
// Precision rule: a double carries about 15 significant decimal digits reliably, so a value is
// first written with 15 significant digits (0.285 * 100 = 28.499999999999996 becomes 28.5, the
// double nearest 1.005 becomes 1.005) and that decimal is then rounded with the rounding mode.
// Whole numbers of 10^15 and beyond keep all of their digits.
//
// Properties left unset follow the style; a value set explicitly wins whatever the order of the
// calls.
class NumberFormatter {
public:
    enum class Style { None = 0, Decimal = 1, Percent = 3 };
    enum class RoundingMode { Ceiling, Floor, Down, Up, HalfEven, HalfDown, HalfUp };

    // Digit counts beyond this are clamped: enough to show the smallest double.
    static constexpr int kMaximumDigits = 340;

    NumberFormatter();

    Style style() const { return m_style; }
    void setStyle(Style style) { m_style = style; }

    QLocale locale() const { return m_locale; }
    void setLocale(const QLocale& locale);

    // None: 0 and 0; Decimal: 0 and 3; Percent: 0 and 0. Formatting uses at least the minimum
    // as the maximum. Negative counts raise InvalidArgumentException.
    int minimumFractionDigits() const;
    void setMinimumFractionDigits(int digits);
    int maximumFractionDigits() const;
    void setMaximumFractionDigits(int digits);

    // 1 for Decimal and Percent, 0 for None (".5"); a number is never shown without any digit.
    int minimumIntegerDigits() const;
    void setMinimumIntegerDigits(int digits);

    RoundingMode roundingMode() const { return m_roundingMode; }
    void setRoundingMode(RoundingMode mode) { m_roundingMode = mode; }

    // The factor between the stored value and the shown one; Percent implies 100 when unset.
    // Zero, NaN and infinities raise InvalidArgumentException; nullopt restores the default.
    std::optional<double> multiplier() const;
    void setMultiplier(std::optional<double> multiplier);

    // Defaults: no positive prefix; the negative prefix is the locale's minus sign followed by
    // the positive prefix; the positive suffix is "%" for Percent and empty otherwise; the
    // negative suffix is the positive suffix.
    QString positivePrefix() const;
    void setPositivePrefix(const QString& prefix) { m_positivePrefix = prefix; }
    QString negativePrefix() const;
    void setNegativePrefix(const QString& prefix) { m_negativePrefix = prefix; }
    QString positiveSuffix() const;
    void setPositiveSuffix(const QString& suffix) { m_positiveSuffix = suffix; }
    QString negativeSuffix() const;
    void setNegativeSuffix(const QString& suffix) { m_negativeSuffix = suffix; }

    // Limits on the parsed value (after dividing by the multiplier). NaN raises.
    std::optional<double> minimum() const { return m_minimum; }
    void setMinimum(std::optional<double> minimum);
    std::optional<double> maximum() const { return m_maximum; }
    void setMaximum(std::optional<double> maximum);

    bool allowsFloats() const { return m_allowsFloats; }
    void setAllowsFloats(bool allows) { m_allowsFloats = allows; }

    bool lenient() const { return m_lenient; }
    void setLenient(bool lenient) { m_lenient = lenient; }

    // On by default for Decimal and Percent, off for None.
    bool usesGroupingSeparator() const;
    void setUsesGroupingSeparator(bool uses) { m_usesGroupingSeparator = uses; }

    // Numbers only (integers and floating point, not bool); anything else gives an empty string.
    QString stringForObjectValue(const QVariant& value) const;
    // NaN shows as "NaN", infinities as "∞" and "-∞" (the locale's minus sign).
    QString stringFromNumber(double number) const;

    // Parses `text`; on success sets *value (a double, or a qlonglong when floats are not
    // allowed) and answers true. On failure answers false and sets *errorDescription to a
    // reason for the user. Either pointer may be null. Never yields NaN or an infinity. With a
    // multiplier the quotient is rounded to 15 significant digits, as formatting does.
    bool getObjectValue(const QString& text, QVariant* value, QString* errorDescription) const;
    std::optional<double> numberFromString(const QString& text) const;

private:
    // What the locale writes numbers with, read once when the locale is set.
    struct LocaleSymbols {
        QString decimalPoint;
        QString groupSeparator;
        QString negativeSign;
        QString positiveSign;
        char32_t zeroDigit = U'0';
        // Digits in the group next to the decimal point, in the groups above it, and the fewest
        // digits the top group may hold (QLocale's rule, so numbers look alike everywhere).
        int firstGroup = 3;
        int higherGroups = 3;
        int leastTopGroup = 1;
    };

    // The outcome of reading typed text, before limits are applied.
    struct Reading {
        enum Kind { Invalid, TooLarge, Number } kind = Invalid;
        double number = 0.0;
        bool negative = false;
    };

    double effectiveMultiplier() const;
    QString localisedDigits(const std::string& ascii) const;
    QString groupedInteger(const std::string& ascii) const;
    Reading read(const QString& text) const;
    bool readDigits(QStringView body, std::string* ascii) const;
    bool isValidGrouping(const std::string& pattern) const;
    QString limitMessage(bool minimum, double limit) const;

    Style m_style = Style::None;
    QLocale m_locale;
    LocaleSymbols m_symbols;
    std::optional<int> m_minimumFractionDigits;
    std::optional<int> m_maximumFractionDigits;
    std::optional<int> m_minimumIntegerDigits;
    RoundingMode m_roundingMode = RoundingMode::HalfEven;
    std::optional<double> m_multiplier;
    std::optional<QString> m_positivePrefix;
    std::optional<QString> m_negativePrefix;
    std::optional<QString> m_positiveSuffix;
    std::optional<QString> m_negativeSuffix;
    std::optional<double> m_minimum;
    std::optional<double> m_maximum;
    bool m_allowsFloats = true;
    bool m_lenient = false;
    std::optional<bool> m_usesGroupingSeparator;
};

} // namespace pf
