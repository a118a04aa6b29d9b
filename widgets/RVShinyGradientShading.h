#pragma once

#include "platform/graphics/Color.h"

#include <QGradientStops>

// The colours of the glossy vertical fill: its first half is the base colour washed with white
// that fades from a lighter to a weaker wash, the middle switches sharply to the pure base
// colour, and the second half shifts towards a glow colour (the base pulled towards yellow, or
// magenta for blues and purples).
class RVShinyGradientShading {
public:
    // `colour` must be a colour with components (a pattern reads as its components).
    explicit RVShinyGradientShading(const pf::Color& colour);

    const pf::Color& baseColour() const { return m_base; }
    const pf::Color& glowColour() const { return m_glow; }
    double initialWhite() const { return m_initialWhite; }
    double finalWhite() const { return m_finalWhite; }

    // The colour at `t` from 0 (the gradient's start) to 1 (its end); t outside 0..1 is clamped.
    pf::Color colourAt(double t) const;
    // Stops that follow colourAt closely, with the sharp step in the middle.
    QGradientStops gradientStops() const;

private:
    static pf::Color glowFor(const pf::Color& base);

    pf::Color m_base;
    pf::Color m_glow;
    double m_initialWhite = 0.0;
    double m_finalWhite = 0.0;
};
