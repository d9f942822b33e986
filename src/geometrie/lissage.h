// Smoothed vertex normals built face by face, in the order calcNormalesLissees walks them:
// the faces of one smoothing group after those of the previous one, each face's own normal
// already computed. The Wavefront reader uses it while the faces it creates are still in
// the cache; calcNormalesLissees uses it on a finished mesh. Same sums in the same order,
// so the same normals to the bit.
#pragma once

#include <cstddef>
#include <vector>

#include "geometrie/mesh.h"

// Divides normales[n] by compteurs[n - decalage] for every n from premier on.
void moyenneNormales(std::vector<CVecteur>& normales, size_t premier,
                     const std::vector<int>& compteurs, size_t decalage);

class LissageSommets {
public:
    // nbSommets: the vertex count expected (the table grows if a face names more).
    explicit LissageSommets(size_t nbSommets);

    // The next faces belong to another group: a vertex shared with the earlier groups gets
    // a normal of its own in this one. Normals are numbered in increasing order, so a
    // vertex's entry belongs to this group exactly when it is from premier_ on.
    void nouveauGroupe() { premier_ = static_cast<int>(normales_.size()); }

    // Every vertex index of f is valid (non-negative). Gives each corner its smoothed
    // normal's index (a face built by hand with a shorter normal list gets it lengthened).
    void ajoute(Face& f) {
        const int nbCoins = f.nbCoins();
        while (f.normales.size() < f.sommets.size()) f.normales.push_back(-1);
        const int* const sommets = f.sommets.data();
        int* const normales = f.normales.data();
        const CVecteur nf = f.normale;
        for (int k = 0; k < nbCoins; ++k) {
            const size_t v = static_cast<size_t>(sommets[k]);
            if (v >= table_.size()) table_.resize(v + 1, Entree{-1, 0});
            Entree& e = table_[v];
            if (e.normale < premier_) {
                // The vertex's normal of an earlier group (if any) is complete: averaged now,
                // while its count is at hand.
                if (e.normale >= 0) moyenne(e);
                e.normale = static_cast<int>(normales_.size());
                e.compte = 1;
                normales_.push_back(nf);
            } else {
                CVecteur& s = normales_[static_cast<size_t>(e.normale)];
                s.x += nf.x;
                s.y += nf.y;
                s.z += nf.z;
                ++e.compte;
            }
            normales[k] = e.normale;
        }
    }

    // The averaged normals, indexed as the corners were given them.
    std::vector<CVecteur> termine();

private:
    // By vertex: its latest normal (-1 = none yet) and the faces summed into it so far. The
    // count sits beside the index the corner reads anyway: one cache line per corner less.
    struct Entree {
        int normale, compte;
    };
    void moyenne(const Entree& e);

    std::vector<Entree> table_;
    std::vector<CVecteur> normales_;  // sums until averaged
    int premier_ = 0;                 // the current group's first normal
};
