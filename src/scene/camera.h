// The viewpoint: a translation in eye space, then two rotations, then Z turned up (applied
// to OpenGL by dessin/camera_gl.h).
#pragma once

#include "geometrie/vecteur.h"

// Where the 3D view is seen from.
struct Camera {
    float angleX = 0, angleY = 0, angleZ = 0;  // degrees; angleZ is stored, never applied
    CVecteur position{0, 0, 0};                // the translation in eye space
    // The modelview matrix the camera last loaded (column-major).
    float matrice[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    void tourneY(float d);   // adds d degrees to angleY, kept within a turn
    void tourneX(float d);   // adds d degrees to angleX, kept within a turn
    void inclineX(float d);  // adds d degrees to angleX, kept within [0, 90]
};
