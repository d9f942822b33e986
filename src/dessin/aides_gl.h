// Drawing the motion aids over the robots with OpenGL: the tool trail, the ghost of the
// panel's target and the workspace in the arm's plane.
#pragma once

class Dessinateur;

// Draws the aids the scene's switches ask for, over every robot instance (the ghost over the
// driven robot only), unlit and translucent, after the objects. Nothing in picking mode.
void dessineAidesMouvement(Dessinateur& dessin);
