#pragma once

#include "frameworks/penwork/styles/PWStyle.h"

// Ready-made bridge styles: one bridge renderer with black casings 2 wide and round caps.
struct PWStyleBridges {
    // A bridge 12 wide with piers every 24 at least.
    static pf::Ref<PWStyle> bridgeStyle();
    // Piers 0.25 times the width; named "Bridge (<width>x<spacing>)" with one decimal each.
    static pf::Ref<PWStyle> bridgeStyleWithWidth(double width, double pierSpacing);
    // Sized from the object it decorates; named "Bridge".
    static pf::Ref<PWStyle> bridgeStyleWithAutoWidth();
};
