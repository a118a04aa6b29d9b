#include "platform/foundation/NumberFormatter.h"

#include "platform/foundation/Exception.h"

#include <QCoreApplication>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace pf {

namespace {

constexpr char16_t kInfinity = u'\u221E';
constexpr char16_t kMinusSign = u'\u2212';

// A number as decimal digits: the integer and fraction digits of its magnitude, and its sign.
struct DecimalDigits {
    std::string integer;
    std::string fraction;
    bool negative = false;

    bool isZero() const
    {
        return integer.find_first_not_of('0') == std::string::npos
               && fraction.find_first_not_of('0') == std::string::npos;
    }
};

// Writes a finite double as decimal digits following the precision rule in the header.
DecimalDigits decimalDigitsOf(double number)
{
    DecimalDigits digits;
    digits.negative = std::signbit(number);
    const double magnitude = std::fabs(number);
    const bool largeWholeNumber = magnitude >= 1e15 && std::trunc(magnitude) == magnitude;
    const QString scientific = QString::number(
        magnitude, 'e', largeWholeNumber ? QLocale::FloatingPointShortest : 14);
    const qsizetype exponentAt = scientific.indexOf(u'e');
    std::string mantissa = scientific.left(exponentAt).remove(u'.').toStdString();
    const int exponent = scientific.mid(exponentAt + 1).toInt();
    while (mantissa.size() > 1 && mantissa.back() == '0')
        mantissa.pop_back();

    // The mantissa's first digit stands for 10^exponent.
    const int pointAfter = exponent + 1;
    if (pointAfter <= 0) {
        digits.fraction = std::string(size_t(-pointAfter), '0') + mantissa;
    } else if (size_t(pointAfter) >= mantissa.size()) {
        digits.integer = mantissa + std::string(size_t(pointAfter) - mantissa.size(), '0');
    } else {
        digits.integer = mantissa.substr(0, size_t(pointAfter));
        digits.fraction = mantissa.substr(size_t(pointAfter));
    }
    return digits;
}

// Adds one unit in the last place of integer and fraction digits taken together.
void incrementLastDigit(DecimalDigits& digits)
{
    std::string all = digits.integer + digits.fraction;
    int position = int(all.size()) - 1;
    while (position >= 0 && all[size_t(position)] == '9')
        all[size_t(position--)] = '0';
    if (position >= 0)
        ++all[size_t(position)];
    else
        all.insert(all.begin(), '1');
    const size_t integerLength = all.size() - digits.fraction.size();
    digits.integer = all.substr(0, integerLength);
    digits.fraction = all.substr(integerLength);
}

// Rounds to `places` fraction digits, deciding on the discarded decimal digits themselves.
void roundDecimal(DecimalDigits& digits, int places, NumberFormatter::RoundingMode mode)
{
    using Mode = NumberFormatter::RoundingMode;
    if (digits.fraction.size() <= size_t(places))
        return;
    const std::string discarded = digits.fraction.substr(size_t(places));
    digits.fraction.resize(size_t(places));
    if (discarded.find_first_not_of('0') == std::string::npos)
        return;

    const bool moreAfterFirst = discarded.find_first_not_of('0', 1) != std::string::npos;
    const int againstHalf = discarded[0] > '5' || (discarded[0] == '5' && moreAfterFirst) ? 1
                            : discarded[0] == '5'                                       ? 0
                                                                                        : -1;
    const std::string& kept = digits.fraction.empty() ? digits.integer : digits.fraction;
    const bool lastIsOdd = !kept.empty() && (kept.back() - '0') % 2 == 1;

    bool awayFromZero = false;
    switch (mode) {
    case Mode::Ceiling: awayFromZero = !digits.negative; break;
    case Mode::Floor: awayFromZero = digits.negative; break;
    case Mode::Down: awayFromZero = false; break;
    case Mode::Up: awayFromZero = true; break;
    case Mode::HalfEven: awayFromZero = againstHalf > 0 || (againstHalf == 0 && lastIsOdd); break;
    case Mode::HalfDown: awayFromZero = againstHalf > 0; break;
    case Mode::HalfUp: awayFromZero = againstHalf >= 0; break;
    }
    if (awayFromZero)
        incrementLastDigit(digits);
}

// Where separators go in a run of `count` integer digits, as the number of digits before each,
// left to right. This is QLocale's rule, so numbers look the same as elsewhere in the program.
std::vector<qsizetype> groupPositions(qsizetype count, int first, int higher, int least)
{
    std::vector<qsizetype> positions;
    qsizetype position = count - first;
    if (first <= 0 || position < least)
        return positions;
    positions.push_back(position);
    while (higher > 0 && (position -= higher) >= least)
        positions.push_back(position);
    std::reverse(positions.begin(), positions.end());
    return positions;
}

// The code point at `index` and how many UTF-16 units it takes.
char32_t codePointAt(QStringView text, qsizetype index, qsizetype* length)
{
    const QChar unit = text[index];
    if (unit.isHighSurrogate() && index + 1 < text.size() && text[index + 1].isLowSurrogate()) {
        *length = 2;
        return QChar::surrogateToUcs4(unit, text[index + 1]);
    }
    *length = 1;
    return unit.unicode();
}

void appendCodePoint(QString& text, char32_t codePoint)
{
    if (QChar::requiresSurrogates(codePoint)) {
        text.append(QChar(QChar::highSurrogate(codePoint)));
        text.append(QChar(QChar::lowSurrogate(codePoint)));
    } else {
        text.append(QChar(char16_t(codePoint)));
    }
}

bool isWhiteSpaceSeparator(const QString& separator)
{
    return separator.size() == 1 && separator[0].isSpace();
}

// Matching of a prefix or suffix. Strict matching wants the exact text; lenient matching
// ignores white space and case.
bool sameLetter(QChar a, QChar b, bool lenient)
{
    return lenient ? a.toCaseFolded() == b.toCaseFolded() : a == b;
}

// The length of the start of `text` that spells `affix`, or -1.
qsizetype matchLeading(QStringView text, QStringView affix, bool lenient)
{
    if (!lenient)
        return text.startsWith(affix) ? affix.size() : -1;
    qsizetype i = 0;
    for (const QChar letter : affix) {
        if (letter.isSpace())
            continue;
        while (i < text.size() && text[i].isSpace())
            ++i;
        if (i >= text.size() || !sameLetter(text[i], letter, true))
            return -1;
        ++i;
    }
    return i;
}

// Where the end of `text` that spells `affix` begins, or -1.
qsizetype matchTrailing(QStringView text, QStringView affix, bool lenient)
{
    if (!lenient)
        return text.endsWith(affix) ? text.size() - affix.size() : -1;
    qsizetype i = text.size();
    for (qsizetype j = affix.size() - 1; j >= 0; --j) {
        if (affix[j].isSpace())
            continue;
        while (i > 0 && text[i - 1].isSpace())
            --i;
        if (i <= 0 || !sameLetter(text[i - 1], affix[j], true))
            return -1;
        --i;
    }
    return i;
}

struct Form {
    QString prefix;
    QString suffix;
    bool negative;
};

void addForm(std::vector<Form>& forms, const QString& prefix, const QString& suffix, bool negative)
{
    for (const Form& form : forms) {
        if (form.prefix == prefix && form.suffix == suffix && form.negative == negative)
            return;
    }
    forms.push_back({prefix, suffix, negative});
}

QString tr(const char* text)
{
    return QCoreApplication::translate("pf::NumberFormatter", text);
}

double cleanedToSignificantDigits(double number)
{
    const double cleaned = QString::number(number, 'g', 15).toDouble();
    return std::isfinite(cleaned) ? cleaned : number;
}

} // namespace

