// The sink through which the reader writes a file's statements straight into the mesh, and
// the faces it has to report. Internal to the reader (wavefront.cpp, wavefront_moitie.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "geometrie/lissage.h"
#include "geometrie/mesh.h"
#include "geometrie/wavefront.h"
#include "geometrie/wavefront_analyse.h"

namespace lectureWf {
namespace detail {

// A face to report, in file order: fewer than 3 corners (left out at once), or an index
// beyond the lists read so far (it may name an element defined further on: decided at the
// end, with the complete lists).
struct Signalement {
    uint64_t position;  // file offset of its "f"
    uint32_t face;      // index in the mesh's faces, or AUCUNE
    static constexpr uint32_t AUCUNE = UINT32_MAX;
};

// The sink of wfLecture: straight into the mesh, whose lists were reserved from a first
// count. A face whose indices all name elements already read is final at once; the others
// keep their indices as read until the end.
struct PuitsMesh {
    Mesh& mesh;
    const TableMateriaux& table;
    std::vector<std::shared_ptr<Material>> materiaux;  // every material used, kept alive
    std::map<const Material*, size_t> indiceMaterial;
    Material* courant = nullptr;
    std::vector<Signalement> signalements;
    struct Serie {
        int groupe;
        uint32_t debut, fin;
    };
    std::vector<Serie> series;  // runs of faces of one group
    bool triees = true;         // faces in material order so far
    bool normaleManquante = false;
    // Set while another thread gives the new faces their normals and smoothing (see
    // ajouteMoitie): ajouteFace then leaves both to it.
    bool normalesDifferees = false;
    std::vector<const Material*> ordreMateriaux;  // used by some face, in order of first use
    std::set<const Material*> utilises;
    const Material* dernierUtilise = nullptr;
    std::vector<CoinLu> coins;  // of the face being read
    uint64_t positionFace = 0;
    int groupeFace = 0;
    float mini[3] = {0, 0, 0}, maxi[3] = {0, 0, 0};
    const RGBA couleurSommet{255, 0, 0, 0};
    // A file without normals is smoothed as its faces come, while they are in the cache: the
    // faces 0 to facesLissees - 1 have their smoothed normals. Dropped (those faces' normal
    // indices back to none) at the first normal, at a face naming an element not read yet,
    // or when the groups do not come in the order calcNormalesLissees walks them.
    std::unique_ptr<LissageSommets> lissage;
    size_t facesLissees = 0;
    int groupeLissage = 0;

    PuitsMesh(Mesh& m, const TableMateriaux& t) : mesh(m), table(t) {}

