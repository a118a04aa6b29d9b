#pragma once

#include <QVariantMap>

namespace pf {
class Color;
class Font;
} // namespace pf

// Attributes for a one-line title cut at its tail: the font and colour given, centred or
// left-aligned.
QVariantMap oneLineTitleAttributes(const pf::Font& font, const pf::Color& colour, bool centred);