NumberFormatter::NumberFormatter()
{
    setLocale(QLocale());
}

void NumberFormatter::setLocale(const QLocale& locale)
{
    m_locale = locale;
    LocaleSymbols symbols;
    symbols.decimalPoint = locale.decimalPoint();
    symbols.groupSeparator = locale.groupSeparator();
    symbols.negativeSign = locale.negativeSign();
    symbols.positiveSign = locale.positiveSign();
    const QList<uint> zero = locale.zeroDigit().toUcs4();
    symbols.zeroDigit = zero.isEmpty() ? U'0' : char32_t(zero.first());

    // QLocale keeps its group sizes to itself; read them off numbers it writes with grouping on.
    QLocale probe(locale);
    probe.setNumberOptions(QLocale::DefaultNumberOptions);
    const QStringList groups = symbols.groupSeparator.isEmpty()
                                   ? QStringList()
                                   : probe.toString(qlonglong(1'000'000'000'000'000'000)).split(symbols.groupSeparator);
    if (groups.size() < 3) {
        symbols.firstGroup = 0;
    } else {
        symbols.firstGroup = int(groups.last().toUcs4().size());
        symbols.higherGroups = int(groups.at(groups.size() - 2).toUcs4().size());
        qlonglong smallest = 1;
        for (int i = 0; i < symbols.firstGroup; ++i)
            smallest *= 10;
        while (symbols.leastTopGroup < 6 && !probe.toString(smallest).contains(symbols.groupSeparator)) {
            ++symbols.leastTopGroup;
            smallest *= 10;
        }
    }
    m_symbols = symbols;
}

