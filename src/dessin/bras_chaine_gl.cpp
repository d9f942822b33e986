#include "dessin/bras_chaine_gl.h"

#include <GL/gl.h>

#include "dessin/mesh_gl.h"
#include "robot/bras_chaine.h"

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
