#include "frameworks/penwork/renderers/PWCompositing.h"

#include <algorithm>
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

bool isNonSeparableBlendValue(int value) { return value >= CompositeHue && value <= CompositeLuminosity; }

namespace {

struct RGB {
    double r, g, b;
};

double lum(const RGB& c) { return 0.3 * c.r + 0.59 * c.g + 0.11 * c.b; }

RGB clipColour(RGB c)
{
    const double l = lum(c);
    const double n = std::min({c.r, c.g, c.b});
    const double x = std::max({c.r, c.g, c.b});
    auto scale = [&](double f) { c = {l + (c.r - l) * f, l + (c.g - l) * f, l + (c.b - l) * f}; };
    if (n < 0.0 && l - n > 1e-12)
        scale(l / (l - n));
    if (x > 1.0 && x - l > 1e-12)
        scale((1.0 - l) / (x - l));
    return c;
}

RGB setLum(const RGB& c, double l)
{
    const double d = l - lum(c);
    return clipColour({c.r + d, c.g + d, c.b + d});
}

double sat(const RGB& c) { return std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b}); }

RGB setSat(RGB c, double s)
{
    double* channels[3] = {&c.r, &c.g, &c.b};
    std::sort(std::begin(channels), std::end(channels), [](double* a, double* b) { return *a < *b; });
    double& lo = *channels[0];
    double& mid = *channels[1];
    double& hi = *channels[2];
    if (hi > lo) {
        mid = (mid - lo) * s / (hi - lo);
        hi = s;
    } else {
        mid = hi = 0.0;
    }
    lo = 0.0;
    return c;
}

RGB blended(const RGB& backdrop, const RGB& source, int value)
{
    switch (value) {
    case CompositeHue: return setLum(setSat(source, sat(backdrop)), lum(backdrop));
    case CompositeSaturation: return setLum(setSat(backdrop, sat(source)), lum(backdrop));
    case CompositeColour: return setLum(source, lum(backdrop));
    default: return setLum(backdrop, lum(source));
    }
}

} // namespace

void blendNonSeparable(QImage& backdrop, const QImage& source, int value)
{
    if (backdrop.size() != source.size() || !isNonSeparableBlendValue(value))
        return;
    if (backdrop.format() != QImage::Format_ARGB32_Premultiplied)
        backdrop.convertTo(QImage::Format_ARGB32_Premultiplied);
    const QImage top = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < backdrop.height(); ++y) {
        auto* out = reinterpret_cast<QRgb*>(backdrop.scanLine(y));
        const auto* in = reinterpret_cast<const QRgb*>(top.constScanLine(y));
        for (int x = 0; x < backdrop.width(); ++x) {
            const QRgb s = in[x];
            const int as8 = qAlpha(s);
            if (as8 == 0)
                continue;
            const QRgb b = out[x];
            const double as = as8 / 255.0;
            const double ab = qAlpha(b) / 255.0;
            // Colours unpremultiplied for the blend; the result is premultiplied again.
            const RGB cs{qRed(s) / 255.0 / as, qGreen(s) / 255.0 / as, qBlue(s) / 255.0 / as};
            const RGB cb = ab > 0.0 ? RGB{qRed(b) / 255.0 / ab, qGreen(b) / 255.0 / ab, qBlue(b) / 255.0 / ab}
                                    : RGB{0, 0, 0};
            const RGB mix = blended(cb, cs, value);
            auto channel = [&](double sourceC, double backdropC, double mixC) {
                const double premultiplied = as * (1.0 - ab) * sourceC + ab * (1.0 - as) * backdropC + as * ab * mixC;
                return std::clamp(int(std::lround(premultiplied * 255.0)), 0, 255);
            };
            const double ao = as + ab - as * ab;
            const int alpha = std::clamp(int(std::lround(ao * 255.0)), 0, 255);
            out[x] = qRgba(std::min(alpha, channel(cs.r, cb.r, mix.r)), std::min(alpha, channel(cs.g, cb.g, mix.g)),
                           std::min(alpha, channel(cs.b, cb.b, mix.b)), alpha);
        }
    }
}

} // namespace pw::renderers