int NumberFormatter::minimumFractionDigits() const
{
    return m_minimumFractionDigits.value_or(0);
}

void NumberFormatter::setMinimumFractionDigits(int digits)
{
    PF_PARAMETER_ASSERT(digits >= 0);
    m_minimumFractionDigits = std::min(digits, kMaximumDigits);
}

int NumberFormatter::maximumFractionDigits() const
{
    return m_maximumFractionDigits.value_or(m_style == Style::Decimal ? 3 : 0);
}

void NumberFormatter::setMaximumFractionDigits(int digits)
{
    PF_PARAMETER_ASSERT(digits >= 0);
    m_maximumFractionDigits = std::min(digits, kMaximumDigits);
}

int NumberFormatter::minimumIntegerDigits() const
{
    return m_minimumIntegerDigits.value_or(m_style == Style::None ? 0 : 1);
}

void NumberFormatter::setMinimumIntegerDigits(int digits)
{
    PF_PARAMETER_ASSERT(digits >= 0);
    m_minimumIntegerDigits = std::min(digits, kMaximumDigits);
}

std::optional<double> NumberFormatter::multiplier() const
{
    if (m_multiplier)
        return m_multiplier;
    if (m_style == Style::Percent)
        return 100.0;
    return std::nullopt;
}

void NumberFormatter::setMultiplier(std::optional<double> multiplier)
{
    // Parsing divides by the multiplier; zero or a non-finite factor would make NaN or infinities.
    PF_PARAMETER_ASSERT(!multiplier || (std::isfinite(*multiplier) && *multiplier != 0.0));
    m_multiplier = multiplier;
}

double NumberFormatter::effectiveMultiplier() const
{
    return multiplier().value_or(1.0);
}

QString NumberFormatter::positivePrefix() const
{
    return m_positivePrefix.value_or(QString());
}

QString NumberFormatter::negativePrefix() const
{
    return m_negativePrefix ? *m_negativePrefix : m_symbols.negativeSign + positivePrefix();
}

QString NumberFormatter::positiveSuffix() const
{
    if (m_positiveSuffix)
        return *m_positiveSuffix;
    return m_style == Style::Percent ? QStringLiteral("%") : QString();
}

QString NumberFormatter::negativeSuffix() const
{
    return m_negativeSuffix ? *m_negativeSuffix : positiveSuffix();
}

void NumberFormatter::setMinimum(std::optional<double> minimum)
{
    PF_PARAMETER_ASSERT(!minimum || !std::isnan(*minimum));
    m_minimum = minimum;
}

void NumberFormatter::setMaximum(std::optional<double> maximum)
{
    PF_PARAMETER_ASSERT(!maximum || !std::isnan(*maximum));
    m_maximum = maximum;
}

bool NumberFormatter::usesGroupingSeparator() const
{
    return m_usesGroupingSeparator.value_or(m_style != Style::None);
}

QString NumberFormatter::stringForObjectValue(const QVariant& value) const
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return stringFromNumber(value.toDouble());
    default:
        return QString();
    }
}

