// Drawing the motion aids: the trail as coloured segments fading with age, the ghost gripper
// in green or red, the workspace as translucent cells in the plane of THETA1.
#include "dessin/aides_gl.h"

#include <GL/gl.h>

#include <algorithm>

#include "dessin/bras_chaine_gl.h"
#include "dessin/dessinateur.h"
#include "dessin/ellipsoide_gl.h"
#include "robot/apercu_cible.h"
#include "robot/bras_chaine.h"
#include "robot/manipulabilite.h"
#include "robot/robot.h"
#include "scene/scene.h"

namespace {

// Straight-line moves in magenta, joint moves in cyan; older points fade out.
void couleurTrajectoire(const PointTrajectoire& p, const TrajectoireOutil& t, float opacite) {
    const float alpha = (0.2f + 0.8f * t.fraicheur(p)) * opacite;
    if (p.genre == GenreMouvement::Rectiligne)
        glColor4f(1.0f, 0.2f, 0.85f, alpha);
    else
        glColor4f(0.1f, 0.85f, 1.0f, alpha);
}

// The segments, each coloured by its kind; alpha scales their opacity.
void segmentsTrajectoire(const TrajectoireOutil& t, float alpha) {
    glBegin(GL_LINES);
    for (std::size_t i = 1; i < t.taille(); ++i) {
        const PointTrajectoire& b = t.point(i);
        if (b.debut) continue;
        const PointTrajectoire& a = t.point(i - 1);
        // The segment takes the kind of the move that drew it.
        PointTrajectoire origine = a;
        origine.genre = b.genre;
        couleurTrajectoire(origine, t, alpha);
        glVertex3f(a.x, a.y, a.z);
        couleurTrajectoire(b, t, alpha);
        glVertex3f(b.x, b.y, b.z);
    }
    glEnd();
}

void couleurCellule(EtatCellule e, float alpha) {
    const CouleurCellule c = ::couleurCellule(e);
    glColor4f(c.r, c.g, c.b, alpha);
}

bool visible(EtatCellule e) { return e != EtatCellule::HorsAtteinte && e != EtatCellule::Sol; }

// The cells in the plane x-z turned by THETA1: reachable in green, beyond a joint limit in
// amber, too close to the axis or colliding in red; the others are left out. Runs of equal
// cells along a row make one quad; the edge of the reachable region is outlined.
void dessineEspace(const GrilleEspace& g, float theta1) {
    glPushMatrix();
    glRotatef(theta1, 0, 0, 1);
    glBegin(GL_QUADS);
    for (int j = 0; j < g.nbZ; ++j) {
        const float z0 = g.zMin + static_cast<float>(j) * g.pas, z1 = z0 + g.pas;
        for (int i = 0; i < g.nbR;) {
            const EtatCellule e = g.etat(i, j);
            int fin = i + 1;
            while (fin < g.nbR && g.etat(fin, j) == e) ++fin;
            if (visible(e)) {
                const float r0 = static_cast<float>(i) * g.pas;
                const float r1 = static_cast<float>(fin) * g.pas;
                couleurCellule(e, e == EtatCellule::Atteinte ? 0.3f : 0.22f);
                glVertex3f(r0, 0, z0);
                glVertex3f(r1, 0, z0);
                glVertex3f(r1, 0, z1);
                glVertex3f(r0, 0, z1);
            }
            i = fin;
        }
    }
    glEnd();

    auto atteinte = [&](int i, int j) {
        return i >= 0 && j >= 0 && i < g.nbR && j < g.nbZ && g.etat(i, j) == EtatCellule::Atteinte;
    };
    glLineWidth(1.5f);
    glColor4f(0.1f, 0.6f, 0.15f, 0.9f);
    glBegin(GL_LINES);
    for (int j = 0; j <= g.nbZ; ++j)
        for (int i = 0; i <= g.nbR; ++i) {
            const float r = static_cast<float>(i) * g.pas;
            const float z = g.zMin + static_cast<float>(j) * g.pas;
            // The left side of cell (i, j), then its bottom side.
            if (atteinte(i - 1, j) != atteinte(i, j)) {
                glVertex3f(r, 0, z);
                glVertex3f(r, 0, z + g.pas);
            }
            if (atteinte(i, j - 1) != atteinte(i, j)) {
                glVertex3f(r, 0, z);
                glVertex3f(r + g.pas, 0, z);
            }
        }
    glEnd();
    glPopMatrix();
}

// The edges of the box [a, b].
void aretesBoite(const CVecteur& a, const CVecteur& b) {
    glBegin(GL_LINES);
    for (int k = 0; k < 12; ++k) {
        // Edge k runs along axis k / 4, at the corner given by the other two bits of k % 4.
        const int axe = k / 4, coin = k % 4;
        float p[3], q[3];
        const float bas[3] = {a.x, a.y, a.z}, haut[3] = {b.x, b.y, b.z};
        for (int d = 0, bit = 0; d < 3; ++d) {
            if (d == axe) {
                p[d] = bas[d];
                q[d] = haut[d];
            } else {
                p[d] = q[d] = (coin >> bit++) & 1 ? haut[d] : bas[d];
            }
        }
        glVertex3fv(p);
        glVertex3fv(q);
    }
    glEnd();
}

// A mesh's faces in the current colour, without lighting, texture or materials.
void facesUnies(const Mesh& m) {
    const auto& sommets = m.sommets;
    for (const Face& f : m.faces) {
        bool dessinable = f.nbCoins() >= 3;
        for (int s : f.sommets)
            if (s < 0 || static_cast<std::size_t>(s) >= sommets.size()) dessinable = false;
        if (!dessinable) continue;
        glBegin(GL_POLYGON);
        for (int s : f.sommets) glVertex3f(sommets[s].x, sommets[s].y, sommets[s].z);
        glEnd();
    }
}

// The gripper mesh at the target pose, translucent, in its box, with a cross at the tool
// point, a dashed line down to the floor and the wrist above it; green when the robot
// accepts the target, red when it refuses it.
void dessineFantome(const Robot& r, const ApercuCible& a) {
    const bool accepte = a.raison == nullptr;
    const float rouge = accepte ? 0.1f : 1.0f, vert = accepte ? 0.9f : 0.1f, bleu = 0.15f;
    const float* m = a.repere.m;
    glLineWidth(1.5f);
    glColor4f(rouge, vert, bleu, 0.9f);
    glEnable(GL_LINE_STIPPLE);
    glLineStipple(2, 0x3333);
    glBegin(GL_LINES);
    glVertex3f(m[12], m[13], m[14]);
    glVertex3f(m[12], m[13], 0);
    glEnd();
    glDisable(GL_LINE_STIPPLE);

    glPushMatrix();
    glMultMatrixf(m);
    glLineWidth(2);
    glBegin(GL_LINES);
    for (int axe = 0; axe < 3; ++axe) {
        float p[3] = {0, 0, 0};
        p[axe] = 2;
        glVertex3fv(p);
        p[axe] = -2;
        glVertex3fv(p);
    }
    glEnd();

    // The gripper's frame, as the arm's drawing places it above its tool point.
    glTranslatef(0, 0, r.pince->boiteMin.z);
    glMultMatrixf(r.pince->m);
    // Written to the depth buffer so that the grids do not cross it; pulled toward the eye so
    // that a ghost on the gripper itself does not flicker.
    glDepthMask(GL_TRUE);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(-1, -4);
    glColor4f(rouge, vert, bleu, 0.45f);
    facesUnies(*r.pince);
    glDepthMask(GL_FALSE);
    // Its box, over everything: the target stays in sight behind the arm.
    glDisable(GL_DEPTH_TEST);
    glLineWidth(1);
    glColor4f(rouge, vert, bleu, 0.6f);
    aretesBoite(r.pince->boiteMin, r.pince->boiteMax);
    glEnable(GL_DEPTH_TEST);
    glPopMatrix();

    // The wrist it hangs from, fainter.
    glPushMatrix();
    glMultMatrixf(a.poignet.m);
    glMultMatrixf(r.poignet->m);
    glColor4f(rouge, vert, bleu, 0.25f);
    facesUnies(*r.poignet);
    glPopMatrix();
}

}  // namespace

