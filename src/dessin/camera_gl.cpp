// The camera's drawing half: its transformation loaded into OpenGL's modelview matrix.
#include "dessin/camera_gl.h"

#include <GL/gl.h>

#include "scene/camera.h"

void appliqueCamera(Camera& camera) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(camera.position.x, camera.position.y, camera.position.z);
    glRotatef(camera.angleX, 1, 0, 0);
    glRotatef(camera.angleY, 0, 1, 0);
    // The scene is modelled with Z up.
    glRotatef(-90, 1, 0, 0);
    glGetFloatv(GL_MODELVIEW_MATRIX, camera.matrice);
}
