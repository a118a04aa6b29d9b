#pragma once

#include <QString>

// Key names as setter names: the first character in upper case, the rest as it is
// ("fillColour" gives "FillColour"); "" stays "".
QString capitalizedStringPreservingCamelCase(const QString& text);
// "set<Key>:" ("setFillColour:").
QString setterString(const QString& key);
