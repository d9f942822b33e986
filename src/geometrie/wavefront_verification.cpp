// The faces checked again at the end of a reading, and the report about them.
#include "geometrie/wavefront_verification.h"

#include <cstdio>
#include <string>

#include "commun/console.h"

namespace lectureWf {
namespace detail {

namespace {

// Red console lines about a file's faces, at most a screenful of them.
class Rapport {
public:
    static constexpr int MAX_LIGNES = 20;
    explicit Rapport(const char* fichier) : fichier_(fichier) {}
    ~Rapport() {
        if (nb_ > MAX_LIGNES)
            console.erreur(fichier_ + " : " + std::to_string(nb_ - MAX_LIGNES) +
                           " autres faces incorrectes");
    }
    void signale(const char* quoi, int ligne, const char* suite) {
        if (++nb_ <= MAX_LIGNES)
            console.erreur(std::string(quoi) + " (" + fichier_ + ", ligne " +
                           std::to_string(ligne) + ") : " + suite);
    }

private:
    std::string fichier_;
    int nb_ = 0;
};

// Line numbers (from 1) of increasing file offsets, by reading the file again: only files
// with faces to report pay for it.
std::vector<int> lignesDe(const char* nomFichier, const std::vector<uint64_t>& positions) {
    std::vector<int> lignes(positions.size(), 0);
    std::FILE* f = std::fopen(nomFichier, "r");
    if (!f) return lignes;
    std::vector<char> bloc(size_t(1) << 16);
    uint64_t lus = 0;
    int ligne = 1;
    size_t i = 0;
    size_t n;
    while (i < positions.size() && (n = std::fread(bloc.data(), 1, bloc.size(), f)) > 0) {
        for (size_t k = 0; k < n && i < positions.size(); ++k) {
            while (i < positions.size() && positions[i] == lus + k) lignes[i++] = ligne;
            if (bloc[k] == '\n') ++ligne;
        }
        lus += n;
    }
    std::fclose(f);
    return lignes;
}

// One line of the report, before its line number is known.
struct Message {
    const char *quoi, *suite;
    uint64_t position;
};

void signale(const char* nomFichier, const std::vector<Message>& messages) {
    std::vector<uint64_t> positions;
    for (size_t i = 0; i < messages.size() && i < Rapport::MAX_LIGNES; ++i)
        positions.push_back(messages[i].position);
    const std::vector<int> lignes = lignesDe(nomFichier, positions);
    Rapport rapport(nomFichier);
    for (size_t i = 0; i < messages.size(); ++i)
        rapport.signale(messages[i].quoi, i < lignes.size() ? lignes[i] : 0, messages[i].suite);
}

}  // namespace

std::vector<char> verifieFaces(const char* nomFichier, PuitsMesh& lu) {
    std::vector<char> ecartee;
    if (lu.signalements.empty()) return ecartee;
    Mesh& mesh = lu.mesh;
    const int nbSommets = mesh.nbSommets(), nbNormales = mesh.nbNormales(),
              nbTexCoords = mesh.nbTexCoords();
    const auto valide = [](int i, int n) { return i >= 0 && i < n; };
    std::vector<Message> messages;
    for (const Signalement& sig : lu.signalements) {
        if (sig.face == Signalement::AUCUNE) {
            messages.push_back(
                {"polygone avec moins de 3 sommets !", "face ignorée", sig.position});
            continue;
        }
        Face& f = mesh.faces[sig.face];
        bool sommetsValides = true, autresValides = true;
        for (int k = 0; k < f.nbCoins(); ++k) {
            if (!valide(f.sommets[k], nbSommets)) sommetsValides = false;
            if ((f.normales[k] != -1 && !valide(f.normales[k], nbNormales)) ||
                (f.texCoords[k] != -1 && !valide(f.texCoords[k], nbTexCoords)))
                autresValides = false;
        }
        if (!sommetsValides) {
            if (ecartee.empty()) ecartee.assign(mesh.faces.size(), 0);
            ecartee[sig.face] = 1;
            messages.push_back({"indice de sommet invalide", "face ignorée", sig.position});
            continue;
        }
        if (!autresValides)
            messages.push_back({"indice de normale ou de coordonnées de texture invalide",
                                "indice ignoré", sig.position});
        for (int k = 0; k < f.nbCoins(); ++k) {
            if (!valide(f.normales[k], nbNormales)) {
                f.normales[k] = -1;
                lu.normaleManquante = true;
            }
            if (!valide(f.texCoords[k], nbTexCoords)) f.texCoords[k] = -1;
        }
        f.normale = mesh.normaleFace(f);
    }
    if (!messages.empty()) signale(nomFichier, messages);
    return ecartee;
}

}  // namespace detail
}  // namespace lectureWf
