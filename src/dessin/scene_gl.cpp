// Drawing the scene's objects with OpenGL: each kind of entity and instance by its own
// drawing, and the texture images and lights installed into OpenGL.
#include "dessin/scene_gl.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <string>

#include "commun/console.h"
#include "dessin/bras_chaine_gl.h"
#include "dessin/dessinateur.h"
#include "dessin/mesh_gl.h"
#include "dessin/metaballzone_gl.h"
#include "dessin/robot_gl.h"
#include "metaball/metaballzone.h"
#include "robot/bras_chaine.h"
#include "robot/robot.h"
#include "scene/scene.h"

void dessineEntite(Entite& e, Dessinateur& dessin, int& nomSelection, Instance* instance) {
    if (auto* mesh = dynamic_cast<Mesh*>(&e))
        dessineMesh(*mesh, dessin, nomSelection, instance);
    else if (auto* robot = dynamic_cast<Robot*>(&e))
        dessineRobot(*robot, dessin, nomSelection);
    else if (auto* bras = dynamic_cast<BrasChaine*>(&e))
        dessineBrasChaine(*bras, dessin, nomSelection);
    else if (auto* zone = dynamic_cast<MetaballZone*>(&e))
        dessineMetaballZone(*zone, dessin, nomSelection);
    else if (auto* autre = dynamic_cast<EntiteDessinee*>(&e))
        autre->dessine(dessin, nomSelection, instance);
}

namespace {
// An instance of an entity, in its own matrix.
void dessineInstanceEntite(InstanceEntite& i, Dessinateur& dessin, int& compteur) {
    i.premierNom = compteur;
    if (i.entite) {
        // If the entity's drawing fails half-way, put the modelview stack back as it was
        // so that the rest of the frame is drawn in the right place.
        GLint profondeur = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &profondeur);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glMultMatrixf(i.m);
        try {
            dessineEntite(*i.entite, dessin, compteur, &i);
        } catch (...) {
            glEnd();  // the failure may have come between glBegin and glEnd
            for (int k = 0; k < 16 && glGetError() != GL_NO_ERROR; ++k) {
            }
            glMatrixMode(GL_MODELVIEW);
            GLint p = 0;
            glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &p);
            for (; p > profondeur; --p) glPopMatrix();
            i.dernierNom = compteur;
            throw;
        }
        glPopMatrix();
    }
    i.dernierNom = compteur;
}
}  // namespace

void dessineInstance(Dessinateur& dessin, Instance& instance, int& compteur) {
    if (auto* i = dynamic_cast<InstanceEntite*>(&instance)) {
        dessineInstanceEntite(*i, dessin, compteur);
    } else {
        // Metaball primitives (seen only through their zone) draw nothing and take no name:
        // their range stays empty.
        instance.premierNom = compteur;
        instance.dernierNom = compteur;
    }
}

// --- Textures and lights ---------------------------------------------------------------

void Dessinateur::installTexture(unsigned i) {
    if (i >= scene.textures.size())
        throw std::out_of_range("CScene::installTexture: indice de texture invalide");
    Texture* t = scene.textures[i].get();
    if (!t) return;
    t->glTexture = 0;

    // The path that was found to open at loading, else the name as written.
    const std::string& chemin = t->chemin.empty() ? t->fichier : t->chemin;
    ImageRGBA image;
    if (!decodeImageRGBA(chemin, image)) {
        console.erreur("impossible de décoder l'image de la texture " + t->fichier +
                       " : le mesh sera dessiné sans texture.");
        return;
    }
    GLuint nom = 0;
    glGenTextures(1, &nom);
    if (nom == 0) return;  // no context
    glBindTexture(GL_TEXTURE_2D, nom);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    // Rescales images of any size to powers of two, as OpenGL 1.1 requires.
    if (gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA8, image.largeur, image.hauteur, GL_RGBA,
                          GL_UNSIGNED_BYTE, image.pixels.data()) != 0) {
        glDeleteTextures(1, &nom);
        glBindTexture(GL_TEXTURE_2D, 0);
        console.erreur("impossible de charger l'image de la texture " + t->fichier +
                       " dans OpenGL : le mesh sera dessiné sans texture.");
        return;
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    t->glTexture = static_cast<int>(nom);
}

// --- Lights ----------------------------------------------------------------------------

void Dessinateur::installLumiere(int i) {
    Lumiere* l = i < 0 ? nullptr : scene.getLumiere(static_cast<unsigned>(i));
    if (!l) throw std::out_of_range("CScene::installLumiere: indice de lumière invalide");
    // OpenGL has a fixed number of lights; a further one would name another state.
    GLint maxLumieres = 0;
    glGetIntegerv(GL_MAX_LIGHTS, &maxLumieres);
    if (maxLumieres <= 0) maxLumieres = 8;
    if (i >= maxLumieres) {
        signaleUneFois("la lumière " + std::to_string(i) + " dépasse les " +
                       std::to_string(maxLumieres) + " lumières d'OpenGL : elle est ignorée.");
        return;
    }
    const GLenum lumiere = GL_LIGHT0 + static_cast<GLenum>(i);
    if (!l->allumee) {
        glDisable(lumiere);
        return;
    }
    glEnable(lumiere);
    const GLfloat ambiante[4] = {l->ambiante.r, l->ambiante.g, l->ambiante.b, l->ambiante.a};
    const GLfloat diffuse[4] = {l->diffuse.r, l->diffuse.g, l->diffuse.b, l->diffuse.a};
    const GLfloat speculaire[4] = {l->speculaire.r, l->speculaire.g, l->speculaire.b,
                                   l->speculaire.a};
    glLightfv(lumiere, GL_AMBIENT, ambiante);
    glLightfv(lumiere, GL_DIFFUSE, diffuse);
    glLightfv(lumiere, GL_SPECULAR, speculaire);
    glLightf(lumiere, GL_SPOT_CUTOFF, l->coupure);
    glLightf(lumiere, GL_SPOT_EXPONENT, l->exposant);
    glLightf(lumiere, GL_CONSTANT_ATTENUATION, l->attenuationConstante);
    glLightf(lumiere, GL_LINEAR_ATTENUATION, l->attenuationLineaire);
    glLightf(lumiere, GL_QUADRATIC_ATTENUATION, l->attenuationQuadratique);

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    if (l->fixeObservateur) glLoadIdentity();
    const GLfloat position[4] = {l->position.x, l->position.y, l->position.z, l->position.w};
    const GLfloat direction[3] = {l->direction.x, l->direction.y, l->direction.z};
    glLightfv(lumiere, GL_POSITION, position);
    glLightfv(lumiere, GL_SPOT_DIRECTION, direction);
    glPopMatrix();
}
