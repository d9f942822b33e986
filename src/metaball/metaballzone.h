// Metaball zones: implicit surfaces defined by the summed fields of point-like or linear
// primitives, polygonised with marching cubes over a cubic grid every time they are drawn.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "geometrie/entite.h"
#include "geometrie/vecteur.h"
#include "metaball/puits_triangles.h"
#include "scene/scene.h"

// Contribution at (x, y, z) of a primitive centred at (x0, y0, z0).
using FonctionChamp = float (*)(float x0, float y0, float z0, float x, float y, float z,
                                float phase, float poids);

float champSphere(float x0, float y0, float z0, float x, float y, float z, float phase,
                  float poids);
float champCylindreX(float x0, float y0, float z0, float x, float y, float z, float phase,
                     float poids);
float champCylindreY(float x0, float y0, float z0, float x, float y, float z, float phase,
                     float poids);
float champCylindreZ(float x0, float y0, float z0, float x, float y, float z, float phase,
                     float poids);
float champSuperquadrique(float x0, float y0, float z0, float x, float y, float z, float phase,
                          float poids);
float champOndulation(float x0, float y0, float z0, float x, float y, float z, float phase,
                      float poids);

// "cylindreX", "cylindreY", "cylindreZ", "sphere", "superquadrique"; anything else: the ripple.
FonctionChamp fonctionChampDuGenre(const std::string& genre);

// Sinusoidal motions of a primitive about its base position, on one axis each.
void sinX(CMatrice& matrice, const CVecteur& base, float t, float amplitude);
void sinY(CMatrice& matrice, const CVecteur& base, float t, float amplitude);
void sinZ(CMatrice& matrice, const CVecteur& base, float t, float amplitude);

// "sinX", "sinY", "sinZ"; null for any other name.
FonctionAnimation fonctionAnimationDuNom(const std::string& nom);

// A primitive: placed like any instance (its centre is the matrix translation), visible only
// through the zone that lists it.
class InstanceMetaball : public Instance {
public:
    FonctionChamp fonctionChamp;
    float poids;
    float phase = 0;  // read by the ripple only; nothing sets it

    InstanceMetaball(FonctionChamp f, float poids_) : fonctionChamp(f), poids(poids_) {}

    void getBoiteEnglobante(CVecteur& min, CVecteur& max) override;
    float hauteur() override { return 0; }

    float contribution(float x, float y, float z) const {
        return fonctionChamp(m[12], m[13], m[14], x, y, z, phase, poids);
    }
};

class MetaballZone : public Entite {
public:
    // Beyond this many cells per edge a frame would take seconds to minutes: such a zone is
    // not drawn.
    static constexpr int RESOLUTION_MAX = 512;

    std::vector<InstanceMetaball*> primitives;  // not owned: the scene owns the instances
    float seuil;
    float taille;
    int resolution;
    float pas;

    MetaballZone(float taille_, int resolution_, float seuil_);

    void getBoiteEnglobante(CVecteur& min, CVecteur& max) override;

    // Creates a primitive of the given kind and weight at `position`, with the named animation
    // of the given amplitude, not subject to gravity, and appends it to the zone. The caller
    // (the script, then the scene) keeps it alive.
    std::shared_ptr<InstanceMetaball> ajoutePrimitive(const std::string& genre, float poids,
                                                      const std::string& animation,
                                                      CVecteur position, float amplitude);

    float champ(float x, float y, float z) const;
    CVecteur normaleChamp(float x, float y, float z) const;
    // Where the level s crosses an edge whose ends have values va and vb, as a fraction of the
    // edge in [0, 1]; 0.5 when the two values are (nearly) equal.
    static float interpole(float va, float vb, float s);
    static RGBA couleurNormale(const CVecteur& n);

    // The triangles of the cell whose minimum corner is (x, y, z), every field value computed
    // for this cell alone.
    void polygoniseCube(float x, float y, float z, PuitsTriangles& puits) const;

    // The point at fraction t along edge `arete` of the cell whose minimum corner is (x, y, z).
    CVecteur positionArete(float x, float y, float z, int arete, float t) const;

    // True when the zone has a grid to walk: taille > 0, 1 <= resolution <= RESOLUTION_MAX.
    bool grilleValide() const;
    // Minimum-corner coordinates of the cells along axis 0, 1 or 2, centred on the zone's own
    // translation; empty when the grid is not valid.
    std::vector<float> coordonneesCellules(int axe) const;

    // The whole zone, cell by cell (x outermost, z innermost), each cell on its own.
    void polygoniseParCellule(PuitsTriangles& puits) const;
    // The same triangles, bit for bit, with each grid corner's value and each edge crossing
    // computed once and shared by the cells around it. This is what the drawing uses.
    void polygonise(PuitsTriangles& puits) const;

    // Drops the primitives added through ajoutePrimitive that have since been destroyed
    // (the drawing does this first).
    void retirePrimitivesDetruites();

private:
    // Primitives added through ajoutePrimitive, watched so that one destroyed elsewhere is
    // dropped from the list instead of being read after it is freed.
    std::vector<std::pair<InstanceMetaball*, std::weak_ptr<InstanceMetaball>>> suivies_;
};
