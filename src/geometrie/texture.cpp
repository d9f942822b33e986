// Texture records: only the existence of the image file is checked here.
#include "geometrie/texture.h"

#include <sys/stat.h>

#include <cstdio>

#include "commun/console.h"

namespace {
// Only regular files: opening a FIFO may block forever, and a device is no image.
bool peutOuvrir(const std::string& chemin) {
    struct stat etat;
    if (stat(chemin.c_str(), &etat) != 0 || !S_ISREG(etat.st_mode)) return false;
    std::FILE* f = std::fopen(chemin.c_str(), "r");
    if (!f) return false;
    std::fclose(f);
    return true;
}
}  // namespace

std::shared_ptr<Texture> chargeTexture(const std::string& fichier) {
    return chargeTexture(fichier, std::string());
}

std::shared_ptr<Texture> chargeTexture(const std::string& fichier,
                                       const std::string& repertoireSecours) {
    std::string chemin = fichier;
    bool trouve = peutOuvrir(chemin);
    if (!trouve && !repertoireSecours.empty() && !fichier.empty() && fichier[0] != '/') {
        chemin = repertoireSecours + "/" + fichier;
        trouve = peutOuvrir(chemin);
    }
    if (!trouve) {
        console.boiteMessage("impossible de charger la texture " + fichier + ".",
                             "lecture d'une texture");
        return nullptr;
    }
    auto t = std::make_shared<Texture>();
    t->fichier = fichier;
    t->chemin = chemin;
    return t;
}
