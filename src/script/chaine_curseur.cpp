#include "script/chaine_curseur.h"

#include <cstring>

const char* const SEPARATEURS = " ,=(){}\t\n";

namespace {
// NUL never belongs to a set (strchr would find the terminator).
bool dans(char c, const char* ensemble) { return c != '\0' && std::strchr(ensemble, c) != nullptr; }
}  // namespace

std::string ChaineCurseur::jeton(const char* saut, const char* arret, bool consomme) {
    std::size_t p = position;
    while (p < texte.size() && dans(texte[p], saut)) ++p;
    if (p >= texte.size()) {
        if (consomme) position = texte.size();
        return std::string();
    }
    std::size_t fin = p;
    while (fin < texte.size() && !dans(texte[fin], arret)) ++fin;
    if (consomme) position = fin;
    return texte.substr(p, fin - p);
}

void ChaineCurseur::sauteBlancs() {
    while (position < texte.size() && (texte[position] == ' ' || texte[position] == '\t'))
        ++position;
}
