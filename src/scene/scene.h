// The scene registry: every entity, instance, light, texture and material of the loaded
// scene, the display options, and the rendering / shadow / gravity operations on them.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "commun/erreurs.h"
#include "commun/signalement.h"
#include "geometrie/entite.h"
#include "geometrie/matrice.h"
#include "geometrie/mesh.h"
#include "geometrie/texture.h"
#include "geometrie/vecteur.h"
#include "scene/ombres_fixes.h"

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
DecoupageGrille decoupeGrille(int taille, int pas);

// The panel's target state, which the driven robot's ghost gripper shows.
struct CibleFantome {
    float T1 = 90, T2 = 0, T3 = 0, T5 = 0;  // target joints, degrees
    float X = 0, Y = 0, Z = 0, THETA = 0;   // target wrist, robot frame
    // The wrist decides the pose (a wrist field being edited, or a straight-line move);
    // otherwise the joints do.
    bool parPoignet = false;
};

class CScene {
public:
    std::vector<std::shared_ptr<Entite>> entites;
    std::vector<std::shared_ptr<Instance>> instances;
    std::vector<std::shared_ptr<Lumiere>> lumieres;
    std::vector<std::shared_ptr<Texture>> textures;
    std::vector<std::shared_ptr<Material>> materiaux;
    int selectionCourante = -1;

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

    // Motion aids drawn over the robots, switched from the panel only (not scene options):
    // the tool trail, the target as a ghost gripper, the reachable region in THETA1's plane.
    bool afficherTrajectoire = false;
    bool afficherCible = false;
    bool afficherEspaceTravail = false;
    CibleFantome cibleFantome;

    // Shadow-map state.
    unsigned texOmbre = 0, texSpot = 0;
    int tailleCarteOmbre = 512;
    // The depths of the still meshes are kept between frames (ombres_fixes.h); off, every
    // depth pass draws every caster.
    bool garderOmbresFixes = true;
    OmbresFixes ombresFixes;

    float rapportAspect = 1.0f;

    CScene();
    CScene(const CScene&) = delete;
    CScene& operator=(const CScene&) = delete;
    virtual void vider();
    virtual ~CScene();
    // Exchanges the five lists (entities, instances, lights, textures, materials) with
    // another scene's, for a reload that takes a freshly loaded scene's objects and leaves
    // its own to be released with the other scene. Both selections are cleared and the
    // drawing problems already reported may be reported again. Robots keep pointing at the
    // instance list they were built with: the caller points them at their new one.
    void echangeRegistre(CScene& autre);

    int ajouteEntite(std::shared_ptr<Entite> e);
    int ajouteLumiere(std::shared_ptr<Lumiere> l);
    int ajouteTexture(std::shared_ptr<Texture> t);
    int ajouteMaterial(std::shared_ptr<Material> m);
    void ajouteInstance(std::shared_ptr<Instance> i);

    int nbEntites() const { return static_cast<int>(entites.size()); }
    int nbInstances() const { return static_cast<int>(instances.size()); }
    int nbLumieres() const { return static_cast<int>(lumieres.size()); }
    int nbTextures() const { return static_cast<int>(textures.size()); }
    Entite* getEntite(unsigned i) const;
    Instance* getInstance(unsigned i) const;
    Lumiere* getLumiere(unsigned i) const;
    Instance* instanceSelectionnee() const;  // the instance at selectionCourante, or null

    int indiceInstanceDuNom(int n) const;
    Instance* selectionneInstance(int n);

    // Gravity (gravite.cpp).
    bool appliqueGravite(float dt);

    // Rendering (rendu.cpp), shadows (ombrage.cpp), textures and lights (scene_gl.cpp):
    // the scene's drawing half, in the drawing library; needs a current OpenGL context.
    void installTexture(unsigned i);
    void installLumiere(int i);
    void initGL();
    void affiche();
    void afficheObjets();
    void afficheGrilles();
    void afficheLumieres();
    void dessineBoite(Instance& instance);
    int selection(int x, int y);
    void setPerspective(float aspect);
    void setSmoothShading(bool b);
    void setDithering(bool b);
    void setAntialiasing(bool b);
    void setBackfaceCulling(bool b);
    bool creeTexturesOmbrage();
    void rendCarteOmbre();
    void activeProjectionOmbre();

    // Reports a drawing problem on the console the first time this text is seen.
    void signaleUneFois(const std::string& message);

private:
    void optionsParDefaut();
    void dessineSol();
    void dessineInstanceProtegee(Instance& instance, int& compteur);
    // The grid cut for the current options; reports an unusable or widened step once.
    DecoupageGrille decoupageGrille();

    SignaleurUneFois erreursSignalees;
    int etatGrilleSignale = 0;   // 0 usable, 1 step not positive, 2 step widened
    int tailleTextureOmbre = 0;  // size the depth texture was created with
    int tailleCarteRendue = 0;   // size of the last depth pass (at most the texture's)
    // What the depth pass draws of the casters: all, the kept ones, or the others.
    enum class PartieProfondeur { Tout, Fixes, Mobiles } partieProfondeur = PartieProfondeur::Tout;
    std::vector<uint32_t> profondeursFixes;  // the kept depths, bottom row first
    void dessineProfondeurs(int x, int y, int s);
    std::vector<double> cleCarteOmbre(int x, int y, int s) const;
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
