#include "frameworks/penwork/StringAdditions.h"

namespace pw {

QString stringByCapitalizingFirstCharacter(const QString& text)
{
    if (text.isEmpty())
        return text;
    const qsizetype first = text.size() > 1 && text[0].isHighSurrogate() && text[1].isLowSurrogate() ? 2 : 1;
    return text.left(first).toUpper() + text.mid(first);
}

} // namespace pw
