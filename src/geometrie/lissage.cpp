#include "geometrie/lissage.h"

#include <array>

void moyenneNormales(std::vector<CVecteur>& normales, size_t premier,
                     const std::vector<int>& compteurs, size_t decalage) {
    // The usual counts' scales, computed once: the extended division is slow.
    static const auto inverses = [] {
        std::array<float, 64> t{};
        for (int c = 1; c < 64; ++c) t[c] = static_cast<float>(1.0L / c);
        return t;
    }();
    for (size_t n = premier; n < normales.size(); ++n) {
        const int c = compteurs[n - decalage];
        const float k = c > 0 && c < 64 ? inverses[c] : static_cast<float>(1.0L / c);
        normales[n] = k * normales[n];
    }
}
