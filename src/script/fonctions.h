// The table of the scene language's builtin functions.
#pragma once

#include <cstdint>

#include "script/valeur.h"

class Script;

struct FonctionPredefinie {
    char nom[32];
    Valeur (Script::*fonction)(int fonction, int nb);
    int32_t nb_parametres;  // -1: any count
};

extern const FonctionPredefinie fonctions_predefinies[];
extern const int nb_fonctions_predefinies;

// Row index of the builtin with exactly this name, or -1.
int chercheFonction(const std::string& nom);
