// The drawing sink: immediate-mode OpenGL triangles.
#include "metaball/puits_triangles.h"

#include <GL/gl.h>

void PuitsTrianglesGL::debut() { glBegin(GL_TRIANGLES); }

void PuitsTrianglesGL::sommet(const RGBA& c, const CVecteur& n, const CVecteur& p) {
    glColor4f(c.r, c.g, c.b, c.a);
    glNormal3f(n.x, n.y, n.z);
    glVertex3f(p.x, p.y, p.z);
}

void PuitsTrianglesGL::fin() { glEnd(); }
