#include "frameworks/penwork/drawables/PWImageShape.h"

#include "frameworks/penwork/tracing/ImageVectorizing.h"
#include "platform/foundation/Variant.h"

#include <potracelib.h>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// The ranges the tracer works in (see ImageVectorizing.h).
constexpr int kMinLevels = 1;
constexpr int kMaxLevels = 8;
constexpr double kMaxAlphaMax = 1.3334;

// A finite number from the value, or nothing.
bool finiteNumber(const QVariant& value, double& out)
{
    if (!pf::isNumber(value))
        return false;
    out = value.toDouble();
    return std::isfinite(out);
}

int intValue(const QVariantMap& parameters, const QVariantMap& defaults, const QString& key, int minimum, int maximum)
{
    double number = 0.0;
    if (!finiteNumber(parameters.value(key), number))
        return defaults.value(key).toInt();
    return int(std::clamp(std::round(number), double(minimum), double(maximum)));
}

double realValue(const QVariantMap& parameters, const QVariantMap& defaults, const QString& key, double minimum,
                 double maximum)
{
    double number = 0.0;
    if (!finiteNumber(parameters.value(key), number))
        return defaults.value(key).toDouble();
    return std::clamp(number, minimum, maximum);
}

} // namespace

QVariantMap PWImageShape::normalizedTracingParameters(const QVariantMap& parameters)
{
    const QVariantMap defaults = pw::defaultTracingParameters();
    QVariantMap out;
    double mode = 0.0;
    out.insert(pw::kPWTracingParam_colourmode, finiteNumber(parameters.value(pw::kPWTracingParam_colourmode), mode)
                                                   ? (mode == 0.0 ? 0 : 1)
                                                   : defaults.value(pw::kPWTracingParam_colourmode).toInt());
    out.insert(pw::kPWTracingParam_levels, intValue(parameters, defaults, pw::kPWTracingParam_levels, kMinLevels, kMaxLevels));
    out.insert(pw::kPWTracingParam_turdsize, intValue(parameters, defaults, pw::kPWTracingParam_turdsize, 0, INT_MAX));
    out.insert(pw::kPWTracingParam_alphamax,
               realValue(parameters, defaults, pw::kPWTracingParam_alphamax, 0.0, kMaxAlphaMax));
    out.insert(pw::kPWTracingParam_turnpolicy, intValue(parameters, defaults, pw::kPWTracingParam_turnpolicy,
                                                        POTRACE_TURNPOLICY_BLACK, POTRACE_TURNPOLICY_RANDOM));
    const QVariant opticurve = parameters.value(pw::kPWTracingParam_opticurve);
    out.insert(pw::kPWTracingParam_opticurve, pf::isNumber(opticurve)
                                                  ? pf::variantToBool(opticurve)
                                                  : defaults.value(pw::kPWTracingParam_opticurve).toBool());
    out.insert(pw::kPWTracingParam_opttolerance,
               realValue(parameters, defaults, pw::kPWTracingParam_opttolerance, 0.0, double(INT_MAX)));
    return out;
}
