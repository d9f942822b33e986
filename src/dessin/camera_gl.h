// The camera's drawing half.
#pragma once

struct Camera;  // scene/camera.h

// Loads the camera's transformation into OpenGL's modelview matrix and keeps it in
// camera.matrice. Needs a current OpenGL context.
void appliqueCamera(Camera& camera);
