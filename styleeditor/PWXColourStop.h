#pragma once

#include "platform/foundation/Object.h"
#include "platform/graphics/Color.h"

// One colour stop of the gradient control: a colour and where it lies along the bar, 0 at the
// left end to 1 at the right.
class PWXColourStop : public pf::Object {
    PF_CLASS(PWXColourStop)
public:
    PWXColourStop() = default;
    explicit PWXColourStop(const pf::Color& colour) : mColour(colour) {}

    static pf::Ref<PWXColourStop> colourStopWithColour(const pf::Color& colour);

    const pf::Color& colour() const { return mColour; }
    void setColour(const pf::Color& colour) { mColour = colour; }
    float position() const { return mPosition; }
    // Kept within 0...1 (NaN reads as 0): the bar has no place beyond its ends.
    void setPosition(float position);

private:
    pf::Color mColour;
    float mPosition = 0.0f;
};