QString NumberFormatter::localisedDigits(const std::string& ascii) const
{
    QString text;
    text.reserve(qsizetype(ascii.size()));
    for (const char digit : ascii)
        appendCodePoint(text, m_symbols.zeroDigit + char32_t(digit - '0'));
    return text;
}

QString NumberFormatter::groupedInteger(const std::string& ascii) const
{
    if (!usesGroupingSeparator() || m_symbols.firstGroup <= 0)
        return localisedDigits(ascii);
    QString text;
    qsizetype start = 0;
    for (const qsizetype position : groupPositions(qsizetype(ascii.size()), m_symbols.firstGroup,
                                                   m_symbols.higherGroups, m_symbols.leastTopGroup)) {
        text += localisedDigits(ascii.substr(size_t(start), size_t(position - start)));
        text += m_symbols.groupSeparator;
        start = position;
    }
    return text + localisedDigits(ascii.substr(size_t(start)));
}

QString NumberFormatter::stringFromNumber(double number) const
{
    const QString infinity(kInfinity);
    if (std::isnan(number))
        return QStringLiteral("NaN");
    const double shown = number * effectiveMultiplier();
    // A product beyond the range of doubles has no digits to show either.
    if (std::isinf(shown))
        return shown < 0 ? m_symbols.negativeSign + infinity : infinity;

    DecimalDigits digits = decimalDigitsOf(shown);
    const int minimumFraction = minimumFractionDigits();
    roundDecimal(digits, std::max(minimumFraction, maximumFractionDigits()), m_roundingMode);
    while (digits.fraction.size() > size_t(minimumFraction) && digits.fraction.back() == '0')
        digits.fraction.pop_back();
    digits.fraction.resize(std::max(digits.fraction.size(), size_t(minimumFraction)), '0');

    const size_t firstSignificant = digits.integer.find_first_not_of('0');
    digits.integer.erase(0, firstSignificant == std::string::npos ? digits.integer.size() : firstSignificant);
    const size_t minimumInteger = size_t(minimumIntegerDigits());
    if (digits.integer.size() < minimumInteger)
        digits.integer.insert(0, minimumInteger - digits.integer.size(), '0');
    if (digits.integer.empty() && digits.fraction.empty())
        digits.integer = "0";

    // Negative zero, and negatives that round to zero, show as plain zero.
    const bool negative = digits.negative && !digits.isZero();
    QString text = negative ? negativePrefix() : positivePrefix();
    text += groupedInteger(digits.integer);
    if (!digits.fraction.empty())
        text += m_symbols.decimalPoint + localisedDigits(digits.fraction);
    text += negative ? negativeSuffix() : positiveSuffix();
    return text;
}

// The integer part of `pattern` ('d' for a digit, 'g' for a separator) has its separators where
// formatting puts them, or where full grouping would (QLocale leaves out some separators of
// locales whose top group must be long, but people still type them).
bool NumberFormatter::isValidGrouping(const std::string& pattern) const
{
    std::vector<qsizetype> found;
    qsizetype digitCount = 0;
    for (const char kind : pattern) {
        if (kind == 'g')
            found.push_back(digitCount);
        else
            ++digitCount;
    }
    for (const int least : {m_symbols.leastTopGroup, 1}) {
        if (found == groupPositions(digitCount, m_symbols.firstGroup, m_symbols.higherGroups, least))
            return true;
    }
    return false;
}

