#include "dessin/ellipsoide_gl.h"

#include <GL/gl.h>

#include <cmath>

CouleurEllipsoide couleurEllipsoide(double conditionnement) {
    if (!(conditionnement >= CONDITIONNEMENT_CRITIQUE)) return {1.0f, 0.15f, 0.15f};
    if (conditionnement < CONDITIONNEMENT_SINGULIER) return {1.0f, 0.6f, 0.1f};
    return {0.3f, 0.65f, 1.0f};
}

void dessineEllipsoide(const Manipulabilite& m, const Eigen::Vector3d& centre) {
    // The unit sphere's point (x, y, z) goes to centre + axes · (x, y, z) · duration.
    const Eigen::Matrix3d a = m.axes * DUREE_ELLIPSOIDE;
    double mat[16] = {a(0, 0), a(1, 0), a(2, 0), 0, a(0, 1),    a(1, 1),    a(2, 1),    0,
                      a(0, 2), a(1, 2), a(2, 2), 0, centre.x(), centre.y(), centre.z(), 1};
    const CouleurEllipsoide c = couleurEllipsoide(m.conditionnement);
    glPushMatrix();
    glMultMatrixd(mat);
    constexpr int PARALLELES = 12, MERIDIENS = 24;
    auto point = [](int i, int j) {
        const double phi = M_PI * i / PARALLELES - M_PI / 2, lambda = 2 * M_PI * j / MERIDIENS;
        glVertex3d(std::cos(phi) * std::cos(lambda), std::cos(phi) * std::sin(lambda),
                   std::sin(phi));
    };
    glColor4f(c.r, c.g, c.b, 0.25f);
    for (int i = 0; i < PARALLELES; ++i) {
        glBegin(GL_QUAD_STRIP);
        for (int j = 0; j <= MERIDIENS; ++j) {
            point(i, j);
            point(i + 1, j);
        }
        glEnd();
    }
    glColor4f(c.r, c.g, c.b, 0.6f);
    for (int i = 1; i < PARALLELES; i += 3) {
        glBegin(GL_LINE_LOOP);
        for (int j = 0; j < MERIDIENS; ++j) point(i, j);
        glEnd();
    }
    for (int j = 0; j < MERIDIENS; j += 4) {
        glBegin(GL_LINE_STRIP);
        for (int i = 0; i <= PARALLELES; ++i) point(i, j);
        glEnd();
    }
    glColor4f(c.r, c.g, c.b, 1.0f);
    glLineWidth(2);
    glBegin(GL_LINES);
    for (int k = 0; k < 3; ++k) {
        glVertex3d(k == 0 ? -1 : 0, k == 1 ? -1 : 0, k == 2 ? -1 : 0);
        glVertex3d(k == 0 ? 1 : 0, k == 1 ? 1 : 0, k == 2 ? 1 : 0);
    }
    glEnd();
    glPopMatrix();
}
