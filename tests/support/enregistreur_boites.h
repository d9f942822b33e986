// Records warning boxes instead of showing them, for the duration of a test.
#pragma once

#include <string>
#include <vector>

#include "commun/console.h"

struct BoiteEnregistree {
    std::string texte, titre;
};

class EnregistreurBoites {
public:
    EnregistreurBoites();
    ~EnregistreurBoites();
    const std::vector<BoiteEnregistree>& boites() const { return boites_; }
    void efface() { boites_.clear(); }

private:
    std::vector<BoiteEnregistree> boites_;
    Console::GestionnaireBoite ancien_;
};
