// Choosing a mesh file's reader by its extension.
#include "geometrie/formats_maillage.h"

#include <sys/stat.h>

#include <cstring>
#include <exception>

#include "commun/console.h"
#include "geometrie/maillage_assimp.h"
#include "geometrie/wavefront.h"

FormatMaillage formatMaillage(const std::string& nom) {
    auto finitPar = [&](const char* ext) {
        const size_t n = std::strlen(ext);
        return nom.size() >= n && nom.compare(nom.size() - n, n, ext) == 0;
    };
    if (nom.size() >= 4 && (finitPar(".wf") || finitPar(".obj") || finitPar(".owf")))
        return FormatMaillage::Wavefront;
    if (extensionAssimp(nom)) {
        const char c = static_cast<char>(nom[nom.size() - 3] | 0x20);
        return c == 's' ? FormatMaillage::Stl : FormatMaillage::Collada;
    }
    return FormatMaillage::Inconnu;
}

std::shared_ptr<Mesh> lisMaillage(const std::string& nom, TableMateriaux& materiaux,
                                  std::vector<std::string>* lus) {
    materiaux.clear();
    const FormatMaillage format = formatMaillage(nom);
    if (format == FormatMaillage::Inconnu) return nullptr;
    struct stat etat;
    if (lus && stat(nom.c_str(), &etat) == 0 && S_ISREG(etat.st_mode)) lus->push_back(nom);
    switch (format) {
        case FormatMaillage::Wavefront: return wfLecture(nom.c_str(), materiaux, lus);
        case FormatMaillage::Stl:
        case FormatMaillage::Collada: try { return lisMaillageAssimp(nom);
            } catch (const std::exception& e) {
                console.erreur(e.what());
            }
            break;
        case FormatMaillage::Inconnu: break;
    }
    return nullptr;
}

std::shared_ptr<Mesh> lisMaillageMisAEchelle(const std::string& nom, float echelle) {
    // Robot descriptions name STL and COLLADA meshes: Assimp's reader, which also names the
    // file and the formats it takes when the extension is another.
    return lisMaillageAssimp(nom, echelle);
}
