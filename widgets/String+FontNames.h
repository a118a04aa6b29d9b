#pragma once

#include "platform/graphics/Font.h"

#include <QString>

#include <optional>

// Font descriptions as users type them: a name and then a size ("helvetica bold 12").
// The name is the text before the first digit (newlines read as blanks), trimmed and capitalised
// word by word; the size is the number from that digit on, 0 when there is none. A null
// string when no name comes before the digit.
QString fontNameAndSize(const QString& text, double* size);
QString fontName(const QString& text);
// The font of that name and size; none when there is no name or no such font.
std::optional<pf::Font> fontValue(const QString& text);
