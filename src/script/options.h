// The 28 display options reachable by name from scene scripts.
#pragma once

#include <cstdint>

#include "script/valeur.h"

class CScene;
struct Camera;

struct OptionAffichage {
    const char* cle;
    int32_t type;  // TypeValeur code
    void (*set)(CScene& scene, Camera* camera, const Valeur& v);
    Valeur (*get)(const CScene& scene, const Camera* camera);
};

extern const OptionAffichage optionsAffichage[];
extern const int nbOptionsAffichage;

// Index of the row with exactly this key, or -1.
int chercheOption(const char* cle);
