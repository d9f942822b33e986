// Where a metaball zone's triangles go: each vertex with its colour, normal and position, three
// vertices per triangle. The drawing sink hands them to OpenGL inside one GL_TRIANGLES; the
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

// Collects the vertices (colour, normal, position) and draws them at the end with one
// glDrawArrays(GL_TRIANGLES) from client-side arrays. (One glBegin / glEnd around thousands of
// vertices made Mesa's llvmpipe keep a little memory at every frame, for as long as the
// program ran.)
struct PuitsTrianglesGL : PuitsTriangles {
    void debut() override;
    void sommet(const RGBA& couleur, const CVecteur& normale, const CVecteur& position) override;
    void fin() override;
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
