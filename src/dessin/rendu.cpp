// Drawing one frame of the scene: clear colour, lights, floor, instances, boxes, grids and
// light markers, with the shadow passes woven in; picking through the selection mode.
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <utility>
#include <vector>

#include "commun/console.h"
#include "dessin/aides_gl.h"
#include "dessin/dessinateur.h"
#include "dessin/extensions_gl.h"
#include "dessin/mesh_gl.h"
#include "dessin/ombrage_gl.h"
#include "dessin/scene_gl.h"
#include "scene/scene.h"

namespace {
GLint modeRendu() {
    GLint mode = GL_RENDER;
    glGetIntegerv(GL_RENDER_MODE, &mode);
    return mode;
}

// A display list and the values it was recorded with. The floor and the grids are the same
// from frame to frame; they are recorded again only when an option they depend on changes.
template <class Cle>
struct ListeMemorisee {
    GLuint liste = 0;
    bool faite = false;
    Cle cle{};

    // Calls the list, recording it first through `dessine` when `c` differs from its key.
    // Without a list (immediate mode, or none could be made) `dessine` draws directly.
    template <class F>
    void appelle(const Cle& c, F&& dessine) {
        if (Mesh::modeImmediat) {
            dessine();
            return;
        }
        if (liste == 0) liste = glGenLists(1);
        if (liste == 0) {
            dessine();
            return;
        }
        if (!faite || std::memcmp(&cle, &c, sizeof c) != 0) {
            glNewList(liste, GL_COMPILE);
            dessine();
            glEndList();
            std::memcpy(&cle, &c, sizeof c);
            faite = true;
        }
        glCallList(liste);
    }
};

struct CleSol {
    int taille;
    long long n;
    double pas;
};

struct CleGrilles {
    int taille;
    long long n;
    double pas;
    float x, y, z;
    bool grilleX, grilleY, grilleZ;
};

}  // namespace

// The floor's and the grids' lists belong to the context that draws the scene: each drawer
// keeps its own.
struct ListesFixes {
    ListeMemorisee<CleSol> sol;
    ListeMemorisee<CleGrilles> grilles;
};

ListesFixes& Dessinateur::listesFixes() {
    if (!listesFixes_) listesFixes_ = std::make_shared<ListesFixes>();
    return *listesFixes_;
}

DecoupageGrille Dessinateur::decoupageGrille() {
    suitScene();
    DecoupageGrille d = decoupeGrille(scene.grilleTaille, scene.grillePas);
    const int etat = !d.valide ? 1 : (d.elargi ? 2 : 0);
    if (etat != etatGrilleSignale) {
        if (etat == 1) {
            console.erreur("grillePas doit être strictement positif (" +
                           std::to_string(scene.grillePas) +
                           ") : la grille et le sol ne sont pas dessinés.");
        } else if (etat == 2) {
            char pasTexte[32];
            std::snprintf(pasTexte, sizeof pasTexte, "%g", d.pas);
            console.erreur(
                "grilleTaille est trop grande pour grillePas : la grille et le sol "
                "sont dessinés avec un pas de " +
                std::string(pasTexte) + ".");
        }
        etatGrilleSignale = etat;
    }
    return d;
}

void Dessinateur::initGL() {
    glEnable(GL_NORMALIZE);
    glEnable(GL_DEPTH_TEST);
    glClearDepth(1.0);
    glDepthFunc(GL_LESS);

    setSmoothShading(scene.smoothshading);
    setDithering(scene.dithering);
    setAntialiasing(scene.antialiasing);
    setBackfaceCulling(scene.backface_culling);

    glEnable(GL_POINT_SMOOTH);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPolygonOffset(2, 2);

    const GLfloat ambiante[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambiante);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_FALSE);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);

    for (int i = 0; i < scene.nbLumieres(); ++i)
        if (scene.getLumiere(static_cast<unsigned>(i))) installLumiere(i);

    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT);

    for (int i = 0; i < scene.nbTextures(); ++i) installTexture(static_cast<unsigned>(i));

    if (!activeTextureDisponible()) {
        console << "Certaines extension OpenGL utilisée ne sont pas présente : l'ombrage est "
                   "désactivé !"
                << "\n";
        scene.ombrage = false;
    } else if (!creeTexturesOmbrage()) {
        console << "Erreur pendant la création des textures d'ombrage : l'ombrage est "
                   "désactivé !"
                << "\n";
        scene.ombrage = false;
        oublieActiveTexture();
    }

    glMatrixMode(GL_MODELVIEW);
}

