#include "widgets/String+CamelCase.h"

QString capitalizedStringPreservingCamelCase(const QString& text)
{
    if (text.isEmpty())
        return QString();
    return text.left(1).toUpper() + text.mid(1);
}

QString setterString(const QString& key)
{
    return QStringLiteral("set%1:").arg(capitalizedStringPreservingCamelCase(key));
}
