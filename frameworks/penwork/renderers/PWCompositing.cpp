#include "frameworks/penwork/renderers/PWCompositing.h"

#include <array>

namespace pw::renderers {

namespace {

struct Entry {
    QPainter::CompositionMode mode;
    const char* name;
};

constexpr std::array<Entry, kLastCompositingValue + 1> kEntries{{
    {QPainter::CompositionMode_Clear, "Clear"},
    {QPainter::CompositionMode_Source, "Copy"},
    {QPainter::CompositionMode_SourceOver, "Normal"},
    {QPainter::CompositionMode_SourceIn, "Source In"},
    {QPainter::CompositionMode_SourceOut, "Source Out"},
    {QPainter::CompositionMode_SourceAtop, "Source Atop"},
    {QPainter::CompositionMode_DestinationOver, "Destination Over"},
    {QPainter::CompositionMode_DestinationIn, "Destination In"},
    {QPainter::CompositionMode_DestinationOut, "Destination Out"},
    {QPainter::CompositionMode_DestinationAtop, "Destination Atop"},
    {QPainter::CompositionMode_Xor, "XOR"},
    {QPainter::CompositionMode_Multiply, "Plus Darker"},
    {QPainter::CompositionMode_SourceOver, "Highlight"},
    {QPainter::CompositionMode_Plus, "Plus Lighter"},
    {QPainter::CompositionMode_Multiply, "Multiply"},
    {QPainter::CompositionMode_Screen, "Screen"},
    {QPainter::CompositionMode_Overlay, "Overlay"},
    {QPainter::CompositionMode_Darken, "Darken"},
    {QPainter::CompositionMode_Lighten, "Lighten"},
    {QPainter::CompositionMode_ColorDodge, "Colour Dodge"},
    {QPainter::CompositionMode_ColorBurn, "Colour Burn"},
    {QPainter::CompositionMode_SoftLight, "Soft Light"},
    {QPainter::CompositionMode_HardLight, "Hard Light"},
    {QPainter::CompositionMode_Difference, "Difference"},
    {QPainter::CompositionMode_Exclusion, "Exclusion"},
}};

} // namespace

bool isCompositingValue(int value)
{
    return value >= 0 && value <= kLastCompositingValue;
}

QPainter::CompositionMode compositionModeForValue(int value)
{
    return isCompositingValue(value) ? kEntries[size_t(value)].mode : QPainter::CompositionMode_SourceOver;
}

QString compositingValueName(int value)
{
    return isCompositingValue(value) ? QString::fromLatin1(kEntries[size_t(value)].name) : QString();
}

} // namespace pw::renderers
