#include "support/enregistreur_boites.h"

EnregistreurBoites::EnregistreurBoites() {
    ancien_ =
        console.setGestionnaireBoite([this](const std::string& texte, const std::string& titre) {
            boites_.push_back({texte, titre});
        });
}

EnregistreurBoites::~EnregistreurBoites() { console.setGestionnaireBoite(std::move(ancien_)); }
