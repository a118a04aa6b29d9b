#include "app/PWXImperialMeasurement.h"

PF_DEFINE_CLASS(PWXImperialMeasurement, PWXMeasurement)
{
    b.protocol(pf::kCodingProtocol);
}
