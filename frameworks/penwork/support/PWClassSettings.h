#pragma once

#include <QSizeF>
#include <QString>

// Class-wide settings of the framework's classes (anti-aliasing, path editing, handle size...)
// live in the user defaults, so that a setting the user changes holds for every object at once
// and again after a relaunch. Each read answers the stored value, or the class's own default
// when none is stored or the stored value is not usable; reading is safe from any thread.
namespace PWClassSettings {

bool flag(const QString& key, bool fallback);
void setFlag(const QString& key, bool value);
// Numbers that are not finite are never answered: the fallback is.
double number(const QString& key, double fallback);
void setNumber(const QString& key, double value);
// A size kept as "{width, height}".
QSizeF size(const QString& key, const QSizeF& fallback);
void setSize(const QString& key, const QSizeF& value);

} // namespace PWClassSettings
