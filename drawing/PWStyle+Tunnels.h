#pragma once

#include "frameworks/penwork/styles/PWStyle.h"

// Ready-made tunnel styles.
struct PWStyleTunnels {
    // A tunnel renderer 1.3 times the road's width in `colour`, over a clear stroke 0.67 times
    // the road's width; named "Tunnel".
    static pf::Ref<PWStyle> tunnelStyleForRoadWidth(double roadWidth, const pf::Color& colour = pf::Color::black());
};
