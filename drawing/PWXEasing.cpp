#include "drawing/PWXEasing.h"

#include <cmath>

namespace pwx {

double EaseInOutCosine(double t)
{
    return (1.0 - std::cos(M_PI * t)) * 0.5;
}

double EaseOutQuadratic(double t)
{
    const double u = 1.0 - t;
    return 1.0 - u * u;
}

double EaseOutCubic(double t)
{
    const double u = 1.0 - t;
    return 1.0 - u * u * u;
}

double EaseInQuadratic(double t)
{
    return t * t;
}

double EaseInCubic(double t)
{
    return t * t * t;
}

double EaseLinear(double t)
{
    return t;
}

namespace {

// The range test is unsigned, so negative kinds fall to the default as well.
template <size_t N>
TaperFunction pick(const std::array<TaperFunction, N>& table, unsigned index, TaperFunction fallback)
{
    return index < N ? table[index] : fallback;
}

} // namespace

TaperFunction tagTaperFunctionForKind(int kind)
{
    return pick(kTagTaperFunctionTable, unsigned(kind) - 1u, EaseInOutCosine);
}

TaperFunction leftTaperFunctionForKind(int kind)
{
    return pick(kLeftTaperFunctionTable, unsigned(kind) - 1u, EaseInOutCosine);
}

TaperFunction rightTaperFunctionForKind(int kind)
{
    return pick(kRightTaperFunctionTable, unsigned(kind) - 1u, EaseInOutCosine);
}

TaperFunction rampFunctionForIndex(int index)
{
    return pick(kRampFunctionTable, unsigned(index), EaseLinear);
}

} // namespace pwx
