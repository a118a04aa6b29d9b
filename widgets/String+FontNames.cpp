#include "widgets/String+FontNames.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

QString capitalisedWords(const QString& text)
{
    QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString& word : words)
        word = word.left(1).toUpper() + word.mid(1).toLower();
    return words.join(QLatin1Char(' '));
}

} // namespace

QString fontNameAndSize(const QString& text, double* size)
{
    QString flat = text;
    flat.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    static const QRegularExpression firstDigit(QStringLiteral("\\d"));
    const qsizetype digit = flat.indexOf(firstDigit);
    const QString name = capitalisedWords(flat.left(digit < 0 ? flat.size() : digit).simplified());
    if (size) {
        *size = 0;
        if (digit >= 0) {
            static const QRegularExpression number(QStringLiteral("^\\d+(\\.\\d*)?"));
            const QRegularExpressionMatch match = number.match(flat.mid(digit));
            if (match.hasMatch())
                *size = match.captured(0).toDouble();
        }
    }
    if (name.isEmpty())
        return QString();
    return name;
}

QString fontName(const QString& text)
{
    return fontNameAndSize(text, nullptr);
}

std::optional<pf::Font> fontValue(const QString& text)
{
    double size = 0;
    const QString name = fontNameAndSize(text, &size);
    if (name.isNull())
        return std::nullopt;
    const pf::Font font = pf::Font::fromName(name, size);
    if (!font.isValid())
        return std::nullopt;
    return font;
}