// Faint where the arm or an object hides the path, full where it is in sight.
void dessineTrajectoire(const TrajectoireOutil& t) {
    glLineWidth(3);
    glDisable(GL_DEPTH_TEST);
    segmentsTrajectoire(t, 0.3f);
    glEnable(GL_DEPTH_TEST);
    segmentsTrajectoire(t, 1.0f);
}

CouleurCellule couleurCellule(EtatCellule e) {
    switch (e) {
        case EtatCellule::Atteinte: return {0.2f, 0.9f, 0.3f};
        case EtatCellule::Limite: return {1.0f, 0.7f, 0.1f};
        case EtatCellule::Axe:
        case EtatCellule::Collision: return {1.0f, 0.15f, 0.15f};
        case EtatCellule::HorsAtteinte:
        case EtatCellule::Sol: break;
    }
    return {0.5f, 0.5f, 0.5f};  // not drawn
}

void dessineAidesMouvement(Dessinateur& dessin) {
    CScene& scene = dessin.scene;
    if (!scene.trajectoire_outil && !scene.cible_fantome && !scene.espace_travail &&
        !scene.ellipsoide_manipulabilite)
        return;
    GLint mode = GL_RENDER;
    glGetIntegerv(GL_RENDER_MODE, &mode);
    if (mode != GL_RENDER) return;

    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_POLYGON_BIT |
                 GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    // Translucent: what lies behind shows through, and the aids do not hide each other.
    glDepthMask(GL_FALSE);

    for (const auto& p : scene.instances) {
        auto* ie = dynamic_cast<InstanceEntite*>(p.get());
        if (!ie || !ie->visible) continue;
        if (auto* bras = dynamic_cast<BrasChaine*>(ie->entite.get())) {
            const bool fantome = scene.cible_fantome && bras == dessin.aides.brasFantome;
            dessineAidesBrasChaine(*bras, *ie, scene.trajectoire_outil,
                                   fantome ? &dessin.aides.fantome.articulations : nullptr);
            if (scene.ellipsoide_manipulabilite) {
                const Manipulabilite mb =
                    manipulabilite(bras->chaine(), bras->vecteur(bras->articulations()));
                glPushMatrix();
                glMultMatrixf(ie->m);
                glMultMatrixf(bras->m);
                dessineEllipsoide(mb, bras->outil().translation());
                glPopMatrix();
            }
            continue;
        }
        auto* robot = dynamic_cast<Robot*>(ie->entite.get());
        if (!robot) continue;
        // The logic first (it may allocate), then the drawing in the robot's frame.
        const GrilleEspace* grille =
            scene.espace_travail ? &robot->espaceTravail.grille(*robot) : nullptr;
        const bool fantome = scene.cible_fantome && robot->selectionne;
        const ApercuCible apercu =
            fantome ? apercuCible(*robot, dessin.aides.fantome) : ApercuCible();

        glPushMatrix();
        glMultMatrixf(ie->m);
        glMultMatrixf(robot->m);
        glDisable(GL_CULL_FACE);
        if (grille) dessineEspace(*grille, robot->THETA1);
        if (scene.trajectoire_outil) dessineTrajectoire(robot->trajectoire);
        if (scene.backface_culling) glEnable(GL_CULL_FACE);
        if (fantome) dessineFantome(*robot, apercu);
        if (scene.ellipsoide_manipulabilite)
            dessineEllipsoide(manipulabilite(*robot),
                              Eigen::Vector3d(robot->X, robot->Y, robot->Z));
        glPopMatrix();
    }
    glPopAttrib();
}
