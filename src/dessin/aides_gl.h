// Drawing the motion aids over the robots with OpenGL: the tool trail, the ghost of the
// panel's target and the workspace in the arm's plane.
#pragma once

#include "robot/espace_travail.h"
#include "robot/trajectoire.h"

class Dessinateur;

// The colour of a workspace cell (red, green, blue), as the view and its legend show it:
// reached in green, beyond a joint limit in amber, too close to the axis or colliding in red.
struct CouleurCellule {
    float r, g, b;
};
CouleurCellule couleurCellule(EtatCellule e);

// The tool trail in the current frame (the arm's): segments coloured by their kind.
void dessineTrajectoire(const TrajectoireOutil& t);
// Draws the aids the scene's switches ask for, over every robot instance (the ghost over the
// driven robot only), unlit and translucent, after the objects. Nothing in picking mode.
void dessineAidesMouvement(Dessinateur& dessin);
