// Metaball zones: fields, primitives and their animations, polygonisation, and the guarded
// cases (infinite field values, unusable grid sizes).
#include "metaball/metaballzone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "dessin/dessinateur.h"
#include "dessin/scene_gl.h"
#include "metaball/puits_triangles.h"

namespace {

const float INF = std::numeric_limits<float>::infinity();
const float NaN = std::numeric_limits<float>::quiet_NaN();

bool fini(const CVecteur& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool memesBits(float a, float b) {
    uint32_t x, y;
    std::memcpy(&x, &a, 4);
    std::memcpy(&y, &b, 4);
    return x == y;
}

bool memesBits(const SommetEmis& a, const SommetEmis& b) {
    return memesBits(a.couleur.r, b.couleur.r) && memesBits(a.couleur.g, b.couleur.g) &&
           memesBits(a.couleur.b, b.couleur.b) && memesBits(a.couleur.a, b.couleur.a) &&
           memesBits(a.normale.x, b.normale.x) && memesBits(a.normale.y, b.normale.y) &&
           memesBits(a.normale.z, b.normale.z) && memesBits(a.position.x, b.position.x) &&
           memesBits(a.position.y, b.position.y) && memesBits(a.position.z, b.position.z);
}

// Keeps the primitives alive as the scene would.
struct ZoneDeTest {
    MetaballZone zone;
    std::vector<std::shared_ptr<InstanceMetaball>> tenues;

    ZoneDeTest(float taille, int resolution, float seuil) : zone(taille, resolution, seuil) {}
    InstanceMetaball& ajoute(const std::string& genre, float poids, CVecteur position,
                             const std::string& animation = "", float amplitude = 0) {
        tenues.push_back(zone.ajoutePrimitive(genre, poids, animation, position, amplitude));
        return *tenues.back();
    }
    std::vector<SommetEmis> parCellule() {
        PuitsEnregistreur p;
        zone.polygoniseParCellule(p);
        return p.sommets;
    }
    std::vector<SommetEmis> avecCache() {
        PuitsEnregistreur p;
        zone.polygonise(p);
        return p.sommets;
    }
};

}  // namespace

// ---- Fields and primitives ---------------------------------------------------------------

TEST(ChampMetaball, ContributionsDesSixGenres) {
    struct Cas {
        const char* genre;
        float attendu;
    };
    // Weight 2 at (1, 2, 3), read at (2, 4, 5): offsets (1, 2, 2).
    const Cas cas[] = {{"sphere", 2.0f / 9},
                       {"cylindreX", 2.0f / 8},
                       {"cylindreY", 2.0f / 5},
                       {"cylindreZ", 2.0f / 5},
                       {"superquadrique", 0.01f + 0.01f - (1 - 0.01f)}};
    for (const Cas& c : cas) {
        ZoneDeTest z(2, 4, 1);
        z.ajoute(c.genre, 2, CVecteur(1, 2, 3));
        EXPECT_NEAR(z.zone.champ(2, 4, 5), c.attendu, 1e-6) << c.genre;
    }
    // A misspelt kind is the ripple, which ignores the centre (phase 0).
    ZoneDeTest z(2, 4, 1);
    z.ajoute("Sphere", 2, CVecteur(1, 2, 3));
    float a = 20 * std::sqrt(0.5f * 0.5f + 1.5f * 1.5f);
    EXPECT_NEAR(z.zone.champ(1, 2, 5), ((std::cos(a) + std::sin(a)) * 0.1f + 1.5f - 5) * 2, 1e-5);
}

TEST(ChampMetaball, SommeDesPrimitivesEtZoneVideANul) {
    ZoneDeTest z(2, 4, 1);
    EXPECT_EQ(z.zone.champ(0.3f, -1, 2), 0.0f);
    z.ajoute("sphere", 1, CVecteur(0, 0, 0));
    z.ajoute("sphere", 3, CVecteur(2, 0, 0));
    EXPECT_NEAR(z.zone.champ(1, 0, 0), 4.0f, 1e-6);
}

TEST(PrimitiveMetaball, AjoutPlaceLaPrimitiveSansGravite) {
    ZoneDeTest z(2, 4, 1);
    InstanceMetaball& p = z.ajoute("cylindreY", 0.5f, CVecteur(1, -2, 3), "aucune", 7);
    ASSERT_EQ(z.zone.primitives.size(), 1u);
    EXPECT_EQ(z.zone.primitives[0], &p);
    EXPECT_FALSE(p.tombe);
    EXPECT_EQ(p.animation, nullptr);
    EXPECT_EQ(p.donneesAnimation, 7.0f);
    EXPECT_EQ(p.vecteurAnimation, CVecteur(1, -2, 3));
    EXPECT_EQ(p.poids, 0.5f);
    EXPECT_EQ(CVecteur(p.m[12], p.m[13], p.m[14]), CVecteur(1, -2, 3));
}

TEST(PrimitiveMetaball, InvisibleBoiteNulleEtAucunNomPris) {
    ZoneDeTest z(2, 4, 1);
    InstanceMetaball& p = z.ajoute("sphere", 1, CVecteur(4, 5, 6));
    CVecteur min(1, 1, 1), max(2, 2, 2);
    p.getBoiteEnglobante(min, max);
    EXPECT_EQ(min, CVecteur(0, 0, 0));
    EXPECT_EQ(max, CVecteur(0, 0, 0));
    EXPECT_EQ(p.hauteur(), 0.0f);
    CScene scene;
    Dessinateur dessin{scene};
    int compteur = 12;
    dessineInstance(dessin, p, compteur);
    EXPECT_EQ(compteur, 12);
    EXPECT_EQ(p.premierNom, 12);
    EXPECT_EQ(p.dernierNom, 12);
}

TEST(PrimitiveMetaball, AnimationsSinusoidales) {
    ZoneDeTest z(2, 4, 1);
    InstanceMetaball& p = z.ajoute("sphere", 1, CVecteur(1, 0, 0), "sinY", 2);
    ASSERT_NE(p.animation, nullptr);
    for (float t : {0.0f, 500.0f, 1570.8f, 123456.0f}) {
        p.animation(p, p.vecteurAnimation, t, p.donneesAnimation);
        EXPECT_FLOAT_EQ(p.m[12], 1) << t;
        EXPECT_NEAR(p.m[13], 2 * std::sin(0.001 * t), 1e-5) << t;
        EXPECT_FLOAT_EQ(p.m[14], 0) << t;
    }
    CMatrice m;
    fonctionAnimationDuNom("sinX")(m, CVecteur(1, 2, 3), 1000, 3);
    EXPECT_EQ(CVecteur(m.m[12], m.m[13], m.m[14]), CVecteur(1 + 3 * std::sin(1.0f), 2, 3));
    fonctionAnimationDuNom("sinZ")(m, CVecteur(1, 2, 3), 1000, 3);
    EXPECT_EQ(CVecteur(m.m[12], m.m[13], m.m[14]), CVecteur(1, 2, 3 + 3 * std::sin(1.0f)));
    EXPECT_EQ(fonctionAnimationDuNom("sinx"), nullptr);
}

TEST(PrimitiveMetaball, PrimitiveDetruiteRetireeDeLaZone) {
    MetaballZone zone(2, 4, 1);
    auto gardee = zone.ajoutePrimitive("sphere", 1, "", CVecteur(0, 0, 0), 0);
    auto perdue = zone.ajoutePrimitive("sphere", 1, "", CVecteur(1, 0, 0), 0);
    perdue.reset();
    zone.retirePrimitivesDetruites();
    ASSERT_EQ(zone.primitives.size(), 1u);
    EXPECT_EQ(zone.primitives[0], gardee.get());
}

// ---- Interpolation, normals, colours ------------------------------------------------------

TEST(InterpolationMetaball, FractionSurLArete) {
    EXPECT_FLOAT_EQ(MetaballZone::interpole(0, 2, 0.5f), 0.25f);
    EXPECT_EQ(MetaballZone::interpole(1, 1.00005f, 1), 0.5f);
    // Infinite or undefined ends never give an undefined fraction or leave the edge.
    EXPECT_EQ(MetaballZone::interpole(INF, 0.5f, 1), 1.0f);
    EXPECT_EQ(MetaballZone::interpole(0.5f, INF, 1), 0.0f);
    EXPECT_EQ(MetaballZone::interpole(-INF, 2, 1), 1.0f);
    EXPECT_EQ(MetaballZone::interpole(INF, -INF, 1), 0.5f);
    EXPECT_EQ(MetaballZone::interpole(NaN, 2, 1), 0.5f);
    EXPECT_EQ(MetaballZone::interpole(0, 1, 5), 1.0f);
}

TEST(InterpolationMetaball, ValeursQuasiEgalesMettentLeSommetAuMilieu) {
    // A far, light sphere makes the field almost flat: across a cell edge of 0.5 the values
    // differ by about 1e-5, and the level is the value at the cell's minimum corner.
    ZoneDeTest z(1, 2, 0);
    z.ajoute("sphere", 10, CVecteur(100, 0, 0));
    z.zone.seuil = z.zone.champ(0, 0, 0);
    PuitsEnregistreur p;
    z.zone.polygoniseCube(0, 0, 0, p);
    ASSERT_FALSE(p.sommets.empty());
    for (const SommetEmis& s : p.sommets) EXPECT_EQ(s.position.x, 0.25f);
}

TEST(NormaleMetaball, ContreUnCentreLaNormaleResteFinie) {
    ZoneDeTest z(2, 4, 1);
    z.ajoute("sphere", 1, CVecteur(0, 0, 0));
    // champ(0, 0, 0) is infinite: the difference along x is infinite.
    CVecteur n = z.zone.normaleChamp(0.01f, 0, 0);
    EXPECT_TRUE(fini(n));
    EXPECT_EQ(n, CVecteur(1, 0, 0));
    // Two opposite weights at one point: infinite minus infinite.
    z.ajoute("sphere", -1, CVecteur(0, 0, 0));
    EXPECT_TRUE(fini(z.zone.normaleChamp(0.01f, 0, 0)));
}

TEST(NormaleMetaball, CouleurSelonLaDirection) {
    RGBA c = MetaballZone::couleurNormale(CVecteur(0, -1, 0));
    EXPECT_EQ(c, RGBA(0.5f, 0, 0.5f, 0));
    c = MetaballZone::couleurNormale(CVecteur(0, 0, 1));
    EXPECT_EQ(c, RGBA(0, 0, 1, 0));
}

// ---- Polygonisation ----------------------------------------------------------------------

TEST(PolygonisationMetaball, ZoneVideNeDessineRien) {
    for (float seuil : {0.0f, 1.0f}) {
        ZoneDeTest z(2, 8, seuil);
        EXPECT_TRUE(z.parCellule().empty());
        EXPECT_TRUE(z.avecCache().empty());
    }
}

TEST(PolygonisationMetaball, CellulesCentreesSurLaTranslationDeLaZone) {
    MetaballZone zone(2, 4, 1);
    for (int a = 0; a < 3; ++a)
        EXPECT_EQ(zone.coordonneesCellules(a), (std::vector<float>{-1, -0.5f, 0, 0.5f}));
    zone.m[12] = 3;
    zone.m[13] = -2;
    zone.m[14] = 0.5f;
    EXPECT_EQ(zone.coordonneesCellules(0), (std::vector<float>{2, 2.5f, 3, 3.5f}));
    EXPECT_EQ(zone.coordonneesCellules(1), (std::vector<float>{-3, -2.5f, -2, -1.5f}));
    EXPECT_EQ(zone.coordonneesCellules(2), (std::vector<float>{-0.5f, 0, 0.5f, 1}));
}

TEST(PolygonisationMetaball, SphereUniteOrienteeVersLExterieur) {
    ZoneDeTest z(4, 32, 1);
    z.ajoute("sphere", 1, CVecteur(0, 0, 0));
    std::vector<SommetEmis> s = z.avecCache();
    ASSERT_GT(s.size(), 300u);
    EXPECT_EQ(s.size() % 3, 0u);
    bool plusX = false, moinsX = false;
    for (const SommetEmis& v : s) {
        float r = v.position.norme();
        EXPECT_NEAR(r, 1.0f, 0.03f);
        EXPECT_GT(
            v.normale.x * v.position.x + v.normale.y * v.position.y + v.normale.z * v.position.z,
            0.95f * r);
        if (v.position.y == 0 && v.position.z == 0) {
            RGBA attendu = v.position.x > 0 ? RGBA(1, 0, 0, 0) : RGBA(0, 0.5f, 0.5f, 0);
            (v.position.x > 0 ? plusX : moinsX) = true;
            EXPECT_NEAR(v.couleur.r, attendu.r, 1e-6);
            EXPECT_NEAR(v.couleur.g, attendu.g, 1e-6);
            EXPECT_NEAR(v.couleur.b, attendu.b, 1e-6);
            EXPECT_EQ(v.couleur.a, 0);
        }
    }
    EXPECT_TRUE(plusX && moinsX);
}

TEST(PolygonisationMetaball, CentresSurLaGrilleSommetsFinisSurLeurArete) {
    ZoneDeTest z(2, 4, 1);
    z.ajoute("sphere", 0.3f, CVecteur(0, 0, 0));            // on a grid corner
    z.ajoute("cylindreZ", 0.1f, CVecteur(0.5f, -0.5f, 0));  // on a grid line
    z.ajoute("sphere", 0, CVecteur(-0.5f, 0.5f, 0.5f));     // 0/0 at a corner
    z.ajoute("sphere", 1, CVecteur(0.5f, 0.5f, -0.5f));     // +inf and -inf at one corner
    z.ajoute("sphere", -1, CVecteur(0.5f, 0.5f, -0.5f));
    const std::vector<float> grille = {-1, -0.5f, 0, 0.5f, 1};
    std::vector<SommetEmis> s = z.avecCache();
    ASSERT_FALSE(s.empty());
    for (const SommetEmis& v : s) {
        ASSERT_TRUE(fini(v.position) && fini(v.normale));
        int surLaGrille = 0;
        for (int a = 0; a < 3; ++a) {
            EXPECT_GE(v.position[a], -1);
            EXPECT_LE(v.position[a], 1);
            for (float g : grille) surLaGrille += v.position[a] == g;
        }
        EXPECT_GE(surLaGrille, 2) << "sommet hors des arêtes de la grille";
    }
}

TEST(PolygonisationMetaball, DimensionsInutilisablesNeDessinentRien) {
    struct Cas {
        float taille;
        int resolution;
    };
    for (Cas c : {Cas{2, 0}, Cas{2, -3}, Cas{0, 4}, Cas{-1, 4}, Cas{NaN, 4},
                  Cas{2, MetaballZone::RESOLUTION_MAX + 1}}) {
        ZoneDeTest z(c.taille, c.resolution, 1);
        z.ajoute("sphere", 1, CVecteur(0, 0, 0));
        EXPECT_TRUE(std::isfinite(z.zone.pas));
        EXPECT_FALSE(z.zone.grilleValide());
        EXPECT_TRUE(z.parCellule().empty()) << c.taille << " " << c.resolution;
        EXPECT_TRUE(z.avecCache().empty()) << c.taille << " " << c.resolution;
    }
}

TEST(PolygonisationMetaball, PasAbsorbeParLArrondiSansBoucleInfinie) {
    MetaballZone zone(1, 512, 1);
    zone.m[12] = 1e8f;  // pas ≈ 0.002 vanishes next to 1e8
    EXPECT_TRUE(zone.coordonneesCellules(0).empty());
    zone.resolution = 200;
    zone.pas = 0.005f;
    zone.m[12] = 1e5f;  // each step rounds up to 1/128
    std::vector<float> c = zone.coordonneesCellules(0);
    EXPECT_FALSE(c.empty());
    EXPECT_LE(c.size(), 402u);
    for (size_t i = 1; i < c.size(); ++i) EXPECT_GT(c[i], c[i - 1]);
}

// The cached walk must emit exactly the floats of the cell-by-cell walk.
TEST(PolygonisationMetaball, CacheIdentiqueAuCalculParCellule) {
    std::vector<std::unique_ptr<ZoneDeTest>> zones;
    auto nouvelle = [&](float taille, int resolution, float seuil) -> ZoneDeTest& {
        zones.push_back(std::make_unique<ZoneDeTest>(taille, resolution, seuil));
        return *zones.back();
    };
    {
        ZoneDeTest& z = nouvelle(4, 24, 3);
        z.ajoute("sphere", 0.7f, CVecteur(0.13f, -0.41f, 0.27f));
        z.ajoute("sphere", 0.5f, CVecteur(-0.9f, 0.6f, -0.2f));
        z.ajoute("cylindreX", 0.2f, CVecteur(0, 0.7f, -0.3f));
        z.ajoute("cylindreY", 0.15f, CVecteur(-0.6f, 0, 0.8f));
        z.ajoute("cylindreZ", 0.1f, CVecteur(1.1f, 1.2f, 0));
        z.ajoute("sphere", 0.4f, CVecteur(0.8f, -1.0f, 0.9f));
    }
    {
        // Animated, off-grid positions in a translated zone whose cell size is not exact.
        ZoneDeTest& z = nouvelle(3.7f, 13, 2);
        z.zone.m[12] = 0.31f;
        z.zone.m[13] = -1.7f;
        z.zone.m[14] = 12.9f;
        z.ajoute("sphere", 0.6f, CVecteur(0.3f, -1.6f, 12.8f), "sinX", 0.7f);
        z.ajoute("sphere", 0.6f, CVecteur(0.5f, -1.9f, 13.1f), "sinY", 0.5f);
        z.ajoute("cylindreZ", 0.2f, CVecteur(-0.4f, -1.2f, 0), "sinZ", 1.3f);
        for (float t : {1234.5f, 98765.25f})
            for (auto& p : z.tenues) p->animation(*p, p->vecteurAnimation, t, p->donneesAnimation);
    }
    {
        ZoneDeTest& z = nouvelle(1.3f, 7, -0.4f);
        z.ajoute("superquadrique", 1, CVecteur(0.1f, 0.2f, 0.3f));
        z.ajoute("sphere", -0.2f, CVecteur(0.05f, 0.1f, -0.2f));
        z.ajoute("Ondulation", 0.4f, CVecteur(0, 0, 0));
    }
    {
        ZoneDeTest& z = nouvelle(2, 4, 1);
        z.ajoute("sphere", 0.3f, CVecteur(0, 0, 0));
        z.ajoute("cylindreZ", 0.1f, CVecteur(0.5f, -0.5f, 0));
        z.ajoute("sphere", 0, CVecteur(-0.5f, 0.5f, 0.5f));
        z.ajoute("sphere", 1, CVecteur(0.5f, 0.5f, -0.5f));
        z.ajoute("sphere", -1, CVecteur(0.5f, 0.5f, -0.5f));
    }
    {
        ZoneDeTest& z = nouvelle(3, 30, 1.5f);  // pas = 0.1: the running sums drift
        z.ajoute("sphere", 1, CVecteur(0.02f, 0, 0));
        z.ajoute("sphere", 0.8f, CVecteur(0.6f, 0.3f, 0.1f));
    }
    for (size_t c = 0; c < zones.size(); ++c) {
        std::vector<SommetEmis> a = zones[c]->parCellule(), b = zones[c]->avecCache();
        EXPECT_GT(a.size(), 30u) << "configuration " << c;
        ASSERT_EQ(a.size(), b.size()) << "configuration " << c;
        for (size_t i = 0; i < a.size(); ++i)
            ASSERT_TRUE(memesBits(a[i], b[i])) << "configuration " << c << ", sommet " << i;
    }
}
