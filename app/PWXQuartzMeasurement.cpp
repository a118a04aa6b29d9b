#include "app/PWXQuartzMeasurement.h"

PF_DEFINE_CLASS(PWXQuartzMeasurement, PWXMeasurement)
{
    b.protocol(pf::kCodingProtocol);
}
