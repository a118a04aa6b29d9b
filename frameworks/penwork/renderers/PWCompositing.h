#pragma once

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

// Whether `value` is one of the values above.
bool isCompositingValue(int value);
// The composition mode that draws `value`; source-over for anything else. Plus-darker has no
// QPainter counterpart and draws as multiply, the nearest darkening mode; highlight draws as
// source-over, as it does on the platform.
QPainter::CompositionMode compositionModeForValue(int value);
// A short name for logs and menus ("Multiply").
QString compositingValueName(int value);

} // namespace pw::renderers