// Reads the number between the prefix and the suffix into plain ASCII ("1234.5"), or answers
// false when it is not a number this formatter accepts.
bool NumberFormatter::readDigits(QStringView body, std::string* ascii) const
{
    enum Kind : char { Digit = 'd', Point = 'p', Group = 'g', OtherPoint = 'o' };
    const LocaleSymbols& symbols = m_symbols;
    // The common decimal separator that is not this locale's; lenient reading accepts it when it
    // cannot be meant otherwise.
    const QString other = symbols.decimalPoint == u"." ? QStringLiteral(",") : QStringLiteral(".");
    const bool spacesGroup = m_lenient && isWhiteSpaceSeparator(symbols.groupSeparator);

    std::string kinds;
    std::string digits;
    kinds.reserve(size_t(body.size()));
    for (qsizetype i = 0; i < body.size();) {
        qsizetype length = 1;
        const char32_t codePoint = codePointAt(body, i, &length);
        const QStringView rest = body.sliced(i);
        if (codePoint >= U'0' && codePoint <= U'9') {
            kinds += Digit;
            digits += char('0' + (codePoint - U'0'));
        } else if (codePoint >= symbols.zeroDigit && codePoint <= symbols.zeroDigit + 9) {
            kinds += Digit;
            digits += char('0' + (codePoint - symbols.zeroDigit));
        } else if (!symbols.decimalPoint.isEmpty() && rest.startsWith(symbols.decimalPoint)) {
            kinds += Point;
            length = symbols.decimalPoint.size();
        } else if (!symbols.groupSeparator.isEmpty() && rest.startsWith(symbols.groupSeparator)) {
            kinds += Group;
            length = symbols.groupSeparator.size();
        } else if (spacesGroup && body[i].isSpace()) {
            kinds += Group;
        } else if (m_lenient && rest.startsWith(other)) {
            kinds += OtherPoint;
            length = other.size();
        } else {
            return false;
        }
        i += length;
    }

    const auto count = [&kinds](char kind) { return std::count(kinds.begin(), kinds.end(), kind); };
    if (m_lenient) {
        if (count(OtherPoint) > 0) {
            if (count(Point) > 0 || count(OtherPoint) > 1)
                return false;
            std::replace(kinds.begin(), kinds.end(), char(OtherPoint), char(Point));
        } else if (other == symbols.groupSeparator && count(Point) == 0 && count(Group) == 1
                   && !isValidGrouping(kinds)) {
            // "1,5" in English or "1.5" in German: a lone separator that cannot be grouping.
            std::replace(kinds.begin(), kinds.end(), char(Group), char(Point));
        }
    }

    const size_t point = kinds.find(char(Point));
    if (point != std::string::npos && kinds.find(char(Point), point + 1) != std::string::npos)
        return false;
    const std::string integerKinds = kinds.substr(0, point);
    if (point != std::string::npos && kinds.find(char(Group), point) != std::string::npos)
        return false;
    for (size_t i = 0; i < integerKinds.size(); ++i) {
        if (integerKinds[i] == Group
            && (i == 0 || i + 1 == integerKinds.size() || integerKinds[i - 1] != Digit
                || integerKinds[i + 1] != Digit))
            return false;
    }
    if (digits.empty())
        return false;
    if (!m_lenient && integerKinds.find(char(Group)) != std::string::npos && !isValidGrouping(integerKinds))
        return false;

    const size_t integerDigits = size_t(std::count(integerKinds.begin(), integerKinds.end(), char(Digit)));
    *ascii = (integerDigits == 0 ? std::string("0") : digits.substr(0, integerDigits));
    if (integerDigits < digits.size())
        *ascii += '.' + digits.substr(integerDigits);
    return true;
}

