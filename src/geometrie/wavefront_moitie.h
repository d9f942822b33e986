// The second half of a large Wavefront file, read on another thread while the first half is
// read into the mesh (see wfLecture), then appended to it. Internal to the reader.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "geometrie/wavefront.h"
#include "geometrie/wavefront_analyse.h"
#include "geometrie/wavefront_puits.h"

namespace lectureWf {
namespace detail {

// A list grown by blocks of fixed size: no reallocation, so no moment when the old and the
// new copies of a large list are both held.
template <class T>
class Blocs {
public:
    static constexpr size_t DECALAGE = 16, TAILLE = size_t(1) << DECALAGE;
    TOUJOURS_EN_LIGNE void push_back(const T& v) {
        if (libres_ == 0) nouveauBloc();
        *prochain_++ = v;
        --libres_;
        ++n_;
    }
    size_t size() const { return n_; }
    const T& operator[](size_t i) const { return blocs_[i >> DECALAGE][i & (TAILLE - 1)]; }
    // Drops the elements from n on (n not below the start of the last block).
    void tronque(size_t n) {
        const size_t enTrop = n_ - n;
        n_ = n;
        prochain_ -= enTrop;
        libres_ += enTrop;
    }

private:
    void nouveauBloc() {
        blocs_.emplace_back(new T[TAILLE]);
        prochain_ = blocs_.back().get();
        libres_ = TAILLE;
    }
    std::vector<std::unique_ptr<T[]>> blocs_;
    T* prochain_ = nullptr;
    size_t libres_ = 0, n_ = 0;
};

// The second half of a file, read on its own thread into compact lists (12 bytes a vertex
// or a corner) without knowing the group and material in force where it starts: it keeps
// material names, and counts the faces made before its first group and first material.
struct PuitsMoitie {
    struct FaceLue {
        uint32_t nbCoins;
        int32_t groupe;
        uint32_t material;  // 0 = default, i + 1 = nomsMateriaux[i]
        uint64_t position;
    };
    struct Courte {  // a face of fewer than 3 corners
        uint64_t position;
        size_t facesAvant;  // faces of 3 corners or more read before it
    };
    Blocs<std::array<float, 3>> sommets, normales;
    Blocs<std::array<float, 2>> texCoords;
    Blocs<FaceLue> faces;
    Blocs<CoinLu> coins;
    std::vector<Courte> courtes;
    std::vector<std::string> nomsMateriaux;
    std::map<std::string, uint32_t, std::less<>> indiceNom;
    uint32_t materialCourant = 0;
    bool materialConnu = false;
    size_t facesSansGroupe = 0, facesSansMaterial = 0;
    uint64_t positionFace = 0;
    int groupeFace = 0;
    bool groupeConnuFace = false;
    size_t premierCoin = 0;

    void sommet(const float* v) { sommets.push_back({v[0], v[1], v[2]}); }
    void normale(const float* v) { normales.push_back({v[0], v[1], v[2]}); }
    void texCoord(const float* v) { texCoords.push_back({v[0], v[1]}); }
    TOUJOURS_EN_LIGNE void debutFace(int groupe, bool groupeConnu, uint64_t position) {
        positionFace = position;
        groupeFace = groupe;
        groupeConnuFace = groupeConnu;
        premierCoin = coins.size();
    }
    TOUJOURS_EN_LIGNE void coin(const CoinLu& k) { coins.push_back(k); }
    TOUJOURS_EN_LIGNE void finFace() {
        const size_t n = coins.size() - premierCoin;
        if (n < 3) {
            coins.tronque(premierCoin);
            courtes.push_back({positionFace, faces.size()});
            return;
        }
        if (!groupeConnuFace) facesSansGroupe = faces.size() + 1;
        if (!materialConnu) facesSansMaterial = faces.size() + 1;
        faces.push_back({static_cast<uint32_t>(n), groupeFace, materialCourant, positionFace});
    }
    void usemtl(std::string_view nom) {
        materialConnu = true;
        const auto it = indiceNom.find(nom);
        if (it != indiceNom.end()) {
            materialCourant = it->second;
            return;
        }
        nomsMateriaux.emplace_back(nom);
        materialCourant = static_cast<uint32_t>(nomsMateriaux.size());
        indiceNom.emplace(std::string(nom), materialCourant);
    }
};

struct LectureMoitie {
    PuitsMoitie lu;
    uint64_t premierMot = UINT64_MAX;  // offset of its first word (none: end of the file)
    bool valable = false;              // read to the end, with no "mtllib" in it
};

// Reads the file from `debut`, a line start, to its end into r (on its own thread).
void litMoitie(const char* nomFichier, uint64_t debut, LectureMoitie& r);

// The offset of the first line start at or after `milieu` (> 0), 0 when none is close by.
uint64_t debutDeLigneApres(const char* nomFichier, uint64_t milieu);

// The second half's reading, after the first half's, into the mesh: its materials found now
// that every library is read (in `materiaux`), and its faces before its first group and
// first material given those in force at the end of the first half (`groupeFinal`,
// lu.courant).
void ajouteMoitie(PuitsMesh& lu, const PuitsMoitie& b, int groupeFinal,
                  const TableMateriaux& materiaux);

}  // namespace detail
}  // namespace lectureWf
