// Runs of triangles left out of a pass: never one that could show.
#include "geometrie/grappes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "geometrie/ordre_triangles.h"

namespace {
// A torus of u x v quadrilaterals cut into triangles, counter-clockwise seen from outside;
// each vertex: position then unit normal.
struct Tore {
    std::vector<float> sommets;
    std::vector<uint32_t> indices;
    Tore(int u, int v) {
        const double R = 10, r = 4, pi = std::acos(-1.0);
        for (int i = 0; i < u; ++i)
            for (int j = 0; j < v; ++j) {
                const double a = 2 * pi * i / u, b = 2 * pi * j / v;
                const double n[3] = {std::cos(b) * std::cos(a), std::cos(b) * std::sin(a),
                                     std::sin(b)};
                const double p[3] = {(R + r * std::cos(b)) * std::cos(a),
                                     (R + r * std::cos(b)) * std::sin(a), r * std::sin(b)};
                for (double x : {p[0], p[1], p[2], n[0], n[1], n[2]})
                    sommets.push_back(static_cast<float>(x));
            }
        auto s = [&](int i, int j) { return static_cast<uint32_t>((i % u) * v + (j % v)); };
        for (int i = 0; i < u; ++i)
            for (int j = 0; j < v; ++j)
                indices.insert(indices.end(), {s(i, j), s(i + 1, j), s(i + 1, j + 1), s(i, j),
                                               s(i + 1, j + 1), s(i, j + 1)});
    }
    const float* p(uint32_t i) const { return &sommets[i * 6]; }
};

double vers(const float* a, const float e[4], int k) {
    return e[3] == 0 ? e[k] : e[k] / e[3] - a[k];
}
}  // namespace

// From eyes and lights all around and inside, a run (of a mesh put in runs) left out has every
// triangle turned away and every vertex normal unlit, as OpenGL would find them; and enough runs
// are left out for the test to mean something.
TEST(Grappes, UneGrappeOmiseNeContientRienQuiSeVoieOuSEclaire) {
    Tore t(160, 40);
    ordonneEnRuns(t.indices, 0, t.indices.size(), 32);
    const auto grappes =
        formeGrappes(t.indices, 0, t.indices.size(), t.sommets.data(), t.sommets.data() + 3, 6, 32);
    ASSERT_EQ(grappes.size(), 160u * 40u * 2u / 32u);
    std::mt19937 alea(7);
    std::uniform_real_distribution<float> d(-40, 40);
    size_t dos = 0, sansLumiere = 0, total = 0;
    for (int essai = 0; essai < 200; ++essai) {
        const float oeil[4] = {d(alea), d(alea), d(alea), essai % 10 == 0 ? 0.0f : 1.0f};
        for (const Grappe& g : grappes) {
            ++total;
            const bool omiseDos = grappeDeDos(g, oeil), omiseLumiere = grappeSansLumiere(g, oeil);
            dos += omiseDos;
            sansLumiere += omiseLumiere;
            for (uint32_t k = g.debut; k < g.debut + g.nombre; k += 3) {
                const float *a = t.p(t.indices[k]), *b = t.p(t.indices[k + 1]),
                            *c = t.p(t.indices[k + 2]);
                const double ab[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]},
                             ac[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
                const double n[3] = {ab[1] * ac[2] - ab[2] * ac[1], ab[2] * ac[0] - ab[0] * ac[2],
                                     ab[0] * ac[1] - ab[1] * ac[0]};
                for (const float* q : {a, b, c}) {
                    if (omiseDos) {
                        ASSERT_LT(n[0] * vers(q, oeil, 0) + n[1] * vers(q, oeil, 1) +
                                      n[2] * vers(q, oeil, 2),
                                  0);
                    }
                    if (omiseLumiere) {
                        ASSERT_LT(q[3] * vers(q, oeil, 0) + q[4] * vers(q, oeil, 1) +
                                      q[5] * vers(q, oeil, 2),
                                  0);
                    }
                }
            }
        }
    }
    EXPECT_GT(dos, total / 5);
    EXPECT_GT(sansLumiere, total / 5);
}