    // As ajouteSommet does, box included (the first vertex sets it, strict comparisons).
    TOUJOURS_EN_LIGNE void sommet(const float* v) {
        if (mesh.sommets.empty()) {
            for (int k = 0; k < 3; ++k) mini[k] = maxi[k] = v[k];
        } else {
            for (int k = 0; k < 3; ++k) {
                if (v[k] < mini[k]) mini[k] = v[k];
                if (v[k] > maxi[k]) maxi[k] = v[k];
            }
        }
        mesh.sommets.emplace_back(CVecteur(v[0], v[1], v[2]), couleurSommet);
    }
    TOUJOURS_EN_LIGNE void normale(const float* v) {
        if (lissage) abandonneLissage();
        mesh.normales.emplace_back(v[0], v[1], v[2]);
    }
    TOUJOURS_EN_LIGNE void texCoord(const float* v) { mesh.texCoords.emplace_back(v[0], v[1]); }
    TOUJOURS_EN_LIGNE void debutFace(int groupe, bool, uint64_t position) {
        positionFace = position;
        groupeFace = groupe;
        coins.clear();
    }
    TOUJOURS_EN_LIGNE void coin(const CoinLu& k) { coins.push_back(k); }
    TOUJOURS_EN_LIGNE void finFace() {
        ajouteFace(groupeFace, courant, coins.data(), coins.size(), positionFace);
    }
    // A face of n corners read at `position`, in group `groupe` with material m.
    TOUJOURS_EN_LIGNE void ajouteFace(int groupe, Material* m, const CoinLu* k, size_t n,
                                      uint64_t position) {
        if (n < 3) {
            signalements.push_back({position, Signalement::AUCUNE});
            return;
        }
        const size_t nbS = mesh.sommets.size(), nbN = mesh.normales.size(),
                     nbT = mesh.texCoords.size();
        auto dans = [](int i, size_t taille) { return i >= 0 && static_cast<size_t>(i) < taille; };
        bool suspecte = false;
        for (size_t i = 0; i < n; ++i)
            suspecte |= !dans(k[i].sommet, nbS) ||
                        (k[i].normale != -1 && !dans(k[i].normale, nbN)) ||
                        (k[i].texCoord != -1 && !dans(k[i].texCoord, nbT));
        const uint32_t numero = static_cast<uint32_t>(mesh.faces.size());
        mesh.faces.emplace_back();
        Face& f = mesh.faces.back();
        f.groupe = groupe;
        f.material = m;
        if (n > 4) {
            f.sommets.reserve(n);
            f.normales.reserve(n);
            f.texCoords.reserve(n);
        }
        for (size_t i = 0; i < n; ++i) {
            f.sommets.push_back(k[i].sommet);
            f.normales.push_back(k[i].normale);
            f.texCoords.push_back(k[i].texCoord);
            normaleManquante |= k[i].normale == -1;
        }
        // The normal now, while the face is at hand; a face naming an element not read yet
        // gets it once checked at the end.
        if (suspecte) {
            signalements.push_back({position, numero});
            // (Never touched here while the other thread smooths.)
            if (!normalesDifferees && lissage) abandonneLissage();
        } else if (!normalesDifferees) {
            f.normale = mesh.normaleFace(f);
            if (lissage) lisse(f, groupe);
        }
        if (m != dernierUtilise) {
            dernierUtilise = m;
            if (m && utilises.insert(m).second) ordreMateriaux.push_back(m);
        }
        if (numero > 0 && std::less<const Material*>()(m, mesh.faces[numero - 1].material))
            triees = false;
        if (series.empty() || series.back().groupe != groupe)
            series.push_back({groupe, numero, numero + 1});
        else
            series.back().fin = numero + 1;
    }
    void usemtl(std::string_view nom) {
        const auto it = table.find(std::string(nom));
        courant = garde(it == table.end() ? nullptr : it->second);
    }
    // calcNormalesLissees walks the groups in increasing order, each group's faces in order:
    // the reading order as long as each group's faces come together, groups increasing.
    TOUJOURS_EN_LIGNE void lisse(Face& f, int groupe) {
        if (facesLissees == 0 || groupe != groupeLissage) {
            if (facesLissees > 0 && groupe < groupeLissage) {
                abandonneLissage();
                return;
            }
            lissage->nouveauGroupe();
            groupeLissage = groupe;
        }
        lissage->ajoute(f);
        ++facesLissees;
    }
    void abandonneLissage() {
        for (size_t i = 0; i < facesLissees; ++i)
            for (int& n : mesh.faces[i].normales) n = -1;
        lissage.reset();
        facesLissees = 0;
    }
    // Keeps a material alive for the faces that will point at it.
    Material* garde(std::shared_ptr<Material> m) {
        Material* brut = m.get();
        if (m && indiceMaterial.emplace(brut, materiaux.size()).second)
            materiaux.push_back(std::move(m));
        return brut;
    }
    std::shared_ptr<Material> tenu(const Material* m) const {
        return materiaux[indiceMaterial.at(m)];
    }
    // The box of the vertices read, into the mesh (left as it is without vertices).
    void poseBoite() {
        if (mesh.sommets.empty()) return;
        mesh.boiteMin = CVecteur(mini[0], mini[1], mini[2]);
        mesh.boiteMax = CVecteur(maxi[0], maxi[1], maxi[2]);
    }
};

}  // namespace detail
}  // namespace lectureWf
