#pragma once

#include "frameworks/penwork/styles/PWStyle.h"

// Ready-made cutting and embankment styles for a road of a given width.
struct PWStyleCuttingsAndEmbankments {
    // Cutting motifs at scale 0.8 w, every 0.9 w, ramping over 0.15 of the length at each end;
    // named "Cutting".
    static pf::Ref<PWStyle> cuttingStyleForRoadWidth(double roadWidth, const pf::Color& colour = pf::Color::black());
    // Embankment motifs at scale 0.8 w, every w, ramping over 0.2; named "Embankment".
    static pf::Ref<PWStyle> embankmentStyleForRoadWidth(double roadWidth,
                                                        const pf::Color& colour = pf::Color::black());
};
