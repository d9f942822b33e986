// The mesh's lists before a Wavefront file is read: their capacities from a first count of
// the lines, and large pages for them. Internal to the reader (wavefront.cpp).
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

// The same for a whole text in memory (a mapped file).
void compteTexte(const char* texte, uint64_t taille, Comptes& r);

// Large pages for a new list where the system offers them on request: one fault and one
// clearing per 2 MB instead of 512 faults.
void grandesPages(const void* debut, const void* fin);

// Asks for a list's fresh pages a little ahead of its writes, on the writing thread: the
// system clears each 2 MB once asked, and the writes that follow find the lines in the cache
// instead of reading them back from memory.
class PagesEnAvance {
public:
    // The list's reserved storage.
    void zone(const void* debut, const void* fin);
    // The list is about to write at p.
    void ecrit(const void* p) {
        const uintptr_t a = reinterpret_cast<uintptr_t>(p);
        __builtin_prefetch(reinterpret_cast<const void*>(a + 2048), 1);
        if (a >= seuil_) avance();
    }

private:
    void avance();
    uintptr_t seuil_ = UINTPTR_MAX;  // UINTPTR_MAX: nothing to ask for
    uintptr_t prochain_ = 0, fin_ = 0;
};

}  // namespace detail
}  // namespace lectureWf
