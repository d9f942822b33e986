// Meshes drawn from display lists and from vertex buffers in a real window: the same pixels
// as immediate mode after every kind of change, one list for every placement, the list freed
// with the mesh; the depth pass's positions-only buffers give the same depths. Skipped
// when no X display is reachable (run under xvfb-run to include them).
#include "dessin/mesh_gl.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "dessin/dessinateur.h"
#include "geometrie/mesh.h"
#include "scene/scene.h"
#include "support/fenetre_gl.h"

namespace {
const int COTE = 96;

std::set<GLuint> listesExistantes() {
    std::set<GLuint> r;
    for (GLuint i = 1; i < 2000; ++i)
        if (glIsList(i)) r.insert(i);
    return r;
}
}  // namespace

class MeshGL : public testing::Test {
protected:
    static inline bool pret = false;

    static void SetUpTestSuite() {
        if (pret || !ouvreFenetreGL("tests geometrie", COTE)) return;
        pret = true;
    }

    CScene scene;

    Dessinateur dessin{scene};
    std::shared_ptr<Mesh> mesh;
    std::shared_ptr<Material> orange = std::make_shared<Material>(),
                              bleu = std::make_shared<Material>();

    void SetUp() override {
        if (!pret) GTEST_SKIP() << "pas d'affichage X joignable";
        glViewport(0, 0, COTE, COTE);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-2, 2, -2, 2, -10, 10);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glEnable(GL_NORMALIZE);
        glEnable(GL_COLOR_MATERIAL);
        glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT);
        const GLfloat position[4] = {1, 2, 3, 0};
        glLightfv(GL_LIGHT0, GL_POSITION, position);
        dessin.setSmoothShading(true);

        orange->couleur2 = RGBA(1, 0.5f, 0, 1);
        bleu->couleur2 = RGBA(0, 0.3f, 1, 1);
        // A bent strip of quadrilaterals and triangles, two materials, smoothed normals.
        mesh = std::make_shared<Mesh>(0, 0, 0, 0, "bande");
        for (int i = 0; i < 5; ++i)
            for (int j = 0; j < 2; ++j)
                mesh->ajouteSommet(CVecteur(i * 0.8f - 1.6f, j * 1.5f - 0.75f, (i % 2) * 0.6f),
                                   RGBA(1, 0, 0, 1));
        for (int i = 0; i < 4; ++i) {
            Material* m = i % 2 ? bleu.get() : orange.get();
            if (i < 2) {
                const int f = mesh->ajouteFace(4, i, m);
                for (int s : {2 * i, 2 * i + 2, 2 * i + 3, 2 * i + 1})
                    mesh->ajouteSommetFace(f, s, -1, -1);
            } else {
                for (auto coins : {std::vector<int>{2 * i, 2 * i + 2, 2 * i + 3},
                                   std::vector<int>{2 * i, 2 * i + 3, 2 * i + 1}}) {
                    const int f = mesh->ajouteFace(3, 0, m);
                    for (int s : coins) mesh->ajouteSommetFace(f, s, -1, -1);
                }
            }
        }
        mesh->materiauxTenus = {orange, bleu};
        mesh->calcNormalesLissees();
        Mesh::modeImmediat = false;
        modeMeshes = ModeMeshes::Listes;
        passeObjets = PasseObjets::Unique;
    }

    void TearDown() override {
        Mesh::modeImmediat = false;
        modeMeshes = ModeMeshes::Tampons;
        passeObjets = PasseObjets::Unique;
        if (pret) {
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        }
    }

    // The pixels of the mesh drawn at each of the given x offsets, from its list or not.
    std::vector<unsigned char> image(bool immediat, std::vector<float> decalages = {0}) {
        Mesh::modeImmediat = immediat;
        glClearColor(0.1f, 0.1f, 0.1f, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        int nom = 0;
        for (float dx : decalages) {
            glPushMatrix();
            glTranslatef(dx, 0, 0);
            glScalef(0.5f, 0.5f, 0.5f);
            dessineMesh(*mesh, dessin, nom, nullptr);
            glPopMatrix();
        }
        glFinish();
        std::vector<unsigned char> pixels(COTE * COTE * 3);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, COTE, COTE, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
};

TEST_F(MeshGL, ListeRefaiteApresChaqueChangementDuMeshOuDesOptions) {
    std::vector<unsigned char> precedente = image(false);
    ASSERT_TRUE(precedente == image(true));
    const std::vector<std::pair<const char*, std::function<void()>>> changements = {
        {"setSomCoord", [&] { mesh->setSomCoord(3, 0.5f, 1.2f, 0.4f); }},
        {"setNormaleCoord", [&] { mesh->setNormaleCoord(0, 0, 1, 0); }},
        {"appliqueMatrice",
         [&] { mesh->appliqueMatrice(CMatrice::rotation(CVecteur(0, 0, 1), 20)); }},
        {"face modifiée", [&] { mesh->getFace(0).material = bleu.get(); }},
        {"trieFacesParMaterial",
         [&] {
             mesh->trieFacesParMaterial();  // the faces do not overlap: the order does not show
             mesh->setSomCoord(1, -1.6f, 0.9f, 0);
         }},
        {"couleur d'un material", [&] { bleu->couleur2 = RGBA(0, 1, 0, 1); }},
        {"setMaterial", [&] { mesh->setMaterial(orange); }},
        {"smoothshading", [&] { dessin.setSmoothShading(false); }},
        {"calcNormalesLissees",
         [&] {
             mesh->setSomCoord(6, 0, 0, 1);
             mesh->calcNormalesLissees();
         }},
    };
    for (const auto& [quoi, change] : changements) {
        change();
        const std::vector<unsigned char> liste = image(false);
        EXPECT_TRUE(liste == image(true)) << quoi;
        EXPECT_FALSE(liste == precedente) << quoi << " ne change rien à l'image";
        precedente = liste;
    }
}

TEST_F(MeshGL, UneListePourTousLesPlacementsEtLiberéeAvecLeMesh) {
    const std::set<GLuint> avant = listesExistantes();
    const std::vector<float> placements = {-1.2f, 0, 1.2f};
    EXPECT_TRUE(image(false, placements) == image(true, placements));
    std::set<GLuint> nouvelles = listesExistantes();
    for (GLuint l : avant) nouvelles.erase(l);
    ASSERT_EQ(nouvelles.size(), 1u);  // three drawings, one list
    EXPECT_TRUE(image(false, placements) == image(true, placements));
    EXPECT_EQ(listesExistantes().size(), avant.size() + 1);  // nothing changed: no new list
    mesh.reset();
    EXPECT_FALSE(glIsList(*nouvelles.begin()));
}

// The buffers draw each change as immediate mode does, pixel for pixel, in the passes that
// light the mesh and in the depth pass, which sends positions only.
TEST_F(MeshGL, TamponsIdentiquesAuModeImmediatDansChaquePasse) {
    modeMeshes = ModeMeshes::Tampons;
    const std::set<GLuint> avant = listesExistantes();
    auto profondeurs = [&](bool immediat) {
        image(immediat);
        std::vector<float> z(COTE * COTE);
        glReadPixels(0, 0, COTE, COTE, GL_DEPTH_COMPONENT, GL_FLOAT, z.data());
        return z;
    };
    std::vector<unsigned char> precedente = image(false);
    ASSERT_TRUE(precedente == image(true));
    const std::vector<std::pair<const char*, std::function<void()>>> changements = {
        {"setSomCoord", [&] { mesh->setSomCoord(3, 0.5f, 1.2f, 0.4f); }},
        {"couleur d'un material", [&] { bleu->couleur2 = RGBA(0, 1, 0, 1); }},
        {"calcNormalesLissees",
         [&] {
             mesh->setSomCoord(6, 0, 0, 1);
             mesh->calcNormalesLissees();
         }},
    };
    for (const auto& [quoi, change] : changements) {
        change();
        const std::vector<unsigned char> tampons = image(false);
        EXPECT_TRUE(tampons == image(true)) << quoi;
        EXPECT_FALSE(tampons == precedente) << quoi << " ne change rien à l'image";
        precedente = tampons;
    }
    passeObjets = PasseObjets::Profondeur;
    glDisable(GL_LIGHTING);
    EXPECT_TRUE(profondeurs(false) == profondeurs(true));
    glEnable(GL_LIGHTING);
    passeObjets = PasseObjets::Unique;
    // No display list was made for a mesh the buffers can draw.
    EXPECT_EQ(listesExistantes(), avant);
}

// Light 0's pass adds light 0's light alone: a material's emission, already in the base pass,
// is left out of it whichever way the mesh is drawn (a list records its materials' values).
TEST_F(MeshGL, PasseDeLaLumiereZeroSansEmissionDeChaqueFacon) {
    orange->couleur4 = RGBA(0.6f, 0.2f, 0, 1);
    const std::vector<unsigned char> unique = image(false);  // from its list
    passeObjets = PasseObjets::Lumiere0;
    const std::vector<unsigned char> liste = image(false), immediat = image(true);
    modeMeshes = ModeMeshes::Tampons;
    const std::vector<unsigned char> tampons = image(false);
    passeObjets = PasseObjets::Unique;
    EXPECT_TRUE(liste == immediat);
    EXPECT_TRUE(tampons == immediat);
    EXPECT_FALSE(unique == liste);  // the emission shows outside that pass
}
