// The drawing sink: the triangles of a zone drawn from client-side vertex arrays.
#include "metaball/puits_triangles.h"

#include <GL/gl.h>

#include <vector>

namespace {
// Per vertex: r, g, b, a, then the normal, then the position. One buffer for every zone and
// frame (drawing is single-threaded), so that it is allocated once.
constexpr int FLOTTANTS_PAR_SOMMET = 10;
std::vector<float>& tampon() {
    static std::vector<float> t;
    return t;
}
}  // namespace

void PuitsTrianglesGL::debut() { tampon().clear(); }

void PuitsTrianglesGL::sommet(const RGBA& c, const CVecteur& n, const CVecteur& p) {
    tampon().insert(tampon().end(), {c.r, c.g, c.b, c.a, n.x, n.y, n.z, p.x, p.y, p.z});
}

void PuitsTrianglesGL::fin() {
    std::vector<float>& t = tampon();
    const GLsizei n = static_cast<GLsizei>(t.size() / FLOTTANTS_PAR_SOMMET);
    if (n == 0) return;
    const GLsizei pas = FLOTTANTS_PAR_SOMMET * sizeof(float);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glColorPointer(4, GL_FLOAT, pas, t.data());
    glNormalPointer(GL_FLOAT, pas, t.data() + 4);
    glVertexPointer(3, GL_FLOAT, pas, t.data() + 7);
    glDrawArrays(GL_TRIANGLES, 0, n);
    glPopClientAttrib();
}
