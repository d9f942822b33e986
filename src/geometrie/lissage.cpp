#include "geometrie/lissage.h"

#include <array>

#include "commun/pages_memoire.h"

namespace {
// The factor an average of c sums is scaled by. The usual counts' scales are computed
// once: the extended division is slow.
inline float inverse(int c) {
    static const auto inverses = [] {
        std::array<float, 64> t{};
        for (int i = 1; i < 64; ++i) t[i] = static_cast<float>(1.0L / i);
        return t;
    }();
    return c > 0 && c < 64 ? inverses[c] : static_cast<float>(1.0L / c);
}
}  // namespace

void moyenneNormales(std::vector<CVecteur>& normales, size_t premier,
                     const std::vector<int>& compteurs, size_t decalage) {
    for (size_t n = premier; n < normales.size(); ++n)
        normales[n] = inverse(compteurs[n - decalage]) * normales[n];
}

LissageSommets::LissageSommets(size_t nbSommets) {
    // Large pages where the system offers them: these lists are new memory, first touched
    // here and by the corners.
    table_.reserve(nbSommets);
    grandesPagesDe(table_);
    table_.assign(nbSommets, Entree{-1, 0});
    normales_.reserve(nbSommets);
    grandesPagesDe(normales_);
}

void LissageSommets::moyenne(const Entree& e) {
    CVecteur& s = normales_[static_cast<size_t>(e.normale)];
    s = inverse(e.compte) * s;
}

std::vector<CVecteur> LissageSommets::termine() {
    // Every normal replaced by a later group's was averaged then; the rest are the table's.
    for (Entree& e : table_)
        if (e.normale >= 0) {
            moyenne(e);
            e.normale = -1;
        }
    return std::move(normales_);
}
