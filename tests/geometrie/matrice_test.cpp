// Facts about vectors and matrices that the rest of the system relies on.
#include "geometrie/matrice.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
void attendProche(const CVecteur& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-5f);
    EXPECT_NEAR(v.y, y, 1e-5f);
    EXPECT_NEAR(v.z, z, 1e-5f);
}
}  // namespace

TEST(Vecteur, NormaliseDonneZeroSousLeSeuilEtUnitaireAuDela) {
    EXPECT_EQ(CVecteur(0, 0, 0).normalise(), CVecteur(0, 0, 0));
    EXPECT_EQ(CVecteur(0.00005f, 0, 0).normalise(), CVecteur(0, 0, 0));
    attendProche(CVecteur(3, 0, 4).normalise(), 0.6f, 0, 0.8f);
}

TEST(Vecteur, ComparaisonExacteEtZeroNegatif) {
    EXPECT_TRUE(CVecteur(0, 0, 0) == CVecteur(-0.0f, 0, 0));
    EXPECT_FALSE(CVecteur(NAN, 0, 0) == CVecteur(NAN, 0, 0));
    EXPECT_TRUE(CVecteur(1, 2, 3) != CVecteur(1, 2, 3.0001f));
}

TEST(Vecteur, AccesParIndiceEtProduitVectoriel) {
    CVecteur v(1, 2, 3);
    EXPECT_EQ(v[0], 1);
    EXPECT_EQ(v[1], 2);
    EXPECT_EQ(v[7], 3);  // any other index reaches z
    CHomoVecteur h(v);
    EXPECT_EQ(h.w, 1.0f);
    h[3] = 5;
    EXPECT_EQ(h.w, 5.0f);
    EXPECT_EQ(CVecteur(1, 0, 0).produitVectoriel(CVecteur(0, 1, 0)), CVecteur(0, 0, 1));
}

TEST(Matrice, RotationsFermeesTournentCommeDecrit) {
    // The y closed form turns the other way from the x and z forms.
    attendProche(CMatrice::rotation(CVecteur(0, 1, 0), 90).transformePoint(CVecteur(1, 0, 0)), 0, 0,
                 -1);
    attendProche(CMatrice::rotation(CVecteur(0, 0, 1), 90).transformePoint(CVecteur(1, 0, 0)), 0,
                 -1, 0);
    attendProche(CMatrice::rotation(CVecteur(1, 0, 0), 90).transformePoint(CVecteur(0, 1, 0)), 0, 0,
                 -1);
}

TEST(Matrice, RotationAxeNulDonneUneEchelleUniforme) {
    CMatrice r = CMatrice::rotation(CVecteur(0, 0, 0), 60);
    const float cs = std::cos(60 * 3.1415927f * 0.0055555557f);
    EXPECT_FLOAT_EQ(r.m[0], cs);
    EXPECT_FLOAT_EQ(r.m[5], cs);
    EXPECT_FLOAT_EQ(r.m[10], cs);
    EXPECT_EQ(r.m[15], 1.0f);
    for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 11, 12, 13, 14}) EXPECT_EQ(r.m[i], 0.0f) << i;
}

TEST(Matrice, AxeNonUnitaireEtAxeNegatif) {
    // (2, 0, 0) normalises to the x closed form; (-1, 0, 0) takes the general form.
    EXPECT_EQ(CMatrice::rotation(CVecteur(2, 0, 0), 30), CMatrice::rotation(CVecteur(1, 0, 0), 30));
    CMatrice g = CMatrice::rotation(CVecteur(-1, 0, 0), 90);
    attendProche(g.transformePoint(CVecteur(0, 1, 0)), 0, 0, 1);
}

TEST(Matrice, ProduitAppliqueLaPremiereDAbord) {
    CMatrice m = CMatrice::translation(CVecteur(1, 2, 3)) * CMatrice::echelle(2, 2, 2);
    EXPECT_EQ(m.transformePoint(CVecteur(0, 0, 0)), CVecteur(2, 4, 6));
    CMatrice a = CMatrice::rotation(CVecteur(0, 0, 1), 90);
    a = a * CMatrice::translation(CVecteur(5, 0, 0));  // assigning to an operand is safe
    attendProche(a.transformePoint(CVecteur(1, 0, 0)), 5, -1, 0);
}

TEST(Matrice, ConstructionParLignesEtFabriques) {
    CMatrice m(1, 2, 3, 4, 5, 6, 7, 8, 9);
    EXPECT_EQ(m.m[4], 2.0f);  // row 0, column 1
    EXPECT_EQ(m.m[1], 4.0f);  // row 1, column 0
    EXPECT_EQ(m.m[15], 1.0f);
    CMatrice e = CMatrice::echelle(2, 3, 4);
    EXPECT_EQ(e.transformePoint(CVecteur(1, 1, 1)), CVecteur(2, 3, 4));
    EXPECT_EQ(CVecteur(1, 2, 3).transformeDirection(CMatrice::translation(CVecteur(9, 9, 9))),
              CVecteur(1, 2, 3));
    CMatrice r = CMatrice::rotation(CVecteur(0, 0, 1), 90);
    attendProche(CVecteur(1, 0, 0).transformeDirectionTransposee(r), 0, 1, 0);
}

TEST(Matrice, TransformeBoite) {
    CVecteur mn(0, 0, 0), mx(1, 1, 1);
    CMatrice().transformeBoite(mn, mx);
    EXPECT_EQ(mn, CVecteur(0, 0, 0));
    EXPECT_EQ(mx, CVecteur(1, 1, 1));
    CMatrice::rotation(CVecteur(0, 0, 1), 45).transformeBoite(mn, mx);
    attendProche(mn, 0, -0.70710677f, 0);
    attendProche(mx, 1.4142135f, 0.70710677f, 1);
}
