#include "widgets/RVShinyGradientShading.h"

#include <algorithm>
#include <cmath>

using pf::Color;

namespace {

constexpr float kExponent = 1.2f;
constexpr float kOffset = 0.3011941909790039f;
constexpr float kScale = 1.431012717826383f;
// Stops per half of the gradient; the curves are smooth enough that more change nothing visible.
constexpr int kStopsPerHalf = 32;
// Where the first half ends, just before the sharp switch to the base colour.
constexpr double kSwitchGap = 1e-4;

// Hue, saturation and brightness of the platform's yellow and magenta.
constexpr double kYellowHue = 1.0 / 6.0;
constexpr double kYellowBrightness = 1.0;
constexpr double kMagentaHue = 5.0 / 6.0;
constexpr double kMagentaBrightness = 1.0;

double wrappedHue(double hue)
{
    double wrapped = std::fmod(hue, 1.0);
    return wrapped < 0 ? wrapped + 1.0 : wrapped;
}

Color blend(const Color& c, double cWeight, const Color& d, double dWeight, double alphaOfD)
{
    return Color(c.redComponent() * cWeight + d.redComponent() * dWeight,
                 c.greenComponent() * cWeight + d.greenComponent() * dWeight,
                 c.blueComponent() * cWeight + d.blueComponent() * dWeight,
                 c.alphaComponent() * cWeight + alphaOfD * dWeight);
}

} // namespace

RVShinyGradientShading::RVShinyGradientShading(const Color& colour)
    // Colour keeps red, green, blue and alpha whatever it was made from (greys included), so
    // all four components can be read directly.
    : m_base(colour.redComponent(), colour.greenComponent(), colour.blueComponent(), colour.alphaComponent())
    , m_glow(glowFor(m_base))
{
    const double luminance = 0.299 * m_base.redComponent() + 0.587 * m_base.greenComponent() +
                             0.114 * m_base.blueComponent();
    const double p = std::pow(float(luminance), 0.2f);
    m_initialWhite = 0.6 * p;
    m_finalWhite = 0.3 * p;
}

Color RVShinyGradientShading::glowFor(const Color& base)
{
    double hue = base.hueComponent();
    double saturation = base.saturationComponent();
    const double brightness = base.brightnessComponent();
    double targetHue = kYellowHue;
    double targetBrightness = kYellowBrightness;
    if (saturation < 0.001) {
        hue = kYellowHue;
        saturation = 0.1;
    }
    if (hue > 0.95) {
        hue -= 1.0;
    } else if (hue > 0.7) {
        targetHue = kMagentaHue;
        targetBrightness = kMagentaBrightness;
    }
    const double k = (std::cos(float((hue - targetHue) * 4.39822971502571)) + 1) * 0.3;
    // A red pulled towards yellow may end just below hue 0; hues go round.
    return Color::withHue(wrappedHue(targetHue * k + hue * (1 - k)), saturation,
                          targetBrightness * k + brightness * (1 - k), base.alphaComponent());
}

Color RVShinyGradientShading::colourAt(double t) const
{
    t = std::clamp(t, 0.0, 1.0);
    if (t < 0.5) {
        const double u = (std::exp(float(-2 * t * kExponent)) - kOffset) * kScale;
        const double white = m_initialWhite + (1 - u) * (m_finalWhite - m_initialWhite);
        return blend(m_base, 1 - white, Color(1, 1, 1), 1.0 * white, 1.0);
    }
    const double u = (std::exp(float(-(2 - 2 * t) * kExponent)) - kOffset) * kScale;
    return blend(m_base, 1 - u, m_glow, u, m_glow.alphaComponent());
}

QGradientStops RVShinyGradientShading::gradientStops() const
{
    QGradientStops stops;
    for (int i = 0; i <= kStopsPerHalf; ++i) {
        const double t = (0.5 - kSwitchGap) * i / kStopsPerHalf;
        stops.append({t, colourAt(t).qColor()});
    }
    for (int i = 0; i <= kStopsPerHalf; ++i) {
        const double t = 0.5 + 0.5 * i / kStopsPerHalf;
        stops.append({t, colourAt(t).qColor()});
    }
    return stops;
}