// The eye in an object's coordinates: through a rotation and translation; not through a
// mirror or a projective matrix; only for the two kinds of projection the tests follow; and
// boxes wholly out of the view volume.
TEST(Grappes, OeilDansLeRepereDeLObjet) {
    // A quarter turn about z, then a move of (5, 0, 0): column-major.
    const float mv[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 5, 0, 0, 1};
    const float origine[4] = {0, 0, 0, 1};
    float o[4];
    ASSERT_TRUE(versObjet(mv, origine, o));
    EXPECT_FLOAT_EQ(o[0], 0);
    EXPECT_FLOAT_EQ(o[1], 5);
    EXPECT_FLOAT_EQ(o[2], 0);
    float miroir[16] = {-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_FALSE(versObjet(miroir, origine, o));
    miroir[0] = 1;
    miroir[3] = 0.5f;
    EXPECT_FALSE(versObjet(miroir, origine, o));

    // gluPerspective(60, 1, 1, 100) and glOrtho(-1, 1, -1, 1, 1, 100).
    const float f = 1 / std::tan(0.5236f);
    const float perspective[16] = {f, 0, 0,           0,  0, f, 0,           0,
                                   0, 0, -101.f / 99, -1, 0, 0, -200.f / 99, 0};
    const float ortho[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -2.f / 99, 0, 0, 0, -101.f / 99, 1};
    ASSERT_TRUE(oeilDeProjection(perspective, o));
    EXPECT_EQ(o[3], 1);
    ASSERT_TRUE(oeilDeProjection(ortho, o));
    EXPECT_EQ(o[2], 1);
    EXPECT_EQ(o[3], 0);
    // Boxes against the perspective's view volume, the modelview being the identity.
    const float identite[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    auto hors = [&](std::array<float, 3> a, std::array<float, 3> b) {
        return boiteHorsChamp(perspective, identite, a.data(), b.data());
    };
    EXPECT_FALSE(hors({-1, -1, -10}, {1, 1, -5}));    // ahead
    EXPECT_TRUE(hors({50, -1, -10}, {60, 1, -5}));    // to the right
    EXPECT_TRUE(hors({-1, -1, 5}, {1, 1, 10}));       // behind the eye
    EXPECT_TRUE(hors({-1, -1, -300}, {1, 1, -200}));  // beyond the far plane
    EXPECT_FALSE(hors({-1, -1, -3}, {1, 1, 3}));      // across the near plane
    EXPECT_FALSE(hors({-50, -50, -50}, {50, 50, 50}));
    float renversee[16];
    std::copy(std::begin(perspective), std::end(perspective), renversee);
    renversee[5] = -f;  // upside down: facing would turn around
    EXPECT_FALSE(oeilDeProjection(renversee, o));
}

// Put in runs, the triangles are the same ones, corners in the same order, and each run is a
// compact patch: much smaller and with much narrower cones than in file order.
TEST(Grappes, TrianglesEnRunsCompactsSansRienChanger) {
    const Tore t(400, 100);  // quadrilaterals about as long as wide
    std::vector<uint32_t> runs = t.indices;
    ordonneEnRuns(runs, 0, runs.size(), 128);
    auto triplets = [](const std::vector<uint32_t>& v) {
        std::vector<std::array<uint32_t, 3>> r;
        for (size_t k = 0; k < v.size(); k += 3) r.push_back({v[k], v[k + 1], v[k + 2]});
        std::sort(r.begin(), r.end());
        return r;
    };
    ASSERT_EQ(triplets(runs), triplets(t.indices));
    auto moyennes = [&](const std::vector<uint32_t>& v, double& rayon, double& cosinus) {
        const auto g = formeGrappes(v, 0, v.size(), t.sommets.data(), nullptr, 6, 128);
        rayon = cosinus = 0;
        for (const Grappe& x : g) {
            rayon += x.rayon;
            cosinus += x.coneFaces ? x.cosFaces : 0;
        }
        rayon /= static_cast<double>(g.size());
        cosinus /= static_cast<double>(g.size());
    };
    double rayonFichier, cosFichier, rayonRuns, cosRuns;
    moyennes(t.indices, rayonFichier, cosFichier);
    moyennes(runs, rayonRuns, cosRuns);
    EXPECT_LT(rayonRuns, rayonFichier / 2);
    EXPECT_GT(cosRuns, 0.8);     // cones of about 25 degrees
    EXPECT_LT(cosFichier, 0.2);  // in file order, a run goes round the tube
}
