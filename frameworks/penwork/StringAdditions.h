#pragma once

#include <QString>

namespace pw {

// The string with its first character upper-cased and the rest unchanged, as used to build
// accessor names from property names ("lineWidth" → "LineWidth"). The first character is a
// whole code point, so a letter outside the Basic Multilingual Plane is cased too; casing may
// lengthen it ("ß" → "SS"). An empty string stays empty.
QString stringByCapitalizingFirstCharacter(const QString& text);

} // namespace pw
