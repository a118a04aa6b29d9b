#include "app/PWXMetricMeasurement.h"

PF_DEFINE_CLASS(PWXMetricMeasurement, PWXMeasurement)
{
    b.protocol(pf::kCodingProtocol);
}
