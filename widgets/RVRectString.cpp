#include "widgets/RVRectString.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace {

QString number(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace

QString RVRectString::stringFromRect(const QRectF& rect)
{
    return QStringLiteral("{{%1, %2}, {%3, %4}}")
        .arg(number(rect.x()), number(rect.y()), number(rect.width()), number(rect.height()));
}

bool RVRectString::rectFromString(const QString& text, QRectF* rect)
{
    static const QRegularExpression notation(QStringLiteral(
        R"(^\s*\{\s*\{\s*([^,{}\s]+)\s*,\s*([^,{}\s]+)\s*\}\s*,\s*\{\s*([^,{}\s]+)\s*,\s*([^,{}\s]+)\s*\}\s*\}\s*$)"));
    const QRegularExpressionMatch match = notation.match(text);
    if (!match.hasMatch())
        return false;
    double values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = match.captured(i + 1).toDouble(&ok);
        if (!ok || !std::isfinite(values[i]))
            return false;
    }
    if (rect)
        *rect = QRectF(values[0], values[1], values[2], values[3]);
    return true;
}
