// Where a metaball zone's triangles go: each vertex with its colour, normal and position, three
// vertices per triangle. The drawing sink (metaballzone_gl.h) hands them to OpenGL; the
// recording sink keeps them (tests, measurements).
#pragma once

#include <vector>

#include "geometrie/entite.h"
#include "geometrie/vecteur.h"

struct PuitsTriangles {
    virtual ~PuitsTriangles() = default;
    virtual void debut() {}
    virtual void sommet(const RGBA& couleur, const CVecteur& normale, const CVecteur& position) = 0;
    virtual void fin() {}
};

struct SommetEmis {
    RGBA couleur;
    CVecteur normale, position;
};

struct PuitsEnregistreur : PuitsTriangles {
    std::vector<SommetEmis> sommets;
    void sommet(const RGBA& couleur, const CVecteur& normale, const CVecteur& position) override {
        sommets.push_back(SommetEmis{couleur, normale, position});
    }
};
