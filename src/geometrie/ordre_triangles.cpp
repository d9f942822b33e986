// Ordering indexed triangles into compact runs.
#include "geometrie/ordre_triangles.h"

#include <algorithm>
#include <array>
#include <limits>

namespace {
constexpr uint32_t AUCUN = std::numeric_limits<uint32_t>::max();

// Each vertex's triangles, as offsets into one array.
struct Adjacence {
    std::vector<uint32_t> debut, triangles;

    Adjacence(const uint32_t* t, size_t nbTriangles, uint32_t base, size_t nbSommets)
        : debut(nbSommets + 1, 0), triangles(nbTriangles * 3) {
        for (size_t i = 0; i < nbTriangles * 3; ++i) ++debut[t[i] - base + 1];
        for (size_t s = 0; s < nbSommets; ++s) debut[s + 1] += debut[s];
        std::vector<uint32_t> place(debut.begin(), debut.end() - 1);
        for (size_t i = 0; i < nbTriangles * 3; ++i)
            triangles[place[t[i] - base]++] = static_cast<uint32_t>(i / 3);
    }
};

// The greedy walk: fills one run after the other, each with the triangles that bring the
// fewest new vertices into it. Candidates wait in three queues, by the number of their
// vertices already in the run; an entry whose count has changed since is skipped.
class Ordonnanceur {
public:
    Ordonnanceur(const uint32_t* t, size_t nbTriangles, uint32_t base, size_t nbSommets)
        : t_(t),
          n_(nbTriangles),
          base_(base),
          adj_(t, nbTriangles, base, nbSommets),
          runSommet_(nbSommets, AUCUN),
          runTriangle_(nbTriangles, AUCUN),
          dedans_(nbTriangles, 0),
          pris_(nbTriangles, false) {}

    std::vector<uint32_t> ordre(size_t trianglesParRun) {
        std::vector<uint32_t> sortie;
        sortie.reserve(n_);
        size_t graine = 0;
        std::vector<uint32_t> bord;  // the last run's candidates left over
        for (uint32_t run = 0; sortie.size() < n_; ++run) {
            bord.clear();
            for (size_t k = 0; k < 3; ++k)
                bord.insert(bord.end(), files_[k].begin() + static_cast<long>(tetes_[k]),
                            files_[k].end());
            for (auto& file : files_) file.clear();
            tetes_ = {0, 0, 0};
            size_t b = 0;
            for (size_t dansRun = 0; dansRun < trianglesParRun && sortie.size() < n_; ++dansRun) {
                uint32_t tri = suivant(run);
                // Nothing touches the run: a triangle along the last run's edge, so that the
                // runs sweep the mesh without leaving islands; else the first left in file
                // order.
                while (tri == AUCUN && b < bord.size())
                    if (!pris_[bord[b++]]) tri = bord[b - 1];
                if (tri == AUCUN) {
                    while (pris_[graine]) ++graine;
                    tri = static_cast<uint32_t>(graine);
                }
                prend(tri, run);
                sortie.push_back(tri);
            }
        }
        return sortie;
    }

private:
    // Oldest first: the run grows ring by ring around its seed, as a disc rather than a snake.
    uint32_t suivant(uint32_t run) {
        for (size_t k = 3; k-- > 0;) {
            auto& file = files_[k];
            while (tetes_[k] < file.size()) {
                const uint32_t tri = file[tetes_[k]++];
                if (!pris_[tri] && runTriangle_[tri] == run && dedans_[tri] == k + 1) return tri;
            }
        }
        return AUCUN;
    }

    void prend(uint32_t tri, uint32_t run) {
        pris_[tri] = true;
        for (size_t c = 0; c < 3; ++c) {
            const uint32_t s = t_[tri * 3 + c] - base_;
            if (runSommet_[s] == run) continue;
            runSommet_[s] = run;
            // Each untaken triangle around the new vertex has one more vertex in the run.
            for (uint32_t i = adj_.debut[s]; i < adj_.debut[s + 1]; ++i) {
                const uint32_t voisin = adj_.triangles[i];
                if (pris_[voisin]) continue;
                if (runTriangle_[voisin] != run) {
                    runTriangle_[voisin] = run;
                    dedans_[voisin] = 0;
                }
                // A triangle naming one vertex twice counts it per corner; three at most.
                dedans_[voisin] = static_cast<uint8_t>(std::min(3, dedans_[voisin] + 1));
                files_[dedans_[voisin] - 1u].push_back(voisin);
            }
        }
    }

    const uint32_t* t_;
    size_t n_;
    uint32_t base_;
    Adjacence adj_;
    std::vector<uint32_t> runSommet_, runTriangle_;
    std::vector<uint8_t> dedans_;
    std::vector<bool> pris_;
    std::array<std::vector<uint32_t>, 3> files_;
    std::array<size_t, 3> tetes_ = {0, 0, 0};
};
}  // namespace

void ordonneEnRuns(std::vector<uint32_t>& indices, size_t debut, size_t fin,
                   size_t trianglesParRun) {
    const size_t nbTriangles = (fin - debut) / 3;
    if (nbTriangles <= trianglesParRun || trianglesParRun == 0) return;
    const uint32_t* t = indices.data() + debut;
    const auto [mini, maxi] = std::minmax_element(t, t + nbTriangles * 3);
    Ordonnanceur o(t, nbTriangles, *mini, static_cast<size_t>(*maxi - *mini) + 1);
    const std::vector<uint32_t> ordre = o.ordre(trianglesParRun);
    const std::vector<uint32_t> copie(t, t + nbTriangles * 3);
    for (size_t i = 0; i < nbTriangles; ++i)
        std::copy_n(&copie[static_cast<size_t>(ordre[i]) * 3], 3, &indices[debut + i * 3]);
}
