#include "frameworks/penwork/support/PWClassSettings.h"

#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Variant.h"

#include <QRegularExpression>

#include <cmath>

namespace PWClassSettings {

bool flag(const QString& key, bool fallback)
{
    const QVariant stored = pf::UserDefaults::standard().cachedObjectForKey(key);
    return stored.isValid() ? pf::variantToBool(stored) : fallback;
}

void setFlag(const QString& key, bool value)
{
    pf::UserDefaults::standard().setBool(value, key);
}

double number(const QString& key, double fallback)
{
    const QVariant stored = pf::UserDefaults::standard().cachedObjectForKey(key);
    bool ok = false;
    const double value = stored.toDouble(&ok);
    return ok && std::isfinite(value) ? value : fallback;
}

void setNumber(const QString& key, double value)
{
    pf::UserDefaults::standard().setDouble(value, key);
}

QSizeF size(const QString& key, const QSizeF& fallback)
{
    static const QRegularExpression pattern(QStringLiteral("^\\{\\s*([-+0-9.eE]+)\\s*,\\s*([-+0-9.eE]+)\\s*\\}$"));
    const QVariant stored = pf::UserDefaults::standard().cachedObjectForKey(key);
    if (stored.typeId() != QMetaType::QString)
        return fallback;
    const QRegularExpressionMatch match = pattern.match(stored.toString());
    if (!match.hasMatch())
        return fallback;
    bool okWidth = false;
    bool okHeight = false;
    const double width = match.captured(1).toDouble(&okWidth);
    const double height = match.captured(2).toDouble(&okHeight);
    if (!okWidth || !okHeight || !std::isfinite(width) || !std::isfinite(height) || width <= 0 || height <= 0)
        return fallback;
    return QSizeF(width, height);
}

void setSize(const QString& key, const QSizeF& value)
{
    pf::UserDefaults::standard().setObject(QStringLiteral("{%1, %2}").arg(value.width()).arg(value.height()), key);
}

} // namespace PWClassSettings
