// Degrees and radians in single precision: the one pair of conversions of the program.
#pragma once

// Pi rounded to a float.
constexpr float PI_FLOTTANT = 3.1415927f;

// Degrees to radians: times pi, then times 1/180 rounded to a float.
inline float enRadians(float degres) { return degres * PI_FLOTTANT * 0.0055555557f; }

// Radians to degrees: times 180, then divided by pi.
inline float enDegres(float radians) { return radians * 180.0f / PI_FLOTTANT; }

// The same conversion rounded as the closed-form inverse model has always done it for the
// base and shoulder angles (times 1/pi as a float, then 180): it differs from enDegres in the
// last bit for about a third of the inputs, and the recorded runs of the scripted moves
// depend on those bits. Only the inverse model uses it.
inline float enDegresModeleInverse(float radians) {
    return radians * (1.0f / PI_FLOTTANT) * 180.0f;
}
