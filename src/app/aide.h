// The keys and mouse actions of the 3D view, in one table: the help shown over the view
// (F1 or the "?" button) and the usage printed by -h both read it.
#pragma once

#include <string>

struct LigneAide {
    const char* geste;  // key or mouse action
    const char* effet;
};

extern const LigneAide aideClavier[];
extern const int nbAideClavier;
extern const LigneAide aideSouris[];
extern const int nbAideSouris;

// The two tables as text, one action a line, for a terminal.
std::string texteAide();
