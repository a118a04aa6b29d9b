#include "app/PWXNauticalMilesMeasurement.h"

PF_DEFINE_CLASS(PWXNauticalMilesMeasurement, PWXMeasurement)
{
    b.protocol(pf::kCodingProtocol);
}
