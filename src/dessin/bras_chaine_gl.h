// Drawing an arm read from a robot description with OpenGL.
#pragma once

#include <vector>

class BrasChaine;
class Dessinateur;
class Instance;

// Draws the arm in its frame: each visual in its link's frame at the current pose, under its
// own pick name from nomSelection on, with its colour or the mesh's own materials.
void dessineBrasChaine(BrasChaine& bras, Dessinateur& dessin, int& nomSelection);

// The motion aids of such an arm carried by `instance`: its tool trail when `trajectoire`,
// and, when `fantome` is not null, the ghost of the pose those joint values give: the chain
// from link to link and the tool frame, green when the arm accepts them, red beyond a limit.
void dessineAidesBrasChaine(const BrasChaine& bras, const Instance& instance, bool trajectoire,
                            const std::vector<double>* fantome);
