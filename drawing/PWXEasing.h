#pragma once

#include <array>

// Easing functions: each maps a position t in 0..1 along a stretch of path to a factor in 0..1,
// 0 to 0 and 1 to 1. The map-feature renderers pick them from the tables below by a small
// integer kind stored with the renderer.
namespace pwx {

using TaperFunction = double (*)(double t);

double EaseInOutCosine(double t);  // (1 - cos(pi t)) / 2
double EaseOutQuadratic(double t); // 1 - (1 - t)^2
double EaseOutCubic(double t);     // 1 - (1 - t)^3
double EaseInQuadratic(double t);  // t^2
double EaseInCubic(double t);      // t^3
double EaseLinear(double t);       // t

// Indexed by kind - 1 for kinds 1..3; every other kind takes EaseInOutCosine.
inline constexpr std::array<TaperFunction, 3> kTagTaperFunctionTable = {EaseLinear, EaseOutCubic, EaseInQuadratic};
inline constexpr std::array<TaperFunction, 3> kLeftTaperFunctionTable = {EaseLinear, EaseOutCubic, EaseInQuadratic};
// The mirror of the left-hand table: evaluated at the distance from the end it gives the same
// profile as the left-hand function at the same distance from the start.
inline constexpr std::array<TaperFunction, 3> kRightTaperFunctionTable = {EaseLinear, EaseInCubic, EaseOutQuadratic};
// Indexed by ramp index 0..6; every other index takes EaseLinear.
inline constexpr std::array<TaperFunction, 7> kRampFunctionTable = {
    EaseInOutCosine, EaseLinear, EaseInOutCosine, EaseOutQuadratic, EaseOutCubic, EaseInQuadratic, EaseInCubic};

TaperFunction tagTaperFunctionForKind(int kind);
TaperFunction leftTaperFunctionForKind(int kind);
TaperFunction rightTaperFunctionForKind(int kind);
TaperFunction rampFunctionForIndex(int index);

} // namespace pwx
