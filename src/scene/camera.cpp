// The viewpoint: a translation in eye space, two rotations, then Z turned up on the screen.
#include "scene/camera.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {
float ramene360(float a) {
    const float r = std::fmod(a, 360.0f);
    return a >= 0 ? r : r + 360.0f;
}
}  // namespace

void Camera::applique() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(position.x, position.y, position.z);
    glRotatef(angleX, 1, 0, 0);
    glRotatef(angleY, 0, 1, 0);
    // The scene is modelled with Z up.
    glRotatef(-90, 1, 0, 0);
    glGetFloatv(GL_MODELVIEW_MATRIX, matrice);
}

void Camera::tourneY(float d) { angleY = ramene360(angleY + d); }

void Camera::tourneX(float d) { angleX = ramene360(angleX + d); }

void Camera::inclineX(float d) { angleX = std::min(90.0f, std::max(0.0f, angleX + d)); }