void Dessinateur::affiche() {
    ++imageEnCours;
    // Shadows need light 0: without it there is nothing to cast them.
    const bool ombres = scene.ombrage && modeRendu() == GL_RENDER && !scene.points_seuls &&
                        !scene.filaire && activeTextureDisponible() &&
                        scene.getLumiere(0) != nullptr;
    // The original shadows darken all that the depth texture's unit reaches down to black.
    // The others take away light 0's direct light only, so they need it to be lit.
    const bool ombresAnciennes = ombres && scene.ombrage_ancien;
    const bool ombresPartagees =
        ombres && !scene.ombrage_ancien && scene.eclairage && glIsEnabled(GL_LIGHT0) == GL_TRUE;
    if (ombresAnciennes || ombresPartagees) rendCarteOmbre();

    glClearColor(scene.couleurfond.r, scene.couleurfond.g, scene.couleurfond.b,
                 scene.couleurfond.a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    if (ombresAnciennes) prepareOmbresAnciennes(*this);
    const UnitesOmbre unites = ombresPartagees ? prepareOmbresPartagees(*this) : UnitesOmbre();

    glMatrixMode(GL_MODELVIEW);
    if (scene.eclairage) {
        glEnable(GL_LIGHTING);
        // Lights given in world coordinates follow the camera transform set for this frame.
        const int n = std::min(scene.nbLumieres(), static_cast<int>(nbLumieresGL()));
        for (int i = 0; i < n; ++i) {
            const Lumiere* l = scene.getLumiere(static_cast<unsigned>(i));
            if (!l || l->fixeObservateur) continue;
            const GLfloat p[4] = {l->position.x, l->position.y, l->position.z, l->position.w};
            glLightfv(GL_LIGHT0 + static_cast<GLenum>(i), GL_POSITION, p);
        }
    } else {
        glDisable(GL_LIGHTING);
    }

    glDisable(GL_BLEND);
    glInitNames();
    glPushName(0);

    if (ombresPartagees) partageLumiere0.debut(unites.spot, unites.ombre);
    afficheObjets();
    partageLumiere0.fin();

    if (ombresPartagees) termineOmbresPartagees(unites);
    if (ombresAnciennes) termineOmbresAnciennes();

    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    // Trail, target ghost and workspace: over the objects, out of the shadow passes.
    protege(erreursSignalees(), "Erreur pendant l'affichage des aides au mouvement : ",
            "Erreur pendant l'affichage des aides au mouvement.",
            [&] { dessineAidesMouvement(*this); });
    afficheGrilles();
    afficheLumieres();
    glDisable(GL_BLEND);
}

void Dessinateur::dessineSol() {
    const DecoupageGrille d = decoupageGrille();
    if (!d.valide) return;
    const double t = scene.grilleTaille;
    glNormal3f(0, 0, 1);
    appliqueMaterial(&scene.material_sol);
    CleSol cle;
    std::memset(&cle, 0, sizeof cle);  // the padding takes part in the comparison
    cle.taille = scene.grilleTaille;
    cle.n = d.n;
    cle.pas = d.pas;
    listesFixes().sol.appelle(cle, [&] {
        for (long long i = 0; i < d.n; ++i) {
            const float x = static_cast<float>(-t + static_cast<double>(i) * d.pas);
            const float x2 = static_cast<float>(-t + static_cast<double>(i + 1) * d.pas);
            glBegin(GL_QUAD_STRIP);
            for (long long k = 0; k <= d.n; ++k) {
                const float y = static_cast<float>(-t + static_cast<double>(k) * d.pas);
                glVertex3f(x, y, -0.5f);
                glVertex3f(x2, y, -0.5f);
            }
            glEnd();
        }
    });
}

void Dessinateur::dessineInstanceProtegee(Instance& instance, int& compteur) {
    protege(erreursSignalees(), "Erreur pendant l'affichage d'une instance : ",
            "Erreur pendant l'affichage d'une instance.",
            [&] { dessineInstance(*this, instance, compteur); });
}

void Dessinateur::afficheObjets() {
    // In selection mode only the instances may produce hits: the floor would otherwise
    // answer with the first instance's name wherever the ground is clicked.
    const bool selection = modeRendu() == GL_SELECT;
    // A depth pass in two parts: the floor and the kept meshes, then the others.
    const bool profondeur = passeObjets == PasseObjets::Profondeur;
    const PartieProfondeur partie = profondeur ? partieProfondeur : PartieProfondeur::Tout;
    if (scene.afficher_sol && !selection && partie != PartieProfondeur::Mobiles)
        partageLumiere0.dessine([&] { dessineSol(); });

    glPolygonMode(GL_FRONT_AND_BACK,
                  scene.filaire ? GL_LINE : (scene.points_seuls ? GL_POINT : GL_FILL));

    int compteur = 0;
    for (size_t i = 0; i < scene.instances.size(); ++i) {
        Instance* inst = scene.instances[i].get();
        if (!inst) continue;
        if (partie != PartieProfondeur::Tout &&
            ombresFixes.fixe(inst) != (partie == PartieProfondeur::Fixes))
            continue;
        if (!inst->visible) {
            // Names from an earlier frame would now belong to other instances.
            inst->premierNom = inst->dernierNom = -1;
            continue;
        }
        // Drawn twice with shadows, under the same names.
        const int premierNom = compteur;
        partageLumiere0.dessine([&] {
            compteur = premierNom;
            dessineInstanceProtegee(*inst, compteur);
        });
        // A box whose instance loaded no name would be picked as the previous instance.
        if (scene.boite_englobante && lignesDessinees() &&
            (!selection || inst->dernierNom > inst->premierNom)) {
            protege(erreursSignalees(), "Erreur pendant l'affichage d'une boite englobante : ",
                    "Erreur pendant l'affichage d'une boite englobante.",
                    [&] { dessineBoite(*inst); });
        }
    }

    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

void Dessinateur::dessineBoite(Instance& instance) {
    CVecteur a, b;
    instance.getBoiteEnglobante(a, b);
    glPushAttrib(GL_LIGHTING_BIT);
    glDisable(GL_LIGHTING);
    glBegin(GL_LINES);
    glVertex3f(a.x, a.y, a.z);
    glVertex3f(a.x, a.y, b.z);
    glVertex3f(a.x, b.y, a.z);
    glVertex3f(a.x, b.y, b.z);
    glVertex3f(b.x, b.y, a.z);
    glVertex3f(b.x, b.y, b.z);
    glVertex3f(b.x, a.y, a.z);
    glVertex3f(b.x, a.y, b.z);
    glEnd();
    for (float z : {a.z, b.z}) {
        glBegin(GL_LINE_LOOP);
        glVertex3f(a.x, a.y, z);
        glVertex3f(a.x, b.y, z);
        glVertex3f(b.x, b.y, z);
        glVertex3f(b.x, a.y, z);
        glEnd();
    }
    glPopAttrib();
}

void Dessinateur::afficheGrilles() {
    if (modeRendu() == GL_SELECT) return;  // grid lines would be picked as the last instance
    const DecoupageGrille d = decoupageGrille();
    if (!d.valide) return;
    const float t = static_cast<float>(scene.grilleTaille);
    const CVecteur& P = scene.grillePos;
    auto v = [&](long long k) {
        return static_cast<float>(-static_cast<double>(scene.grilleTaille) +
                                  static_cast<double>(k) * d.pas);
    };
    CleGrilles cle;
    std::memset(&cle, 0, sizeof cle);
    cle.taille = scene.grilleTaille;
    cle.n = d.n;
    cle.pas = d.pas;
    cle.x = P.x;
    cle.y = P.y;
    cle.z = P.z;
    cle.grilleX = scene.grilleX;
    cle.grilleY = scene.grilleY;
    cle.grilleZ = scene.grilleZ;
    listesFixes().grilles.appelle(cle, [&] {
        glBegin(GL_LINES);
        if (scene.grilleZ) {
            glColor3f(0, 0, 0);
            for (long long k = 0; k <= d.n; ++k) {
                glVertex3f(v(k), -t, P.z);
                glVertex3f(v(k), t, P.z);
                glVertex3f(-t, v(k), P.z);
                glVertex3f(t, v(k), P.z);
            }
        }
        if (scene.grilleX) {
            glColor3f(1, 0, 0);
            for (long long k = 0; k <= d.n; ++k) {
                glVertex3f(P.x, v(k), -t);
                glVertex3f(P.x, v(k), t);
                glVertex3f(P.x, -t, v(k));
                glVertex3f(P.x, t, v(k));
            }
        }
        if (scene.grilleY) {
            glColor3f(0, 1, 0);
            for (long long k = 0; k <= d.n; ++k) {
                glVertex3f(v(k), P.y, -t);
                glVertex3f(v(k), P.y, t);
                glVertex3f(-t, P.y, v(k));
                glVertex3f(t, P.y, v(k));
            }
        }
        glEnd();
    });
}

void Dessinateur::afficheLumieres() {
    if (!scene.afficher_lumieres || modeRendu() == GL_SELECT) return;
    for (int i = 0; i < scene.nbLumieres(); ++i) {
        const Lumiere* l = scene.getLumiere(static_cast<unsigned>(i));
        if (!l || l->fixeObservateur) continue;
        const CVecteur p(l->position.x, l->position.y, l->position.z);
        glPointSize(10);
        glColor4f(l->diffuse.r, l->diffuse.g, l->diffuse.b, l->diffuse.a);
        glBegin(GL_POINTS);
        glVertex3f(p.x, p.y, p.z);
        glEnd();
        if (i == 0) {
            const CVecteur v = p + 10.0f * l->visee;
            const CVecteur h = p + 10.0f * l->haut;
            glBegin(GL_LINES);
            glVertex3f(p.x, p.y, p.z);
            glVertex3f(v.x, v.y, v.z);
            glVertex3f(p.x, p.y, p.z);
            glVertex3f(h.x, h.y, h.z);
            glEnd();
        }
    }
}

int Dessinateur::selection(int x, int y) {
    GLuint tampon[32] = {};
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glSelectBuffer(32, tampon);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glRenderMode(GL_SELECT);
    glLoadIdentity();
    gluPickMatrix(x, viewport[3] - y, 2, 2, viewport);
    gluPerspective(60, rapportAspect, 10, 2000);

    affiche();

    const GLint hits = glRenderMode(GL_RENDER);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    if (hits <= 0) return -1;  // nothing, or the buffer overflowed

    // Each record: name count, minimum depth, maximum depth, then the names.
    int nom = -1;
    GLuint meilleure = 0;
    bool trouve = false;
    const GLuint* p = tampon;
    const GLuint* const fin = tampon + 32;
    for (GLint h = 0; h < hits && p + 3 <= fin; ++h) {
        const GLuint nbNoms = p[0];
        if (nbNoms > static_cast<GLuint>(fin - p - 3)) break;
        if (nbNoms > 0 && (!trouve || p[1] < meilleure)) {
            trouve = true;
            meilleure = p[1];
            nom = static_cast<int>(p[2 + nbNoms]);  // the innermost name
        }
        p += 3 + nbNoms;
    }
    return nom;
}

void Dessinateur::setPerspective(float aspect) {
    rapportAspect = aspect;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60, aspect, 10, 2000);
    glMatrixMode(GL_MODELVIEW);
}

void Dessinateur::setSmoothShading(bool b) {
    scene.smoothshading = b;
    glShadeModel(b ? GL_SMOOTH : GL_FLAT);
}

void Dessinateur::setDithering(bool b) {
    scene.dithering = b;
    if (b)
        glEnable(GL_DITHER);
    else
        glDisable(GL_DITHER);
}

void Dessinateur::setAntialiasing(bool b) {
    scene.antialiasing = b;
    if (b)
        glEnable(GL_LINE_SMOOTH);
    else
        glDisable(GL_LINE_SMOOTH);
}

void Dessinateur::setBackfaceCulling(bool b) {
    scene.backface_culling = b;
    if (b)
        glEnable(GL_CULL_FACE);
    else
        glDisable(GL_CULL_FACE);
}
