#include "styleeditor/PWXColourStop.h"

#include "platform/foundation/ClassBuilder.h"

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS(PWXColourStop, pf::Object) {}

pf::Ref<PWXColourStop> PWXColourStop::colourStopWithColour(const pf::Color& colour)
{
    return std::make_shared<PWXColourStop>(colour);
}

void PWXColourStop::setPosition(float position)
{
    mPosition = std::isnan(position) ? 0.0f : std::clamp(position, 0.0f, 1.0f);
}
