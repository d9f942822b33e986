// The camera's drawing half: its transformation loaded into OpenGL's modelview matrix.
#include <GL/gl.h>

#include "scene/camera.h"

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
