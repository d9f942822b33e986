// The scene registry: owns what the scene file created, maps pick names to instances and
// installs lights and texture images into OpenGL.
#include "scene/scene.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <stb/stb_image.h>

#include <string>
#include <utility>

#include "commun/console.h"

// --- Instances -------------------------------------------------------------------------

float Instance::hauteur() {
    CVecteur min, max;
    getBoiteEnglobante(min, max);
    return max.z - min.z;
}

void InstanceEntite::getBoiteEnglobante(CVecteur& min, CVecteur& max) {
    if (entite) {
        entite->getBoiteEnglobante(min, max);
    } else {
        // No shape: a point at the instance's origin.
        min = CVecteur(0, 0, 0);
        max = CVecteur(0, 0, 0);
    }
    matrice().transformeBoite(min, max);
}

void InstanceEntite::dessine(CScene& scene, int& compteur) {
    premierNom = compteur;
    if (entite) {
        // If the entity's drawing fails half-way, put the modelview stack back as it was
        // so that the rest of the frame is drawn in the right place.
        GLint profondeur = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &profondeur);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glMultMatrixf(m);
        try {
            entite->dessine(scene, compteur, this);
        } catch (...) {
            glEnd();  // the failure may have come between glBegin and glEnd
            for (int k = 0; k < 16 && glGetError() != GL_NO_ERROR; ++k) {
            }
            glMatrixMode(GL_MODELVIEW);
            GLint p = 0;
            glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &p);
            for (; p > profondeur; --p) glPopMatrix();
            dernierNom = compteur;
            throw;
        }
        glPopMatrix();
    }
    dernierNom = compteur;
}

CVecteur InstanceEntite::positionMonde(CVecteur p) const {
    if (!entite) return matrice().transformePoint(p);
    return (matrice() * entite->matrice()).transformePoint(p);
}

// --- Registry --------------------------------------------------------------------------

CScene::CScene() { CScene::vider(); }

CScene::~CScene() { CScene::vider(); }

void CScene::optionsParDefaut() {
    antialiasing = false;
    backface_culling = true;
    bilinear = false;
    dithering = false;
    eclairage = true;
    filaire = false;
    texturage = true;
    points_seuls = false;
    grilleX = false;
    grilleY = false;
    grilleZ = true;
    selection_surlignee = true;
    boite_englobante = true;
    timer_interval = 100;
    grillePos = CVecteur(0, 0, 0);
    grilleTaille = 500;
    grillePas = 10;
    gravite = 9.8f;
    couleurfond = RGBA(0.5f, 0.5f, 0.5f, 1.0f);
    selectionCourante = -1;
    smoothshading = true;
    afficher_sol = true;
    afficher_lumieres = true;
    vitesse_rotation_lumiere = 50.0f;
    tailleCarteOmbre = 512;
}

void CScene::vider() {
    optionsParDefaut();
    erreursSignalees.oublie();
    etatGrilleSignale = 0;
    // The lists are emptied before their elements are released, so that a destructor
    // that looks at the scene finds it already empty.
    {
        auto anciennes = std::move(instances);
        instances.clear();
    }
    {
        auto anciennes = std::move(entites);
        entites.clear();
    }
    {
        auto anciennes = std::move(textures);
        textures.clear();
    }
    {
        auto anciennes = std::move(lumieres);
        lumieres.clear();
    }
    {
        auto anciens = std::move(materiaux);
        materiaux.clear();
    }
}

namespace {
template <class T>
int ajoute(std::vector<std::shared_ptr<T>>& liste, std::shared_ptr<T> element) {
    if (!element) return -1;
    liste.push_back(std::move(element));
    return static_cast<int>(liste.size()) - 1;
}

template <class T>
T* element(const std::vector<std::shared_ptr<T>>& liste, unsigned i) {
    return i < liste.size() ? liste[i].get() : nullptr;
}
}  // namespace

int CScene::ajouteEntite(std::shared_ptr<Entite> e) { return ajoute(entites, std::move(e)); }
int CScene::ajouteLumiere(std::shared_ptr<Lumiere> l) { return ajoute(lumieres, std::move(l)); }
int CScene::ajouteTexture(std::shared_ptr<Texture> t) { return ajoute(textures, std::move(t)); }
int CScene::ajouteMaterial(std::shared_ptr<Material> m) { return ajoute(materiaux, std::move(m)); }
void CScene::ajouteInstance(std::shared_ptr<Instance> i) { instances.push_back(std::move(i)); }

Entite* CScene::getEntite(unsigned i) const { return element(entites, i); }
Instance* CScene::getInstance(unsigned i) const { return element(instances, i); }
Lumiere* CScene::getLumiere(unsigned i) const { return element(lumieres, i); }

Instance* CScene::instanceSelectionnee() const {
    if (selectionCourante < 0) return nullptr;
    return getInstance(static_cast<unsigned>(selectionCourante));
}

int CScene::indiceInstanceDuNom(int n) const {
    for (size_t i = 0; i < instances.size(); ++i) {
        const Instance* inst = instances[i].get();
        if (inst && inst->premierNom <= n && n < inst->dernierNom) return static_cast<int>(i);
    }
    return -1;
}

Instance* CScene::selectionneInstance(int n) {
    int i = indiceInstanceDuNom(n);
    if (i == -1) return nullptr;
    selectionCourante = i;
    return instances[static_cast<size_t>(i)].get();
}

void CScene::signaleUneFois(const std::string& message) {
    erreursSignalees.signale(message);
}

// --- Textures --------------------------------------------------------------------------

bool decodeImageRGBA(const std::string& chemin, ImageRGBA& image) {
    image = ImageRGBA();
    int l = 0, h = 0, canaux = 0;
    unsigned char* donnees = stbi_load(chemin.c_str(), &l, &h, &canaux, 4);
    if (!donnees) return false;
    if (l <= 0 || h <= 0) {
        stbi_image_free(donnees);
        return false;
    }
    const size_t ligne = static_cast<size_t>(l) * 4;
    image.largeur = l;
    image.hauteur = h;
    image.pixels.resize(ligne * static_cast<size_t>(h));
    // Files store the top row first; texture coordinate v = 0 is the bottom row.
    for (int y = 0; y < h; ++y)
        std::copy(donnees + ligne * static_cast<size_t>(h - 1 - y),
                  donnees + ligne * static_cast<size_t>(h - y),
                  image.pixels.begin() + static_cast<std::ptrdiff_t>(ligne * y));
    stbi_image_free(donnees);
    return true;
}

void CScene::installTexture(unsigned i) {
    if (i >= textures.size())
        throw std::out_of_range("CScene::installTexture: indice de texture invalide");
    Texture* t = textures[i].get();
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

void CScene::installLumiere(int i) {
    Lumiere* l = i < 0 ? nullptr : getLumiere(static_cast<unsigned>(i));
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
