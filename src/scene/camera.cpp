// The viewpoint: a translation in eye space, two rotations, then Z turned up on the screen.
#include "scene/camera.h"

#include <algorithm>
#include <cmath>

namespace {
float ramene360(float a) {
    const float r = std::fmod(a, 360.0f);
    return a >= 0 ? r : r + 360.0f;
}
}  // namespace

void Camera::tourneY(float d) { angleY = ramene360(angleY + d); }

void Camera::tourneX(float d) { angleX = ramene360(angleX + d); }

void Camera::inclineX(float d) { angleX = std::min(90.0f, std::max(0.0f, angleX + d)); }
