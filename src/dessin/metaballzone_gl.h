// Drawing metaball zones with OpenGL.
#pragma once

#include "metaball/puits_triangles.h"

class Dessinateur;
class MetaballZone;

// Collects the vertices (colour, normal, position) and draws them at the end with one
// glDrawArrays(GL_TRIANGLES) from client-side arrays. (One glBegin / glEnd around thousands of
// vertices made Mesa's llvmpipe keep a little memory at every frame, for as long as the
// program ran.)
struct PuitsTrianglesGL : PuitsTriangles {
    void debut() override;
    void sommet(const RGBA& couleur, const CVecteur& normale, const CVecteur& position) override;
    void fin() override;
};

// Polygonises the zone into the drawing sink under one pick name. A zone whose resolution is
// beyond MetaballZone::RESOLUTION_MAX is not drawn, and says so once.
void dessineMetaballZone(MetaballZone& zone, Dessinateur& dessin, int& nomSelection);
