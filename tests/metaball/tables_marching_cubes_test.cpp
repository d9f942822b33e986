// The marching-cubes tables against their own definition: corner and edge numbering, edge
// masks, and triangle rows that join into closed, consistently oriented surfaces.
#include "metaball/tables_marching_cubes.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <random>
#include <set>
#include <vector>

namespace {

// The numbering as stated: corner offsets, then edges as corner pairs.
const int kCoins[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                          {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
const int kAretes[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                            {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};

std::vector<int> ligne(int c) {
    std::vector<int> r;
    for (int i = 0; i < 16 && tableTriangles[c][i] != -1; ++i) r.push_back(tableTriangles[c][i]);
    return r;
}

}  // namespace

TEST(TablesMarchingCubes, LignesCiteesSontCellesDuTableauClassique) {
    const int debut[6] = {0x0, 0x109, 0x203, 0x30a, 0x406, 0x50f};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(tableAretes[i], debut[i]) << i;
    EXPECT_EQ(ligne(1), (std::vector<int>{0, 8, 3}));
    EXPECT_EQ(ligne(2), (std::vector<int>{0, 1, 9}));
    EXPECT_EQ(ligne(254), (std::vector<int>{0, 3, 8}));
    EXPECT_TRUE(ligne(0).empty());
    EXPECT_TRUE(ligne(255).empty());
}

TEST(TablesMarchingCubes, NumerotationDesCoinsEtDesAretes) {
    for (int k = 0; k < 8; ++k)
        for (int a = 0; a < 3; ++a) EXPECT_EQ(coinsCube[k][a], kCoins[k][a]);
    for (int j = 0; j < 12; ++j) {
        EXPECT_EQ(aretesCube[j][0], kAretes[j][0]);
        EXPECT_EQ(aretesCube[j][1], kAretes[j][1]);
        for (int a = 0; a < 3; ++a)
            EXPECT_EQ(directionsAretes[j][a], kCoins[kAretes[j][1]][a] - kCoins[kAretes[j][0]][a])
                << "arête " << j;
    }
}

TEST(TablesMarchingCubes, MasqueEtLigneDesignentLesAretesCoupees) {
    for (int c = 0; c < 256; ++c) {
        int attendu = 0;
        for (int j = 0; j < 12; ++j)
            if (((c >> kAretes[j][0]) & 1) != ((c >> kAretes[j][1]) & 1)) attendu |= 1 << j;
        EXPECT_EQ(tableAretes[c], attendu) << "configuration " << c;

        std::vector<int> r = ligne(c);
        EXPECT_EQ(r.size() % 3, 0u) << c;
        EXPECT_LE(r.size(), 15u) << c;
        std::set<int> utilisees(r.begin(), r.end());
        std::set<int> coupees;
        for (int j = 0; j < 12; ++j)
            if (attendu & (1 << j)) coupees.insert(j);
        EXPECT_EQ(utilisees, coupees) << "configuration " << c;
    }
}

// Every configuration, on random grids: each triangle side inside the grid is shared with
// exactly one other triangle that runs it the other way (no hole, no flipped triangle).
TEST(TablesMarchingCubes, SurfacesFermeesEtOrienteesDeFaconCoherente) {
    const int n = 4;
    std::mt19937 alea(7);
    std::uniform_real_distribution<float> uniforme(0, 1);
    std::set<int> vues;
    using Point = std::array<int, 3>;  // doubled coordinates: edge midpoints are integers
    using Cote = std::pair<Point, Point>;
    for (int essai = 0; essai < 150; ++essai) {
        float v[n + 1][n + 1][n + 1];
        for (auto& a : v)
            for (auto& b : a)
                for (float& c : b) c = uniforme(alea);
        std::map<Cote, int> cotes;
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
                for (int k = 0; k < n; ++k) {
                    int c = 0;
                    for (int q = 0; q < 8; ++q)
                        if (v[i + kCoins[q][0]][j + kCoins[q][1]][k + kCoins[q][2]] <= 0.5f)
                            c |= 1 << q;
                    vues.insert(c);
                    auto milieu = [&](int e) {
                        const int* a = kCoins[kAretes[e][0]];
                        const int* b = kCoins[kAretes[e][1]];
                        return Point{2 * i + a[0] + b[0], 2 * j + a[1] + b[1], 2 * k + a[2] + b[2]};
                    };
                    std::vector<int> r = ligne(c);
                    for (size_t t = 0; t + 2 < r.size(); t += 3)
                        for (int s = 0; s < 3; ++s)
                            ++cotes[{milieu(r[t + s]), milieu(r[t + (s + 1) % 3])}];
                }
        auto surLeBord = [&](const Point& a, const Point& b) {
            for (int ax = 0; ax < 3; ++ax)
                if ((a[ax] == 0 && b[ax] == 0) || (a[ax] == 2 * n && b[ax] == 2 * n)) return true;
            return false;
        };
        for (auto& [cote, nombre] : cotes) {
            ASSERT_EQ(nombre, 1) << "côté parcouru deux fois dans le même sens";
            if (surLeBord(cote.first, cote.second)) continue;
            auto inverse = cotes.find({cote.second, cote.first});
            ASSERT_TRUE(inverse != cotes.end()) << "trou dans la surface, essai " << essai;
        }
    }
    EXPECT_EQ(vues.size(), 256u);
}

// With the orientation consistent everywhere, one triangle fixes it: the front of row 1 faces
// corner 0, the corner at or below the level.
TEST(TablesMarchingCubes, TrianglesTournesVersLesCoinsSousLeSeuil) {
    auto milieu = [](int e) {
        const int* a = kCoins[kAretes[e][0]];
        const int* b = kCoins[kAretes[e][1]];
        return std::array<float, 3>{(a[0] + b[0]) / 2.0f, (a[1] + b[1]) / 2.0f,
                                    (a[2] + b[2]) / 2.0f};
    };
    auto p0 = milieu(tableTriangles[1][0]), p1 = milieu(tableTriangles[1][1]),
         p2 = milieu(tableTriangles[1][2]);
    float u[3], w[3];
    for (int a = 0; a < 3; ++a) {
        u[a] = p1[a] - p0[a];
        w[a] = p2[a] - p0[a];
    }
    float normale[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2],
                        u[0] * w[1] - u[1] * w[0]};
    float versCoin0 = -(normale[0] * p0[0] + normale[1] * p0[1] + normale[2] * p0[2]);
    EXPECT_GT(versCoin0, 0);
}
