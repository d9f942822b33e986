// Choosing a mesh file's reader by its extension.
#include "geometrie/formats_maillage.h"

#include <sys/stat.h>

#include <cstring>

#include "geometrie/wavefront.h"

FormatMaillage formatMaillage(const std::string& nom) {
    auto finitPar = [&](const char* ext) {
        const size_t n = std::strlen(ext);
        return nom.size() >= n && nom.compare(nom.size() - n, n, ext) == 0;
    };
    if (nom.size() >= 4 && (finitPar(".wf") || finitPar(".obj") || finitPar(".owf")))
        return FormatMaillage::Wavefront;
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
        case FormatMaillage::Inconnu: break;
    }
    return nullptr;
}
