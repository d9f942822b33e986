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
    explicit LissageSommets(size_t nbSommets) : table_(nbSommets, -1) {
        normales_.reserve(nbSommets);
        compteurs_.reserve(nbSommets);
    }

    // The next faces belong to another group: a vertex shared with the earlier groups gets
    // a normal of its own in this one.
    void nouveauGroupe() {
        for (int v : touches_) table_[static_cast<size_t>(v)] = -1;
        touches_.clear();
    }

    // Every vertex index of f is valid (non-negative). Gives each corner its smoothed
    // normal's index (a face built by hand with a shorter normal list gets it lengthened).
    void ajoute(Face& f) {
        const int nbCoins = f.nbCoins();
        while (f.normales.size() < f.sommets.size()) f.normales.push_back(-1);
        const CVecteur& nf = f.normale;
        for (int k = 0; k < nbCoins; ++k) {
            const int v = f.sommets[k];
            if (static_cast<size_t>(v) >= table_.size())
                table_.resize(static_cast<size_t>(v) + 1, -1);
            int& n = table_[static_cast<size_t>(v)];
            if (n == -1) {
                normales_.push_back(nf);
                compteurs_.push_back(1);
                n = static_cast<int>(normales_.size()) - 1;
                touches_.push_back(v);
            } else {
                CVecteur& s = normales_[static_cast<size_t>(n)];
                s.x += nf.x;
                s.y += nf.y;
                s.z += nf.z;
                ++compteurs_[static_cast<size_t>(n)];
            }
            f.normales[k] = n;
        }
    }

    // The averaged normals, indexed as the corners were given them.
    std::vector<CVecteur> termine() {
        moyenneNormales(normales_, 0, compteurs_, 0);
        return std::move(normales_);
    }

private:
    std::vector<int> table_;    // by vertex: its normal in the current group, -1 = none yet
    std::vector<int> touches_;  // vertices given a normal in the current group
    std::vector<int> compteurs_;
    std::vector<CVecteur> normales_;  // sums until termine
};
