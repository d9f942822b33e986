// The viewpoint: a translation in eye space, then two rotations, then Z turned up (applied
// to OpenGL by dessin/camera_gl.h).
#pragma once

#include "geometrie/vecteur.h"

struct Camera {
    float angleX = 0, angleY = 0, angleZ = 0;  // degrees; angleZ is stored, never applied
    CVecteur position{0, 0, 0};
    float matrice[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    void tourneY(float d);
    void tourneX(float d);
    void inclineX(float d);
};
