// Drawing an arm read from a robot description with OpenGL.
#pragma once

class BrasChaine;
class Dessinateur;

// Draws the arm in its frame: each visual in its link's frame at the current pose, under its
// own pick name from nomSelection on, with its colour or the mesh's own materials.
void dessineBrasChaine(BrasChaine& bras, Dessinateur& dessin, int& nomSelection);
