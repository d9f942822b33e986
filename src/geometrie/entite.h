// Shape definitions placed by instances: colours, vertices and the abstract entity.
#pragma once

#include <string>

#include "geometrie/matrice.h"
#include "geometrie/vecteur.h"

class Instance;

// What a drawing half keeps for a shape between frames (an OpenGL display list, say). The
// shape owns it and releases it through this virtual destructor without knowing OpenGL.
struct RessourceDessin {
    virtual ~RessourceDessin() = default;
};

class RGBA {
public:
    float r, g, b, a;

    RGBA() : r(0), g(0), b(0), a(0) {}
    RGBA(float r_, float g_, float b_, float a_) : r(r_), g(g_), b(b_), a(a_) {}
    RGBA(const RGBA&) = default;
    RGBA& operator=(const RGBA&) = default;
    bool operator==(RGBA c) const { return r == c.r && g == c.g && b == c.b && a == c.a; }
};

// A mesh vertex as the mesh stores it: its position, 12 bytes. Its colour (kept, never
// drawn) is held beside by the mesh (Mesh::couleurSommet, getSommet).
class Sommet : public CVecteur {
public:
    Sommet() : CVecteur(0, 0, 0) {}
    Sommet(const CVecteur& p) : CVecteur(p) {}
    Sommet(float x_, float y_, float z_) : CVecteur(x_, y_, z_) {}
};

// What Mesh::getSommet hands out: a vertex's position and colour, both writable.
struct RefSommet {
    float &x, &y, &z;
    float &r, &g, &b, &a;
    operator CVecteur() const { return CVecteur(x, y, z); }
    CVecteur transformePoint(const CMatrice& m) const { return CVecteur(*this).transformePoint(m); }
};

// Abstract shape definition; the inherited matrix is its own placement. Entities are drawn
// by the drawing layer (dessineEntite), which knows each kind.
class Entite : public CMatrice {
public:
    std::string nom;
    Instance* lien = nullptr;  // the instance attached to this entity (a robot's held object)

    Entite() = default;
    Entite(const Entite&) = delete;
    Entite& operator=(const Entite&) = delete;
    virtual ~Entite() = default;
    virtual void getBoiteEnglobante(CVecteur& min, CVecteur& max) = 0;
    virtual Instance* getLien() { return lien; }
    virtual void setLien(Instance* i) { lien = i; }
};
