// Drawing the robot with OpenGL: its eleven links in their joint frames, and on demand the
// frames themselves and a cross at the wrist point.
#include "dessin/robot_gl.h"

#include <GL/gl.h>

#include "dessin/dessinateur.h"
#include "dessin/mesh_gl.h"
#include "robot/robot.h"
#include "scene/scene.h"

void dessineRepere(float taille) {
    const bool texture = glIsEnabled(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_2D);
    glPushAttrib(GL_LIGHTING_BIT);
    glDisable(GL_LIGHTING);
    glPushMatrix();
    glScalef(taille, taille, taille);
    glBegin(GL_LINES);
    glColor3f(1, 0, 0);
    glVertex3f(0.8f, 0.05f, 0);
    glVertex3f(1, 0.25f, 0);
    glVertex3f(0.8f, 0.25f, 0);
    glVertex3f(1, 0.05f, 0);
    glVertex3f(0, 0, 0);
    glVertex3f(1, 0, 0);
    glColor3f(0, 1, 0);
    glVertex3f(0, 0, 0);
    glVertex3f(0, 1, 0);
    glColor3f(0, 0, 1);
    glVertex3f(0, 0, 0);
    glVertex3f(0, 0, 1);
    glEnd();
    glPopMatrix();
    glPopAttrib();
    if (texture) glEnable(GL_TEXTURE_2D);
}

namespace {
// A small cross at the wrist point, in the robot's frame.
void dessineCroixPoignet(const Robot& r) {
    glColor3f(0, 1, 0);
    glBegin(GL_LINES);
    glVertex3f(r.X - 1, r.Y - 1, r.Z);
    glVertex3f(r.X + 1, r.Y + 1, r.Z);
    glVertex3f(r.X - 1, r.Y + 1, r.Z);
    glVertex3f(r.X + 1, r.Y - 1, r.Z);
    glVertex3f(r.X, r.Y, r.Z - 1);
    glVertex3f(r.X, r.Y, r.Z + 1);
    glEnd();
}

// The links after the turret, from the upper arm's frame: the arm, its bar, the forearm,
// wrist and gripper, then the elbow and forearm bars. Leaves two matrices pushed.
void dessineBrasEtPince(Robot& r, Dessinateur& dessin, int& nom) {
    auto lien = [&](Mesh* m) { dessineMesh(*m, dessin, nom, nullptr); };
    // Upper arm frame.
    glPushMatrix();
    glTranslatef(r.L0, 0, 0);
    glRotatef(90, 1, 0, 0);
    glRotatef(r.THETA2, 0, 0, 1);
    if (r.reperes && lignesDessinees()) dessineRepere(50);
    lien(r.bras);

    glPushMatrix();
    glTranslatef(0, r.L7, 0);
    glRotatef(r.angleBielle - r.THETA2 + 90, 0, 0, 1);
    lien(r.barreBras);
    glPopMatrix();

    // Forearm, wrist and gripper.
    glPushMatrix();
    glTranslatef(r.L2, 0, 0);
    glRotatef(r.THETA3, 0, 0, 1);
    if (r.reperes && lignesDessinees()) dessineRepere(50);
    lien(r.avantBras);

    glPushMatrix();
    glTranslatef(r.L3, 0, 0);
    glRotatef(-r.THETA2 - r.THETA3, 0, 0, 1);
    if (r.reperes && lignesDessinees()) dessineRepere(50);
    lien(r.poignet);

    glPushMatrix();
    glTranslatef(r.L1, r.poignet->boiteMin.z, 0);
    glRotatef(90, 1, 0, 0);
    glRotatef(r.THETA5, 0, 0, 1);
    lien(r.pince);
    glTranslatef(0, 0, -r.pince->boiteMin.z);
    if (r.reperes && lignesDessinees()) dessineRepere(50);

    glPopMatrix();
    glPopMatrix();
    glPopMatrix();

    // Elbow bar and forearm bar, from the upper arm frame.
    glPushMatrix();
    glTranslatef(r.L2, 0, 0);
    glRotatef(-r.THETA2, 0, 0, 1);
    lien(r.barreCoude);

    glPushMatrix();
    glTranslatef(r.L5, r.L6, 0);
    glRotatef(r.THETA3 + r.THETA2, 0, 0, 1);
    lien(r.barreAvantBras);
}
}  // namespace

void dessineRobot(Robot& r, Dessinateur& dessin, int& nomSelection) {
    CScene& scene = dessin.scene;
    if (passeObjets == PasseObjets::Lumiere0) {
        // Light 0's share is added to the base pass, as translucent as that pass was.
        if (r.selectionne)
            glBlendFunc(GL_ONE, GL_ONE);
        else if (scene.selection_surlignee)
            glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    } else if (r.selectionne) {
        glDisable(GL_BLEND);
    } else if (scene.selection_surlignee) {
        glEnable(GL_BLEND);
    }

    glLoadName(static_cast<GLuint>(nomSelection));
    glPushMatrix();
    glMultMatrixf(r.m);

    if (r.reperes && lignesDessinees()) {
        dessineRepere(100);
        dessineCroixPoignet(r);
    }

    dessineMesh(*r.socle, dessin, nomSelection, nullptr);

    // Turret frame.
    glPushMatrix();
    glTranslatef(0, 0, r.hauteurEpaule);
    glRotatef(r.THETA1, 0, 0, 1);
    if (r.reperes && lignesDessinees()) dessineRepere(50);
    dessineMesh(*r.tourelle, dessin, nomSelection, nullptr);

    glPushMatrix();
    glTranslatef(-r.L8, 0, 0);
    glRotatef(-r.angleBielle, 0, 1, 0);
    dessineMesh(*r.bielle, dessin, nomSelection, nullptr);
    glPopMatrix();

    glPushMatrix();
    glTranslatef(r.L4, 0, r.L6);
    glRotatef(90, 1, 0, 0);
    glRotatef(r.THETA2, 0, 0, 1);
    dessineMesh(*r.barreEpaule, dessin, nomSelection, nullptr);
    glPopMatrix();

    dessineBrasEtPince(r, dessin, nomSelection);

    for (int i = 0; i < 5; ++i) glPopMatrix();
}
