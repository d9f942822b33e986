// The scene registry: every entity, instance, light, texture and material of the loaded
// scene, its display options and gravity. Drawing it is dessin/dessinateur.h's.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "commun/erreurs.h"
#include "geometrie/entite.h"
#include "geometrie/matrice.h"
#include "geometrie/mesh.h"
#include "geometrie/texture.h"
#include "geometrie/vecteur.h"

struct Lumiere {
    bool fixeObservateur = false;
    bool allumee = true;
    CHomoVecteur position{0, 0, 0, 1};
    CVecteur direction{0, 0, 0};
    CVecteur haut{0, 1, 0};
    CVecteur visee{0, 0, -1};
    RGBA ambiante, diffuse, speculaire;
    float exposant = 0;
    float coupure = 180;
    float attenuationConstante = 1, attenuationLineaire = 0, attenuationQuadratique = 0;
    bool porteOmbre = true;
};

// Per-tick animation callback: instance matrix, base position, clock in ms, amplitude.
using FonctionAnimation = void (*)(CMatrice& matrice, const CVecteur& base, float t, float donnees);

// A placed object; the inherited matrix is its placement.
class Instance : public CMatrice {
public:
    std::string nom;  // the scene variable that held it when loaded; empty when none did
    bool visible = true;
    bool tombe = true;
    int premierNom = -1, dernierNom = -1;  // owns pick names premierNom <= n < dernierNom
    Entite* lien = nullptr;                // the robot holding this instance, or null
    FonctionAnimation animation = nullptr;
    float donneesAnimation = 0;
    CVecteur vecteurAnimation{0, 0, 0};
    CVecteur vitesse{0, 0, 0};

    explicit Instance(Entite* lien_ = nullptr) : lien(lien_) {}
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;
    virtual ~Instance() = default;

    virtual void getBoiteEnglobante(CVecteur& min, CVecteur& max) = 0;
    virtual float hauteur();
    virtual Entite* getLien() { return lien; }
    virtual void setLien(Entite* e) { lien = e; }
};

// An instance of an entity; keeps its entity alive.
class InstanceEntite : public Instance {
public:
    std::shared_ptr<Entite> entite;

    explicit InstanceEntite(std::shared_ptr<Entite> e, Entite* lien_ = nullptr)
        : Instance(lien_), entite(std::move(e)) {}

    void getBoiteEnglobante(CVecteur& min, CVecteur& max) override;
    // World position of a point given in the entity's own frame.
    CVecteur positionMonde(CVecteur p) const;
};

// How the floor and grid loops cut [-taille, taille]: n intervals of length `pas`
// (n + 1 grid lines in each direction, n floor strips of n + 1 vertex pairs). A step that
// would give more than SUBDIVISIONS_GRILLE_MAX intervals is widened so that one frame stays
// cheap; a step <= 0 is not usable; a negative size gives no interval at all.
constexpr long long SUBDIVISIONS_GRILLE_MAX = 500;
struct DecoupageGrille {
    bool valide = false;
    bool elargi = false;
    long long n = -1;
    double pas = 0;
};
// The cut of [-taille, taille] with step `pas`, as described above.
DecoupageGrille decoupeGrille(int taille, int pas);

// What a scene file creates, its display options and gravity.
class CScene {
public:
    // The five lists the loader fills, in the order their objects were handed over.
    std::vector<std::shared_ptr<Entite>> entites;
    std::vector<std::shared_ptr<Instance>> instances;
    std::vector<std::shared_ptr<Lumiere>> lumieres;
    std::vector<std::shared_ptr<Texture>> textures;
    std::vector<std::shared_ptr<Material>> materiaux;
    int selectionCourante = -1;  // the highlighted instance's index, -1 for none

