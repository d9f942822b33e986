// Drawing the scene's entities and instances with OpenGL.
#pragma once

#include "geometrie/entite.h"

class Dessinateur;
class Instance;

// An entity of a kind other than meshes, robots and metaball zones that draws itself (test
// doubles, extensions).
class EntiteDessinee : public Entite {
public:
    virtual void dessine(Dessinateur& dessin, int& nomSelection, Instance* instance) = 0;
};

// Draws an entity under its pick names from nomSelection on (advanced past them);
// `instance` is the placed object being drawn, or null for a robot's link.
void dessineEntite(Entite& entite, Dessinateur& dessin, int& nomSelection, Instance* instance);

// Draws a placed object and records its pick-name range [premierNom, dernierNom). If the
// entity's drawing throws, the modelview stack is put back as it was before the exception
// goes on.
void dessineInstance(Dessinateur& dessin, Instance& instance, int& compteur);