NumberFormatter::Reading NumberFormatter::read(const QString& text) const
{
    Reading reading;
    QStringView rest(text);
    bool signedPositive = false;
    if (m_lenient) {
        rest = rest.trimmed();
        for (const QString& plus : {m_symbols.positiveSign, QStringLiteral("+")}) {
            if (!plus.isEmpty() && rest.startsWith(plus)) {
                rest = rest.sliced(plus.size()).trimmed();
                signedPositive = true;
                break;
            }
        }
    }
    if (rest.isEmpty())
        return reading;

    // Prefix and suffix as formatted first, then without the suffix, then the plain number.
    std::vector<Form> forms;
    for (const QString& prefix : {positivePrefix(), QString()}) {
        addForm(forms, prefix, positiveSuffix(), false);
        addForm(forms, prefix, QString(), false);
    }
    if (!signedPositive) {
        QStringList negativePrefixes = {negativePrefix(), m_symbols.negativeSign};
        if (m_lenient)
            negativePrefixes << QStringLiteral("-") << QString(kMinusSign);
        for (const QString& prefix : negativePrefixes) {
            addForm(forms, prefix, negativeSuffix(), true);
            addForm(forms, prefix, QString(), true);
        }
    }

    for (const Form& form : forms) {
        const qsizetype start = matchLeading(rest, form.prefix, m_lenient);
        if (start < 0)
            continue;
        const qsizetype end = matchTrailing(rest.sliced(start), form.suffix, m_lenient);
        if (end < 0)
            continue;
        QStringView body = rest.sliced(start, end);
        if (m_lenient)
            body = body.trimmed();
        std::string ascii;
        if (body.isEmpty() || !readDigits(body, &ascii))
            continue;

        reading.negative = form.negative;
        double number = 0.0;
        const std::errc error = std::from_chars(ascii.data(), ascii.data() + ascii.size(), number).ec;
        if (error == std::errc::result_out_of_range) {
            // Out of range with a non-zero integer digit is too large for a double; otherwise
            // the number is too small to tell from zero.
            const size_t firstNonZero = ascii.find_first_not_of('0');
            if (firstNonZero != std::string::npos && ascii[firstNonZero] != '.') {
                reading.kind = Reading::TooLarge;
                return reading;
            }
            number = 0.0;
        } else if (error != std::errc()) {
            return reading;
        }
        reading.kind = Reading::Number;
        reading.number = form.negative && number != 0.0 ? -number : number;
        return reading;
    }
    return reading;
}

QString NumberFormatter::limitMessage(bool minimum, double limit) const
{
    const QString shown = stringFromNumber(limit);
    return minimum ? tr("Minimum is %1").arg(shown) : tr("Maximum is %1").arg(shown);
}

bool NumberFormatter::getObjectValue(const QString& text, QVariant* value, QString* errorDescription) const
{
    const auto refuse = [errorDescription](const QString& reason) {
        if (errorDescription)
            *errorDescription = reason;
        return false;
    };
    // Messages speak of what the user sees: a negative multiplier turns the stored minimum into
    // the largest number that may be typed.
    const double factor = effectiveMultiplier();
    const auto refuseBelowMinimum = [&] { return refuse(limitMessage(factor > 0, *m_minimum)); };
    const auto refuseAboveMaximum = [&] { return refuse(limitMessage(factor < 0, *m_maximum)); };
    // A number too large for a double lies beyond the limit on its side, if there is one.
    const auto refuseBeyondDoubles = [&](bool storedNegative) {
        if (storedNegative && m_minimum)
            return refuseBelowMinimum();
        if (!storedNegative && m_maximum)
            return refuseAboveMaximum();
        return refuse(tr("Invalid number"));
    };

    const Reading reading = read(text);
    if (reading.kind == Reading::Invalid)
        return refuse(tr("Invalid number"));
    const bool storedNegative = reading.negative != (factor < 0);
    if (reading.kind == Reading::TooLarge)
        return refuseBeyondDoubles(storedNegative);

    double number = reading.number;
    if (factor != 1.0) {
        number /= factor;
        if (!std::isfinite(number))
            return refuseBeyondDoubles(storedNegative);
        // Dividing leaves binary noise (2.54 mm back to points is 7.200000000000001).
        number = cleanedToSignificantDigits(number);
    }
    if (number == 0.0)
        number = 0.0; // no negative zero

    if (m_minimum && number < *m_minimum)
        return refuseBelowMinimum();
    if (m_maximum && number > *m_maximum)
        return refuseAboveMaximum();

    QVariant result(number);
    if (!m_allowsFloats) {
        if (std::trunc(number) != number)
            return refuse(tr("Only whole numbers"));
        // 2^63 is the first double outside qlonglong.
        if (number < -9223372036854775808.0 || number >= 9223372036854775808.0)
            return refuse(tr("Invalid number"));
        result = QVariant::fromValue(qlonglong(number));
    }
    if (value)
        *value = result;
    return true;
}

std::optional<double> NumberFormatter::numberFromString(const QString& text) const
{
    QVariant value;
    if (!getObjectValue(text, &value, nullptr))
        return std::nullopt;
    return value.toDouble();
}

} // namespace pf
