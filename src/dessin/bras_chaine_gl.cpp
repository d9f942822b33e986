#include "dessin/bras_chaine_gl.h"

#include <GL/gl.h>

#include "dessin/aides_gl.h"
#include "dessin/mesh_gl.h"
#include "robot/bras_chaine.h"
#include "scene/scene.h"

void dessineBrasChaine(BrasChaine& bras, Dessinateur& dessin, int& nomSelection) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glMultMatrixf(bras.m);
    for (const VisuelURDF& v : bras.description().visuels) {
        const CMatrice repere = BrasChaine::matriceDe(bras.reperesLiens()[v.lien] * v.origine);
        glPushMatrix();
        glMultMatrixf(repere.m);
        dessineMesh(*v.maillage, dessin, nomSelection, nullptr);
        glPopMatrix();
    }
    glPopMatrix();
}

void dessineAidesBrasChaine(const BrasChaine& bras, const Instance& instance, bool trajectoire,
                            const std::vector<double>* fantome) {
    glPushMatrix();
    glMultMatrixf(instance.m);
    glMultMatrixf(bras.m);
    if (trajectoire) dessineTrajectoire(bras.trajectoireOutil());
    if (fantome && static_cast<int>(fantome->size()) == bras.nbArticulations()) {
        const bool accepte = bras.texteLimites(*fantome).empty();
        const float rouge = accepte ? 0.1f : 1.0f, vert = accepte ? 0.9f : 0.1f;
        std::vector<Eigen::Isometry3d> reperes;
        const VecteurArticulaire q = bras.vecteur(*fantome);
        bras.chaine().reperesLiens(q, reperes);
        const Eigen::Isometry3d outil = bras.chaine().modeleDirect(q);
        // Over everything: the target stays in sight behind the arm.
        glDisable(GL_DEPTH_TEST);
        glLineWidth(3);
        glColor4f(rouge, vert, 0.15f, 0.8f);
        glBegin(GL_LINE_STRIP);
        for (const Eigen::Isometry3d& r : reperes) {
            const Eigen::Vector3d p = r.translation();
            glVertex3d(p.x(), p.y(), p.z());
        }
        glVertex3d(outil.translation().x(), outil.translation().y(), outil.translation().z());
        glEnd();
        // The tool frame's axes, a tenth of the arm's reach long.
        const double l = 0.1 * bras.chaine().portee();
        glBegin(GL_LINES);
        for (int axe = 0; axe < 3; ++axe) {
            const Eigen::Vector3d a = outil.translation();
            const Eigen::Vector3d b = outil * (l * Eigen::Vector3d::Unit(axe));
            glColor4f(rouge, vert, axe == 2 ? 1.0f : 0.15f, axe == 0 ? 1.0f : 0.6f);
            glVertex3d(a.x(), a.y(), a.z());
            glVertex3d(b.x(), b.y(), b.z());
        }
        glEnd();
        glEnable(GL_DEPTH_TEST);
    }
    glPopMatrix();
}
