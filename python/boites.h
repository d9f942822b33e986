// The warning boxes of one call from Python, taken from the console's sink for the length
// of the call: each still goes to standard error as without a window, and is kept so that
// the call can raise with its text. Nothing is ever shown in a window.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "commun/console.h"

class BoitesRecueillies {
public:
    BoitesRecueillies()
        : precedent_(console.setGestionnaireBoite(
              [this](const std::string& texte, const std::string& titre) {
                  console.copieSurErreurStandard(texte, titre);
                  boites_.emplace_back(texte, titre);
              })) {}
    ~BoitesRecueillies() { console.setGestionnaireBoite(std::move(precedent_)); }
    BoitesRecueillies(const BoitesRecueillies&) = delete;
    BoitesRecueillies& operator=(const BoitesRecueillies&) = delete;

    bool vides() const { return boites_.empty(); }
    // The text of the first box (the one that stopped the call).
    const std::string& premiere() const { return boites_.front().first; }

private:
    Console::GestionnaireBoite precedent_;
    std::vector<std::pair<std::string, std::string>> boites_;
};
