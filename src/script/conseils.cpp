// Hints for scene authors on the placed standard-error line.
#include "script/conseils.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "commun/lieu_lecture.h"

namespace conseils {
namespace {

char minuscule(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Edits from a to b, case aside: insertions, deletions, changes and swaps of two neighbours.
std::size_t distance(const std::string& a, const std::string& b) {
    const std::size_t n = a.size(), m = b.size();
    std::vector<std::vector<std::size_t>> d(n + 1, std::vector<std::size_t>(m + 1));
    for (std::size_t i = 0; i <= n; ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= m; ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= n; ++i)
        for (std::size_t j = 1; j <= m; ++j) {
            const bool egal = minuscule(a[i - 1]) == minuscule(b[j - 1]);
            d[i][j] =
                std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (egal ? 0 : 1)});
            if (i > 1 && j > 1 && minuscule(a[i - 1]) == minuscule(b[j - 2]) &&
                minuscule(a[i - 2]) == minuscule(b[j - 1]))
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[n][m];
}

}  // namespace

std::string nomProche(const std::string& nom, const std::vector<std::string>& connus) {
    // Names too long to be typed are not compared (the table would grow with their square).
    constexpr std::size_t LONGUEUR_MAX = 64;
    if (nom.size() < 3 || nom.size() > LONGUEUR_MAX) return std::string();
    const std::size_t tolere = nom.size() < 6 ? 1 : 2;
    std::string meilleur;
    std::size_t plusPetite = tolere + 1;
    for (const std::string& connu : connus) {
        if (connu == nom || connu.size() > LONGUEUR_MAX) continue;
        const std::size_t ecart =
            connu.size() > nom.size() ? connu.size() - nom.size() : nom.size() - connu.size();
        if (ecart > tolere) continue;
        const std::size_t d = distance(nom, connu);
        if (d < plusPetite) {
            plusPetite = d;
            meilleur = connu;
        }
    }
    return meilleur;
}

void note(const std::string& texte, int ligne) {
    lieuLecture::Lieu lieu;
    if (!lieuLecture::lieuCourant(lieu)) return;
    if (ligne > 0) lieu.ligne = ligne;
    std::fprintf(stderr, "%s %s\n", lieu.prefixe().c_str(), texte.c_str());
    std::fflush(stderr);
}

}  // namespace conseils
