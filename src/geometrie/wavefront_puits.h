// The sink through which the reader writes a file's statements straight into the mesh, and
// the faces it has to report. Internal to the reader (wavefront.cpp).
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

#include "commun/pages_memoire.h"
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
    std::vector<const Material*> ordreMateriaux;  // used by some face, in order of first use
    std::set<const Material*> utilises;
    const Material* dernierUtilise = nullptr;
    uint64_t positionFace = 0;                       // of the face being read
    const bool identite = mesh.placementIdentite();  // the mesh's placement, unchanged here
    static constexpr size_t LOT = 64;
    size_t sansNormale = 0;  // the faces from this one on wait for their normal
    float mini[3] = {0, 0, 0}, maxi[3] = {0, 0, 0};
    const RGBA couleurSommet{255, 0, 0, 0};
    // A file without normals is smoothed as its faces come, while they are in the cache: the
    // faces 0 to facesLissees - 1 have their smoothed normals. Dropped (those faces' normal
    // indices back to none) at the first normal, at a face naming an element not read yet,
    // or when the groups do not come in the order calcNormalesLissees walks them.
    std::unique_ptr<LissageSommets> lissage;
    size_t facesLissees = 0;
    int groupeLissage = 0;

    PagesEnAvance pagesFaces;

    PuitsMesh(Mesh& m, const TableMateriaux& t) : mesh(m), table(t) {
        mesh.couleurDesSommets(couleurSommet);
        pagesFaces.zone(mesh.faces.data(), mesh.faces.data() + mesh.faces.capacity());
    }

    // As ajouteSommet does, box included (the first vertex sets it, strict comparisons).
    TOUJOURS_EN_LIGNE void sommet(float x, float y, float z) {
        const float v[3] = {x, y, z};
        if (mesh.sommets.empty()) {
            for (int k = 0; k < 3; ++k) mini[k] = maxi[k] = v[k];
        } else {
            for (int k = 0; k < 3; ++k) {
                if (v[k] < mini[k]) mini[k] = v[k];
                if (v[k] > maxi[k]) maxi[k] = v[k];
            }
        }
        mesh.sommets.emplace_back(x, y, z);
    }
    TOUJOURS_EN_LIGNE void normale(float x, float y, float z) {
        if (lissage) abandonneLissage();
        mesh.normales.emplace_back(x, y, z);
    }
    TOUJOURS_EN_LIGNE void texCoord(float u, float v) { mesh.texCoords.emplace_back(u, v); }
    // A new face at the end of the mesh, read at `position`, its pages asked for ahead.
    TOUJOURS_EN_LIGNE Face& nouvelleFace(int groupe, uint64_t position) {
        positionFace = position;
        pagesFaces.ecrit(mesh.faces.data() + mesh.faces.size());
        Face& f = mesh.faces.emplace_back();
        f.groupe = groupe;
        f.material = courant;
        return f;
    }
    // The face being read is made in place: its corners go straight into its lists.
    TOUJOURS_EN_LIGNE void debutFace(int groupe, uint64_t position) {
        nouvelleFace(groupe, position);
    }
    TOUJOURS_EN_LIGNE void coin(const CoinLu& k) {
        Face& f = mesh.faces.back();
        f.sommets.push_back(k.sommet);
        f.normales.push_back(k.normale);
        f.texCoords.push_back(k.texCoord);
    }
    // A whole face line is read straight into a new face's lists (held in place: at most
    // four corners), then counted, or the face is taken back.
    TOUJOURS_EN_LIGNE FaceLigne faceEnPlace(int groupe, uint64_t position) {
        Face& f = nouvelleFace(groupe, position);
        int* const t = f.texCoords.enPlace();
        int* const n = f.normales.enPlace();
        for (int k = 0; k < 4; ++k) t[k] = n[k] = -1;
        return FaceLigne{f.sommets.enPlace(), t, n};
    }
    TOUJOURS_EN_LIGNE void faceLue(int n) {
        Face& f = mesh.faces.back();
        f.sommets.fixeTaille(n);
        f.normales.fixeTaille(n);
        f.texCoords.fixeTaille(n);
        termineFace(positionFace);
    }
    void faceRendue() { mesh.faces.pop_back(); }
    TOUJOURS_EN_LIGNE void finFace() {
        if (mesh.faces.back().nbCoins() < 3) {
            mesh.faces.pop_back();
            signalements.push_back({positionFace, Signalement::AUCUNE});
            return;
        }
        termineFace(positionFace);
    }
    // The last face made, of 3 corners or more, read at `position`: checked, given its normal
    // (and smoothing), and noted in the runs of groups and materials.
    TOUJOURS_EN_LIGNE void termineFace(uint64_t position) {
        const uint32_t numero = static_cast<uint32_t>(mesh.faces.size() - 1);
        Face& f = mesh.faces.back();
        const size_t nbS = mesh.sommets.size(), nbN = mesh.normales.size(),
                     nbT = mesh.texCoords.size();
        auto dans = [](int i, size_t taille) { return i >= 0 && static_cast<size_t>(i) < taille; };
        bool suspecte = false;
        const int n = f.nbCoins();
        const int *s = f.sommets.data(), *nn = f.normales.data(), *t = f.texCoords.data();
        for (int i = 0; i < n; ++i) {
            suspecte |= !dans(s[i], nbS) || (nn[i] != -1 && !dans(nn[i], nbN)) ||
                        (t[i] != -1 && !dans(t[i], nbT));
            normaleManquante |= nn[i] == -1;
        }
        // The normal soon, while the face is in the cache; a face naming an element not read
        // yet gets it once checked at the end.
        if (suspecte) {
            normalesEnAttente(numero);
            sansNormale = numero + 1;
            signalements.push_back({position, numero});
            if (lissage) abandonneLissage();
        } else if (numero + 1 - sansNormale >= LOT) {
            normalesEnAttente(numero + 1);
        }
        const Material* m = f.material;
        if (m != dernierUtilise) {
            dernierUtilise = m;
            if (m && utilises.insert(m).second) ordreMateriaux.push_back(m);
        }
        if (numero > 0 && std::less<const Material*>()(m, mesh.faces[numero - 1].material))
            triees = false;
        if (series.empty() || series.back().groupe != f.groupe)
            series.push_back({f.groupe, numero, numero + 1});
        else
            series.back().fin = numero + 1;
    }
    void usemtl(std::string_view nom) {
        const auto it = table.find(std::string(nom));
        courant = garde(it == table.end() ? nullptr : it->second);
    }
    // The faces from sansNormale to fin - 1 get their normal, and their smoothing: by lots,
    // the normals one after the other (independent square roots and divisions overlap),
    // then the smoothing, in order.
    void normalesEnAttente(size_t fin) {
        mesh.poseNormalesFaces(sansNormale, fin, identite);
        Face* const faces = mesh.faces.data();
        for (size_t i = sansNormale; i < fin && lissage; ++i) lisse(faces[i], faces[i].groupe);
        sansNormale = fin;
    }
    // Once every face is read.
    void termine() { normalesEnAttente(mesh.faces.size()); }
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
