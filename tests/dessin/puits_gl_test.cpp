// The drawing sink of the metaball zones in a real window: the triangles reach the frame
// with their colours and OpenGL's client state is left as it was (under Xvfb; skipped
// without a display).
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "dessin/metaballzone_gl.h"
#include "support/fenetre_gl.h"

namespace {
constexpr int COTE = 64;

// A blue triangle covering the lower left half of the view, then a red one the upper right.
void deuxTriangles(PuitsTriangles& puits) {
    const CVecteur n(0, 0, 1);
    puits.debut();
    puits.sommet(RGBA(0, 0, 1, 1), n, CVecteur(-1, -1, 0));
    puits.sommet(RGBA(0, 0, 1, 1), n, CVecteur(1, -1, 0));
    puits.sommet(RGBA(0, 0, 1, 1), n, CVecteur(-1, 1, 0));
    puits.sommet(RGBA(1, 0, 0, 1), n, CVecteur(1, -1, 0));
    puits.sommet(RGBA(1, 0, 0, 1), n, CVecteur(1, 1, 0));
    puits.sommet(RGBA(1, 0, 0, 1), n, CVecteur(-1, 1, 0));
    puits.fin();
}
}  // namespace

class PuitsGL : public testing::Test {
protected:
    static inline bool pret = false;

    static void SetUpTestSuite() {
        if (pret || !ouvreFenetreGL("tests metaball", COTE)) return;
        pret = true;
    }

    void SetUp() override {
        if (!pret) GTEST_SKIP() << "pas d'affichage X joignable";
        glViewport(0, 0, COTE, COTE);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        glClearColor(0, 0, 0, 1);
    }

    static void pixel(int x, int y, unsigned char rgb[3]) {
        glReadBuffer(GL_BACK);
        glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    }
};

TEST_F(PuitsGL, TrianglesDessinesAvecLeursCouleursEtEtatClientRendu) {
    glClear(GL_COLOR_BUFFER_BIT);
    PuitsTrianglesGL puits;
    deuxTriangles(puits);
    unsigned char bas[3], haut[3];
    pixel(8, 8, bas);
    pixel(COTE - 8, COTE - 8, haut);
    EXPECT_EQ(bas[0], 0);
    EXPECT_EQ(bas[2], 255);
    EXPECT_EQ(haut[0], 255);
    EXPECT_EQ(haut[2], 0);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    // The last vertex's colour stays current, as after drawing vertex by vertex: the zone's
    // bounding box is drawn in it.
    float couleur[4];
    glGetFloatv(GL_CURRENT_COLOR, couleur);
    EXPECT_EQ(couleur[0], 1.0f);
    EXPECT_EQ(couleur[1], 0.0f);
    EXPECT_EQ(couleur[2], 0.0f);

    // An empty zone draws nothing and leaves no error.
    puits.debut();
    puits.fin();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
