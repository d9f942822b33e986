// The mesh's lists before a Wavefront file is read: their capacities from a first count of
// the lines. Internal to the reader (wavefront.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

namespace lectureWf {
namespace detail {

// Capacities from a line-by-line count: "v " a vertex, "vn" a normal, "vt" a texture
// coordinate, any line starting with "f" a face.
struct Comptes {
    uint64_t faces = 0, sommets = 0, normales = 0, texCoords = 0;
    bool erreur = false;
    void ajoute(char c0, char c1) {
        if (c0 == 'v' && c1 == ' ') ++sommets;
        if (c0 == 'v' && c1 == 'n') ++normales;
        if (c0 == 'v' && c1 == 't') ++texCoords;
        if (c0 == 'f') ++faces;
    }
};

// Counts the lines starting in [debut, fin) (a line starts at 0 and after each line end).
void compteLignes(const char* nomFichier, uint64_t taille, uint64_t debut, uint64_t fin,
                  Comptes& r);

// The size from which a text's second half is counted on another thread. Below it a second
// thread does not pay, idle or with the cores busy elsewhere: measured on files of 5 and
// 8 MB (no gain, up to 9 % of the real time lost) against 17.5 MB and more (up to 14 %
// saved, at worst 2 % lost with the cores busy).
constexpr uint64_t DEUX_MOITIES = uint64_t(16) << 20;

// The same for a whole text in memory (a mapped file); its second half on another thread
// from deuxMoities bytes on.
void compteTexte(const char* texte, uint64_t taille, Comptes& r,
                 uint64_t deuxMoities = DEUX_MOITIES);

}  // namespace detail
}  // namespace lectureWf
