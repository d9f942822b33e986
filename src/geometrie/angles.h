// Degrees and radians in single precision: the one pair of conversions of the program.
#pragma once

// Pi rounded to a float.
constexpr float PI_FLOTTANT = 3.1415927f;

// Degrees to radians: times pi, then times 1/180 rounded to a float.
inline float enRadians(float degres) { return degres * PI_FLOTTANT * 0.0055555557f; }

// Radians to degrees: times 180, then divided by pi.
inline float enDegres(float radians) { return radians * 180.0f / PI_FLOTTANT; }
