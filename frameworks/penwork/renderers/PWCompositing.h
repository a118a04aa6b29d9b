#pragma once

#include <QImage>
#include <QPainter>
#include <QString>

// The platform's compositing operation values, as archives and the panes' pop-up tags carry
// them, and the QPainter composition mode each one draws with.
namespace pw::renderers {

enum CompositingValue : int {
    CompositeClear = 0,
    CompositeCopy = 1,
    CompositeSourceOver = 2,
    CompositeSourceIn = 3,
    CompositeSourceOut = 4,
    CompositeSourceAtop = 5,
    CompositeDestinationOver = 6,
    CompositeDestinationIn = 7,
    CompositeDestinationOut = 8,
    CompositeDestinationAtop = 9,
    CompositeXOR = 10,
    CompositePlusDarker = 11,
    CompositeHighlight = 12,
    CompositePlusLighter = 13,
    CompositeMultiply = 14,
    CompositeScreen = 15,
    CompositeOverlay = 16,
    CompositeDarken = 17,
    CompositeLighten = 18,
    CompositeColorDodge = 19,
    CompositeColorBurn = 20,
    CompositeSoftLight = 21,
    CompositeHardLight = 22,
    CompositeDifference = 23,
    CompositeExclusion = 24,
};
inline constexpr int kLastCompositingValue = CompositeExclusion;

// The blend modes that mix hue, saturation and luminosity rather than each channel alone.
// QPainter has no counterpart: they are composited by blendNonSeparable, over pixels that can
// be read back.
enum NonSeparableBlendValue : int {
    CompositeHue = 25,
    CompositeSaturation = 26,
    CompositeColour = 27,
    CompositeLuminosity = 28,
};
bool isNonSeparableBlendValue(int value);
// Composites premultiplied `source` over premultiplied `backdrop` (the same size) with one of
// the blend modes above, into `backdrop`.
void blendNonSeparable(QImage& backdrop, const QImage& source, int value);

// Whether `value` is one of the values above.
bool isCompositingValue(int value);
// The composition mode that draws `value`; source-over for anything else. Plus-darker has no
// QPainter counterpart and draws as multiply, the nearest darkening mode; highlight draws as
// source-over, as it does on the platform.
QPainter::CompositionMode compositionModeForValue(int value);
// A short name for logs and menus ("Multiply").
QString compositingValueName(int value);

} // namespace pw::renderers