    // Display options (their table of keys is in options.h).
    bool texturage = true;
    bool backface_culling = true;
    bool points_seuls = false;
    bool antialiasing = false;
    bool bilinear = false;
    bool dithering = false;
    RGBA couleurfond{0.5f, 0.5f, 0.5f, 1.0f};
    bool eclairage = true;
    bool filaire = false;
    bool smoothshading = true;
    bool grilleX = false, grilleY = false, grilleZ = true;
    CVecteur grillePos{0, 0, 0};
    int grilleTaille = 500;
    int grillePas = 10;
    int timer_interval = 100;
    bool selection_surlignee = true;
    float gravite = 9.8f;
    bool boite_englobante = true;
    bool ombrage = false;
    // The first shadows: black, on what the depth texture's unit reaches (the floor).
    bool ombrage_ancien = false;
    Material material_sol;
    bool afficher_sol = true;
    bool afficher_lumieres = true;
    bool rotation_lumiere = false;
    float vitesse_rotation_lumiere = 50.0f;
    // The motion aids drawn over the robots, and the robot panel's plots: off at start.
    bool trajectoire_outil = false;          // the tool's trail
    bool cible_fantome = false;              // the ghost gripper at the panel's target
    bool espace_travail = false;             // the region the arm reaches
    bool courbes = false;                    // the joints' and the tool speed's plots shown
    bool ellipsoide_manipulabilite = false;  // the tool's velocity ellipsoid

    // The shadow map's size in texels (a power of two), from the command line.
    int tailleCarteOmbre = 512;

    // Counts the times the registry was emptied or exchanged: a drawer forgets then what it
    // reported of the previous objects.
    unsigned long generation = 0;

    // An empty scene with the default options.
    CScene();
    CScene(const CScene&) = delete;
    CScene& operator=(const CScene&) = delete;
    // Back to an empty scene with the default options; the lists are emptied before their
    // elements are released.
    virtual void vider();
    virtual ~CScene();
    // Exchanges the five lists (entities, instances, lights, textures, materials) with
    // another scene's, for a reload that takes a freshly loaded scene's objects and leaves
    // its own to be released with the other scene. Both selections are cleared and the
    // drawing problems already reported may be reported again. Robots keep pointing at the
    // instance list they were built with: the caller points them at their new one.
    void echangeRegistre(CScene& autre);

    // Appends to a list; the index given, or -1 for null (nothing added).
    int ajouteEntite(std::shared_ptr<Entite> e);
    int ajouteLumiere(std::shared_ptr<Lumiere> l);
    int ajouteTexture(std::shared_ptr<Texture> t);
    int ajouteMaterial(std::shared_ptr<Material> m);
    void ajouteInstance(std::shared_ptr<Instance> i);

    // The lists' sizes, and their elements by index (null out of range).
    int nbEntites() const { return static_cast<int>(entites.size()); }
    int nbInstances() const { return static_cast<int>(instances.size()); }
    int nbLumieres() const { return static_cast<int>(lumieres.size()); }
    int nbTextures() const { return static_cast<int>(textures.size()); }
    Entite* getEntite(unsigned i) const;
    Instance* getInstance(unsigned i) const;
    Lumiere* getLumiere(unsigned i) const;
    Instance* instanceSelectionnee() const;  // the instance at selectionCourante, or null

    // The index of the instance owning pick name n, or -1.
    int indiceInstanceDuNom(int n) const;
    // Selects the instance owning pick name n and returns it; null (selection kept) if none.
    Instance* selectionneInstance(int n);

    // Gravity (gravite.cpp).
    bool appliqueGravite(float dt);

private:
    void optionsParDefaut();
};

// The spot image of the shadow projector: 256 x 256 RGB after an 18-byte header. A missing
// file gives white; bytes missing at the end of a short file are white too.
constexpr int TAILLE_SPOT = 256;
std::vector<unsigned char> lireSpotTga(const char* chemin);

// A decoded texture image, 4 bytes per pixel, bottom row first as OpenGL takes it.
struct ImageRGBA {
    int largeur = 0, hauteur = 0;
    std::vector<unsigned char> pixels;
};
// Decodes an image file; false (and an empty image) when it cannot be read or decoded.
bool decodeImageRGBA(const std::string& chemin, ImageRGBA& image);

// True when some edge of one box crosses a face of the other (touching boxes collide).
bool collisionBoites(CVecteur minA, CVecteur maxA, CVecteur minB, CVecteur maxB);
